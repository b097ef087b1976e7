// Threads, lock, time and the program's ends on Windows.
#include "host/process.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <optional>

#include "host/thread_start.h"
#include "host/win32/wide.h"

namespace moxun {

namespace {

std::atomic<int> g_failing_thread_starts{0};

// Workers run a short loop over one file: a small stack reservation keeps their
// creation cheap.
constexpr SIZE_T kWorkerStackBytes = 64 * 1024;

DWORD WINAPI thread_main(LPVOID start) {
  thread_start::run(reinterpret_cast<std::uintptr_t>(start));
  return 0;
}

HANDLE wake_event() {
  // Auto-reset: one wait consumes one or more wake-ups.
  static HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  return event;
}

void (*g_exit_routine)() = nullptr;
void (*g_fatal_box)(const std::string&) = nullptr;

[[noreturn]] void fatal_exit(const std::string& text) {
  if (g_fatal_box != nullptr) {
    g_fatal_box(text);
  } else {
    MessageBoxW(nullptr, to_wide(text).c_str(), L"墨寻", MB_OK | MB_ICONERROR | MB_TASKMODAL);
  }
  std::fflush(nullptr);
  ExitProcess(static_cast<UINT>(-1));
}

}  // namespace

bool start_thread(ThreadProc proc, int parameter, int priority) {
  int failing = g_failing_thread_starts.load();
  while (failing > 0) {
    if (g_failing_thread_starts.compare_exchange_weak(failing, failing - 1)) return false;
  }
  const std::optional<std::uintptr_t> start = thread_start::pack(proc, parameter);
  if (!start) return false;
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, kWorkerStackBytes, thread_main, reinterpret_cast<LPVOID>(*start),
                               STACK_SIZE_PARAM_IS_A_RESERVATION, &id);
  if (thread == nullptr) return false;
  if (priority != 0) SetThreadPriority(thread, priority);
  CloseHandle(thread);
  return true;
}

void fail_next_thread_starts(int count) { g_failing_thread_starts.store(count); }

struct Lock::Impl {
  CRITICAL_SECTION section;
};
Lock::Lock() : impl_(std::make_unique<Impl>()) { InitializeCriticalSection(&impl_->section); }
Lock::~Lock() { DeleteCriticalSection(&impl_->section); }
void Lock::take() { EnterCriticalSection(&impl_->section); }
void Lock::give_back() { LeaveCriticalSection(&impl_->section); }

void wake_window_thread() { SetEvent(wake_event()); }

void wait_for_wake_up(int timeout_ms) {
  HANDLE event = wake_event();
  // MWMO_INPUTAVAILABLE: also return for messages that arrived before the call and
  // are still queued, such as a row a worker is waiting to have added.
  MsgWaitForMultipleObjectsEx(1, &event, static_cast<DWORD>(timeout_ms < 0 ? 0 : timeout_ms), QS_ALLINPUT,
                              MWMO_INPUTAVAILABLE);
}

std::int32_t uptime_ms() { return static_cast<std::int32_t>(GetTickCount()); }

void sleep_ms(int ms) { Sleep(static_cast<DWORD>(ms < 0 ? 0 : ms)); }

void beep() { MessageBeep(MB_OK); }

// The program uses the Unicode API throughout, which only the NT family has.
int os_family() { return 3; }

void set_fatal_error_box(void (*show)(const std::string& text)) { g_fatal_box = show; }

void fatal_error(int code) { fatal_exit(fatal_error_text(code)); }
void fatal_allocation(std::int64_t bytes) { fatal_exit(fatal_allocation_text(bytes)); }

void set_exit_routine(void (*routine)()) { g_exit_routine = routine; }

void end_program(int exit_code) {
  if (void (*routine)() = g_exit_routine) {
    g_exit_routine = nullptr;
    routine();
  }
  std::fflush(nullptr);
  // Workers may still be running; ExitProcess ends them with the process.
  ExitProcess(static_cast<UINT>(exit_code));
}

}  // namespace moxun
