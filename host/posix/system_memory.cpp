// Large blocks on POSIX: anonymous private mappings.
#include "host/system_memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace moxun {

namespace {

constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;

std::size_t page_bytes() {
  static const std::size_t bytes = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  return bytes;
}

void* map_zero_pages(std::size_t n) {
  void* block = mmap(nullptr, n, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return block == MAP_FAILED ? nullptr : block;
}

}  // namespace

void* system_zero_block(std::size_t n) {
  if (n < kHugePageBytes) return map_zero_pages(n);
  // Map a huge page more than needed and give back what lies before the first huge-page
  // boundary and after the block, so that the block is made of whole huge pages.
  const std::size_t page = page_bytes();
  const std::size_t length = (n + page - 1) / page * page;
  auto* span = static_cast<unsigned char*>(map_zero_pages(length + kHugePageBytes));
  if (span == nullptr) return nullptr;
  const auto start = reinterpret_cast<std::uintptr_t>(span);
  const std::size_t head = ((start + kHugePageBytes - 1) & ~(kHugePageBytes - 1)) - start;
  unsigned char* block = span + head;
  if (head > 0) munmap(span, head);
  if (kHugePageBytes - head > 0) munmap(block + length, kHugePageBytes - head);
#ifdef MADV_HUGEPAGE
  // Only advice: without transparent huge pages the block is made of ordinary pages.
  madvise(block, length, MADV_HUGEPAGE);
#endif
  return block;
}

void release_system_block(void* block, std::size_t n) {
  if (block != nullptr) munmap(block, n);
}

}  // namespace moxun
