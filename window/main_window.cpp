#include "window/main_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <array>
#include <optional>
#include <string>

#include "host/win32/shell.h"
#include "host/win32/toolkit_combo.h"
#include "host/win32/toolkit_frame.h"
#include "host/win32/toolkit_guard.h"
#include "host/win32/toolkit_messages.h"
#include "host/win32/toolkit_picture_button.h"
#include "window/handlers.h"

namespace moxun {

namespace {

// One control of the layout. Places are relative to the parent's client area: the
// main window (no parent) or the frame that holds the control.
struct ControlPlacement {
  Control name;
  const wchar_t* window_class;
  std::optional<Control> parent;
  int x, y, width, height;
  const wchar_t* text;
  DWORD style;
  DWORD ex_style;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kEditStyle = kChild | WS_TABSTOP | WS_BORDER | ES_LEFT | ES_AUTOHSCROLL;
constexpr DWORD kLabelStyle = kChild | SS_LEFTNOWORDWRAP | SS_CENTERIMAGE;
// A drop-down list's height sets only how far its opened list reaches.
// Without integral height the opened list reaches exactly that far.
constexpr DWORD kComboStyle =
    kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_NOINTEGRALHEIGHT | kTallRowComboStyle;
constexpr int kComboListReach = 160;

const std::array<ControlPlacement, kControlCount> kLayout = {{
    {Control::外形框1, kFrameClass, std::nullopt, 4, 3, 393, 125, L"", kChild | WS_CLIPCHILDREN, 0},
    {Control::编辑框_目录路径, WC_EDITW, Control::外形框1, 7, 5, 273, 32, L"C:\\", kEditStyle, 0},
    {Control::图形按钮选择, kPictureButtonClass, Control::外形框1, 286, 5, 100, 32, L"", kChild, 0},
    {Control::选择框_含子目录, WC_BUTTONW, Control::外形框1, 11, 40, 72, 20, L"含子目录",
     kChild | WS_TABSTOP | BS_AUTOCHECKBOX, 0},
    {Control::标签7, WC_STATICW, Control::外形框1, 145, 40, 62, 18, L"最大线程：", kLabelStyle, 0},
    {Control::组合框_最大线程组, WC_COMBOBOXW, Control::外形框1, 208, 40, 68, kComboListReach, L"", kComboStyle, 0},
    {Control::图形按钮开始, kPictureButtonClass, Control::外形框1, 286, 43, 100, 32, L"", kChild, 0},
    {Control::标签5, WC_STATICW, Control::外形框1, 14, 64, 62, 18, L"搜索文本：", kLabelStyle, 0},
    {Control::标签_单线内存, WC_STATICW, Control::外形框1, 143, 65, 59, 18, L"单线内存：", kLabelStyle, 0},
    {Control::组合框_单线内存, WC_COMBOBOXW, Control::外形框1, 208, 65, 66, kComboListReach, L"", kComboStyle, 0},
    {Control::图形按钮停止, kPictureButtonClass, Control::外形框1, 286, 83, 100, 32, L"", kChild, 0},
    {Control::文本查找框, WC_EDITW, Control::外形框1, 4, 88, 279, 29, L"", kEditStyle, 0},
    {Control::外形框4, kFrameClass, std::nullopt, 4, 129, 392, 224, L"", kChild | WS_CLIPCHILDREN, 0},
    {Control::超级列表框_结果列表, WC_LISTVIEWW, Control::外形框4, 3, 5, 386, 209, L"",
     kChild | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_NOSORTHEADER, WS_EX_STATICEDGE},
    {Control::超级链接框1, WC_LINK, std::nullopt, 9, 359, 183, 14, L"<a>使用说明</a>", kChild, 0},
    // Docks itself to the bottom of the client area whatever this rectangle says.
    {Control::状态条1, STATUSCLASSNAMEW, std::nullopt, 8, 360, 436, 20, L"", kChild, 0},
}};

struct ComboItem {
  const wchar_t* text;
  LPARAM value;
};
constexpr std::array<ComboItem, 5> kThreadItems = {{{L"1", 1}, {L"2", 2}, {L"5", 5}, {L"10", 10}, {L"20", 20}}};
constexpr int kThreadChosen = 4;
constexpr std::array<const wchar_t*, 6> kChunkItems = {L"256K", L"512k", L"1M", L"2M", L"10M", L"1K"};
constexpr int kChunkChosen = 0;

constexpr int kStatusPanel0Width = 300;
constexpr COLORREF kControlText = RGB(0, 0, 0);
constexpr COLORREF kControlBackground = RGB(255, 255, 255);

// Subclass numbers of the controls whose presses the window handles itself.
enum : UINT_PTR {
  kSearchBoxSubclass = 1,
  kResultsListSubclass = 2,
  kLinkSubclass = 3,
};

std::optional<Control> control_of_id(int id) {
  const int index = id - kFirstControlId;
  if (index < 0 || index >= kControlCount) return std::nullopt;
  return static_cast<Control>(index);
}

}  // namespace

MainWindow::~MainWindow() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

bool MainWindow::create() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  INITCOMMONCONTROLSEX common{sizeof(INITCOMMONCONTROLSEX),
                              ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_LINK_CLASS};
  InitCommonControlsEx(&common);
  register_frame_class(instance);
  register_picture_button_class(instance);

  WNDCLASSEXW window_class{};
  if (!GetClassInfoExW(instance, kMainWindowClass, &window_class)) {
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = instance;
    // Shared icons are the module's own and are never destroyed.
    window_class.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kProgramIconId), IMAGE_ICON,
                                                       GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON),
                                                       LR_SHARED));
    window_class.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kProgramIconId), IMAGE_ICON,
                                                         GetSystemMetrics(SM_CXSMICON),
                                                         GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    window_class.lpszClassName = kMainWindowClass;
    if (!RegisterClassExW(&window_class)) return false;
  }

  // Centred; the halves are rounded toward zero.
  const int x = (GetSystemMetrics(SM_CXSCREEN) - kMainWindowWidth) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - kMainWindowHeight) / 2;
  // A fixed frame with a title bar: no sizing border, no maximise button.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE;
  CreateWindowExW(0, kMainWindowClass, L"墨寻", style, x, y, kMainWindowWidth, kMainWindowHeight, nullptr, nullptr,
                  instance, this);
  return hwnd_ != nullptr;
}

LRESULT CALLBACK MainWindow::procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  return without_exceptions([&]() -> LRESULT {
    if (message == WM_NCCREATE) {
      auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
      self->hwnd_ = hwnd;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
    if (message == WM_NCDESTROY) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      self->hwnd_ = nullptr;
      return DefWindowProcW(hwnd, message, wparam, lparam);
    }
    return self->dispatch(message, wparam, lparam);
  });
}

LRESULT MainWindow::dispatch(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      return on_create();
    case WM_COMMAND:
      on_command(wparam, lparam);
      return 0;
    case WM_NOTIFY:
      return on_notify(*reinterpret_cast<const NMHDR*>(lparam));
    case WM_MEASUREITEM:
      return on_measure_item(*reinterpret_cast<MEASUREITEMSTRUCT*>(lparam));
    case WM_DRAWITEM:
      return on_draw_item(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
      return on_control_colour(message, reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
    case WM_CLOSE:
      on_close_request();
      return 0;
    case WM_QUERYENDSESSION:
      on_close_request();
      return TRUE;
    case WM_ENDSESSION:
      if (wparam != FALSE) on_close_request();
      return 0;
    case WM_SIZE:
      SendMessageW(toolkit_.control(Control::状态条1), WM_SIZE, 0, 0);
      return 0;
    case kAddResultRowMessage:
      return toolkit_.add_result_row(*reinterpret_cast<const std::string*>(lparam));
    case WM_DESTROY:
      toolkit_.detach();
      return 0;
    default:
      return DefWindowProcW(hwnd_, message, wparam, lparam);
  }
}

LRESULT MainWindow::on_create() {
  Win32Toolkit::Parts parts;
  parts.window = hwnd_;
  parts.controls = make_controls();
  make_result_menu();
  parts.result_menu = GetSubMenu(menu_bar_.get(), 0);
  toolkit_.attach(parts);
  if (events_.created != nullptr) events_.created();
  return 0;
}

std::array<HWND, kControlCount> MainWindow::make_controls() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
  std::array<HWND, kControlCount> made{};
  for (const ControlPlacement& at : kLayout) {
    HWND parent = at.parent ? made[static_cast<std::size_t>(*at.parent)] : hwnd_;
    HWND control = CreateWindowExW(at.ex_style, at.window_class, at.text, at.style, at.x, at.y, at.width, at.height,
                                   parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_id(at.name))),
                                   instance, nullptr);
    made[static_cast<std::size_t>(at.name)] = control;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  auto at = [&](Control name) { return made[static_cast<std::size_t>(name)]; };

  for (Control button : {Control::图形按钮选择, Control::图形按钮开始, Control::图形按钮停止}) {
    set_picture_button_transparent_colour(at(button), Colour{255, 0, 255});
  }

  SendMessageW(at(Control::选择框_含子目录), BM_SETCHECK, BST_CHECKED, 0);

  HWND threads = at(Control::组合框_最大线程组);
  for (const ComboItem& item : kThreadItems) {
    const auto index = SendMessageW(threads, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.text));
    SendMessageW(threads, CB_SETITEMDATA, static_cast<WPARAM>(index), item.value);
  }
  SendMessageW(threads, CB_SETCURSEL, kThreadChosen, 0);
  HWND chunks = at(Control::组合框_单线内存);
  for (const wchar_t* text : kChunkItems) SendMessageW(chunks, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  SendMessageW(chunks, CB_SETCURSEL, kChunkChosen, 0);

  HWND list = at(Control::超级列表框_结果列表);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES, LVS_EX_GRIDLINES);
  wchar_t caption[] = L"搜寻结果";
  LVCOLUMNW column{};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
  column.fmt = LVCFMT_LEFT;
  column.cx = 307;
  column.pszText = caption;
  SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));

  HWND status = at(Control::状态条1);
  int panel_ends[2] = {kStatusPanel0Width, -1};
  SendMessageW(status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(panel_ends));
  SendMessageW(status, WM_SIZE, 0, 0);

  SetWindowSubclass(at(Control::文本查找框), control_procedure, kSearchBoxSubclass, reinterpret_cast<DWORD_PTR>(this));
  SetWindowSubclass(list, control_procedure, kResultsListSubclass, reinterpret_cast<DWORD_PTR>(this));
  SetWindowSubclass(at(Control::超级链接框1), control_procedure, kLinkSubclass, reinterpret_cast<DWORD_PTR>(this));
  return made;
}

// The one top-level menu, "操作", is never given to the window as its menu bar: it
// serves only as the results list's popup.
void MainWindow::make_result_menu() {
  menu_bar_.reset(CreateMenu());
  HMENU items = CreatePopupMenu();
  AppendMenuW(items, MF_STRING, kOpenDefaultItem, L"默认方式打开");
  AppendMenuW(items, MF_STRING, kOpenEditorItem, L"默认编辑器打开");
  AppendMenuW(items, MF_STRING, kExploreFolderItem, L"浏览所在文件夹");
  AppendMenuW(menu_bar_.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(items), L"操作");
}

void MainWindow::on_command(WPARAM wparam, LPARAM lparam) {
  const int id = LOWORD(wparam);
  if (lparam == 0 && HIWORD(wparam) == 0) {
    switch (id) {
      case kOpenDefaultItem:
        open_selected_default();
        return;
      case kOpenEditorItem:
        open_selected_editor();
        return;
      case kExploreFolderItem:
        open_containing_folder();
        return;
      default:
        return;
    }
  }
  if (HIWORD(wparam) != BN_CLICKED) return;
  const std::optional<Control> source = control_of_id(id);
  if (!source) return;
  switch (*source) {
    case Control::图形按钮选择:
      choose_search_folder();
      return;
    case Control::图形按钮开始:
      start_search();
      return;
    case Control::图形按钮停止:
      request_stop();
      return;
    case Control::选择框_含子目录:
      show_subfolder_hint();
      return;
    default:
      return;
  }
}

LRESULT MainWindow::on_notify(const NMHDR& notice) {
  const std::optional<Control> source = control_of_id(static_cast<int>(notice.idFrom));
  if (source == Control::超级列表框_结果列表 && (notice.code == NM_CLICK || notice.code == NM_DBLCLK)) {
    // The list has handled the click already: the selection reflects it.
    show_selected_path();
  } else if (source == Control::超级链接框1 && notice.code == NM_CLICK) {
    toolkit_.open_web_page(usage_page_address());
  }
  return 0;
}

// The combo boxes are drawn by the window (their rows are taller than standard).
LRESULT MainWindow::on_measure_item(MEASUREITEMSTRUCT& item) {
  if (item.CtlType != ODT_COMBOBOX) return FALSE;
  measure_combo_item(item, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
  return TRUE;
}

LRESULT MainWindow::on_draw_item(const DRAWITEMSTRUCT& item) {
  if (item.CtlType != ODT_COMBOBOX) return FALSE;
  draw_combo_item(item);
  return TRUE;
}

// The controls inside the frames (labels, the check box, the edit boxes) are black on
// white; everything else keeps the system's colours.
LRESULT MainWindow::on_control_colour(UINT message, HDC dc, HWND control) {
  HWND parent = GetParent(control);
  if (parent != toolkit_.control(Control::外形框1) && parent != toolkit_.control(Control::外形框4)) {
    return DefWindowProcW(hwnd_, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
  }
  SetTextColor(dc, kControlText);
  SetBkColor(dc, kControlBackground);
  return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
}

// The window is never closed in the ordinary way: the handler ends the program.
void MainWindow::on_close_request() {
  if (events_.close_requested != nullptr) events_.close_requested();
}

LRESULT CALLBACK MainWindow::control_procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                                               UINT_PTR subclass, DWORD_PTR self_data) {
  return without_exceptions([&]() -> LRESULT {
    auto* self = reinterpret_cast<MainWindow*>(self_data);
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, control_procedure, subclass);
    switch (subclass) {
      case kSearchBoxSubclass:
        self->on_search_box_message(message);
        break;
      case kResultsListSubclass:
        if (self->on_results_list_message(message, lparam)) return 0;
        break;
      case kLinkSubclass:
        if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) {
          self->on_link_press(hwnd, message, wparam, lparam);
          return 0;
        }
        break;
      default:
        break;
    }
    return DefSubclassProc(hwnd, message, wparam, lparam);
  });
}

// The hint comes before the box takes the press (focus, caret); every press shows it.
bool MainWindow::on_search_box_message(UINT message) {
  if (message != WM_LBUTTONDOWN && message != WM_LBUTTONDBLCLK) return false;
  show_search_box_hint();
  return false;
}

// A right press selects the row under the pointer (or clears the selection over no
// row, as the list itself would) and gives the list the focus, then shows the menu,
// so that the chosen action applies to the row under the pointer. The list's own
// handling of the press is not run afterwards: it would wait for a button release
// that the menu has already consumed.
bool MainWindow::on_results_list_message(UINT message, LPARAM lparam) {
  if (message != WM_RBUTTONDOWN && message != WM_RBUTTONDBLCLK) return false;
  HWND list = toolkit_.control(Control::超级列表框_结果列表);
  LVHITTESTINFO hit{};
  hit.pt = POINT{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  const int row = static_cast<int>(SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  if (row >= 0 && (hit.flags & LVHT_ONITEM) != 0) {
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
  } else {
    state.stateMask = LVIS_SELECTED;
    state.state = 0;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
  }
  SetFocus(list);
  show_result_menu();
  return true;
}

// The link takes its press as usual (it reports the click when the button comes up)
// but the keyboard focus stays where it was.
void MainWindow::on_link_press(HWND link, UINT message, WPARAM wparam, LPARAM lparam) {
  HWND focus = GetFocus();
  DefSubclassProc(link, message, wparam, lparam);
  if (focus != nullptr && GetFocus() != focus && IsWindow(focus)) SetFocus(focus);
}

}  // namespace moxun
