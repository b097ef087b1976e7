// The chunked matcher against a search of the whole file: fed any file bytes in chunks
// of any sizes (a short read may give fewer bytes than asked for), it reports a hit
// exactly when the whole file holds the pattern, and never before the chunk that
// completes the first occurrence.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "search/chunked_matcher.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  // Any of the search kernels this processor has (the widest when it lacks one).
  moxun::limit_search_kernel(input.ConsumeIntegralInRange<int>(0, 2));
  const std::size_t chunk = input.ConsumeIntegralInRange<std::size_t>(1, 300);
  const bool short_reads = input.ConsumeBool();
  // Small alphabets make near misses and repeated prefixes common.
  const std::uint8_t alphabet = input.ConsumeIntegralInRange<std::uint8_t>(1, 255);
  std::string pattern = input.ConsumeRandomLengthString(600);
  std::vector<std::uint8_t> lengths;
  if (short_reads) lengths = input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange<std::size_t>(1, 32));
  std::string file = input.ConsumeRemainingBytesAsString();
  if (alphabet < 255) {
    for (char& c : pattern) c = static_cast<char>(static_cast<std::uint8_t>(c) % (alphabet + 1));
    for (char& c : file) c = static_cast<char>(static_cast<std::uint8_t>(c) % (alphabet + 1));
  }
  const std::size_t first = pattern.empty() ? std::string::npos : file.find(pattern);
  // The first occurrence ends at this many bytes into the file.
  const std::size_t needed = first == std::string::npos ? std::string::npos : first + pattern.size();

  moxun::ChunkedMatcher matcher(pattern);
  std::vector<unsigned char> buffer(chunk);
  std::size_t fed = 0;
  std::size_t read = 0;
  std::size_t last_length = 0;
  bool found = false;
  while (fed < file.size()) {
    std::size_t length = chunk;
    if (short_reads) length = 1 + lengths[read++ % lengths.size()] % chunk;
    if (length > file.size() - fed) length = file.size() - fed;
    // The matcher reads from the slot's buffer, which the next chunk overwrites.
    std::copy(file.begin() + static_cast<std::ptrdiff_t>(fed),
              file.begin() + static_cast<std::ptrdiff_t>(fed + length), buffer.begin());
    std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(length), buffer.end(), 0xA5);
    fed += length;
    last_length = length;
    if (matcher.feed(buffer.data(), length)) {
      found = true;
      break;
    }
  }
  if (found != (needed != std::string::npos)) std::abort();
  // Reported at the chunk that completes the first occurrence, not later or earlier.
  if (found && (fed < needed || fed - needed >= last_length)) std::abort();
  return 0;
}
