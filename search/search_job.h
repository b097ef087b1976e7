// The one process-wide search state, shared by the window thread and the workers.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/bytes.h"
#include "host/process.h"
#include "host/text.h"
#include "host/toolkit.h"

namespace moxun {

// Bytes a worker reads at a time, by the index of the chosen item of 组合框_单线内存.
inline constexpr std::array<int, 6> kChunkSizeChoices = {262144, 524288, 1048576,
                                                         2097152, 10485760, 1024};
// Worker slots, by the index of the chosen item of 组合框_最大线程组.
inline constexpr std::array<int, 5> kSlotCountChoices = {1, 2, 5, 10, 20};

inline constexpr char kSummaryStart[] = "  搜索完毕，总耗时";
inline constexpr char kSummaryMiddle[] = "毫秒。找到文件总数";
inline constexpr char kUnspellableTextHint[] =
    "  搜索文本中有本机代码页无法表示的字符，请修改后再搜索。";

// fatal_error code for an index outside a slot array or a settings table.
inline constexpr int kIndexOutOfRange = 9;

struct SearchJob {
  // The chosen folder, "" until one is chosen; ends with the path separator once set.
  Text search_folder;
  // Guards the increments of completed_count, and nothing else.
  std::unique_ptr<Lock> completion_lock;
  // Workers of the current batch that have finished. Workers add 1 under
  // completion_lock; the window thread reads it and sets it to 0 between batches.
  std::atomic<std::int32_t> completed_count{0};
  std::int32_t chunk_size = 0;
  std::int32_t slot_count = 0;
  std::int32_t listing_exhausted = 0;
  std::string needle_bytes;
  // Element s - 1 belongs to slot s.
  std::vector<Bytes> slot_buffers;
  std::vector<Text> slot_names;
  std::int32_t stop_requested = 0;

  // The folder of the running search, copied from search_folder when a driver begins:
  // workers read this one, so choosing another folder meanwhile affects only the next
  // search.
  Text run_folder;
  // Workers started in the current batch; wait_for_batch sets it back to 0. Workers
  // read it to tell whether they are the last of their batch.
  std::atomic<std::int32_t> started_count{0};
  WindowToolkit* toolkit = nullptr;

  Text& slot_name(int slot);
  Bytes& slot_buffer(int slot);
};

SearchJob& search_job();

// Once at program start, before the main window exists.
void init_search_job(WindowToolkit& toolkit);
// Makes completion_lock if it is not there yet (the main window's set-up calls it).
void create_completion_lock();
// Reads the settings from the window and makes the job ready for one run. Returns false
// when the search text holds a character the ANSI code page cannot spell.
bool prepare_search_job();
// The exit routine. Leaves the state alone while workers of a batch may still run:
// the process end takes it with them.
void release_search_job();
// One whole run, as the start button does it: prepare, the driver the check box picks,
// and the start and stop buttons back to idle.
void run_search_job();

// File matcher.
void worker_entry(int slot);
void match_slot_file(int slot);
// The row text for a slot name: the name with a leading folder removed once.
Text row_text(const Text& name, const Text& folder);

// Worker batches.
void start_worker(int slot);
void launch_slots(int n);
void wait_for_batch(int n);

// The two drivers, and the summary they both end with.
void search_single_folder();
void search_folder_tree();
void report_search_summary(std::int32_t start_time_ms);

}  // namespace moxun
