#include "host/files.h"
#include "search/search_job.h"

namespace moxun {


void search_single_folder() {
  SearchJob& job = search_job();
  WindowToolkit& window = *job.toolkit;
  job.run_folder = job.search_folder;
  FolderListing listing;
  job.slot_name(1) = listing.begin(job.run_folder, kArchive);
  const std::int32_t start_time_ms = uptime_ms();
  if (!job.slot_name(1).empty()) {
    match_slot_file(1);
    job.completed_count = 0;
  }
  int launched_count = 0;
  while (job.listing_exhausted != 1) {
    const int slots = job.slot_count;
    for (int slot = 1; slot <= slots; ++slot) {
      job.slot_name(slot) = listing.next(kArchive);
      if (job.slot_name(slot).empty()) {
        job.listing_exhausted = 1;
        continue;
      }
      start_worker(slot);
      ++launched_count;
      window.pump_events();
    }
    wait_for_batch(launched_count);
    launched_count = 0;
    if (job.stop_requested == 1) {
      job.stop_requested = 0;
      break;
    }
  }
  report_search_summary(start_time_ms);
  listing.release();
}

}  // namespace moxun
