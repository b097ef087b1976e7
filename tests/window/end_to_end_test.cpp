// moxun.exe itself, run as a user runs it and driven from outside with sent input:
// the real folder picker, typing, the start button; the rows and the summary are read
// back from its window. The program's path is the first argument.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "host/win32/wide.h"
#include "search/search_job.h"
#include "tests/fixture_tree.h"
#include "tests/window/remote_window.h"

namespace moxun::testing {
namespace {

using namespace std::chrono_literals;

std::wstring g_program;

// Under Wine a Unix path reaches the test as it is: the Z: drive maps the root.
std::wstring windows_path(std::wstring path) {
  if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
}

TEST(EndToEnd, AUserChoosesAFolderTypesATextStartsAndReadsTheRowsAndTheSummary) {
  ASSERT_FALSE(g_program.empty()) << "pass the path of moxun.exe";
  ASSERT_EQ(GetACP(), 936u) << "the test expects the GBK code page (LC_ALL=zh_CN.UTF-8 under Wine)";
  FixtureTree tree;
  const std::string gbk = "\xC0\xB6\xE8\xD6";  // 蓝柚
  tree.file("说明.txt", "前 " + gbk + " 后");
  tree.file("other.txt", "no");
  tree.file("sub/deeper/hit.bin", gbk);
  tree.file("sub/utf8.txt", "蓝柚");
  const std::string folder = tree.root().substr(0, tree.root().size() - 1);

  StartedProcess program = start_process(g_program, L"");
  ASSERT_TRUE(program.process) << "moxun.exe did not start";
  // Ended from outside whatever happens: a close would ask the desktop's browser for
  // the usage page.
  struct EndProgram {
    HANDLE process;
    ~EndProgram() {
      TerminateProcess(process, 0);
      WaitForSingleObject(process, 30000);
    }
  } end{program.process.get()};
  HWND window = wait_for_main_window(program.id, 60s);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(poll_until([&] { return panel0_text(window) == "  先设置要搜索的文件夹！@@。"; }, 30s));

  ASSERT_TRUE(choose_folder_through_picker(window, to_wide(folder)));
  EXPECT_TRUE(poll_until([&] { return panel0_text(window) == tree.root(); }, 30s)) << panel0_text(window);

  post_text(find_control(window, Control::文本查找框), L"蓝柚");
  post_click(find_control(window, Control::图形按钮开始));
  EXPECT_TRUE(poll_until([&] { return panel0_text(window).rfind(kSummaryStart, 0) == 0; }, 60s))
      << panel0_text(window);

  std::vector<std::string> rows = result_rows(window, program.process.get());
  std::sort(rows.begin(), rows.end());
  EXPECT_EQ(rows, (std::vector<std::string>{FixtureTree::row("sub/deeper/hit.bin"), "说明.txt"}));
  const std::regex summary(std::string(kSummaryStart) + "[0-9]+" + kSummaryMiddle + "2");
  EXPECT_TRUE(std::regex_match(panel0_text(window), summary)) << panel0_text(window);
  EXPECT_EQ(panel_text(window, program.process.get(), 1), "4");
}

}  // namespace
}  // namespace moxun::testing

int wmain(int argc, wchar_t** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc > 1) moxun::testing::g_program = moxun::testing::windows_path(argv[1]);
  return RUN_ALL_TESTS();
}
