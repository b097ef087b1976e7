// The real main window in the test process, on the test thread, with a shell that
// records every request instead of carrying it out.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/win32/shell.h"
#include "host/win32/toolkit.h"
#include "window/main_window.h"

namespace moxun::testing {

class RecordingShell final : public Shell {
 public:
  struct Request {
    ShellAction action;
    std::string path;
    bool operator==(const Request&) const = default;
  };

  void open(ShellAction action, const std::string& path) override { opened.push_back({action, path}); }
  void open_web_page(const std::string& address) override { web_pages.push_back(address); }
  std::string choose_folder(HWND owner, const std::string& prompt) override {
    prompts.push_back(prompt);
    owners.push_back(owner);
    if (while_picking) while_picking();
    if (folder_answers.empty()) return {};
    std::string answer = folder_answers.front();
    folder_answers.pop_front();
    return answer;
  }

  std::vector<Request> opened;
  std::vector<std::string> web_pages;
  std::vector<std::string> prompts;
  std::vector<HWND> owners;
  // The next answers of the picker, in order; "" (or none left) is a cancel.
  std::deque<std::string> folder_answers;
  // Runs while the picker is "open".
  std::function<void()> while_picking;
};

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  HWND control(Control name) const { return toolkit_->control(name); }
  HWND main_window() const { return window_->hwnd(); }

  // Handles the test thread's messages until the condition holds or the deadline
  // passes; answers whether it holds.
  bool wait_until(const std::function<bool()>& condition,
                  std::chrono::milliseconds deadline = std::chrono::seconds(20));
  // Handles whatever is queued now.
  void pump();

  // A left click as the mouse makes it, posted: press and release at a point of the
  // control (its centre by default).
  void post_click(HWND target, POINT at);
  void post_click(Control name);
  // Clicks the control and handles the messages that follow.
  void click(Control name);
  // Types the text into the control as WM_CHAR messages.
  void type(Control name, const std::wstring& text);

  std::string status(int panel) const;
  std::vector<std::string> rows() const;
  // Where a row of the results list is, in the list's client coordinates.
  POINT row_point(int row) const;
  // Posts a right press over the row (or a point of no row) and the keys that pick
  // the n-th item of the popup menu that it opens (0: close the menu unchosen).
  void choose_menu_item(POINT at, int item);

  static int close_requests;

  RecordingShell shell_;
  std::unique_ptr<Win32Toolkit> toolkit_;
  std::unique_ptr<MainWindow> window_;
};

// The usage page's address as the program computes it for this executable.
std::string expected_usage_page();

}  // namespace moxun::testing
