#include "host/bytes.h"

#include "host/process.h"

namespace moxun {

Bytes zero_bytes(std::int64_t n) {
  Bytes block;
  if (n <= 0) return block;
  void* memory = std::calloc(static_cast<std::size_t>(n), 1);
  if (memory == nullptr) fatal_allocation(n);
  block.data_.reset(static_cast<unsigned char*>(memory));
  block.size_ = n;
  return block;
}

}  // namespace moxun
