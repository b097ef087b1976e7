#include "host/win32/shell.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "host/win32/wide.h"

namespace moxun {

namespace {

// COM for the calling thread for one shell call: the folder picker's dialog and some
// shell actions need it. CoUninitialize only follows a successful initialisation.
class ComScope {
 public:
  ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT result_;
};

const wchar_t* verb_of(ShellAction action) {
  switch (action) {
    case ShellAction::edit:
      return L"edit";
    case ShellAction::explore:
      return L"explore";
    case ShellAction::default_action:
      break;
  }
  return nullptr;  // the default action of the file's type
}

class DesktopShell final : public Shell {
 public:
  void open(ShellAction action, const std::string& path) override {
    ComScope com;
    ShellExecuteW(nullptr, verb_of(action), to_wide(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  }

  void open_web_page(const std::string& address) override {
    ComScope com;
    ShellExecuteW(nullptr, L"open", to_wide(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  }

  std::string choose_folder(HWND owner, const std::string& prompt) override {
    ComScope com;
    const std::wstring title = to_wide(prompt);
    BROWSEINFOW browse{};
    browse.hwndOwner = owner;
    browse.pidlRoot = nullptr;  // the desktop's whole folder tree
    browse.lpszTitle = title.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
    if (chosen == nullptr) return {};
    wchar_t path[MAX_PATH] = {};
    const bool is_folder = SHGetPathFromIDListW(chosen, path) != FALSE;
    CoTaskMemFree(chosen);
    return is_folder ? to_utf8(path) : std::string();
  }
};

}  // namespace

Shell& desktop_shell() {
  static DesktopShell shell;
  return shell;
}

std::string usage_page_address() {
  std::wstring module(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size()));
    if (length == 0) return {};
    if (length < module.size()) {
      module.resize(length);
      break;
    }
    module.resize(module.size() * 2);
  }
  const std::size_t slash = module.find_last_of(L"\\/");
  const std::wstring page = module.substr(0, slash == std::wstring::npos ? 0 : slash + 1) + L"usage.html";
  // Three times the path's length covers every character escaped as %XX.
  std::wstring address(page.size() * 3 + 16, L'\0');
  DWORD size = static_cast<DWORD>(address.size());
  if (FAILED(UrlCreateFromPathW(page.c_str(), address.data(), &size, 0))) return {};
  address.resize(size);
  return to_utf8(address);
}

}  // namespace moxun
