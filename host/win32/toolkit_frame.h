// Frames: container windows that hold a group of controls.
//
// A frame fills its rectangle white, draws a one-pixel RGB(128, 128, 0) outline along
// its edge and has no border of its own. Its children's notifications (commands,
// notify messages, owner drawing and colour requests) go on to the frame's parent, so
// the main window handles its controls wherever they sit.
#pragma once

#include <windows.h>

namespace moxun {

inline constexpr wchar_t kFrameClass[] = L"MoxunFrame";
inline constexpr COLORREF kFrameFill = RGB(255, 255, 255);
inline constexpr COLORREF kFrameOutline = RGB(128, 128, 0);

// Registers the window class once per process; later calls do nothing.
void register_frame_class(HINSTANCE instance);

}  // namespace moxun
