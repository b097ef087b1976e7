// The desktop shell: carrying out an action on a path, opening a web page, and the
// folder picker. Every request of the program goes through one Shell, so tests put in
// their own and no browser, file manager or dialog appears.
#pragma once

#include <windows.h>

#include <string>

#include "host/toolkit.h"

namespace moxun {

class Shell {
 public:
  virtual ~Shell() = default;
  // The action on the path in a normal window, without parameters or working folder.
  // The outcome is not examined.
  virtual void open(ShellAction action, const std::string& path) = 0;
  // "open" on the address, which shows it in the default browser.
  virtual void open_web_page(const std::string& address) = 0;
  // The modal folder picker, owned by owner: folders only, a box for typing a folder
  // name, no button for making one. The chosen folder's full path (ending in "\" only
  // for a drive's root), or "" for a cancel or an item that is no file-system folder.
  virtual std::string choose_folder(HWND owner, const std::string& prompt) = 0;
};

// The real desktop shell.
Shell& desktop_shell();

// The file:// address of usage.html beside the running executable.
std::string usage_page_address();

}  // namespace moxun
