// The handlers of the main window's events. They take no arguments, return nothing
// and keep no state between events: they read the window through the search job's
// toolkit and the job's fields when they run.
#pragma once

namespace moxun {

// The folder picker's prompt.
inline constexpr char kFolderPrompt[] = "Please choose a catalogue";
inline constexpr char kSubfolderHint[] = "  请尽量减少搜索范围。文件多的情况下非常慢！";
inline constexpr char kSearchBoxHint[] = "  在此输入你要查找的内容，比如 蓝柚";

// Search controls.
void choose_search_folder();  // 图形按钮选择 clicked
void start_search();          // 图形按钮开始 clicked: one whole search
void request_stop();          // 图形按钮停止 clicked
void show_subfolder_hint();   // 选择框_含子目录 clicked
void show_search_box_hint();  // left button pressed on 文本查找框

// Results actions.
void show_result_menu();        // right button pressed over the results list
void open_selected_default();   // menu item "默认方式打开"
void open_selected_editor();    // menu item "默认编辑器打开"
void open_containing_folder();  // menu item "浏览所在文件夹"
void show_selected_path();      // left click in the results list

}  // namespace moxun
