// How the program ends: every close request ends the process with exit code 0 after
// asking for the usage page once and running the exit routine once; fatal_error ends
// it with -1 without the exit routine. Each case runs the whole program in a child
// process (this executable with --as-program) and acts on its window from outside.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "host/process.h"
#include "host/win32/shell.h"
#include "host/win32/wide.h"
#include "tests/fixture_tree.h"
#include "tests/window/program_child.h"
#include "tests/window/remote_window.h"

namespace moxun::testing {
namespace {

using namespace std::chrono_literals;

struct ChildEnd {
  DWORD exit_code = STILL_ACTIVE;
  std::vector<std::string> log;
};

// Starts the program, waits for its window, acts on it and waits for the end.
ChildEnd run_child(const std::wstring& mode, const std::function<void(HWND, HANDLE)>& act) {
  const std::wstring log = new_log_path(L"moxun-child-");
  StartedProcess child = start_process(this_executable(), L"--as-program " + mode + L" \"" + log + L"\"");
  EXPECT_TRUE(child.process) << "the child process did not start";
  if (!child.process) return {};
  HWND window = wait_for_main_window(child.id, 60s);
  EXPECT_NE(window, nullptr) << "the child's main window did not appear";
  ChildEnd end;
  if (window != nullptr) act(window, child.process.get());
  end.exit_code = wait_for_exit(child.process.get(), 60s);
  if (end.exit_code == STILL_ACTIVE) TerminateProcess(child.process.get(), 99);
  end.log = read_log(log);
  DeleteFileW(log.c_str());
  return end;
}

TEST(ProgramEnd, EveryCloseRequestOpensTheUsagePageRunsTheExitRoutineOnceAndEndsWithZero) {
  const std::vector<std::string> expected = {"web page " + usage_page_address(), "exit routine"};
  for (const CloseRequest& c : close_requests()) {
    SCOPED_TRACE(c.name);
    const ChildEnd end = run_child(L"program", [&](HWND window, HANDLE) { c.post(window); });
    EXPECT_EQ(end.exit_code, 0u);
    EXPECT_EQ(end.log, expected);
  }
}

TEST(ProgramEnd, ClosingDuringASearchEndsAtOnceWithoutTheSummary) {
  FixtureTree tree;
  // Many files, one worker at a time: the search outlasts the close request.
  for (int i = 0; i < 1500; ++i) tree.file("f" + std::to_string(i) + ".txt", "needle");
  SetEnvironmentVariableW(L"MOXUN_TEST_FOLDER", to_wide(tree.root()).c_str());
  std::string panel0_before_close;
  const ChildEnd end = run_child(L"program", [&](HWND window, HANDLE) {
    post_click(find_control(window, Control::图形按钮选择));
    post_text(find_control(window, Control::文本查找框), L"needle");
    PostMessageW(find_control(window, Control::组合框_最大线程组), WM_KEYDOWN, VK_HOME, 1);
    post_click(find_control(window, Control::图形按钮开始));
    HWND start = find_control(window, Control::图形按钮开始);
    EXPECT_TRUE(poll_until([&] { return !IsWindowEnabled(start); }, 30s));
    PostMessageW(window, WM_CLOSE, 0, 0);
  });
  SetEnvironmentVariableW(L"MOXUN_TEST_FOLDER", nullptr);
  EXPECT_EQ(end.exit_code, 0u);
  EXPECT_EQ(end.log, (std::vector<std::string>{"web page " + usage_page_address(), "exit routine during a search"}));
}

TEST(ProgramEnd, FatalErrorEndsWithMinusOneWithoutTheExitRoutine) {
  // The child calls fatal_error(9) when its folder picker opens.
  const ChildEnd end =
      run_child(L"fatal", [](HWND window, HANDLE) { post_click(find_control(window, Control::图形按钮选择)); });
  EXPECT_EQ(end.exit_code, static_cast<DWORD>(-1));
  EXPECT_EQ(end.log, (std::vector<std::string>{"fatal box " + fatal_error_text(9)}));
}

}  // namespace
}  // namespace moxun::testing
