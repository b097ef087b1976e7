// Driving and reading the main window of another process, as a user or an outside
// tool would: posted input, and reads through memory in the target process.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "host/toolkit.h"
#include "host/win32/toolkit_handles.h"

namespace moxun::testing {

struct StartedProcess {
  KernelHandle process;
  DWORD id = 0;
};

// Starts the program with the command line; an empty handle when it cannot start.
StartedProcess start_process(const std::wstring& executable, const std::wstring& arguments);

// Polls the condition every few milliseconds until it holds or the deadline passes.
bool poll_until(const std::function<bool()>& condition, std::chrono::milliseconds deadline);

// The visible main window of the process, waiting for it up to the deadline; nullptr
// when none appeared.
HWND wait_for_main_window(DWORD process_id, std::chrono::milliseconds deadline);

// A way a user or the system asks the program to end, posted to its main window.
struct CloseRequest {
  const char* name;
  std::function<void(HWND)> post;
};
// Every one of them: WM_CLOSE, the close button, Alt+F4, Esc in the search box and in
// the results list, and the end of the session.
std::vector<CloseRequest> close_requests();

// A control of the main window, by its identifier.
HWND find_control(HWND main_window, Control control);

// Status panel 0 through WM_GETTEXT, which the system carries across processes.
std::string panel0_text(HWND main_window);
// Any panel and the results list's rows, read through memory in the target process.
std::string panel_text(HWND main_window, HANDLE process, int panel);
std::vector<std::string> result_rows(HWND main_window, HANDLE process);

// A left click at a point of the window's client area (its centre when omitted).
void post_click(HWND target);
void post_click(HWND target, POINT at);
void post_text(HWND target, const std::wstring& text);

// The visible dialog box (class #32770) that the process shows, waiting for it.
HWND wait_for_dialog(DWORD process_id, std::chrono::milliseconds deadline);

// Chooses a folder through the program's real folder picker as a user does: presses
// the choose-folder button, types the folder into the picker's box and presses OK.
// Answers whether the picker appeared and closed.
bool choose_folder_through_picker(HWND main_window, const std::wstring& folder);

// The exit code once the process has ended within the deadline; STILL_ACTIVE if not.
DWORD wait_for_exit(HANDLE process, std::chrono::milliseconds deadline);

}  // namespace moxun::testing
