// The search text in the locale's character set (the POSIX stand-in for the ANSI code
// page), through iconv. A UTF-8 locale gives the text's bytes unchanged.
#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "host/text.h"

namespace moxun {

std::optional<std::string> text_to_bytes(std::string_view utf8) {
  if (utf8.empty()) return std::string();
  const char* charset = nl_langinfo(CODESET);
  if (charset == nullptr || std::strcmp(charset, "UTF-8") == 0 || std::strcmp(charset, "utf8") == 0) {
    return std::string(utf8);
  }
  iconv_t convert = iconv_open(charset, "UTF-8");
  if (convert == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out(utf8.size() * 4 + 8, '\0');
  char* in_at = const_cast<char*>(utf8.data());
  std::size_t in_left = utf8.size();
  char* out_at = out.data();
  std::size_t out_left = out.size();
  const std::size_t done = iconv(convert, &in_at, &in_left, &out_at, &out_left);
  iconv_close(convert);
  // Any character the charset lacks, or that iconv only approximated, fails the text.
  if (done != 0 || in_left != 0) return std::nullopt;
  out.resize(out.size() - out_left);
  return out;
}

}  // namespace moxun
