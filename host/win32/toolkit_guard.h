// Keeps C++ exceptions from crossing back into Windows from a window procedure.
#pragma once

#include <windows.h>

#include <new>

#include "host/process.h"

namespace moxun {

// fatal_error code for an exception that reached a window procedure: nothing the
// program does throws except a failed allocation, and none may unwind through the
// system's message dispatch.
inline constexpr int kInternalFault = 1;

template <typename Handler>
LRESULT without_exceptions(Handler&& handler) noexcept {
  try {
    return handler();
  } catch (const std::bad_alloc&) {
    fatal_allocation(0);
  } catch (...) {
    fatal_error(kInternalFault);
  }
}

}  // namespace moxun
