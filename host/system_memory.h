// Large blocks of memory straight from the system, for the byte blocks that hold file
// chunks: always fresh zero pages that take memory only once touched, so an unused
// slot buffer costs nothing, also when the C runtime would hand out recycled heap
// memory that calloc must clear first. On POSIX, blocks of 2 MiB and more start on a
// huge-page boundary and ask for huge pages: a 10 MiB chunk buffer is then filled
// through five page faults instead of 2,560. Released blocks go back to the system.
#pragma once

#include <cstddef>

namespace moxun {

// n zero bytes, or nullptr when the system has no room for them.
void* system_zero_block(std::size_t n);
// Gives back a block of system_zero_block(n) with the same n.
void release_system_block(void* block, std::size_t n);

}  // namespace moxun
