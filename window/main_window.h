// The program's one window: its controls as laid out, and the events bound to the
// handlers. The window procedure only routes; the handlers act through the toolkit.
#pragma once

#include <windows.h>

#include <array>

#include "host/toolkit.h"
#include "host/win32/toolkit.h"
#include "host/win32/toolkit_handles.h"

namespace moxun {

inline constexpr wchar_t kMainWindowClass[] = L"MoxunMainWindow";
inline constexpr int kMainWindowWidth = 405;
inline constexpr int kMainWindowHeight = 434;

// The icon's resource number in the executable.
inline constexpr int kProgramIconId = 1;

// A control's identifier is its Control number plus this.
inline constexpr int kFirstControlId = 1000;
inline int control_id(Control control) { return kFirstControlId + static_cast<int>(control); }

// The items of the hidden menu "操作", in their order.
enum ResultMenuItem : int {
  kOpenDefaultItem = 2001,   // "默认方式打开"
  kOpenEditorItem = 2002,    // "默认编辑器打开"
  kExploreFolderItem = 2003, // "浏览所在文件夹"
};

// The two events whose handlers belong to start-up and shut-down.
struct WindowEvents {
  // All controls exist and are attached to the toolkit; runs before any other event.
  void (*created)() = nullptr;
  // Close button, system menu, Alt+F4, Esc, log-off or shut-down.
  void (*close_requested)() = nullptr;
};

class MainWindow {
 public:
  MainWindow(Win32Toolkit& toolkit, WindowEvents events) : toolkit_(toolkit), events_(events) {}
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Makes the window, centred on the screen, visible, with all its controls; the
  // created event has run when this returns. False when the window cannot be made.
  bool create();

  HWND hwnd() const { return hwnd_; }
  // The hidden top-level menu "操作"; never shown as a menu bar.
  HMENU menu_bar() const { return menu_bar_.get(); }

 private:
  static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK control_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                                            UINT_PTR subclass, DWORD_PTR self);
  LRESULT dispatch(UINT message, WPARAM wparam, LPARAM lparam);

  LRESULT on_create();
  void on_command(WPARAM wparam, LPARAM lparam);
  LRESULT on_notify(const NMHDR& notice);
  LRESULT on_measure_item(MEASUREITEMSTRUCT& item);
  LRESULT on_draw_item(const DRAWITEMSTRUCT& item);
  LRESULT on_control_colour(UINT message, HDC dc, HWND control);
  void on_close_request();

  // What the subclassed controls do before (or instead of) their own handling.
  bool on_search_box_message(UINT message);
  bool on_results_list_message(UINT message, LPARAM lparam);
  void on_link_press(HWND link, UINT message, WPARAM wparam, LPARAM lparam);

  std::array<HWND, kControlCount> make_controls();
  void make_result_menu();

  Win32Toolkit& toolkit_;
  WindowEvents events_;
  HWND hwnd_ = nullptr;
  MenuHandle menu_bar_;
};

}  // namespace moxun
