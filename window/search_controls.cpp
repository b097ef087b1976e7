// The choose-folder, start and stop buttons, and the hints of the check box and the
// search box.
#include "host/files.h"
#include "host/text.h"
#include "search/search_job.h"
#include "window/handlers.h"

namespace moxun {

namespace {

WindowToolkit& window() { return *search_job().toolkit; }

}  // namespace

void choose_search_folder() {
  SearchJob& job = search_job();
  const std::string chosen = window().choose_folder(kFolderPrompt);
  // A cancel (or an item that is no folder) changes nothing: the folder in force
  // stays, and the path box keeps its text. Taking the empty answer as the folder
  // would turn the next search into a walk of the whole current drive.
  if (!chosen.empty()) {
    job.search_folder = chosen;
    // The path box shows the folder as chosen; only a drive's root ends in "\".
    window().set_edit_text(Control::编辑框_目录路径, job.search_folder);
    if (text_right(job.search_folder, 1) != kPathSeparatorText) job.search_folder += kPathSeparator;
  }
  window().set_status_text(0, job.search_folder);
}

void start_search() { run_search_job(); }

// The running driver notices the request at its next check, after the running batch.
void request_stop() { search_job().stop_requested = 1; }

void show_subfolder_hint() { window().set_status_text(0, kSubfolderHint); }

void show_search_box_hint() { window().set_status_text(0, kSearchBoxHint); }

}  // namespace moxun
