// The created main window against its layout: every control's class, parent, place,
// text, items, chosen item and style, the window itself, its menu, icon and status
// bar.
#include <windows.h>

#include <commctrl.h>
#include <uxtheme.h>

#include <optional>
#include <string>
#include <vector>

#include "host/win32/toolkit_frame.h"
#include "host/win32/toolkit_picture_button.h"
#include "host/win32/wide.h"
#include "tests/window/window_fixture.h"

namespace moxun::testing {
namespace {

std::wstring class_of(HWND hwnd) {
  wchar_t name[128] = {};
  GetClassNameW(hwnd, name, 128);
  return name;
}

std::wstring text_of(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

RECT rect_in_parent(HWND hwnd) {
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

struct Expected {
  Control name;
  const wchar_t* window_class;
  std::optional<Control> parent;  // none: the main window
  int x, y, width, height;        // height -1: the control's own (combo box field)
  const wchar_t* text;
  DWORD style;     // bits that must be set
  DWORD no_style;  // bits that must be clear
  DWORD ex_style;
};

constexpr DWORD kVisibleChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kStaticTypeMask = SS_TYPEMASK;

const std::vector<Expected> kExpected = {
    {Control::外形框1, kFrameClass, std::nullopt, 4, 3, 393, 125, L"", kVisibleChild, WS_BORDER | WS_DISABLED, 0},
    {Control::编辑框_目录路径, L"Edit", Control::外形框1, 7, 5, 273, 32, L"C:\\", kVisibleChild | ES_AUTOHSCROLL,
     ES_MULTILINE | ES_READONLY | ES_PASSWORD | ES_UPPERCASE | ES_LOWERCASE | ES_CENTER | ES_RIGHT | WS_DISABLED, 0},
    {Control::图形按钮选择, kPictureButtonClass, Control::外形框1, 286, 5, 100, 32, L"", kVisibleChild, WS_DISABLED, 0},
    {Control::选择框_含子目录, L"Button", Control::外形框1, 11, 40, 72, 20, L"含子目录", kVisibleChild | BS_AUTOCHECKBOX,
     BS_LEFTTEXT | WS_DISABLED, 0},
    {Control::标签7, L"Static", Control::外形框1, 145, 40, 62, 18, L"最大线程：",
     kVisibleChild | SS_LEFTNOWORDWRAP | SS_CENTERIMAGE, WS_BORDER | WS_DISABLED, 0},
    {Control::组合框_最大线程组, L"ComboBox", Control::外形框1, 208, 40, 68, -1, L"20", kVisibleChild | CBS_DROPDOWNLIST | CBS_HASSTRINGS,
     CBS_SORT | WS_DISABLED, 0},
    {Control::图形按钮开始, kPictureButtonClass, Control::外形框1, 286, 43, 100, 32, L"", kVisibleChild, WS_DISABLED, 0},
    {Control::标签5, L"Static", Control::外形框1, 14, 64, 62, 18, L"搜索文本：",
     kVisibleChild | SS_LEFTNOWORDWRAP | SS_CENTERIMAGE, WS_BORDER | WS_DISABLED, 0},
    {Control::标签_单线内存, L"Static", Control::外形框1, 143, 65, 59, 18, L"单线内存：",
     kVisibleChild | SS_LEFTNOWORDWRAP | SS_CENTERIMAGE, WS_BORDER | WS_DISABLED, 0},
    {Control::组合框_单线内存, L"ComboBox", Control::外形框1, 208, 65, 66, -1, L"256K", kVisibleChild | CBS_DROPDOWNLIST | CBS_HASSTRINGS,
     CBS_SORT | WS_DISABLED, 0},
    {Control::图形按钮停止, kPictureButtonClass, Control::外形框1, 286, 83, 100, 32, L"", kVisibleChild, WS_DISABLED, 0},
    {Control::文本查找框, L"Edit", Control::外形框1, 4, 88, 279, 29, L"", kVisibleChild | ES_AUTOHSCROLL,
     ES_MULTILINE | ES_READONLY | ES_PASSWORD | ES_UPPERCASE | ES_LOWERCASE | ES_CENTER | ES_RIGHT | WS_DISABLED, 0},
    {Control::外形框4, kFrameClass, std::nullopt, 4, 129, 392, 224, L"", kVisibleChild, WS_BORDER | WS_DISABLED, 0},
    {Control::超级列表框_结果列表, L"SysListView32", Control::外形框4, 3, 5, 386, 209, L"",
     kVisibleChild | LVS_REPORT | LVS_SINGLESEL | LVS_NOSORTHEADER,
     LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER | LVS_EDITLABELS | LVS_SORTASCENDING | LVS_SORTDESCENDING | WS_DISABLED,
     WS_EX_STATICEDGE},
    {Control::超级链接框1, L"SysLink", std::nullopt, 9, 359, 183, 14, nullptr, kVisibleChild, WS_DISABLED, 0},
};

class LayoutTest : public WindowTest {};

TEST_F(LayoutTest, EveryControlHasItsClassParentPlaceTextAndStyle) {
  for (const Expected& e : kExpected) {
    SCOPED_TRACE(to_utf8(class_of(control(e.name))) + " " + std::to_string(static_cast<int>(e.name)));
    HWND hwnd = control(e.name);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(class_of(hwnd), e.window_class);
    EXPECT_EQ(GetParent(hwnd), e.parent ? control(*e.parent) : main_window());
    const RECT rect = rect_in_parent(hwnd);
    EXPECT_EQ(rect.left, e.x);
    EXPECT_EQ(rect.top, e.y);
    EXPECT_EQ(rect.right - rect.left, e.width);
    if (e.height >= 0) {
      EXPECT_EQ(rect.bottom - rect.top, e.height);
    }
    if (e.text != nullptr) {
      EXPECT_EQ(text_of(hwnd), e.text);
    }
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    const auto ex_style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
    EXPECT_EQ(style & e.style, e.style);
    EXPECT_EQ(style & e.no_style, 0u);
    EXPECT_EQ(ex_style & e.ex_style, e.ex_style);
    if (e.window_class == std::wstring(L"Static")) {
      EXPECT_EQ(style & kStaticTypeMask, DWORD{SS_LEFTNOWORDWRAP});
    }
    if (e.name != Control::外形框1 && e.name != Control::外形框4 && e.window_class != std::wstring(kPictureButtonClass)) {
      EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageW(hwnd, WM_GETFONT, 0, 0)), GetStockObject(DEFAULT_GUI_FONT));
    }
  }
}

TEST_F(LayoutTest, TheWindowIsCentredFixedAndHasNoMenuBar) {
  HWND w = main_window();
  EXPECT_EQ(text_of(w), L"墨寻");
  RECT rect{};
  GetWindowRect(w, &rect);
  EXPECT_EQ(rect.right - rect.left, 405);
  EXPECT_EQ(rect.bottom - rect.top, 434);
  EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - 405) / 2);
  EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - 434) / 2);
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(w, GWL_STYLE));
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE),
            DWORD{WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE});
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_CHILD | WS_POPUP), 0u);
  EXPECT_EQ(GetWindowLongPtrW(w, GWL_EXSTYLE) & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW), 0);
  EXPECT_EQ(GetWindow(w, GW_OWNER), nullptr);  // unowned: a task-bar button
  EXPECT_EQ(GetMenu(w), nullptr);
  EXPECT_EQ(GetClassLongPtrW(w, GCLP_HBRBACKGROUND), COLOR_BTNFACE + 1);
}

TEST_F(LayoutTest, TheHiddenMenuHoldsTheThreeResultActions) {
  HMENU bar = window_->menu_bar();
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(GetMenuItemCount(bar), 1);
  wchar_t caption[64] = {};
  GetMenuStringW(bar, 0, caption, 64, MF_BYPOSITION);
  EXPECT_STREQ(caption, L"操作");
  HMENU items = GetSubMenu(bar, 0);
  ASSERT_EQ(GetMenuItemCount(items), 3);
  const wchar_t* expected[] = {L"默认方式打开", L"默认编辑器打开", L"浏览所在文件夹"};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    GetMenuStringW(items, static_cast<UINT>(i), caption, 64, MF_BYPOSITION);
    EXPECT_STREQ(caption, expected[i]);
    const UINT state = GetMenuState(items, static_cast<UINT>(i), MF_BYPOSITION);
    EXPECT_EQ(state & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_POPUP | MF_SEPARATOR), 0u);
  }
}

TEST_F(LayoutTest, TheIconHasItsThreeSizesAtThirtyTwoBitsAndIsShown) {
  // The icon group in the executable's resources.
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC group = FindResourceW(module, MAKEINTRESOURCEW(kProgramIconId), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
  ASSERT_NE(group, nullptr);
  const auto* directory = static_cast<const BYTE*>(LockResource(LoadResource(module, group)));
  ASSERT_NE(directory, nullptr);
  const int count = directory[4] | (directory[5] << 8);
  std::vector<std::pair<int, int>> images;  // size, bits per pixel
  for (int i = 0; i < count; ++i) {
    const BYTE* entry = directory + 6 + 14 * i;
    images.emplace_back(entry[0], entry[6] | (entry[7] << 8));
  }
  EXPECT_EQ(images, (std::vector<std::pair<int, int>>{{16, 32}, {32, 32}, {48, 32}}));
  EXPECT_NE(GetClassLongPtrW(main_window(), GCLP_HICON), 0);
  EXPECT_NE(GetClassLongPtrW(main_window(), GCLP_HICONSM), 0);
}

TEST_F(LayoutTest, ComboBoxesListTheirItemsUnsortedWithTheChosenOneAndTallerRows) {
  struct ComboCase {
    Control name;
    std::vector<std::wstring> items;
    std::vector<LPARAM> values;  // empty: none checked
    int chosen;
  };
  const ComboCase cases[] = {
      {Control::组合框_最大线程组, {L"1", L"2", L"5", L"10", L"20"}, {1, 2, 5, 10, 20}, 4},
      {Control::组合框_单线内存, {L"256K", L"512k", L"1M", L"2M", L"10M", L"1K"}, {}, 0},
  };
  // The platform's default row height for the font, from a combo box made plainly.
  HWND plain = CreateWindowExW(0, L"ComboBox", L"", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 60, 160,
                               control(Control::外形框1), nullptr, nullptr, nullptr);
  SendMessageW(plain, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  const auto default_row = SendMessageW(plain, CB_GETITEMHEIGHT, 0, 0);
  DestroyWindow(plain);

  for (const ComboCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.name));
    HWND combo = control(c.name);
    ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(c.items.size()));
    for (std::size_t i = 0; i < c.items.size(); ++i) {
      wchar_t text[32] = {};
      SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      EXPECT_EQ(std::wstring(text), c.items[i]);
      if (!c.values.empty()) {
        EXPECT_EQ(SendMessageW(combo, CB_GETITEMDATA, i, 0), c.values[i]);
      }
    }
    EXPECT_EQ(toolkit_->combo_selection(c.name), c.chosen);
    // Opened, the list reaches down to 160 pixels below the top of the box (Wine
    // places the list from its own idea of the field's height, a few pixels off).
    SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
    COMBOBOXINFO parts{};
    parts.cbSize = sizeof parts;
    ASSERT_TRUE(GetComboBoxInfo(combo, &parts));
    RECT box{};
    RECT list{};
    GetWindowRect(combo, &box);
    GetWindowRect(parts.hwndList, &list);
    EXPECT_TRUE(IsWindowVisible(parts.hwndList));
    EXPECT_NEAR(list.bottom - box.top, 160, 3);
    EXPECT_GT(list.bottom - list.top, 100);
    SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
    EXPECT_EQ(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0), default_row + 1);
  }
}

TEST_F(LayoutTest, TheResultsListHasOneInertLeftColumnWithGridLinesAndNoRows) {
  HWND list = control(Control::超级列表框_结果列表);
  const auto extended = static_cast<DWORD>(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
  EXPECT_EQ(extended & LVS_EX_GRIDLINES, DWORD{LVS_EX_GRIDLINES});
  EXPECT_EQ(extended & (LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES | LVS_EX_TRACKSELECT | LVS_EX_ONECLICKACTIVATE), 0u);
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  ASSERT_NE(header, nullptr);
  EXPECT_TRUE(IsWindowVisible(header));
  EXPECT_EQ(GetWindowLongPtrW(header, GWL_STYLE) & HDS_BUTTONS, 0);  // clicking it does nothing
  ASSERT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 1);
  wchar_t caption[32] = {};
  LVCOLUMNW column{};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_IMAGE;
  column.pszText = caption;
  column.cchTextMax = 32;
  ASSERT_TRUE(SendMessageW(list, LVM_GETCOLUMNW, 0, reinterpret_cast<LPARAM>(&column)));
  EXPECT_STREQ(caption, L"搜寻结果");
  EXPECT_EQ(column.cx, 307);
  EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
  EXPECT_EQ(column.fmt & LVCFMT_IMAGE, 0);
  EXPECT_EQ(toolkit_->result_count(), 0);
  EXPECT_EQ(toolkit_->selected_result(), -1);
}

TEST_F(LayoutTest, TheStatusBarIsDockedWithTwoPanelsAndTheStartUpHint) {
  HWND bar = control(Control::状态条1);
  EXPECT_EQ(class_of(bar), L"msctls_statusbar32");
  EXPECT_EQ(GetParent(bar), main_window());
  EXPECT_EQ(GetWindowLongPtrW(bar, GWL_STYLE) & SBARS_SIZEGRIP, 0);
  RECT client{};
  GetClientRect(main_window(), &client);
  const RECT rect = rect_in_parent(bar);
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.right, client.right);
  EXPECT_EQ(rect.bottom, client.bottom);
  int ends[4] = {};
  ASSERT_EQ(SendMessageW(bar, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(ends)), 2);
  EXPECT_EQ(ends[0], 300);
  EXPECT_EQ(ends[1], -1);
  EXPECT_EQ(status(0), "  先设置要搜索的文件夹！@@。");
  EXPECT_EQ(status(1), "");
  // Panels beyond the two are ignored.
  toolkit_->set_status_text(2, "x");
  toolkit_->set_status_text(-1, "x");
  EXPECT_EQ(status(0), "  先设置要搜索的文件夹！@@。");
  EXPECT_EQ(status(1), "");
}

TEST_F(LayoutTest, InitialStatesAreAsLaidOut) {
  for (int i = 0; i < kControlCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(IsWindowEnabled(control(static_cast<Control>(i))));
    EXPECT_TRUE(IsWindowVisible(control(static_cast<Control>(i))));
  }
  EXPECT_TRUE(toolkit_->is_checked(Control::选择框_含子目录));
  EXPECT_EQ(toolkit_->edit_text(Control::编辑框_目录路径), "C:\\");
  EXPECT_EQ(toolkit_->edit_text(Control::文本查找框), "");
}

// A frame fills white and draws a one-pixel olive outline along its edge.
TEST_F(LayoutTest, FramesAreWhiteWithAnOliveOutline) {
  for (Control frame : {Control::外形框1, Control::外形框4}) {
    SCOPED_TRACE(static_cast<int>(frame));
    RECT area{};
    GetClientRect(control(frame), &area);
    HDC screen = GetDC(nullptr);
    BitmapHandle bitmap(CreateCompatibleBitmap(screen, area.right, area.bottom));
    MemoryDc dc(CreateCompatibleDC(screen));
    ReleaseDC(nullptr, screen);
    ScopedSelect selected(dc.get(), bitmap.get());
    SendMessageW(control(frame), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
    const COLORREF outline = RGB(128, 128, 0);
    EXPECT_EQ(GetPixel(dc.get(), 0, 0), outline);
    EXPECT_EQ(GetPixel(dc.get(), area.right - 1, area.bottom - 1), outline);
    EXPECT_EQ(GetPixel(dc.get(), area.right / 2, 0), outline);
    EXPECT_EQ(GetPixel(dc.get(), 0, area.bottom / 2), outline);
    EXPECT_EQ(GetPixel(dc.get(), 1, 1), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc.get(), area.right / 2, area.bottom / 2), RGB(255, 255, 255));
  }
}

// Labels and the check box are black on white inside their frame.
TEST_F(LayoutTest, LabelsAndTheCheckBoxAreBlackOnWhite) {
  for (Control name : {Control::标签7, Control::标签5, Control::标签_单线内存, Control::选择框_含子目录}) {
    SCOPED_TRACE(static_cast<int>(name));
    HDC dc = GetDC(control(name));
    const auto brush = SendMessageW(GetParent(control(name)), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                    reinterpret_cast<LPARAM>(control(name)));
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(brush), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
    ReleaseDC(control(name), dc);
  }
}

// The edit boxes draw a one-pixel border and are black on white.
TEST_F(LayoutTest, EditBoxesHaveAOnePixelBorderAndBlackTextOnWhite) {
  for (Control name : {Control::编辑框_目录路径, Control::文本查找框}) {
    SCOPED_TRACE(static_cast<int>(name));
    HWND edit = control(name);
    RECT outer{};
    GetWindowRect(edit, &outer);
    const int w = outer.right - outer.left;
    const int h = outer.bottom - outer.top;
    HDC screen = GetDC(nullptr);
    BitmapHandle bitmap(CreateCompatibleBitmap(screen, w, h));
    MemoryDc dc(CreateCompatibleDC(screen));
    ReleaseDC(nullptr, screen);
    {
      ScopedSelect selected(dc.get(), bitmap.get());
      SendMessageW(edit, WM_PRINT, reinterpret_cast<WPARAM>(dc.get()),
                   PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
      const COLORREF white = RGB(255, 255, 255);
      EXPECT_NE(GetPixel(dc.get(), 0, h / 2), white);
      EXPECT_EQ(GetPixel(dc.get(), 1, h / 2), white);
      EXPECT_NE(GetPixel(dc.get(), w - 1, h / 2), white);
      EXPECT_EQ(GetPixel(dc.get(), w - 2, h / 2), white);
      EXPECT_NE(GetPixel(dc.get(), w - 5, 0), white);
      EXPECT_EQ(GetPixel(dc.get(), w - 5, 1), white);
      EXPECT_NE(GetPixel(dc.get(), w - 5, h - 1), white);
      EXPECT_EQ(GetPixel(dc.get(), w - 5, h - 2), white);
    }
    HDC edit_dc = GetDC(edit);
    const auto brush = SendMessageW(GetParent(edit), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(edit_dc),
                                    reinterpret_cast<LPARAM>(edit));
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(brush), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(GetTextColor(edit_dc), RGB(0, 0, 0));
    ReleaseDC(edit, edit_dc);
  }
}

// Scheme 1 of the alternative drawing style: where a theme draws the standard
// controls, their one-pixel frames take RGB(123, 158, 189).
TEST_F(LayoutTest, UnderAThemeTheResultsListsFrameTakesTheStyledColour) {
  HWND list = control(Control::超级列表框_结果列表);
  if (GetWindowTheme(list) == nullptr) GTEST_SKIP() << "no theme draws the controls here";
  RedrawWindow(list, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  RECT rect{};
  GetWindowRect(list, &rect);
  HDC screen = GetDC(nullptr);
  const COLORREF left = GetPixel(screen, rect.left, (rect.top + rect.bottom) / 2);
  const COLORREF bottom = GetPixel(screen, (rect.left + rect.right) / 2, rect.bottom - 1);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(left, RGB(123, 158, 189));
  EXPECT_EQ(bottom, RGB(123, 158, 189));
}

TEST_F(LayoutTest, ClickingTheLinkRequestsTheUsagePageOnceAndKeepsTheFocus) {
  SetFocus(control(Control::文本查找框));
  HWND link = control(Control::超级链接框1);
  post_click(link, POINT{5, 7});
  ASSERT_TRUE(wait_until([&] { return !shell_.web_pages.empty(); }));
  pump();
  EXPECT_EQ(shell_.web_pages, std::vector<std::string>{expected_usage_page()});
  EXPECT_EQ(GetFocus(), control(Control::文本查找框));
  EXPECT_EQ(expected_usage_page().rfind("file:///", 0), 0u);
  EXPECT_NE(expected_usage_page().find("/usage.html"), std::string::npos);
}

TEST_F(LayoutTest, ClickingGivesTheFocusOnlyToEditBoxesComboBoxesTheCheckBoxAndTheList) {
  struct FocusCase {
    Control clicked;
    bool takes_focus;
  };
  const FocusCase cases[] = {
      {Control::编辑框_目录路径, true}, {Control::组合框_单线内存, true}, {Control::选择框_含子目录, true},
      {Control::超级列表框_结果列表, true}, {Control::图形按钮停止, false}, {Control::标签5, false},
      {Control::外形框4, false},
  };
  for (const FocusCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.clicked));
    SetFocus(control(Control::文本查找框));
    HWND target = control(c.clicked);
    POINT at{5, 5};
    if (c.clicked == Control::外形框4) at = POINT{1, 220};  // below the list
    post_click(target, at);
    // A dropped-down combo list closes again at the next click elsewhere.
    PostMessageW(control(Control::组合框_单线内存), CB_SHOWDROPDOWN, FALSE, 0);
    pump();
    if (c.takes_focus) {
      EXPECT_EQ(GetFocus(), target);
    } else {
      EXPECT_EQ(GetFocus(), control(Control::文本查找框));
    }
  }
}

}  // namespace
}  // namespace moxun::testing
