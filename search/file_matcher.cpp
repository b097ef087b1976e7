#include <algorithm>
#include <cstring>
#include <vector>

#include "host/files.h"
#include "search/chunked_matcher.h"
#include "search/search_job.h"

namespace moxun {

namespace {

// The most read and searched at a time. A chunk read whole by one call that is larger
// than the processor's cache has left the cache again by the time it is searched, and a
// search of large files with 10M chunks read whole took nearly twice as long as with
// 256K ones. So a larger chunk is read into the head of the slot's buffer a piece
// of this size at a time, each piece searched as it lands; the results are the same,
// as the matcher finds the text across the seams, and the worker touches less memory
// than its chunk allows.
constexpr std::int64_t kLargestRead = 256 * 1024;

void count_finished(SearchJob& job) {
  job.completion_lock->take();
  const std::int32_t finished = job.completed_count.fetch_add(1) + 1;
  job.completion_lock->give_back();
  // Only the batch's last worker wakes the window thread, which has nothing to do for
  // the others: one wake-up a batch instead of one a file. (A worker whose row needs
  // the window thread wakes it through the toolkit.) The window thread counts a worker
  // as started before the worker exists, so the last one to finish sees the whole
  // batch started.
  if (finished >= job.started_count.load()) wake_window_thread();
}

}  // namespace

Text row_text(const Text& name, const Text& folder) {
  if (!folder.empty() && starts_with_prefix(name, folder, kFileNamesFoldCase)) {
    return name.substr(folder.size());
  }
  return name;
}

void match_slot_file(int slot) {
  SearchJob& job = search_job();
  // The window thread writes this slot's name only once this worker has counted itself
  // finished, so the name is read in place.
  const Text& name = job.slot_name(slot);
  Bytes& buffer = job.slot_buffer(slot);
  {
    File file;
    if (find_text(name, kPathSeparatorText) <= 0) {
      file.open(job.run_folder + name);
    } else {
      file.open(name);
    }
    ChunkedMatcher matcher(job.needle_bytes);
    const std::int64_t chunk = std::min(std::min<std::int64_t>(job.chunk_size, buffer.size()), kLargestRead);
    while (chunk > 0 && !file.at_end()) {
      const std::int64_t got = file.read_into(buffer.data(), chunk);
      if (matcher.feed(buffer.data(), static_cast<std::size_t>(got))) {
        job.toolkit->add_result_row(row_text(name, job.run_folder));
        break;
      }
    }
  }
  count_finished(job);
}

void worker_entry(int slot) { match_slot_file(slot); }

}  // namespace moxun
