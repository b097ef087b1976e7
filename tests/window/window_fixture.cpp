#include "tests/window/window_fixture.h"

#include <commctrl.h>

#include "app/start_up.h"
#include "host/win32/wide.h"
#include "search/search_job.h"

namespace moxun::testing {

int WindowTest::close_requests = 0;

void WindowTest::SetUp() {
  close_requests = 0;
  toolkit_ = std::make_unique<Win32Toolkit>(shell_);
  init_search_job(*toolkit_);
  window_ = std::make_unique<MainWindow>(*toolkit_, WindowEvents{set_up_window, [] { ++close_requests; }});
  ASSERT_TRUE(window_->create());
  pump();
}

void WindowTest::TearDown() {
  window_.reset();
  pump();
  toolkit_.reset();
}

void WindowTest::pump() { toolkit_->pump_events(); }

bool WindowTest::wait_until(const std::function<bool()>& condition, std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  for (;;) {
    pump();
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void WindowTest::post_click(HWND target, POINT at) {
  const LPARAM where = MAKELPARAM(at.x, at.y);
  PostMessageW(target, WM_MOUSEMOVE, 0, where);
  PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, where);
  PostMessageW(target, WM_LBUTTONUP, 0, where);
}

void WindowTest::post_click(Control name) {
  RECT area{};
  GetClientRect(control(name), &area);
  post_click(control(name), POINT{area.right / 2, area.bottom / 2});
}

void WindowTest::click(Control name) {
  post_click(name);
  pump();
}

void WindowTest::type(Control name, const std::wstring& text) {
  for (wchar_t c : text) PostMessageW(control(name), WM_CHAR, c, 1);
  pump();
}

std::string WindowTest::status(int panel) const {
  HWND bar = control(Control::状态条1);
  const auto length = LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(panel), 0));
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(text.data()));
  text.resize(length);
  return to_utf8(text);
}

std::vector<std::string> WindowTest::rows() const {
  std::vector<std::string> texts;
  const int count = toolkit_->result_count();
  for (int row = 0; row < count; ++row) texts.push_back(toolkit_->result_text(row));
  return texts;
}

POINT WindowTest::row_point(int row) const {
  RECT bounds{};
  bounds.left = LVIR_LABEL;
  SendMessageW(control(Control::超级列表框_结果列表), LVM_GETITEMRECT, static_cast<WPARAM>(row),
               reinterpret_cast<LPARAM>(&bounds));
  return POINT{bounds.left + 10, (bounds.top + bounds.bottom) / 2};
}

void WindowTest::choose_menu_item(POINT at, int item) {
  HWND list = control(Control::超级列表框_结果列表);
  const LPARAM where = MAKELPARAM(at.x, at.y);
  PostMessageW(list, WM_RBUTTONDOWN, MK_RBUTTON, where);
  // The popup's own loop takes the keys from the queue once the press has opened it.
  for (int i = 0; i < item; ++i) PostMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(list, WM_KEYDOWN, item == 0 ? VK_ESCAPE : VK_RETURN, 0);
  PostMessageW(list, WM_RBUTTONUP, 0, where);
  pump();
}

std::string expected_usage_page() { return usage_page_address(); }

}  // namespace moxun::testing
