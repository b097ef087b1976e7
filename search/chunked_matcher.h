// The file matcher's search of one file fed chunk by chunk, on its own so that it can
// be driven directly (by the fuzz targets among others).
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "host/text.h"

namespace moxun {

// Finds the pattern in a file read chunk by chunk into the slot's buffer. Each chunk is
// searched on its own and then the seam with the bytes before it: the last
// (pattern length - 1) bytes read so far, joined to the start of the new chunk. So an
// occurrence is found wherever it lies, also across chunks and when the pattern is
// longer than a chunk, while the worker holds one chunk plus about twice the pattern.
// The pattern's bytes must outlive the matcher.
class ChunkedMatcher {
 public:
  explicit ChunkedMatcher(const std::string& pattern)
      : pattern_(pattern), size_(pattern.size()), keep_(size_ == 0 ? 0 : size_ - 1) {
    // The seam lives in the matcher, on the worker's stack: only a very long pattern
    // needs a block of its own.
    if (2 * keep_ > sizeof local_seam_) long_seam_.resize(2 * keep_);
    seam_ = long_seam_.empty() ? local_seam_ : long_seam_.data();
  }
  ChunkedMatcher(const ChunkedMatcher&) = delete;
  ChunkedMatcher& operator=(const ChunkedMatcher&) = delete;

  bool feed(const unsigned char* chunk, std::size_t length) {
    if (size_ == 0 || length == 0) return false;
    if (pattern_.find(chunk, length) != nullptr) return true;
    if (keep_ == 0) return false;
    // The seam: what was kept from before, then up to keep_ bytes of this chunk.
    unsigned char* seam = seam_;
    const std::size_t head = length < keep_ ? length : keep_;
    std::memcpy(seam + kept_, chunk, head);
    const std::size_t seam_length = kept_ + head;
    if (kept_ > 0 && pattern_.find(seam, seam_length) != nullptr) return true;
    // Keep the last keep_ bytes of everything read so far.
    if (length >= keep_) {
      std::memcpy(seam, chunk + length - keep_, keep_);
      kept_ = keep_;
    } else {
      const std::size_t total = kept_ + length;
      const std::size_t drop = total > keep_ ? total - keep_ : 0;
      std::memmove(seam, seam + drop, total - drop);
      kept_ = total - drop;
    }
    return false;
  }

 private:
  BytePattern pattern_;
  std::size_t size_;
  std::size_t keep_;
  std::size_t kept_ = 0;
  unsigned char* seam_;
  unsigned char local_seam_[256];
  std::vector<unsigned char> long_seam_;
};

}  // namespace moxun
