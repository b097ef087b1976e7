// How the program comes up and goes down.
#pragma once

namespace moxun {

class Shell;

inline constexpr char kStartUpHint[] = "  先设置要搜索的文件夹！@@。";
// The priority class set_up_window asks for: real-time.
inline constexpr int kStartUpPriorityClass = 256;

// The whole program: the search job, its release as the exit routine, the main window
// and the window thread's event loop. Answers 0 if the loop ever ends; normally the
// process ends inside quit_on_close.
int start_program();
// The same with another shell and exit routine (tests record both).
int start_program(Shell& shell, void (*exit_routine)());

// The main window's created event: drawing style, debug privilege, real-time priority,
// the completion lock, the first hint, the search box enabled and the button faces.
void set_up_window();

// Any request to close the main window: the usage page is opened and the program ends
// with exit code 0, the exit routine run once.
[[noreturn]] void quit_on_close();

}  // namespace moxun
