// find_text, find_text_last, replace_text, text_left and text_right on arbitrary bytes,
// each against a plain reference: a character start is any byte that is not a UTF-8
// continuation byte; replace_text compares ASCII letters without case.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "host/text.h"

namespace {

bool starts_character(unsigned char byte) { return byte < 0x80 || byte >= 0xC0; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool matches_at(const std::string& text, std::size_t at, const std::string& sub, bool fold) {
  if (at + sub.size() > text.size()) return false;
  for (std::size_t i = 0; i < sub.size(); ++i) {
    const char a = text[at + i], b = sub[i];
    if (fold ? lower(a) != lower(b) : a != b) return false;
  }
  return true;
}

int reference_find(const std::string& text, const std::string& sub, bool last) {
  if (sub.empty()) return text.empty() ? -1 : 1;
  int found = -1;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (starts_character(static_cast<unsigned char>(text[at])) && matches_at(text, at, sub, false)) {
      found = static_cast<int>(at) + 1;
      if (!last) break;
    }
  }
  return found;
}

std::string reference_replace(const std::string& text, const std::string& search, const std::string& replacement) {
  if (text.empty() || search.empty()) return text;
  std::string result;
  for (std::size_t at = 0; at < text.size();) {
    if (starts_character(static_cast<unsigned char>(text[at])) && matches_at(text, at, search, true)) {
      result += replacement;
      at += search.size();
    } else {
      result += text[at++];
    }
  }
  return result;
}

std::string reference_left(const std::string& text, int n) {
  if (n <= 0) return {};
  return text.substr(0, static_cast<std::size_t>(n) < text.size() ? static_cast<std::size_t>(n) : text.size());
}

std::string reference_right(const std::string& text, int n) {
  if (n <= 0) return {};
  const std::size_t take = static_cast<std::size_t>(n) < text.size() ? static_cast<std::size_t>(n) : text.size();
  return text.substr(text.size() - take);
}

void check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const int n = input.ConsumeIntegral<int>();
  const std::string sub = input.ConsumeRandomLengthString(16);
  const std::string replacement = input.ConsumeRandomLengthString(16);
  const std::string text = input.ConsumeRemainingBytesAsString();

  const int first = moxun::find_text(text, sub);
  const int last = moxun::find_text_last(text, sub);
  check(first == -1 || (first >= 1 && static_cast<std::size_t>(first) <= text.size()));
  check(last == -1 || (last >= first && static_cast<std::size_t>(last) <= text.size()));
  check(first == reference_find(text, sub, false));
  check(last == reference_find(text, sub, true));

  check(moxun::replace_text(text, sub, replacement) == reference_replace(text, sub, replacement));

  const std::string left = moxun::text_left(text, n);
  const std::string right = moxun::text_right(text, n);
  check(left.size() <= text.size() && right.size() <= text.size());
  check(left == reference_left(text, n));
  check(right == reference_right(text, n));
  return 0;
}
