// A small outside helper for scripts/screenshot: waits for the running program's
// main window and prints its place, and can run a search in it as a user would.
//
// The program runs in Wine's virtual desktop "moxun": the probe joins that desktop
// first, since windows are found only on one's own desktop.
//
//   moxun_window_probe wait                    prints "left top width height"
//   moxun_window_probe search FOLDER TEXT      chooses FOLDER through the picker, types
//                                              TEXT, presses start and waits for the
//                                              summary; prints the summary and rows
#include <windows.h>

#include <cstdio>
#include <string>

#include "host/win32/wide.h"
#include "tests/window/remote_window.h"
#include "window/main_window.h"

namespace {

using namespace std::chrono_literals;
using namespace moxun;
using namespace moxun::testing;

HWND wait_for_any_main_window() {
  HWND found = nullptr;
  bool on_desktop = false;
  poll_until(
      [&] {
        // The desktop exists only once Wine's explorer has made it.
        if (!on_desktop) {
          HDESK desktop = OpenDesktopW(L"moxun", 0, FALSE, GENERIC_ALL);
          on_desktop = desktop != nullptr && SetThreadDesktop(desktop);
          if (!on_desktop) return false;
        }
        found = FindWindowW(kMainWindowClass, nullptr);
        return found != nullptr && IsWindowVisible(found) && !panel0_text(found).empty();
      },
      120s);
  return found;
}

void print_utf8(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  HWND window = wait_for_any_main_window();
  if (window == nullptr) {
    std::fprintf(stderr, "probe: no main window appeared\n");
    return 1;
  }
  if (command == L"wait") {
    RECT rect{};
    GetWindowRect(window, &rect);
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    return 0;
  }
  if (command == L"search" && argc == 4) {
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    KernelHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process_id));
    if (!choose_folder_through_picker(window, argv[2])) {
      std::fprintf(stderr, "probe: the folder picker did not work\n");
      return 1;
    }
    post_text(find_control(window, Control::文本查找框), argv[3]);
    post_click(find_control(window, Control::图形按钮开始));
    const bool done = poll_until([&] { return panel0_text(window).rfind("  搜索完毕", 0) == 0; }, 120s);
    print_utf8(panel0_text(window));
    for (const std::string& row : result_rows(window, process.get())) print_utf8(row);
    return done ? 0 : 1;
  }
  std::fprintf(stderr, "usage: moxun_window_probe wait | search FOLDER TEXT\n");
  return 2;
}
