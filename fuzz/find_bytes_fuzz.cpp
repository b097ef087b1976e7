// find_bytes against a naive search, with every search kernel this processor has: the
// first byte of the input sets how much of the rest is the pattern, the remainder is
// the haystack.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "host/text.h"

namespace {

std::int64_t naive_find(std::string_view haystack, std::string_view pattern) {
  if (pattern.empty() || pattern.size() > haystack.size()) return -1;
  for (std::size_t at = 0; at + pattern.size() <= haystack.size(); ++at) {
    if (haystack.compare(at, pattern.size(), pattern) == 0) return static_cast<std::int64_t>(at) + 1;
  }
  return -1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::size_t pattern_size = data[0] % 64 < rest.size() ? data[0] % 64 : rest.size();
  const std::string_view pattern = rest.substr(0, pattern_size);
  const std::string_view haystack = rest.substr(pattern_size);
  const std::int64_t expected = naive_find(haystack, pattern);
  const auto* bytes = reinterpret_cast<const unsigned char*>(haystack.data());
  for (int kernel = 0; kernel <= 2; ++kernel) {
    if (moxun::limit_search_kernel(kernel) != kernel) continue;
    if (moxun::find_bytes(haystack, pattern) != expected) std::abort();
    const unsigned char* hit = moxun::search_bytes(bytes, haystack.size(),
                                                   reinterpret_cast<const unsigned char*>(pattern.data()),
                                                   pattern.size());
    if ((hit == nullptr) != (expected < 0)) std::abort();
    if (hit != nullptr && hit - bytes + 1 != expected) std::abort();
  }
  moxun::limit_search_kernel(2);
  return 0;
}
