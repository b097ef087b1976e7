// The window toolkit on real Win32 controls.
//
// The main window makes its controls and attaches them here; from then on every
// operation of WindowToolkit acts on them. All operations belong to the window thread
// (the thread that attached), except add_result_row: from another thread it sends the
// row to the window thread and returns once the row is in the list.
#pragma once

#include <windows.h>

#include <array>

#include "host/toolkit.h"
#include "host/win32/shell.h"

namespace moxun {

class Win32Toolkit final : public WindowToolkit {
 public:
  // Shell requests and the folder picker go to shell.
  explicit Win32Toolkit(Shell& shell) : shell_(&shell) {}
  ~Win32Toolkit() override;
  Win32Toolkit(const Win32Toolkit&) = delete;
  Win32Toolkit& operator=(const Win32Toolkit&) = delete;

  struct Parts {
    HWND window = nullptr;
    std::array<HWND, kControlCount> controls{};
    // The items of the results list's popup menu.
    HMENU result_menu = nullptr;
  };
  void attach(const Parts& parts);
  void detach();

  HWND window() const { return parts_.window; }
  HWND control(Control control) const { return parts_.controls[static_cast<std::size_t>(control)]; }
  Shell& shell() { return *shell_; }
  // The scheme of the last apply_visual_style, 0 before any.
  int visual_style_scheme() const { return visual_style_scheme_; }

  int add_result_row(const std::string& text) override;
  void clear_results() override;
  int result_count() override;
  int selected_result() override;
  std::string result_text(int row) override;
  void set_status_text(int panel, const std::string& text) override;
  void set_disabled(Control control, bool disabled) override;
  bool is_checked(Control check_box) override;
  int combo_selection(Control combo_box) override;
  std::string edit_text(Control edit_box) override;
  void set_edit_text(Control edit_box, const std::string& text) override;
  Bounds control_bounds(Control control) override;
  void set_button_face(Control button, Face face, std::span<const std::uint8_t> bmp) override;
  std::optional<Colour> button_transparent_colour(Control button) override;
  std::string background_picture() override;
  // Scheme 1 asks for visual styles and draws the one-pixel frames of the bordered
  // standard controls (edit boxes, list views) in RGB(123, 158, 189) wherever a theme
  // draws them: in every window of the window thread, present and later ones.
  void apply_visual_style(int scheme) override;
  void pump_events() override;
  void popup_result_menu() override;
  std::string choose_folder(const std::string& prompt) override;
  void shell_open(ShellAction action, const std::string& path) override;
  void open_web_page(const std::string& address) override;

  // One message as the event loop handles it: Esc pressed anywhere in the main window
  // requests the window's close, unless the control with the focus takes the key
  // itself; every other message is translated and dispatched.
  void process_message(MSG& message);
  // The window thread's event loop, until WM_QUIT; answers its exit code.
  int run_event_loop();

 private:
  bool on_window_thread() const { return GetCurrentThreadId() == window_thread_; }

  Shell* shell_;
  Parts parts_;
  DWORD window_thread_ = 0;
  int visual_style_scheme_ = 0;
};

// The colour of the standard controls' frames under visual-style scheme 1.
inline constexpr COLORREF kStyledFrameColour = RGB(123, 158, 189);

}  // namespace moxun
