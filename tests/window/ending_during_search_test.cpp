// Every way of ending the program while a search runs and its workers are in the middle
// of reading files: the process ends with exit code 0, after the usage page and the
// exit routine, without a crash or a hang, and leaves no process of its own behind.
// Each case runs the whole program as a child (this executable with --as-program).
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/win32/shell.h"
#include "host/win32/wide.h"
#include "tests/fixture_tree.h"
#include "tests/window/program_child.h"
#include "tests/window/remote_window.h"

namespace moxun::testing {
namespace {

using namespace std::chrono_literals;

// Processes started by the given process, and threads that still belong to it.
std::vector<DWORD> left_by(DWORD process) {
  std::vector<DWORD> left;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS | TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return left;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ParentProcessID == process || entry.th32ProcessID == process) left.push_back(entry.th32ProcessID);
  }
  THREADENTRY32 thread{};
  thread.dwSize = sizeof thread;
  for (BOOL more = Thread32First(snapshot, &thread); more; more = Thread32Next(snapshot, &thread)) {
    if (thread.th32OwnerProcessID == process) left.push_back(thread.th32ThreadID);
  }
  CloseHandle(snapshot);
  return left;
}

TEST(EndingDuringASearch, EveryCloseRequestEndsWithZeroWhileWorkersRead) {
  // 40 files of 64 MiB read 1K at a time by 20 workers: the first batch is still
  // reading when the request comes.
  FixtureTree tree;
  for (int i = 0; i < 40; ++i) {
    const std::string path = tree.file("big" + std::to_string(i) + ".bin", "");
    std::filesystem::resize_file(fs_path(path), std::uintmax_t{64} << 20);
  }
  SetEnvironmentVariableW(L"MOXUN_TEST_FOLDER", to_wide(tree.root()).c_str());
  const std::vector<std::string> expected = {"web page " + usage_page_address(), "exit routine during a search"};
  for (const CloseRequest& c : close_requests()) {
    SCOPED_TRACE(c.name);
    const std::wstring log = new_log_path(L"moxun-ending-");
    StartedProcess child = start_process(this_executable(), L"--as-program program \"" + log + L"\"");
    ASSERT_TRUE(child.process) << "the child did not start";
    HWND window = wait_for_main_window(child.id, 60s);
    ASSERT_NE(window, nullptr) << "the child's main window did not appear";
    post_click(find_control(window, Control::图形按钮选择));
    post_text(find_control(window, Control::文本查找框), L"needle");
    // The last chunk item is 1K; 20 workers are preset.
    PostMessageW(find_control(window, Control::组合框_单线内存), WM_KEYDOWN, VK_END, 1);
    post_click(find_control(window, Control::图形按钮开始));
    // During the first batch the count stays at 20: the 21st file waits for a slot.
    const bool reading = poll_until([&] { return panel_text(window, child.process.get(), 1) == "20"; }, 60s);
    EXPECT_TRUE(reading) << "the search did not reach its first batch";
    c.post(window);
    const DWORD exit_code = wait_for_exit(child.process.get(), 60s);
    if (exit_code == STILL_ACTIVE) TerminateProcess(child.process.get(), 99);
    EXPECT_EQ(exit_code, 0u) << "the program hung or crashed";
    EXPECT_EQ(read_log(log), expected);
    EXPECT_EQ(left_by(child.id), std::vector<DWORD>{}) << "processes or threads left running";
    DeleteFileW(log.c_str());
  }
  SetEnvironmentVariableW(L"MOXUN_TEST_FOLDER", nullptr);
}

}  // namespace
}  // namespace moxun::testing
