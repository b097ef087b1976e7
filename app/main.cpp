// The process entry of moxun.exe.
#include <windows.h>

#include "app/start_up.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return moxun::start_program(); }
