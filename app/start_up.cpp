#include "app/start_up.h"

#include "host/process.h"
#include "host/win32/privilege.h"
#include "host/win32/shell.h"
#include "host/win32/toolkit.h"
#include "host/win32/toolkit_guard.h"
#include "search/search_job.h"
#include "window/button_faces.h"
#include "window/main_window.h"

namespace moxun {

int start_program() { return start_program(desktop_shell(), release_search_job); }

int start_program(Shell& shell, void (*exit_routine)()) {
  Win32Toolkit toolkit(shell);
  init_search_job(toolkit);
  set_exit_routine(exit_routine);
  MainWindow window(toolkit, WindowEvents{set_up_window, quit_on_close});
  if (!window.create()) fatal_error(kInternalFault);
  toolkit.run_event_loop();
  return 0;
}

void set_up_window() {
  WindowToolkit& window = *search_job().toolkit;
  window.apply_visual_style(1);
  enable_debug_privilege();
  raise_process_priority(kStartUpPriorityClass);
  create_completion_lock();
  window.set_status_text(0, kStartUpHint);
  window.set_disabled(Control::文本查找框, false);
  load_face_background(window);
  for (const FaceStyle& style : kFaceStyles) render_button_face(window, style);
  release_face_background();
}

void quit_on_close() {
  search_job().toolkit->open_web_page(usage_page_address());
  end_program(0);
}

}  // namespace moxun
