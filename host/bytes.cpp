#include "host/bytes.h"

#include <atomic>
#include <new>

#include "host/process.h"
#include "host/system_memory.h"

namespace moxun {

namespace {

std::atomic<std::int64_t> g_allocation_limit{-1};

bool over_limit(std::int64_t n) {
  const std::int64_t limit = g_allocation_limit.load(std::memory_order_relaxed);
  return limit >= 0 && n > limit;
}

}  // namespace

void fail_allocations_above(std::int64_t bytes) { g_allocation_limit.store(bytes); }

constexpr std::int64_t kSystemBlockBytes = 256 * 1024;

void Bytes::Release::operator()(unsigned char* p) const {
  if (system_block_size > 0) {
    release_system_block(p, system_block_size);
  } else {
    std::free(p);
  }
}

Bytes zero_bytes(std::int64_t n) {
  Bytes block;
  if (n <= 0) return block;
  const auto size = static_cast<std::size_t>(n);
  const bool from_system = n >= kSystemBlockBytes;
  void* memory = nullptr;
  if (!over_limit(n)) memory = from_system ? system_zero_block(size) : std::calloc(size, 1);
  if (memory == nullptr) fatal_allocation(n);
  block.data_ = std::unique_ptr<unsigned char[], Bytes::Release>(static_cast<unsigned char*>(memory),
                                                                 Bytes::Release{from_system ? size : 0});
  block.size_ = n;
  return block;
}

}  // namespace moxun

// Texts and every other object get their memory here too, so that a request that
// cannot be met ends the program with the allocation-failure report, from whatever
// thread, instead of an exception that no caller handles. The sanitizers bring their
// own allocator and report exhaustion themselves.
#ifndef MOXUN_SANITIZED

namespace {

std::atomic<bool> g_out_of_memory{false};

void* allocate(std::size_t size) {
  if (moxun::over_limit(static_cast<std::int64_t>(size))) return nullptr;
  return std::malloc(size == 0 ? 1 : size);
}

}  // namespace

void* operator new(std::size_t size) {
  if (void* memory = allocate(size)) return memory;
  // The report itself needs a little memory; should that fail too, end at once.
  if (g_out_of_memory.exchange(true)) std::_Exit(-1);
  moxun::fatal_allocation(static_cast<std::int64_t>(size));
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }

#endif
