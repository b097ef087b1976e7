// Threads, the completion lock, time, the default beep and the two ways the program
// ends abnormally.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace moxun {

// Relative priority of worker threads: above normal.
inline constexpr int kWorkerPriority = 1;

using ThreadProc = void (*)(int parameter);

// Starts a detached thread that runs proc(parameter), at the given relative priority
// when it is not 0. Nothing of the thread is kept and nothing is allocated for it.
// Returns false when the thread could not be created (or when more than a few distinct
// procedures have been started, which the program never does).
bool start_thread(ThreadProc proc, int parameter, int priority);

// Makes the next `count` calls of start_thread fail, as if the system had no resources
// left. For tests of the paths that handle that failure.
void fail_next_thread_starts(int count);

// A mutual-exclusion lock (a critical section on Windows). Not movable: it is used in
// place at one address for its whole life.
class Lock {
 public:
  Lock();
  ~Lock();
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;
  void take();
  void give_back();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The window thread's wake-up. Workers call wake_window_thread when they finish a file
// or need the window thread; wait_for_wake_up returns at the first of: a wake-up since
// the last wait, an event queued for the window thread (on Windows, any message), or
// the time-out.
void wake_window_thread();
void wait_for_wake_up(int timeout_ms);

// Milliseconds since system start, signed 32-bit, wrapping.
std::int32_t uptime_ms();
void sleep_ms(int ms);
void beep();
// 3 NT family, 2 Windows 9x, 1 Win32s, 0 other.
int os_family();

// Shows a modal error box (no owner) with the code and a one-line description, then
// ends the process with exit code -1 without running the exit routine.
[[noreturn]] void fatal_error(int code);
// The same end for memory that cannot be had, the box stating the bytes asked for.
[[noreturn]] void fatal_allocation(std::int64_t bytes);
// Replaces the error box, for tests that check how fatal_error ends the process.
void set_fatal_error_box(void (*show)(const std::string& text));
// The one-line text that the error box of fatal_error / fatal_allocation shows.
std::string fatal_error_text(int code);
std::string fatal_allocation_text(std::int64_t bytes);

// Registers the routine that end_program runs once before the process ends.
void set_exit_routine(void (*routine)());
// Runs the exit routine once, then ends the process with the exit code.
[[noreturn]] void end_program(int exit_code);

}  // namespace moxun
