#include "host/headless_toolkit.h"

#include <chrono>

#include "host/process.h"

namespace moxun {

namespace {

std::int64_t now_us() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

HeadlessToolkit::HeadlessToolkit() : window_thread_(std::this_thread::get_id()) {
  reset_pump_gaps();
}

int HeadlessToolkit::append_row(const std::string& text) {
  rows_.push_back(text);
  return static_cast<int>(rows_.size()) - 1;
}

int HeadlessToolkit::add_result_row(const std::string& text) {
  if (on_window_thread()) return append_row(text);
  // Wait, as a sent message waits, until the window thread has put the row in.
  int index = -1;
  bool done = false;
  std::unique_lock<std::mutex> lock(queue_mutex_);
  queue_.push_back([&] {
    index = append_row(text);
    std::lock_guard<std::mutex> signal(queue_mutex_);
    done = true;
    row_done_.notify_all();
  });
  wake_window_thread();
  row_done_.wait(lock, [&] { return done; });
  return index;
}

void HeadlessToolkit::clear_results() {
  rows_.clear();
  selected_ = -1;
}

int HeadlessToolkit::result_count() { return static_cast<int>(rows_.size()); }
int HeadlessToolkit::selected_result() { return selected_; }

std::string HeadlessToolkit::result_text(int row) {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return {};
  return rows_[static_cast<std::size_t>(row)];
}

void HeadlessToolkit::select_result(int row) {
  selected_ = (row >= 0 && row < static_cast<int>(rows_.size())) ? row : -1;
}

void HeadlessToolkit::set_status_text(int panel, const std::string& text) {
  if (panel >= 0 && panel < static_cast<int>(status_.size())) status_[static_cast<std::size_t>(panel)] = text;
}

std::string HeadlessToolkit::status_text(int panel) const {
  if (panel < 0 || panel >= static_cast<int>(status_.size())) return {};
  return status_[static_cast<std::size_t>(panel)];
}

void HeadlessToolkit::set_disabled(Control control, bool disabled) {
  disabled_[static_cast<std::size_t>(control)] = disabled;
}

bool HeadlessToolkit::is_disabled(Control control) const {
  return disabled_[static_cast<std::size_t>(control)];
}

bool HeadlessToolkit::is_checked(Control check_box) {
  return check_box == Control::选择框_含子目录 && subfolders_checked_;
}

void HeadlessToolkit::set_checked(Control check_box, bool checked) {
  if (check_box == Control::选择框_含子目录) subfolders_checked_ = checked;
}

int HeadlessToolkit::combo_selection(Control combo_box) {
  if (combo_box == Control::组合框_最大线程组) return thread_choice_;
  if (combo_box == Control::组合框_单线内存) return chunk_choice_;
  return -1;
}

void HeadlessToolkit::set_combo_selection(Control combo_box, int index) {
  if (combo_box == Control::组合框_最大线程组) thread_choice_ = index;
  if (combo_box == Control::组合框_单线内存) chunk_choice_ = index;
}

std::string HeadlessToolkit::edit_text(Control edit_box) {
  if (edit_box == Control::文本查找框) return search_box_;
  if (edit_box == Control::编辑框_目录路径) return path_box_;
  return {};
}

void HeadlessToolkit::set_edit_text(Control edit_box, const std::string& text) {
  if (edit_box == Control::文本查找框) search_box_ = text;
  if (edit_box == Control::编辑框_目录路径) path_box_ = text;
}

Bounds HeadlessToolkit::control_bounds(Control) { return {}; }
void HeadlessToolkit::set_button_face(Control, Face, std::span<const std::uint8_t>) {}
std::optional<Colour> HeadlessToolkit::button_transparent_colour(Control) {
  return Colour{255, 0, 255};
}
std::string HeadlessToolkit::background_picture() { return {}; }
void HeadlessToolkit::apply_visual_style(int) {}

void HeadlessToolkit::post(std::function<void()> action) {
  {
    std::lock_guard<std::mutex> lock(queue_mutex_);
    queue_.push_back(std::move(action));
  }
  wake_window_thread();
}

void HeadlessToolkit::pump_events() {
  const std::int64_t now = now_us();
  const std::int64_t gap = now - last_pump_us_;
  if (first_gap_us_ < 0) {
    first_gap_us_ = gap;
  } else if (gap > max_gap_us_) {
    max_gap_us_ = gap;
  }
  last_pump_us_ = now;
  ++pump_count_;
  if (on_pump_) on_pump_();
  for (;;) {
    std::function<void()> next;
    {
      std::lock_guard<std::mutex> lock(queue_mutex_);
      if (queue_.empty()) break;
      next = std::move(queue_.front());
      queue_.pop_front();
    }
    next();
  }
}

void HeadlessToolkit::reset_pump_gaps() {
  last_pump_us_ = now_us();
  max_gap_us_ = 0;
  first_gap_us_ = -1;
}

std::int64_t HeadlessToolkit::max_pump_gap_ms(bool count_first) const {
  // A run that has not pumped yet: the whole time since the reset is one gap.
  const std::int64_t first = first_gap_us_ < 0 ? now_us() - last_pump_us_ : first_gap_us_;
  const std::int64_t since_last = now_us() - last_pump_us_;
  std::int64_t longest = max_gap_us_;
  if (count_first && first > longest) longest = first;
  if (first_gap_us_ >= 0 && since_last > longest) longest = since_last;
  return longest / 1000;
}

void HeadlessToolkit::popup_result_menu() {}

std::string HeadlessToolkit::choose_folder(const std::string&) {
  if (folder_answers_.empty()) return {};
  std::string answer = std::move(folder_answers_.front());
  folder_answers_.pop_front();
  return answer;
}

void HeadlessToolkit::shell_open(ShellAction action, const std::string& path) {
  shell_requests_.push_back({action, path});
}

void HeadlessToolkit::open_web_page(const std::string& address) { web_pages_.push_back(address); }

}  // namespace moxun
