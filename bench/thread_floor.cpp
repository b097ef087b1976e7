// The cost that no search of a tree of N files can undercut with this design: one new
// thread per file, started as the engine starts its workers, in batches of up to 20
// that are waited for as the engine waits for them, each thread doing nothing but
// counting itself finished. No listing, no file opened. scripts/bench sets it beside
// the searches.
//
//   moxun-thread-floor FILES [BATCH]
#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "host/process.h"

namespace {

using namespace moxun;

std::atomic<int> g_finished{0};
std::atomic<int> g_started{0};

void count_finished(int) {
  // As the engine's workers: only the batch's last one wakes the waiting thread.
  if (g_finished.fetch_add(1) + 1 >= g_started.load()) wake_window_thread();
}

}  // namespace

int main(int argc, char** argv) {
  const int files = argc > 1 ? std::atoi(argv[1]) : 0;
  const int batch = argc > 2 ? std::atoi(argv[2]) : 20;
  if (files < 0 || batch < 1) {
    std::fprintf(stderr, "usage: moxun-thread-floor FILES [BATCH]\n");
    return 2;
  }
  const std::int32_t start = uptime_ms();
  for (int first = 0; first < files; first += batch) {
    const int n = files - first < batch ? files - first : batch;
    for (int slot = 1; slot <= n; ++slot) {
      g_started.fetch_add(1);
      if (!start_thread(count_finished, slot, kWorkerPriority)) count_finished(slot);
    }
    while (g_finished.load() < n) wait_for_wake_up(10);
    g_finished = 0;
    g_started = 0;
  }
  std::fprintf(stderr, "elapsed_ms=%d threads=%d\n", static_cast<int>(uptime_ms() - start), files);
  return 0;
}
