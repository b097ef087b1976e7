// The program's own window messages, all in one place.
//
// Numbered from WM_APP, not WM_USER: WM_USER-based numbers are used by the standard
// controls and dialog procedures themselves and could clash.
#pragma once

#include <windows.h>

namespace moxun {

// Sent by a worker thread to the main window: lParam points at the row's UTF-8 text
// (a const std::string). The answer is the new row's index. SendMessage returns only
// once the window thread has put the row into the list.
inline constexpr UINT kAddResultRowMessage = WM_APP + 1;

}  // namespace moxun
