#include "host/win32/wide.h"

#include <windows.h>

namespace moxun {

std::wstring to_wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

std::string to_utf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size, nullptr,
                      nullptr);
  return utf8;
}

std::wstring file_system_path(std::string_view utf8) {
  std::wstring path = to_wide(utf8);
  // Below this length every API takes the path as it is; a folder path plus "*" and a
  // short name must stay under MAX_PATH.
  constexpr std::size_t kClassicLimit = 240;
  if (path.size() < kClassicLimit) return path;
  const bool drive_absolute = path.size() >= 3 && path[1] == L':' && path[2] == L'\\';
  const bool unc = path.rfind(L"\\\\", 0) == 0 && path.rfind(L"\\\\?\\", 0) != 0;
  if (drive_absolute) return L"\\\\?\\" + path;
  if (unc) return L"\\\\?\\UNC\\" + path.substr(2);
  return path;
}

}  // namespace moxun
