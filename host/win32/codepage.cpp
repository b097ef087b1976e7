// The search text in the ANSI code page. No best-fit mapping: a character the code page
// cannot spell makes the text unusable rather than silently becoming another one.
#include <windows.h>

#include "host/text.h"
#include "host/win32/wide.h"

namespace moxun {

std::optional<std::string> text_to_bytes(std::string_view utf8) {
  if (utf8.empty()) return std::string();
  if (GetACP() == CP_UTF8) return std::string(utf8);
  const std::wstring wide = to_wide(utf8);
  BOOL used_default = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                       nullptr, 0, nullptr, &used_default);
  if (size <= 0 || used_default) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), bytes.data(),
                      size, nullptr, &used_default);
  if (used_default) return std::nullopt;
  return bytes;
}

}  // namespace moxun
