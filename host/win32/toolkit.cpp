#include "host/win32/toolkit.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <utility>
#include <vector>

#include "host/win32/toolkit_handles.h"
#include "host/win32/toolkit_messages.h"
#include "host/win32/toolkit_picture_button.h"
#include "host/win32/wide.h"

namespace moxun {

namespace {

// ---- Visual style: the frames of bordered standard controls ----

constexpr UINT_PTR kStyledFrameSubclass = 0x4D58'0001;

// Whether the control draws a frame around its client area. Asked of the geometry,
// not the style: an edit box takes WS_BORDER out of its style and draws the border
// itself.
bool has_frame(HWND hwnd) {
  RECT outer{};
  GetWindowRect(hwnd, &outer);
  POINT client_origin{0, 0};
  ClientToScreen(hwnd, &client_origin);
  return client_origin.x > outer.left && client_origin.y > outer.top;
}

bool is_framed_standard_class(HWND hwnd) {
  wchar_t name[64] = {};
  if (GetClassNameW(hwnd, name, 64) == 0) return false;
  return lstrcmpiW(name, WC_EDITW) == 0 || lstrcmpiW(name, WC_LISTVIEWW) == 0;
}

void paint_styled_frame(HWND hwnd) {
  HDC dc = GetWindowDC(hwnd);
  if (dc == nullptr) return;
  RECT outer{};
  GetWindowRect(hwnd, &outer);
  OffsetRect(&outer, -outer.left, -outer.top);
  BrushHandle brush(CreateSolidBrush(kStyledFrameColour));
  FrameRect(dc, &outer, brush.get());
  ReleaseDC(hwnd, dc);
}

LRESULT CALLBACK styled_frame_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                        DWORD_PTR) {
  if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, styled_frame_procedure, kStyledFrameSubclass);
  const LRESULT result = DefSubclassProc(hwnd, message, wparam, lparam);
  // Only where a theme draws the control: the classic look keeps its own edges.
  if (message == WM_NCPAINT && has_frame(hwnd) && GetWindowTheme(hwnd) != nullptr) paint_styled_frame(hwnd);
  return result;
}

void style_window(HWND hwnd) {
  if (is_framed_standard_class(hwnd)) SetWindowSubclass(hwnd, styled_frame_procedure, kStyledFrameSubclass, 0);
}

BOOL CALLBACK style_child(HWND hwnd, LPARAM) {
  style_window(hwnd);
  return TRUE;
}

BOOL CALLBACK style_top_level(HWND hwnd, LPARAM) {
  style_window(hwnd);
  EnumChildWindows(hwnd, style_child, 0);
  return TRUE;
}

// Windows made later on the thread are styled as they are created.
thread_local HHOOK t_style_hook = nullptr;

LRESULT CALLBACK style_new_windows(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_CREATEWND) style_window(reinterpret_cast<HWND>(wparam));
  return CallNextHookEx(t_style_hook, code, wparam, lparam);
}

// ---- The folder picker's modality ----

struct TopLevelState {
  HWND window;
  bool enabled;
};

BOOL CALLBACK collect_top_level(HWND hwnd, LPARAM lparam) {
  reinterpret_cast<std::vector<TopLevelState>*>(lparam)->push_back({hwnd, IsWindowEnabled(hwnd) != FALSE});
  return TRUE;
}

}  // namespace

Win32Toolkit::~Win32Toolkit() {
  if (t_style_hook != nullptr && on_window_thread()) {
    UnhookWindowsHookEx(t_style_hook);
    t_style_hook = nullptr;
  }
}

void Win32Toolkit::attach(const Parts& parts) {
  parts_ = parts;
  window_thread_ = GetCurrentThreadId();
}

void Win32Toolkit::detach() { parts_ = Parts{}; }

// ---- Results list ----

int Win32Toolkit::add_result_row(const std::string& text) {
  HWND list = control(Control::超级列表框_结果列表);
  if (list == nullptr) return -1;
  if (!on_window_thread()) {
    return static_cast<int>(SendMessageW(parts_.window, kAddResultRowMessage, 0, reinterpret_cast<LPARAM>(&text)));
  }
  std::wstring wide = to_wide(text);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  item.pszText = wide.data();
  return static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void Win32Toolkit::clear_results() { SendMessageW(control(Control::超级列表框_结果列表), LVM_DELETEALLITEMS, 0, 0); }

int Win32Toolkit::result_count() {
  return static_cast<int>(SendMessageW(control(Control::超级列表框_结果列表), LVM_GETITEMCOUNT, 0, 0));
}

int Win32Toolkit::selected_result() {
  return static_cast<int>(
      SendMessageW(control(Control::超级列表框_结果列表), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

std::string Win32Toolkit::result_text(int row) {
  if (row < 0 || row >= result_count()) return {};
  HWND list = control(Control::超级列表框_结果列表);
  // The list answers the copied length; a full buffer may mean a longer text.
  std::wstring buffer(256, L'\0');
  for (;;) {
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    const auto length = static_cast<std::size_t>(
        SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
    if (length + 1 < buffer.size()) {
      buffer.resize(length);
      return to_utf8(buffer);
    }
    buffer.assign(buffer.size() * 2, L'\0');
  }
}

// ---- Status bar ----

void Win32Toolkit::set_status_text(int panel, const std::string& text) {
  HWND status = control(Control::状态条1);
  const int panels = static_cast<int>(SendMessageW(status, SB_GETPARTS, 0, 0));
  if (panel < 0 || panel >= panels) return;
  const std::wstring wide = to_wide(text);
  SendMessageW(status, SB_SETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(wide.c_str()));
}

// ---- Controls ----

void Win32Toolkit::set_disabled(Control which, bool disabled) { EnableWindow(control(which), disabled ? FALSE : TRUE); }

bool Win32Toolkit::is_checked(Control check_box) {
  return SendMessageW(control(check_box), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

int Win32Toolkit::combo_selection(Control combo_box) {
  HWND combo = control(combo_box);
  if (combo == nullptr) return -1;
  return static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
}

std::string Win32Toolkit::edit_text(Control edit_box) {
  HWND edit = control(edit_box);
  const int length = GetWindowTextLengthW(edit);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(edit, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied < 0 ? 0 : copied));
  return to_utf8(text);
}

void Win32Toolkit::set_edit_text(Control edit_box, const std::string& text) {
  SetWindowTextW(control(edit_box), to_wide(text).c_str());
}

Bounds Win32Toolkit::control_bounds(Control which) {
  HWND hwnd = control(which);
  RECT rect{};
  if (hwnd == nullptr || !GetWindowRect(hwnd, &rect)) return {};
  MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&rect), 2);
  return Bounds{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

void Win32Toolkit::set_button_face(Control button, Face face, std::span<const std::uint8_t> bmp) {
  set_picture_button_face(control(button), face, bmp);
}

std::optional<Colour> Win32Toolkit::button_transparent_colour(Control button) {
  return picture_button_transparent_colour(control(button));
}

// The main window has no background picture.
std::string Win32Toolkit::background_picture() { return {}; }

void Win32Toolkit::apply_visual_style(int scheme) {
  visual_style_scheme_ = scheme;
  if (scheme != 1) return;
  SetThemeAppProperties(STAP_ALLOW_NONCLIENT | STAP_ALLOW_CONTROLS | STAP_ALLOW_WEBCONTENT);
  EnumThreadWindows(GetCurrentThreadId(), style_top_level, 0);
  if (t_style_hook == nullptr) {
    t_style_hook = SetWindowsHookExW(WH_CBT, style_new_windows, nullptr, GetCurrentThreadId());
  }
}

// ---- Events ----

void Win32Toolkit::process_message(MSG& message) {
  if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE && parts_.window != nullptr &&
      (message.hwnd == parts_.window || IsChild(parts_.window, message.hwnd))) {
    const LRESULT wants = SendMessageW(message.hwnd, WM_GETDLGCODE, message.wParam, reinterpret_cast<LPARAM>(&message));
    if ((wants & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) == 0) {
      SendMessageW(parts_.window, WM_CLOSE, 0, 0);
      return;
    }
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

void Win32Toolkit::pump_events() {
  MSG message{};
  // Peeking also delivers the messages that other threads send (result rows).
  while (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
    if (message.message == WM_QUIT) return;  // left queued for the event loop
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) return;
    if (message.message == WM_QUIT) {
      // Another message went first between the two peeks; put the quit back.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    process_message(message);
  }
}

int Win32Toolkit::run_event_loop() {
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) process_message(message);
  return static_cast<int>(message.wParam);
}

// ---- Menus and shell ----

void Win32Toolkit::popup_result_menu() {
  if (parts_.window == nullptr || parts_.result_menu == nullptr) return;
  POINT cursor{};
  GetCursorPos(&cursor);
  // A popup menu closes on a click elsewhere only when its owner is in the foreground.
  SetForegroundWindow(parts_.window);
  TrackPopupMenu(parts_.result_menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, cursor.x + 3, cursor.y + 3, 0,
                 parts_.window, nullptr);
  // Lets the menu's owner switch tasks properly after the menu closed.
  PostMessageW(parts_.window, WM_NULL, 0, 0);
}

std::string Win32Toolkit::choose_folder(const std::string& prompt) {
  std::vector<TopLevelState> windows;
  EnumThreadWindows(GetCurrentThreadId(), collect_top_level, reinterpret_cast<LPARAM>(&windows));
  HWND foreground = GetForegroundWindow();
  HWND active = GetActiveWindow();
  for (const TopLevelState& state : windows) EnableWindow(state.window, FALSE);
  std::string chosen = shell_->choose_folder(parts_.window, prompt);
  for (const TopLevelState& state : windows) {
    if (IsWindow(state.window)) EnableWindow(state.window, state.enabled ? TRUE : FALSE);
  }
  if (active != nullptr && IsWindow(active)) SetActiveWindow(active);
  if (foreground != nullptr && IsWindow(foreground)) SetForegroundWindow(foreground);
  return chosen;
}

void Win32Toolkit::shell_open(ShellAction action, const std::string& path) { shell_->open(action, path); }

void Win32Toolkit::open_web_page(const std::string& address) { shell_->open_web_page(address); }

}  // namespace moxun
