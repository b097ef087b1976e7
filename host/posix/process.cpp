// Threads, lock, time and the program's ends on POSIX.
#include "host/process.h"

#include <pthread.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>

#include "host/thread_start.h"

namespace moxun {

namespace {

std::atomic<int> g_failing_thread_starts{0};

// Workers run a short loop over one file: a small stack keeps their creation cheap.
// The sanitizers need far more stack than the code itself.
#ifdef MOXUN_SANITIZED
constexpr std::size_t kWorkerStackBytes = 1024 * 1024;
#else
constexpr std::size_t kWorkerStackBytes = 128 * 1024;
#endif

void* thread_main(void* start) {
  thread_start::run(reinterpret_cast<std::uintptr_t>(start));
  return nullptr;
}

// Never destroyed: a worker that has counted itself finished still wakes the window
// thread, possibly while the process is already ending.
struct WakeUp {
  std::mutex mutex;
  std::condition_variable condition;
  bool woken = false;
};
WakeUp& wake_up() {
  static WakeUp* wake = new WakeUp;
  return *wake;
}

void (*g_exit_routine)() = nullptr;
void (*g_fatal_box)(const std::string&) = nullptr;

}  // namespace

bool start_thread(ThreadProc proc, int parameter, int /*priority*/) {
  // Raising a thread's priority needs privileges that an ordinary user lacks on POSIX;
  // workers run at the normal priority there.
  int failing = g_failing_thread_starts.load();
  while (failing > 0) {
    if (g_failing_thread_starts.compare_exchange_weak(failing, failing - 1)) return false;
  }
  const std::optional<std::uintptr_t> start = thread_start::pack(proc, parameter);
  if (!start) return false;
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) return false;
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  pthread_attr_setstacksize(&attributes, kWorkerStackBytes);
  pthread_t thread;
  const bool started =
      pthread_create(&thread, &attributes, thread_main, reinterpret_cast<void*>(*start)) == 0;
  pthread_attr_destroy(&attributes);
  return started;
}

void fail_next_thread_starts(int count) { g_failing_thread_starts.store(count); }

struct Lock::Impl {
  std::mutex mutex;
};
Lock::Lock() : impl_(std::make_unique<Impl>()) {}
Lock::~Lock() = default;
void Lock::take() { impl_->mutex.lock(); }
void Lock::give_back() { impl_->mutex.unlock(); }

void wake_window_thread() {
  WakeUp& wake = wake_up();
  {
    std::lock_guard<std::mutex> lock(wake.mutex);
    wake.woken = true;
  }
  wake.condition.notify_one();
}

void wait_for_wake_up(int timeout_ms) {
  WakeUp& wake = wake_up();
  std::unique_lock<std::mutex> lock(wake.mutex);
  wake.condition.wait_for(lock, std::chrono::milliseconds(timeout_ms < 0 ? 0 : timeout_ms),
                          [&] { return wake.woken; });
  wake.woken = false;
}

std::int32_t uptime_ms() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                  static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(ms));
}

void sleep_ms(int ms) {
  if (ms < 0) ms = 0;
  timespec delay{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&delay, &delay) != 0) {
  }
}

void beep() {}

int os_family() { return 0; }

void set_fatal_error_box(void (*show)(const std::string& text)) { g_fatal_box = show; }

[[noreturn]] static void fatal_exit(const std::string& text) {
  if (g_fatal_box != nullptr) g_fatal_box(text);
  std::fprintf(stderr, "墨寻: %s\n", text.c_str());
  std::fflush(stderr);
  _exit(-1);
}

void fatal_error(int code) { fatal_exit(fatal_error_text(code)); }
void fatal_allocation(std::int64_t bytes) { fatal_exit(fatal_allocation_text(bytes)); }

void set_exit_routine(void (*routine)()) { g_exit_routine = routine; }

void end_program(int exit_code) {
  if (void (*routine)() = g_exit_routine) {
    g_exit_routine = nullptr;
    routine();
  }
  std::fflush(nullptr);
  // Workers may still be running: the process ends without tearing down static state.
  _exit(exit_code);
}

}  // namespace moxun
