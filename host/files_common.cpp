#include "host/files.h"

#include <algorithm>

namespace moxun {

bool mask_admits(int mask, int attributes) {
  constexpr int kKnownBits = kReadOnly | kHidden | kSystem | kFolder | kArchive;
  if (mask == kNoMask) return (attributes & kFolder) == 0;
  return (mask & attributes & kKnownBits) != 0;
}

Bytes File::read_bytes(std::int64_t n) {
  if (n <= 0 || !is_open()) return {};
  Bytes block = zero_bytes(n);
  const std::int64_t got = read_into(block.data(), n);
  if (got == n) return block;
  // A shorter last chunk: a block of exactly the bytes read.
  Bytes exact = zero_bytes(got);
  if (got > 0) std::copy(block.data(), block.data() + got, exact.data());
  return exact;
}

}  // namespace moxun
