// What a new thread starts with, for the thread backends: its procedure and parameter
// packed into the one pointer-sized value the system hands a new thread, so that
// starting a thread allocates nothing. The procedure is kept as its index in a small
// table of the procedures started so far (the program starts only one).
#pragma once

#include <atomic>
#include <cstdint>
#include <iterator>
#include <optional>

#include "host/process.h"

namespace moxun::thread_start {

inline constexpr int kIndexBits = 3;
inline constexpr std::uintptr_t kIndexMask = (std::uintptr_t{1} << kIndexBits) - 1;
inline std::atomic<ThreadProc> g_procedures[std::size_t{1} << kIndexBits];

// The start value for proc and parameter, or nothing when the table is full or, with
// 32-bit pointers, the parameter does not fit beside the index.
inline std::optional<std::uintptr_t> pack(ThreadProc proc, int parameter) {
  const auto bits = static_cast<std::uint32_t>(parameter);
  if (sizeof(std::uintptr_t) * 8 < 32 + kIndexBits && (bits >> (32 - kIndexBits)) != 0) return std::nullopt;
  for (std::uintptr_t index = 0; index < std::size(g_procedures); ++index) {
    ThreadProc known = g_procedures[index].load();
    if (known == nullptr && g_procedures[index].compare_exchange_strong(known, proc)) known = proc;
    if (known == proc) return (static_cast<std::uintptr_t>(bits) << kIndexBits) | index;
  }
  return std::nullopt;
}

// Runs the procedure of a start value with its parameter; on the new thread.
inline void run(std::uintptr_t value) {
  const ThreadProc proc = g_procedures[value & kIndexMask].load();
  proc(static_cast<int>(static_cast<std::uint32_t>(value >> kIndexBits)));
}

}  // namespace moxun::thread_start
