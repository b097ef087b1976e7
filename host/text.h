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

// Pointer to the first occurrence of pattern in [data, data + size), or nullptr.
// The engine's hot path; find_bytes is this with 1-based positions.
const unsigned char* search_bytes(const unsigned char* data, std::size_t size,
                                  const unsigned char* pattern, std::size_t pattern_size);

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
