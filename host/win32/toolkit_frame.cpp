#include "host/win32/toolkit_frame.h"

#include "host/win32/toolkit_handles.h"

namespace moxun {

namespace {

void paint_frame(HWND frame, HDC dc) {
  RECT area{};
  GetClientRect(frame, &area);
  BrushHandle fill(CreateSolidBrush(kFrameFill));
  FillRect(dc, &area, fill.get());
  BrushHandle outline(CreateSolidBrush(kFrameOutline));
  FrameRect(dc, &area, outline.get());
}

bool is_reflected(UINT message) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_COMPAREITEM:
    case WM_DELETEITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return true;
    default:
      return false;
  }
}

LRESULT CALLBACK frame_procedure(HWND frame, UINT message, WPARAM wparam, LPARAM lparam) {
  if (is_reflected(message)) {
    if (HWND parent = GetParent(frame)) return SendMessageW(parent, message, wparam, lparam);
  }
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT fills the whole rectangle
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      HDC dc = BeginPaint(frame, &paint);
      paint_frame(frame, dc);
      EndPaint(frame, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      paint_frame(frame, reinterpret_cast<HDC>(wparam));
      return 0;
    default:
      return DefWindowProcW(frame, message, wparam, lparam);
  }
}

}  // namespace

void register_frame_class(HINSTANCE instance) {
  WNDCLASSEXW window_class{};
  if (GetClassInfoExW(instance, kFrameClass, &window_class)) return;
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = frame_procedure;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.lpszClassName = kFrameClass;
  RegisterClassExW(&window_class);
}

}  // namespace moxun
