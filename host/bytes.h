// Byte blocks of the search job: zero-filled, sized once, owned by their holder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace moxun {

class Bytes {
 public:
  Bytes() = default;
  unsigned char* data() { return data_.get(); }
  const unsigned char* data() const { return data_.get(); }
  std::int64_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  friend Bytes zero_bytes(std::int64_t n);

 private:
  // Gives a block back where it came from: the system for a large block (its size
  // recorded here), the C runtime otherwise.
  struct Release {
    std::size_t system_block_size;  // 0 for a block from the C runtime
    void operator()(unsigned char* p) const;
  };
  std::unique_ptr<unsigned char[], Release> data_;
  std::int64_t size_ = 0;
};

// n zero bytes (empty for n <= 0). Blocks of a chunk's size (256 KiB and more) come
// straight from the system as fresh zero pages that cost nothing until touched (see
// host/system_memory.h); smaller ones from calloc. No memory ends the program with the
// allocation-failure report.
Bytes zero_bytes(std::int64_t n);

// Makes every later request for more than `bytes` bytes of memory fail, as if the
// system had none left: zero_bytes, and in builds without sanitizers every other
// allocation too. A negative limit lifts it. For tests of the allocation-failure end.
void fail_allocations_above(std::int64_t bytes);

}  // namespace moxun
