#include "search/search_job.h"

namespace moxun {

void start_worker(int slot) {
  SearchJob& job = search_job();
  ++job.started_count;
  // A worker that cannot be started would never count itself finished and the batch
  // would wait forever: its file is examined here instead.
  if (!start_thread(worker_entry, slot, kWorkerPriority)) match_slot_file(slot);
}

void launch_slots(int n) {
  SearchJob& job = search_job();
  for (int slot = 1; slot <= n; ++slot) {
    start_worker(slot);
    job.toolkit->pump_events();
  }
}

void wait_for_batch(int n) {
  SearchJob& job = search_job();
  // Wakes as soon as the batch's last worker finishes or the window has something to
  // do, and pumps at least every 10 ms, so a finished batch costs no sleep.
  while (job.completed_count.load() < n) {
    wait_for_wake_up(10);
    job.toolkit->pump_events();
  }
  job.completed_count = 0;
  job.started_count = 0;
}

}  // namespace moxun
