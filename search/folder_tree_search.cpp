#include <algorithm>
#include <optional>
#include <vector>

#include "host/files.h"
#include "search/search_job.h"
#include "search/text_list.h"

namespace moxun {

namespace {

// The folders on the path from the chosen folder down to the one being searched, by
// identity. A folder whose identity is already on its own path was reached through a
// link, junction or mount that loops back: walking it again would never end.
class AncestorChain {
 public:
  // Whether the folder at this depth (0 for the chosen folder) closes a loop; if not,
  // it becomes the last folder of the chain.
  bool loops(const Text& folder, int depth) {
    chain_.resize(std::min(chain_.size(), static_cast<std::size_t>(depth)));
    const std::optional<FolderIdentity> identity = folder_identity(folder);
    if (identity && std::find(chain_.begin(), chain_.end(), identity) != chain_.end()) return true;
    chain_.push_back(identity);
    return false;
  }

 private:
  std::vector<std::optional<FolderIdentity>> chain_;
};

// A slot's name becomes the folder followed by the file name, built in the slot's own
// text: once the first batches have run, a slot has room for most paths and handing
// out a file allocates nothing.
void place_in_slot(Text& slot, const Text& folder, const Text& name) {
  slot.assign(folder);
  slot += name;
}

}  // namespace

void search_folder_tree() {
  SearchJob& job = search_job();
  WindowToolkit& window = *job.toolkit;
  job.run_folder = job.search_folder;
  TextList work_list;
  work_list.add(job.run_folder);
  // Depth of each entry of work_list, kept in step with it.
  std::vector<int> depths{0};
  AncestorChain ancestors;
  const std::int32_t start_time_ms = uptime_ms();
  FolderListing listing;
  int fill_count = 0;
  std::int32_t files_listed = 0;
  while (work_list.count() > 0) {
    Text folder = work_list.take_last();
    const int depth = depths.back();
    depths.pop_back();
    if (text_right(folder, 1) != kPathSeparatorText) folder += kPathSeparator;
    if (ancestors.loops(folder, depth)) continue;

    for (Text name = listing.begin(folder, kFolder); !name.empty(); name = listing.next(kFolder)) {
      if (name != "." && name != "..") {
        work_list.add(folder + name);
        depths.push_back(depth + 1);
      }
    }
    window.pump_events();

    for (Text name = listing.begin(folder, kNoMask); !name.empty();) {
      if (fill_count < job.slot_count) {
        ++fill_count;
        place_in_slot(job.slot_name(fill_count), folder, name);
      } else {
        launch_slots(job.slot_count);
        wait_for_batch(job.slot_count);
        fill_count = 1;
        place_in_slot(job.slot_name(1), folder, name);
      }
      ++files_listed;
      window.set_status_text(1, int_to_text(files_listed));
      name = listing.next(kNoMask);
      if (job.stop_requested == 1) break;
    }
    if (job.stop_requested == 1) {
      job.stop_requested = 0;
      break;
    }
  }
  launch_slots(fill_count);
  wait_for_batch(fill_count);
  fill_count = 0;
  report_search_summary(start_time_ms);
  listing.release();
}

}  // namespace moxun
