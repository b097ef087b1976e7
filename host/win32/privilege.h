// Process-wide rights and scheduling that the program asks for at start-up.
#pragma once

namespace moxun {

// On the NT family, enables SeDebugPrivilege in the current process's access token
// (that one privilege; the others and the previous state are left alone). Does
// nothing on other systems. Whether the system accepted the change; failing is
// harmless, the program runs on unchanged.
bool enable_debug_privilege();

// Asks for the priority class of the current process; 0 stands for 256, the real-time
// class. Without the right to it the system keeps or lowers the class, silently.
void raise_process_priority(int priority_class);

}  // namespace moxun
