// The window tests' entry. With --as-program MODE LOG the executable runs the whole
// program instead, its shell requests and exit routine written to LOG, so that the
// tests can watch how it ends (see lifecycle_test.cpp).
#include <windows.h>

#include <gtest/gtest.h>

#include <process.h>

#include <string>

#include "tests/window/program_child.h"

namespace {

// Under Wine without a window manager (Xvfb), destroying a managed top-level window
// waits two seconds for a window manager that never answers. Windows that Wine does
// not hand to a window manager are destroyed at once and look the same there. The
// setting is read when Wine's display driver loads, before main: the first run in a
// new Wine prefix sets it and runs the tests again in a fresh process. Answers
// whether the tests may run in this process.
bool windows_unmanaged_under_wine() {
  if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") == nullptr) return true;
  const wchar_t* key = L"Software\\Wine\\X11 Driver";
  wchar_t current[8] = {};
  DWORD size = sizeof current;
  if (RegGetValueW(HKEY_CURRENT_USER, key, L"Managed", RRF_RT_REG_SZ, nullptr, current, &size) == ERROR_SUCCESS &&
      std::wstring(current) == L"N") {
    return true;
  }
  const wchar_t value[] = L"N";
  RegSetKeyValueW(HKEY_CURRENT_USER, key, L"Managed", REG_SZ, value, sizeof value);
  return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 4 && std::wstring(argv[1]) == L"--as-program") {
    return moxun::testing::run_as_program(argv[2], argv[3]);
  }
  if (!windows_unmanaged_under_wine()) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return static_cast<int>(_wspawnv(_P_WAIT, self, argv));
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
