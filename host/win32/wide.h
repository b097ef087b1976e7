// UTF-8 inside the program, UTF-16 at the Win32 boundary: the only two conversions.
#pragma once

#include <string>
#include <string_view>

namespace moxun {

std::wstring to_wide(std::string_view utf8);
std::string to_utf8(std::wstring_view wide);

// A path for the file-system W functions: UTF-16, with the \\?\ prefix when an
// absolute path is too long for the classic limit.
std::wstring file_system_path(std::string_view utf8);

}  // namespace moxun
