#include "tests/window/program_child.h"

#include <windows.h>

#include <atomic>
#include <fstream>

#include "app/start_up.h"
#include "host/process.h"
#include "host/win32/shell.h"
#include "host/win32/wide.h"
#include "search/search_job.h"
#include "window/main_window.h"

namespace moxun::testing {

namespace {

std::wstring g_log_path;
bool g_fatal_mode = false;

void log_line(const std::string& line) {
  std::ofstream out(g_log_path.c_str(), std::ios::app | std::ios::binary);
  out << line << '\n';
}

const char* action_name(ShellAction action) {
  switch (action) {
    case ShellAction::edit:
      return "edit";
    case ShellAction::explore:
      return "explore";
    case ShellAction::default_action:
      break;
  }
  return "default";
}

class LoggingShell final : public Shell {
 public:
  void open(ShellAction action, const std::string& path) override {
    log_line(std::string("open ") + action_name(action) + " " + path);
  }
  void open_web_page(const std::string& address) override { log_line("web page " + address); }
  std::string choose_folder(HWND, const std::string&) override {
    if (g_fatal_mode) fatal_error(kIndexOutOfRange);
    wchar_t folder[MAX_PATH] = {};
    GetEnvironmentVariableW(L"MOXUN_TEST_FOLDER", folder, MAX_PATH);
    return to_utf8(folder);
  }
};

void logging_exit_routine() {
  HWND window = FindWindowW(kMainWindowClass, nullptr);
  HWND frame = GetDlgItem(window, control_id(Control::外形框1));
  const bool searching = !IsWindowEnabled(GetDlgItem(frame, control_id(Control::图形按钮开始)));
  log_line(searching ? "exit routine during a search" : "exit routine");
  release_search_job();
}

}  // namespace

int run_as_program(const std::wstring& mode, const std::wstring& log_path) {
  g_log_path = log_path;
  g_fatal_mode = mode == L"fatal";
  set_fatal_error_box([](const std::string& text) { log_line("fatal box " + text); });
  static LoggingShell shell;
  return start_program(shell, logging_exit_routine);
}

std::vector<std::string> read_log(const std::wstring& log_path) {
  std::vector<std::string> lines;
  std::ifstream in(log_path.c_str(), std::ios::binary);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::wstring this_executable() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

std::wstring new_log_path(const std::wstring& stem) {
  static std::atomic<int> serial{0};
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  std::wstring path = std::wstring(folder) + stem + std::to_wstring(GetCurrentProcessId()) + L"-" +
                      std::to_wstring(serial++) + L".log";
  DeleteFileW(path.c_str());
  return path;
}

}  // namespace moxun::testing
