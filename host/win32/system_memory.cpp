// Large blocks on Windows: committed pages of their own, which the system fills with
// zeros on first touch. (Large pages would need a privilege the program does not hold.)
#include "host/system_memory.h"

#include <windows.h>

namespace moxun {

void* system_zero_block(std::size_t n) {
  return VirtualAlloc(nullptr, n, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void release_system_block(void* block, std::size_t) {
  if (block != nullptr) VirtualFree(block, 0, MEM_RELEASE);
}

}  // namespace moxun
