// Text and byte operations shared by the engine and the window.
//
// Text is UTF-8 inside the program (file names, row texts, the search box). Only the
// search text becomes bytes of the system's ANSI code page, because those bytes are
// what files are searched for. Positions are 1-based byte positions; -1 means "not
// found". A character start is any byte that is not a UTF-8 continuation byte, so a
// search for "\" never lands inside a multi-byte character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace moxun {

using Text = std::string;

// First exact occurrence of pattern in haystack as a 1-based position, or -1.
// An empty pattern is never found.
std::int64_t find_bytes(std::string_view haystack, std::string_view pattern);

// A byte pattern made ready once for many searches, as the matcher searches every chunk
// of every file for the same bytes. It anchors on the pattern's two rarest bytes: a
// vector filter finds the places where both stand at their offsets, and only those are
// compared in full. Refers to the pattern's bytes, which must outlive it.
class BytePattern {
 public:
  explicit BytePattern(std::string_view pattern);
  // The first occurrence in [data, data + size), or nullptr. An empty pattern is never
  // found.
  const unsigned char* find(const unsigned char* data, std::size_t size) const;
  std::size_t size() const { return size_; }

 private:
  const unsigned char* bytes_;
  std::size_t size_;
  std::size_t first_ = 0;   // offset of the rarest byte
  std::size_t second_ = 0;  // offset of the next rarest, another offset when size > 1
};

// Pointer to the first occurrence of pattern in [data, data + size), or nullptr;
// find_bytes is this with 1-based positions.
const unsigned char* search_bytes(const unsigned char* data, std::size_t size,
                                  const unsigned char* pattern, std::size_t pattern_size);

// The byte search's kernels: 0 without vector instructions, 1 SSE2, 2 AVX2. The search
// uses the widest that both the build and the processor have; tests narrow it to run
// every kernel. Answers the kernel now in use.
int limit_search_kernel(int widest);

// First / last exact occurrence of sub beginning at a character start, or -1.
// An empty sub gives 1 for a non-empty text, else -1.
int find_text(std::string_view text, std::string_view sub);
int find_text_last(std::string_view text, std::string_view sub);

// First / last min(n, length) bytes; empty for n <= 0.
Text text_left(std::string_view text, int n);
Text text_right(std::string_view text, int n);

// Every occurrence of search, tried at each character start, ASCII letters compared
// without case, replaced left to right without overlaps. An empty text or search
// changes nothing.
Text replace_text(std::string_view text, std::string_view search, std::string_view replacement);

// Decimal digits, a minus sign when negative.
Text int_to_text(std::int64_t value);

// Whether text starts with prefix; ASCII letters compared without case when fold_case.
bool starts_with_prefix(std::string_view text, std::string_view prefix, bool fold_case);

// The search text's bytes in the system's ANSI code page, or nothing when the text
// holds a character the code page cannot spell (a stand-in would search for another
// text). An empty text gives an empty block.
std::optional<std::string> text_to_bytes(std::string_view utf8);

}  // namespace moxun
