// What the user can do with a row of the results list: the popup menu's three shell
// actions and showing the row's text in the status bar.
//
// A row's text is its file's path relative to the chosen folder; the full path is the
// current search_folder followed directly by the row text.
#include "host/files.h"
#include "host/text.h"
#include "search/search_job.h"
#include "window/handlers.h"

namespace moxun {

namespace {

WindowToolkit& window() { return *search_job().toolkit; }

void open_selected(ShellAction action) {
  const int row = window().selected_result();
  if (row == -1) return;
  window().shell_open(action, search_job().search_folder + window().result_text(row));
}

}  // namespace

void show_result_menu() { window().popup_result_menu(); }

void open_selected_default() { open_selected(ShellAction::default_action); }

void open_selected_editor() { open_selected(ShellAction::edit); }

void open_containing_folder() {
  const int row = window().selected_result();
  if (row == -1) return;
  const Text& folder = search_job().search_folder;
  const Text text = window().result_text(row);
  if (find_text(text, kPathSeparatorText) == -1) {
    window().shell_open(ShellAction::explore, folder);
    return;
  }
  // The row text up to and including its last separator.
  const int last = find_text_last(text, kPathSeparatorText);
  window().shell_open(ShellAction::explore, folder + text_left(text, last));
}

// With no row selected the panel becomes empty.
void show_selected_path() { window().set_status_text(0, window().result_text(window().selected_result())); }

}  // namespace moxun
