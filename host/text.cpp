#include "host/text.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#define MOXUN_SSE2 1
#include <emmintrin.h>
#endif
#ifdef _MSC_VER
#include <intrin.h>
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

struct Anchors {
  std::size_t first;   // offset of the rarest byte
  std::size_t second;  // offset of the next rarest, different from first when size > 1
};

Anchors choose_anchors(const unsigned char* pattern, std::size_t size) {
  std::size_t first = 0;
  for (std::size_t i = 1; i < size; ++i) {
    if (byte_rank(pattern[i]) < byte_rank(pattern[first])) first = i;
  }
  std::size_t second = first == 0 ? (size > 1 ? 1 : 0) : 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (i != first && byte_rank(pattern[i]) < byte_rank(pattern[second])) second = i;
  }
  return {first, second};
}

const unsigned char* find_byte(const unsigned char* data, std::size_t size, unsigned char byte) {
#ifdef MOXUN_SSE2
  // The C runtime's memchr is slow on some platforms; this one does not depend on it.
  const __m128i wanted = _mm_set1_epi8(static_cast<char>(byte));
  std::size_t i = 0;
  for (; i + 16 <= size; i += 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
    const int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(block, wanted));
    if (mask != 0) return data + i + lowest_set_bit(static_cast<unsigned>(mask));
  }
  for (; i < size; ++i) {
    if (data[i] == byte) return data + i;
  }
  return nullptr;
#else
  return static_cast<const unsigned char*>(std::memchr(data, byte, size));
#endif
}

}  // namespace

const unsigned char* search_bytes(const unsigned char* data, std::size_t size,
                                  const unsigned char* pattern, std::size_t pattern_size) {
  if (pattern_size == 0 || pattern_size > size) return nullptr;
  if (pattern_size == 1) return find_byte(data, size, pattern[0]);
  const Anchors anchors = choose_anchors(pattern, pattern_size);
  const std::size_t last_start = size - pattern_size;  // last position a match can start
#ifdef MOXUN_SSE2
  // Compare 16 candidate starts at once: both anchor bytes must match before the whole
  // pattern is compared.
  const __m128i first_byte = _mm_set1_epi8(static_cast<char>(pattern[anchors.first]));
  const __m128i second_byte = _mm_set1_epi8(static_cast<char>(pattern[anchors.second]));
  std::size_t start = 0;
  for (; start + 15 <= last_start; start += 16) {
    const __m128i a =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + start + anchors.first));
    const __m128i b =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + start + anchors.second));
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(
        _mm_and_si128(_mm_cmpeq_epi8(a, first_byte), _mm_cmpeq_epi8(b, second_byte))));
    while (mask != 0) {
      const std::size_t candidate = start + lowest_set_bit(mask);
      if (std::memcmp(data + candidate, pattern, pattern_size) == 0) return data + candidate;
      mask &= mask - 1;
    }
  }
  for (; start <= last_start; ++start) {
    if (data[start + anchors.first] == pattern[anchors.first] &&
        std::memcmp(data + start, pattern, pattern_size) == 0) {
      return data + start;
    }
  }
  return nullptr;
#else
  for (std::size_t start = 0; start <= last_start;) {
    const unsigned char* hit =
        find_byte(data + start + anchors.first, last_start - start + 1, pattern[anchors.first]);
    if (hit == nullptr) return nullptr;
    const std::size_t candidate = static_cast<std::size_t>(hit - data) - anchors.first;
    if (std::memcmp(data + candidate, pattern, pattern_size) == 0) return data + candidate;
    start = candidate + 1;
  }
  return nullptr;
#endif
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
