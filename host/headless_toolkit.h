// The window toolkit without a window: controls, results list and status bar held in
// memory, and an event queue that the window thread empties in pump_events. Rows added
// from worker threads wait in the queue until the window thread next pumps, exactly as
// a cross-thread message to a real list would. Used by the engine tests and the bench.
#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/toolkit.h"

namespace moxun {

class HeadlessToolkit final : public WindowToolkit {
 public:
  // The thread that makes the toolkit is its window thread.
  HeadlessToolkit();

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
  void apply_visual_style(int scheme) override;
  void pump_events() override;
  void popup_result_menu() override;
  std::string choose_folder(const std::string& prompt) override;
  void shell_open(ShellAction action, const std::string& path) override;
  void open_web_page(const std::string& address) override;

  // What a user does, as the window's own settings.
  void set_checked(Control check_box, bool checked);
  void set_combo_selection(Control combo_box, int index);
  void select_result(int row);
  bool is_disabled(Control control) const;
  std::string status_text(int panel) const;
  const std::vector<std::string>& rows() const { return rows_; }

  // Queues an action for the window thread's next pump (from any thread), as a click
  // would be queued.
  void post(std::function<void()> action);
  // Runs on the window thread at the start of every pump_events call.
  void on_pump(std::function<void()> hook) { on_pump_ = std::move(hook); }
  int pump_count() const { return pump_count_; }

  // The longest stretch between two pumps (or from reset_pump_gaps to the first pump,
  // when count_first is set), in milliseconds.
  void reset_pump_gaps();
  std::int64_t max_pump_gap_ms(bool count_first) const;

  struct ShellRequest {
    ShellAction action;
    std::string path;
  };
  const std::vector<ShellRequest>& shell_requests() const { return shell_requests_; }
  const std::vector<std::string>& web_pages() const { return web_pages_; }
  // Answers of the next choose_folder calls, in order ("" when none is left: cancel).
  void answer_choose_folder(std::string folder) { folder_answers_.push_back(std::move(folder)); }

 private:
  bool on_window_thread() const { return std::this_thread::get_id() == window_thread_; }
  int append_row(const std::string& text);

  std::thread::id window_thread_;
  std::vector<std::string> rows_;
  int selected_ = -1;
  std::array<std::string, 2> status_;
  std::array<bool, kControlCount> disabled_{};
  bool subfolders_checked_ = true;
  int thread_choice_ = 4;
  int chunk_choice_ = 0;
  std::string path_box_ = "C:\\";
  std::string search_box_;

  mutable std::mutex queue_mutex_;
  std::condition_variable row_done_;
  // Rows from workers and posted actions, in the order they arrived.
  std::deque<std::function<void()>> queue_;

  std::function<void()> on_pump_;
  int pump_count_ = 0;
  std::int64_t last_pump_us_ = 0;
  std::int64_t max_gap_us_ = 0;
  std::int64_t first_gap_us_ = -1;

  std::vector<ShellRequest> shell_requests_;
  std::vector<std::string> web_pages_;
  std::deque<std::string> folder_answers_;
};

}  // namespace moxun
