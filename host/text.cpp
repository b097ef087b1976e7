#include "host/text.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#define MOXUN_SSE2 1
#include <emmintrin.h>
#endif
#if defined(MOXUN_SSE2) && (defined(__x86_64__) || defined(__i386__) || defined(_M_X64) || defined(_M_IX86))
#define MOXUN_AVX2 1
#include <immintrin.h>
#endif
#ifdef _MSC_VER
#include <intrin.h>
#endif

// GCC and Clang compile a function with AVX2 instructions only when asked for it by the
// function's target; MSVC takes the instructions anywhere.
#if defined(MOXUN_AVX2) && (defined(__GNUC__) || defined(__clang__))
#define MOXUN_AVX2_FUNCTION __attribute__((target("avx2")))
#else
#define MOXUN_AVX2_FUNCTION
#endif

namespace moxun {

namespace {

unsigned lowest_set_bit(unsigned mask) {
#ifdef _MSC_VER
  unsigned long index = 0;
  _BitScanForward(&index, mask);
  return static_cast<unsigned>(index);
#else
  return static_cast<unsigned>(__builtin_ctz(mask));
#endif
}

bool is_character_start(unsigned char byte) { return (byte & 0xC0) != 0x80; }

unsigned char fold(unsigned char byte) {
  return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

// Rough frequency rank of each byte value in ordinary files (text, code, binaries):
// higher is more common. The search anchors on the pattern's two rarest bytes, so the
// vector filter lets few false candidates through to the full comparison.
constexpr unsigned char byte_rank(unsigned b) {
  if (b == 0) return 250;
  if (b == ' ') return 255;
  if (b == 'e' || b == 't' || b == 'a' || b == 'o' || b == 'i' || b == 'n') return 240;
  if (b == 's' || b == 'r' || b == 'h' || b == 'l' || b == 'd' || b == '\n') return 230;
  if (b == 'c' || b == 'u' || b == 'm' || b == 'f' || b == 'p' || b == 'g') return 215;
  if (b == '_' || b == '.' || b == ',' || b == '(' || b == ')' || b == ';' || b == '\t') return 210;
  if (b == 0xFF) return 200;
  if (b >= 'a' && b <= 'z') return 190;
  if (b == '*' || b == '/' || b == '=' || b == '-' || b == '"' || b == '#' || b == '<' || b == '>')
    return 185;
  if (b >= '0' && b <= '9') return 180;
  if (b >= 'A' && b <= 'Z') return 160;
  if (b >= 0x20 && b < 0x7F) return 140;
  if (b < 0x20) return 90;
  return 100;
}

// Which vector instructions the search uses.
enum Kernel : int { kPortableKernel, kSse2Kernel, kAvx2Kernel };

int widest_kernel() {
#ifdef MOXUN_AVX2
#if defined(_MSC_VER) && !defined(__clang__)
  // AVX2 needs the processor's support and the system's: YMM state saved on switches.
  int info[4] = {};
  __cpuid(info, 0);
  if (info[0] >= 7) {
    __cpuid(info, 1);
    const bool os_saves_ymm = (info[2] & (1 << 27)) != 0 && (info[2] & (1 << 28)) != 0 &&
                              (_xgetbv(0) & 6) == 6;
    __cpuidex(info, 7, 0);
    if (os_saves_ymm && (info[1] & (1 << 5)) != 0) return kAvx2Kernel;
  }
#else
  // Checks the system's support for the YMM registers too.
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return kAvx2Kernel;
#endif
#endif
#ifdef MOXUN_SSE2
  return kSse2Kernel;
#else
  return kPortableKernel;
#endif
}

std::atomic<int>& kernel_in_use() {
  static std::atomic<int> kernel{widest_kernel()};
  return kernel;
}

// The first start in [start, last_start] at which the whole pattern matches, among the
// starts whose two anchor bytes matched (the set bits of mask, bit i for start + i).
const unsigned char* verify(const unsigned char* data, std::size_t start, unsigned mask,
                            const unsigned char* pattern, std::size_t size) {
  while (mask != 0) {
    const std::size_t candidate = start + lowest_set_bit(mask);
    if (std::memcmp(data + candidate, pattern, size) == 0) return data + candidate;
    mask &= mask - 1;
  }
  return nullptr;
}

// Without vector instructions: memchr on the rarest byte, then the whole comparison.
const unsigned char* find_pair_portable(const unsigned char* data, std::size_t first_start,
                                        std::size_t last_start, const unsigned char* pattern,
                                        std::size_t size, std::size_t first, std::size_t second) {
  for (std::size_t start = first_start; start <= last_start;) {
    const auto* hit = static_cast<const unsigned char*>(
        std::memchr(data + start + first, pattern[first], last_start - start + 1));
    if (hit == nullptr) return nullptr;
    const std::size_t candidate = static_cast<std::size_t>(hit - data) - first;
    if (data[candidate + second] == pattern[second] &&
        std::memcmp(data + candidate, pattern, size) == 0) {
      return data + candidate;
    }
    start = candidate + 1;
  }
  return nullptr;
}

#ifdef MOXUN_SSE2
// 16 candidate starts at once: both anchor bytes must match before the whole pattern
// is compared. The starts left over at the end are covered by one more block that
// overlaps the last full one.
const unsigned char* find_pair_sse2(const unsigned char* data, std::size_t last_start,
                                    const unsigned char* pattern, std::size_t size,
                                    std::size_t first, std::size_t second) {
  if (last_start < 15) return find_pair_portable(data, 0, last_start, pattern, size, first, second);
  const __m128i first_byte = _mm_set1_epi8(static_cast<char>(pattern[first]));
  const __m128i second_byte = _mm_set1_epi8(static_cast<char>(pattern[second]));
  auto block = [&](std::size_t start) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + start + first));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + start + second));
    return static_cast<unsigned>(
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first_byte), _mm_cmpeq_epi8(b, second_byte))));
  };
  std::size_t start = 0;
  for (; start + 15 <= last_start; start += 16) {
    if (const unsigned mask = block(start)) {
      if (const unsigned char* hit = verify(data, start, mask, pattern, size)) return hit;
    }
  }
  if (start <= last_start) {
    start = last_start - 15;
    if (const unsigned mask = block(start)) return verify(data, start, mask, pattern, size);
  }
  return nullptr;
}

const unsigned char* find_byte_sse2(const unsigned char* data, std::size_t size, unsigned char byte) {
  if (size < 16) return static_cast<const unsigned char*>(std::memchr(data, byte, size));
  const __m128i wanted = _mm_set1_epi8(static_cast<char>(byte));
  auto block = [&](std::size_t at) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, wanted)));
  };
  std::size_t at = 0;
  for (; at + 16 <= size; at += 16) {
    if (const unsigned mask = block(at)) return data + at + lowest_set_bit(mask);
  }
  if (at < size) {
    at = size - 16;
    if (const unsigned mask = block(at)) return data + at + lowest_set_bit(mask);
  }
  return nullptr;
}
#endif

#ifdef MOXUN_AVX2
// The candidate starts start to start + 31 as the bits of a vector: both anchor bytes
// in place. (Helpers rather than lambdas: a lambda would not share the AVX2 target.)
MOXUN_AVX2_FUNCTION inline __m256i anchor_matches(const unsigned char* data, std::size_t start,
                                                  std::size_t first, std::size_t second,
                                                  __m256i first_byte, __m256i second_byte) {
  const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + start + first));
  const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + start + second));
  return _mm256_and_si256(_mm256_cmpeq_epi8(a, first_byte), _mm256_cmpeq_epi8(b, second_byte));
}

MOXUN_AVX2_FUNCTION inline unsigned mask_of(__m256i bits) {
  return static_cast<unsigned>(_mm256_movemask_epi8(bits));
}

// As find_pair_sse2, 64 candidate starts a round: two blocks of 32 whose anchor
// matches are tested together, so a round without candidates costs one branch.
MOXUN_AVX2_FUNCTION
const unsigned char* find_pair_avx2(const unsigned char* data, std::size_t last_start,
                                    const unsigned char* pattern, std::size_t size,
                                    std::size_t first, std::size_t second) {
  if (last_start < 31) return find_pair_sse2(data, last_start, pattern, size, first, second);
  const __m256i first_byte = _mm256_set1_epi8(static_cast<char>(pattern[first]));
  const __m256i second_byte = _mm256_set1_epi8(static_cast<char>(pattern[second]));
  std::size_t start = 0;
  for (; start + 63 <= last_start; start += 64) {
    const __m256i low = anchor_matches(data, start, first, second, first_byte, second_byte);
    const __m256i high = anchor_matches(data, start + 32, first, second, first_byte, second_byte);
    if (mask_of(_mm256_or_si256(low, high)) == 0) continue;
    if (const unsigned char* hit = verify(data, start, mask_of(low), pattern, size)) return hit;
    if (const unsigned char* hit = verify(data, start + 32, mask_of(high), pattern, size)) return hit;
  }
  for (; start + 31 <= last_start; start += 32) {
    const unsigned mask = mask_of(anchor_matches(data, start, first, second, first_byte, second_byte));
    if (const unsigned char* hit = verify(data, start, mask, pattern, size)) return hit;
  }
  if (start <= last_start) {
    start = last_start - 31;
    const unsigned mask = mask_of(anchor_matches(data, start, first, second, first_byte, second_byte));
    return verify(data, start, mask, pattern, size);
  }
  return nullptr;
}

MOXUN_AVX2_FUNCTION
const unsigned char* find_byte_avx2(const unsigned char* data, std::size_t size, unsigned char byte) {
  if (size < 32) return find_byte_sse2(data, size, byte);
  const __m256i wanted = _mm256_set1_epi8(static_cast<char>(byte));
  std::size_t at = 0;
  for (;; at += 32) {
    if (at + 32 > size) at = size - 32;  // the last block overlaps the one before
    const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + at));
    if (const unsigned mask = mask_of(_mm256_cmpeq_epi8(bytes, wanted))) {
      return data + at + lowest_set_bit(mask);
    }
    if (at + 32 == size) return nullptr;
  }
}
#endif

}  // namespace

int limit_search_kernel(int widest) {
  const int kernel = std::clamp(widest, static_cast<int>(kPortableKernel), widest_kernel());
  kernel_in_use().store(kernel);
  return kernel;
}

BytePattern::BytePattern(std::string_view pattern)
    : bytes_(reinterpret_cast<const unsigned char*>(pattern.data())), size_(pattern.size()) {
  for (std::size_t i = 1; i < size_; ++i) {
    if (byte_rank(bytes_[i]) < byte_rank(bytes_[first_])) first_ = i;
  }
  second_ = first_ == 0 && size_ > 1 ? 1 : 0;
  for (std::size_t i = 0; i < size_; ++i) {
    if (i != first_ && byte_rank(bytes_[i]) < byte_rank(bytes_[second_])) second_ = i;
  }
}

const unsigned char* BytePattern::find(const unsigned char* data, std::size_t size) const {
  if (size_ == 0 || size_ > size) return nullptr;
  // The C runtime's memchr is slow on some platforms: the vector kernels do not use it.
  const int kernel = kernel_in_use().load(std::memory_order_relaxed);
  if (size_ == 1) {
#ifdef MOXUN_AVX2
    if (kernel == kAvx2Kernel) return find_byte_avx2(data, size, bytes_[0]);
#endif
#ifdef MOXUN_SSE2
    if (kernel == kSse2Kernel) return find_byte_sse2(data, size, bytes_[0]);
#endif
    return static_cast<const unsigned char*>(std::memchr(data, bytes_[0], size));
  }
  const std::size_t last_start = size - size_;  // last position a match can start
#ifdef MOXUN_AVX2
  if (kernel == kAvx2Kernel) return find_pair_avx2(data, last_start, bytes_, size_, first_, second_);
#endif
#ifdef MOXUN_SSE2
  if (kernel == kSse2Kernel) return find_pair_sse2(data, last_start, bytes_, size_, first_, second_);
#endif
  return find_pair_portable(data, 0, last_start, bytes_, size_, first_, second_);
}

const unsigned char* search_bytes(const unsigned char* data, std::size_t size,
                                  const unsigned char* pattern, std::size_t pattern_size) {
  return BytePattern(std::string_view(reinterpret_cast<const char*>(pattern), pattern_size)).find(data, size);
}

std::int64_t find_bytes(std::string_view haystack, std::string_view pattern) {
  const auto* data = reinterpret_cast<const unsigned char*>(haystack.data());
  const unsigned char* hit = search_bytes(data, haystack.size(),
                                          reinterpret_cast<const unsigned char*>(pattern.data()),
                                          pattern.size());
  return hit == nullptr ? -1 : static_cast<std::int64_t>(hit - data) + 1;
}

int find_text(std::string_view text, std::string_view sub) {
  if (sub.empty()) return text.empty() ? -1 : 1;
  for (std::size_t at = text.find(sub); at != std::string_view::npos; at = text.find(sub, at + 1)) {
    if (is_character_start(static_cast<unsigned char>(text[at]))) return static_cast<int>(at) + 1;
  }
  return -1;
}

int find_text_last(std::string_view text, std::string_view sub) {
  if (sub.empty()) return text.empty() ? -1 : 1;
  for (std::size_t at = text.rfind(sub); at != std::string_view::npos;
       at = at == 0 ? std::string_view::npos : text.rfind(sub, at - 1)) {
    if (is_character_start(static_cast<unsigned char>(text[at]))) return static_cast<int>(at) + 1;
  }
  return -1;
}

Text text_left(std::string_view text, int n) {
  if (n <= 0) return {};
  return Text(text.substr(0, static_cast<std::size_t>(n)));
}

Text text_right(std::string_view text, int n) {
  if (n <= 0) return {};
  const std::size_t take = std::min(text.size(), static_cast<std::size_t>(n));
  return Text(text.substr(text.size() - take));
}

bool starts_with_prefix(std::string_view text, std::string_view prefix, bool fold_case) {
  if (prefix.size() > text.size()) return false;
  if (!fold_case) return text.substr(0, prefix.size()) == prefix;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (fold(static_cast<unsigned char>(text[i])) != fold(static_cast<unsigned char>(prefix[i])))
      return false;
  }
  return true;
}

Text replace_text(std::string_view text, std::string_view search, std::string_view replacement) {
  if (text.empty() || search.empty()) return Text(text);
  Text result;
  result.reserve(text.size());
  std::size_t at = 0;
  while (at < text.size()) {
    if (is_character_start(static_cast<unsigned char>(text[at])) &&
        starts_with_prefix(text.substr(at), search, true)) {
      result += replacement;
      at += search.size();
      continue;
    }
    // Copy one character: its start byte and the continuation bytes that follow.
    std::size_t end = at + 1;
    while (end < text.size() && !is_character_start(static_cast<unsigned char>(text[end]))) ++end;
    result.append(text.substr(at, end - at));
    at = end;
  }
  return result;
}

Text int_to_text(std::int64_t value) { return std::to_string(value); }

}  // namespace moxun
