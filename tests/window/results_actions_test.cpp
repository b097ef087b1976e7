// The results list's popup menu and left click, driven through the real list.
#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <thread>

#include "search/search_job.h"
#include "tests/window/window_fixture.h"

namespace moxun::testing {
namespace {

using Request = RecordingShell::Request;

enum MenuItem { kNoItem = 0, kOpenDefault = 1, kOpenEditor = 2, kExploreFolder = 3 };

class ResultsActionsTest : public WindowTest {
 protected:
  void fill(const std::string& folder, const std::vector<std::string>& texts) {
    search_job().search_folder = folder;
    toolkit_->clear_results();
    for (const std::string& text : texts) toolkit_->add_result_row(text);
  }
  // A point of the list below every row.
  POINT empty_point() const {
    RECT area{};
    GetClientRect(control(Control::超级列表框_结果列表), &area);
    return POINT{20, area.bottom - 5};
  }
};

struct MenuCase {
  const char* name;
  std::string folder;
  int row;  // -1: the press is over no row
  MenuItem item;
  std::vector<Request> expected;
};

TEST_F(ResultsActionsTest, EachMenuItemRequestsItsActionOnThePathOfTheRowUnderTheMouse) {
  const std::vector<std::string> texts = {"c.txt", "a\\b\\c.txt", "长 名\\文件.txt"};
  const std::vector<MenuCase> cases = {
      {"default, bare name", "D:\\data\\", 0, kOpenDefault, {{ShellAction::default_action, "D:\\data\\c.txt"}}},
      {"editor, bare name", "D:\\data\\", 0, kOpenEditor, {{ShellAction::edit, "D:\\data\\c.txt"}}},
      {"explore, bare name", "D:\\data\\", 0, kExploreFolder, {{ShellAction::explore, "D:\\data\\"}}},
      {"default, nested row", "D:\\data\\", 1, kOpenDefault, {{ShellAction::default_action, "D:\\data\\a\\b\\c.txt"}}},
      {"editor, nested row", "D:\\data\\", 1, kOpenEditor, {{ShellAction::edit, "D:\\data\\a\\b\\c.txt"}}},
      {"explore, nested row", "D:\\data\\", 1, kExploreFolder, {{ShellAction::explore, "D:\\data\\a\\b\\"}}},
      {"explore, Chinese names", "E:\\根\\", 2, kExploreFolder, {{ShellAction::explore, "E:\\根\\长 名\\"}}},
      {"no folder ever chosen", "", 1, kOpenDefault, {{ShellAction::default_action, "a\\b\\c.txt"}}},
      {"default, no row", "D:\\data\\", -1, kOpenDefault, {}},
      {"editor, no row", "D:\\data\\", -1, kOpenEditor, {}},
      {"explore, no row", "D:\\data\\", -1, kExploreFolder, {}},
      {"menu closed unchosen", "D:\\data\\", 0, kNoItem, {}},
  };
  for (const MenuCase& c : cases) {
    SCOPED_TRACE(c.name);
    fill(c.folder, texts);
    // Another row is selected before: the press moves the selection to its row.
    ListView_SetItemState(control(Control::超级列表框_结果列表), 2 - (c.row == 2 ? 1 : 0), LVIS_SELECTED,
                          LVIS_SELECTED);
    shell_.opened.clear();
    choose_menu_item(c.row >= 0 ? row_point(c.row) : empty_point(), c.item);
    EXPECT_EQ(shell_.opened, c.expected);
    EXPECT_EQ(toolkit_->selected_result(), c.row);
    EXPECT_EQ(GetFocus(), control(Control::超级列表框_结果列表));
    EXPECT_EQ(close_requests, 0);  // the menu took the keys, Esc included
  }
}

TEST_F(ResultsActionsTest, TheMenuOnAnEmptyListStillOpensAndDoesNothing) {
  fill("D:\\data\\", {});
  for (MenuItem item : {kOpenDefault, kOpenEditor, kExploreFolder}) {
    choose_menu_item(empty_point(), item);
  }
  EXPECT_TRUE(shell_.opened.empty());
  EXPECT_EQ(close_requests, 0);
}

TEST_F(ResultsActionsTest, ThePopupAppearsThreePixelsRightOfAndBelowTheCursor) {
  fill("D:\\data\\", {"c.txt"});
  POINT list_origin{0, 0};
  ClientToScreen(control(Control::超级列表框_结果列表), &list_origin);
  const POINT cursor{list_origin.x + 40, list_origin.y + 30};
  SetCursorPos(cursor.x, cursor.y);
  POINT actual_cursor{};
  GetCursorPos(&actual_cursor);
  // The window thread is inside the popup's loop while it is open: another thread
  // finds the popup, notes its place and closes it.
  std::atomic<bool> seen{false};
  RECT popup{};
  std::thread watcher([&] {
    for (int i = 0; i < 1000 && !seen; ++i) {
      HWND menu = FindWindowW(L"#32768", nullptr);
      if (menu != nullptr && IsWindowVisible(menu)) {
        GetWindowRect(menu, &popup);
        seen = true;
        PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 1);
      }
      Sleep(10);
    }
  });
  const POINT at{40, 30};
  PostMessageW(control(Control::超级列表框_结果列表), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(at.x, at.y));
  const bool closed = wait_until([&] { return seen.load(); });
  watcher.join();
  ASSERT_TRUE(closed);
  EXPECT_EQ(popup.left, actual_cursor.x + 3);
  EXPECT_EQ(popup.top, actual_cursor.y + 3);
}

TEST_F(ResultsActionsTest, ALeftClickShowsTheSelectedRowsTextAndAClickOnNoRowEmptiesPanel0) {
  fill("D:\\data\\", {"c.txt", "a\\b\\c.txt"});
  HWND list = control(Control::超级列表框_结果列表);
  post_click(list, row_point(1));
  pump();
  EXPECT_EQ(status(0), "a\\b\\c.txt");
  post_click(list, row_point(0));
  pump();
  EXPECT_EQ(status(0), "c.txt");
  post_click(list, empty_point());
  pump();
  EXPECT_EQ(toolkit_->selected_result(), -1);
  EXPECT_EQ(status(0), "");
}

TEST_F(ResultsActionsTest, TheKeyboardLeavesTheStatusAloneADoubleClickActsAsAClick) {
  fill("D:\\data\\", {"c.txt", "a\\b\\c.txt"});
  HWND list = control(Control::超级列表框_结果列表);
  post_click(list, row_point(0));
  pump();
  ASSERT_EQ(status(0), "c.txt");
  SetFocus(list);
  PostMessageW(list, WM_KEYDOWN, VK_DOWN, 1);
  pump();
  EXPECT_EQ(toolkit_->selected_result(), 1);
  EXPECT_EQ(status(0), "c.txt");

  toolkit_->set_status_text(0, "");
  const POINT at = row_point(1);
  post_click(list, at);
  PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(at.x, at.y));
  PostMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
  pump();
  EXPECT_EQ(status(0), "a\\b\\c.txt");
  EXPECT_TRUE(shell_.opened.empty());
}

}  // namespace
}  // namespace moxun::testing
