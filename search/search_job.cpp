#include "search/search_job.h"

#include <cstddef>

namespace moxun {

namespace {

SearchJob& the_job() {
  // Never destroyed: workers that are still winding down when the process ends must
  // not meet a destroyed job.
  static SearchJob* job = new SearchJob;
  return *job;
}

template <typename Table>
int chosen_setting(const Table& table, int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= table.size()) fatal_error(kIndexOutOfRange);
  return table[static_cast<std::size_t>(index)];
}

}  // namespace

SearchJob& search_job() { return the_job(); }

Text& SearchJob::slot_name(int slot) {
  if (slot < 1 || slot > static_cast<int>(slot_names.size())) fatal_error(kIndexOutOfRange);
  return slot_names[static_cast<std::size_t>(slot - 1)];
}

Bytes& SearchJob::slot_buffer(int slot) {
  if (slot < 1 || slot > static_cast<int>(slot_buffers.size())) fatal_error(kIndexOutOfRange);
  return slot_buffers[static_cast<std::size_t>(slot - 1)];
}

void init_search_job(WindowToolkit& toolkit) {
  SearchJob& job = the_job();
  job.toolkit = &toolkit;
  job.slot_buffers.clear();
  job.slot_names.clear();
  job.search_folder.clear();
  job.run_folder.clear();
  job.needle_bytes.clear();
  job.completed_count = 0;
  job.chunk_size = 0;
  job.slot_count = 0;
  job.listing_exhausted = 0;
  job.stop_requested = 0;
  job.started_count = 0;
}

void create_completion_lock() {
  SearchJob& job = the_job();
  if (!job.completion_lock) job.completion_lock = std::make_unique<Lock>();
}

bool prepare_search_job() {
  SearchJob& job = the_job();
  WindowToolkit& window = *job.toolkit;
  create_completion_lock();
  window.set_disabled(Control::图形按钮停止, false);
  window.set_disabled(Control::图形按钮开始, true);
  job.completed_count = 0;
  job.chunk_size = chosen_setting(kChunkSizeChoices, window.combo_selection(Control::组合框_单线内存));
  job.slot_count = chosen_setting(kSlotCountChoices, window.combo_selection(Control::组合框_最大线程组));
  job.listing_exhausted = 0;
  // A stop belongs to the search it was pressed in: one pressed while no search ran
  // must not cut this one short.
  job.stop_requested = 0;
  std::optional<std::string> needle = text_to_bytes(window.edit_text(Control::文本查找框));
  job.needle_bytes = needle.value_or(std::string());
  job.slot_buffers.clear();
  job.slot_buffers.resize(static_cast<std::size_t>(job.slot_count));
  for (Bytes& buffer : job.slot_buffers) buffer = zero_bytes(job.chunk_size);
  job.slot_names.clear();
  job.slot_names.resize(static_cast<std::size_t>(job.slot_count));
  window.clear_results();
  return needle.has_value();
}

void release_search_job() {
  SearchJob& job = the_job();
  // A close during a search ends the process while workers may still read the job's
  // folder, pattern, slots and lock; those go with the process.
  if (job.completed_count.load() < job.started_count) return;
  job.search_folder.clear();
  job.search_folder.shrink_to_fit();
  job.needle_bytes.clear();
  job.needle_bytes.shrink_to_fit();
  job.slot_buffers.clear();
  job.slot_buffers.shrink_to_fit();
  job.slot_names.clear();
  job.slot_names.shrink_to_fit();
}

void report_search_summary(std::int32_t start_time_ms) {
  WindowToolkit& window = *the_job().toolkit;
  // The difference of two wrapping 32-bit readings.
  const auto elapsed = static_cast<std::int32_t>(static_cast<std::uint32_t>(uptime_ms()) -
                                                 static_cast<std::uint32_t>(start_time_ms));
  const int found = window.result_count();
  beep();
  window.set_status_text(0, std::string(kSummaryStart) + int_to_text(elapsed) + kSummaryMiddle +
                                int_to_text(found));
}

void run_search_job() {
  SearchJob& job = the_job();
  WindowToolkit& window = *job.toolkit;
  if (prepare_search_job()) {
    if (window.is_checked(Control::选择框_含子目录)) {
      search_folder_tree();
    } else {
      search_single_folder();
    }
  } else {
    window.set_status_text(0, kUnspellableTextHint);
  }
  window.set_disabled(Control::图形按钮停止, true);
  window.set_disabled(Control::图形按钮开始, false);
}

}  // namespace moxun
