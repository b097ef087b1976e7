// What the program does with its main window, the window's controls and the desktop
// shell. The engine and the window's handlers know only this interface; the Win32
// toolkit realises it on real controls, the headless toolkit in memory.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace moxun {

// The controls of the main window, by the names of its layout.
enum class Control {
  外形框1,
  编辑框_目录路径,
  图形按钮选择,
  选择框_含子目录,
  标签7,
  组合框_最大线程组,
  图形按钮开始,
  标签5,
  标签_单线内存,
  组合框_单线内存,
  图形按钮停止,
  文本查找框,
  外形框4,
  超级列表框_结果列表,
  超级链接框1,
  状态条1,
};
inline constexpr int kControlCount = static_cast<int>(Control::状态条1) + 1;

enum class Face { normal, hover, pressed };

enum class ShellAction { default_action, edit, explore };

struct Bounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const Bounds&) const = default;
};

// RGB colour as the layout writes it.
struct Colour {
  std::uint8_t red = 0, green = 0, blue = 0;
  bool operator==(const Colour&) const = default;
};

class WindowToolkit {
 public:
  virtual ~WindowToolkit() = default;

  // Results list. add_result_row may be called from any thread; from a worker it
  // returns once the window thread has put the row into the list.
  virtual int add_result_row(const std::string& text) = 0;
  virtual void clear_results() = 0;
  virtual int result_count() = 0;
  virtual int selected_result() = 0;
  virtual std::string result_text(int row) = 0;

  // Status bar: panel 0 and 1; other panels are ignored.
  virtual void set_status_text(int panel, const std::string& text) = 0;

  // Controls.
  virtual void set_disabled(Control control, bool disabled) = 0;
  virtual bool is_checked(Control check_box) = 0;
  virtual int combo_selection(Control combo_box) = 0;
  virtual std::string edit_text(Control edit_box) = 0;
  virtual void set_edit_text(Control edit_box, const std::string& text) = 0;
  virtual Bounds control_bounds(Control control) = 0;
  virtual void set_button_face(Control button, Face face, std::span<const std::uint8_t> bmp) = 0;
  virtual std::optional<Colour> button_transparent_colour(Control button) = 0;
  // The image-file bytes of the main window's background picture; empty for none.
  virtual std::string background_picture() = 0;
  virtual void apply_visual_style(int scheme) = 0;

  // Handles the window thread's queued events one by one until none is left; events
  // sent from other threads (result rows) are delivered meanwhile.
  virtual void pump_events() = 0;

  // Menus and shell.
  virtual void popup_result_menu() = 0;
  virtual std::string choose_folder(const std::string& prompt) = 0;
  virtual void shell_open(ShellAction action, const std::string& path) = 0;
  virtual void open_web_page(const std::string& address) = 0;
};

}  // namespace moxun
