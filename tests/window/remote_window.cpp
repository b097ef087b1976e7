#include "tests/window/remote_window.h"

#include <commctrl.h>
#include <shlobj.h>

#include <thread>

#include "host/win32/wide.h"
#include "window/main_window.h"

namespace moxun::testing {

namespace {

// Memory in the target process for one message's in/out structure.
class RemoteBlock {
 public:
  RemoteBlock(HANDLE process, std::size_t size)
      : process_(process), address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {}
  ~RemoteBlock() {
    if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  }
  RemoteBlock(const RemoteBlock&) = delete;
  RemoteBlock& operator=(const RemoteBlock&) = delete;

  void* address() const { return address_; }
  void write(const void* data, std::size_t size, std::size_t offset = 0) const {
    WriteProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, nullptr);
  }
  void read(void* data, std::size_t size, std::size_t offset = 0) const {
    ReadProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, nullptr);
  }

 private:
  HANDLE process_;
  void* address_;
};

constexpr std::size_t kTextRoom = 4096;

struct MainWindowSearch {
  DWORD process_id;
  HWND found;
};

BOOL CALLBACK match_main_window(HWND hwnd, LPARAM lparam) {
  auto* search = reinterpret_cast<MainWindowSearch*>(lparam);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  if (owner == search->process_id && lstrcmpW(name, kMainWindowClass) == 0 && IsWindowVisible(hwnd)) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

struct DialogSearch {
  DWORD process_id;
  HWND found;
};

BOOL CALLBACK match_dialog(HWND hwnd, LPARAM lparam) {
  auto* search = reinterpret_cast<DialogSearch*>(lparam);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  if (owner == search->process_id && lstrcmpW(name, L"#32770") == 0 && IsWindowVisible(hwnd)) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK match_edit(HWND hwnd, LPARAM lparam) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  if (lstrcmpiW(name, L"Edit") == 0 && IsWindowVisible(hwnd)) {
    *reinterpret_cast<HWND*>(lparam) = hwnd;
    return FALSE;
  }
  return TRUE;
}

struct ControlSearch {
  int id;
  HWND found;
};

BOOL CALLBACK match_control(HWND hwnd, LPARAM lparam) {
  auto* search = reinterpret_cast<ControlSearch*>(lparam);
  if (GetDlgCtrlID(hwnd) == search->id) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

StartedProcess start_process(const std::wstring& executable, const std::wstring& arguments) {
  std::wstring command = L"\"" + executable + L"\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  StartedProcess result;
  if (!CreateProcessW(executable.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &started)) {
    return result;
  }
  CloseHandle(started.hThread);
  result.process.reset(started.hProcess);
  result.id = started.dwProcessId;
  return result;
}

bool poll_until(const std::function<bool()>& condition, std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

HWND wait_for_main_window(DWORD process_id, std::chrono::milliseconds deadline) {
  MainWindowSearch search{process_id, nullptr};
  poll_until(
      [&] {
        EnumWindows(match_main_window, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      deadline);
  return search.found;
}

HWND find_control(HWND main_window, Control control) {
  ControlSearch search{control_id(control), nullptr};
  EnumChildWindows(main_window, match_control, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string panel0_text(HWND main_window) {
  wchar_t text[kTextRoom] = {};
  SendMessageTimeoutW(find_control(main_window, Control::状态条1), WM_GETTEXT, kTextRoom,
                      reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
  return to_utf8(text);
}

std::string panel_text(HWND main_window, HANDLE process, int panel) {
  RemoteBlock block(process, kTextRoom * sizeof(wchar_t));
  const wchar_t nothing = L'\0';
  block.write(&nothing, sizeof nothing);
  SendMessageTimeoutW(find_control(main_window, Control::状态条1), SB_GETTEXTW, static_cast<WPARAM>(panel),
                      reinterpret_cast<LPARAM>(block.address()), SMTO_ABORTIFHUNG, 5000, nullptr);
  std::wstring text(kTextRoom, L'\0');
  block.read(text.data(), kTextRoom * sizeof(wchar_t));
  text.resize(text.find(L'\0'));
  return to_utf8(text);
}

std::vector<std::string> result_rows(HWND main_window, HANDLE process) {
  HWND list = find_control(main_window, Control::超级列表框_结果列表);
  DWORD_PTR count = 0;
  SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count);
  // One block: the item structure, then room for its text.
  RemoteBlock block(process, sizeof(LVITEMW) + kTextRoom * sizeof(wchar_t));
  std::vector<std::string> rows;
  for (DWORD_PTR row = 0; row < count; ++row) {
    LVITEMW item{};
    item.iSubItem = 0;
    item.cchTextMax = static_cast<int>(kTextRoom);
    item.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(block.address()) + sizeof(LVITEMW));
    block.write(&item, sizeof item);
    DWORD_PTR length = 0;
    SendMessageTimeoutW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(block.address()), SMTO_ABORTIFHUNG,
                        5000, &length);
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    block.read(text.data(), text.size() * sizeof(wchar_t), sizeof(LVITEMW));
    rows.push_back(to_utf8(text));
  }
  return rows;
}

void post_click(HWND target) {
  RECT area{};
  GetClientRect(target, &area);
  post_click(target, POINT{area.right / 2, area.bottom / 2});
}

void post_click(HWND target, POINT at) {
  const LPARAM where = MAKELPARAM(at.x, at.y);
  PostMessageW(target, WM_MOUSEMOVE, 0, where);
  PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, where);
  PostMessageW(target, WM_LBUTTONUP, 0, where);
}

void post_text(HWND target, const std::wstring& text) {
  for (wchar_t c : text) PostMessageW(target, WM_CHAR, c, 1);
}

HWND wait_for_dialog(DWORD process_id, std::chrono::milliseconds deadline) {
  DialogSearch search{process_id, nullptr};
  poll_until(
      [&] {
        EnumWindows(match_dialog, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      deadline);
  return search.found;
}

bool choose_folder_through_picker(HWND main_window, const std::wstring& folder) {
  DWORD process_id = 0;
  GetWindowThreadProcessId(main_window, &process_id);
  post_click(find_control(main_window, Control::图形按钮选择));
  HWND picker = wait_for_dialog(process_id, std::chrono::seconds(60));
  if (picker == nullptr) return false;
  HWND box = nullptr;
  // The picker fills its tree (and the box) after it shows: wait for the box.
  poll_until(
      [&] {
        EnumChildWindows(picker, match_edit, reinterpret_cast<LPARAM>(&box));
        return box != nullptr;
      },
      std::chrono::seconds(30));
  if (box == nullptr) return false;
  // The folder is selected in the picker's tree with the picker's own message, as an
  // automation tool does (Wine's picker ignores a full path typed into its box); the
  // path goes through memory in the program's process.
  KernelHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process_id));
  if (!process) return false;
  RemoteBlock path(process.get(), (folder.size() + 1) * sizeof(wchar_t));
  path.write(folder.c_str(), (folder.size() + 1) * sizeof(wchar_t));
  // The box shows the selected folder's name once the selection has moved; until the
  // picker has finished filling its tree the request may be lost, so it is repeated.
  const std::wstring name = folder.substr(folder.find_last_of(L'\\') + 1);
  const bool selected = poll_until(
      [&] {
        SendMessageTimeoutW(picker, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(path.address()),
                            SMTO_ABORTIFHUNG, 10000, nullptr);
        wchar_t shown[MAX_PATH] = {};
        SendMessageTimeoutW(box, WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(shown), SMTO_ABORTIFHUNG, 5000,
                            nullptr);
        return name == shown;
      },
      std::chrono::seconds(30));
  if (!selected) {
    PostMessageW(picker, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return false;
  }
  PostMessageW(picker, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(picker, IDOK)));
  return poll_until([&] { return !IsWindow(picker) || !IsWindowVisible(picker); }, std::chrono::seconds(30));
}

DWORD wait_for_exit(HANDLE process, std::chrono::milliseconds deadline) {
  if (WaitForSingleObject(process, static_cast<DWORD>(deadline.count())) != WAIT_OBJECT_0) return STILL_ACTIVE;
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process, &code);
  return code;
}

std::vector<CloseRequest> close_requests() {
  return {
      {"WM_CLOSE", [](HWND w) { PostMessageW(w, WM_CLOSE, 0, 0); }},
      {"close button / system menu", [](HWND w) { PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {"Alt+F4", [](HWND w) { PostMessageW(w, WM_SYSKEYDOWN, VK_F4, (1 << 29) | 1); }},
      {"Esc in the search box",
       [](HWND w) { PostMessageW(find_control(w, Control::文本查找框), WM_KEYDOWN, VK_ESCAPE, 1); }},
      {"Esc in the results list",
       [](HWND w) { PostMessageW(find_control(w, Control::超级列表框_结果列表), WM_KEYDOWN, VK_ESCAPE, 1); }},
      {"WM_QUERYENDSESSION", [](HWND w) { PostMessageW(w, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF); }},
      {"WM_ENDSESSION", [](HWND w) { PostMessageW(w, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF); }},
  };
}

}  // namespace moxun::testing
