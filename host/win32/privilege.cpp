#include "host/win32/privilege.h"

#include <windows.h>

#include "host/process.h"
#include "host/win32/toolkit_handles.h"

namespace moxun {

namespace {

constexpr int kRealTimeClass = 256;  // REALTIME_PRIORITY_CLASS

}  // namespace

bool enable_debug_privilege() {
  if (os_family() != 3) return false;
  HANDLE raw_token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_ADJUST_PRIVILEGES, &raw_token)) return false;
  KernelHandle token(raw_token);
  TOKEN_PRIVILEGES wanted{};
  wanted.PrivilegeCount = 1;
  wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &wanted.Privileges[0].Luid)) return false;
  // AdjustTokenPrivileges succeeds also when it could not enable the privilege; only
  // the last error tells.
  SetLastError(ERROR_SUCCESS);
  const BOOL adjusted = AdjustTokenPrivileges(token.get(), FALSE, &wanted, sizeof wanted, nullptr, nullptr);
  return adjusted != FALSE && GetLastError() == ERROR_SUCCESS;
}

void raise_process_priority(int priority_class) {
  SetPriorityClass(GetCurrentProcess(), static_cast<DWORD>(priority_class == 0 ? kRealTimeClass : priority_class));
}

}  // namespace moxun
