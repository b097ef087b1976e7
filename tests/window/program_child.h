// The whole program run as a child process of the window tests.
#pragma once

#include <string>
#include <vector>

namespace moxun::testing {

// Runs start_program with a shell that writes each request as a line to log_path and
// an exit routine that writes "exit routine" (and whether the start button was
// disabled, that is, whether a search was running) before releasing the job.
// Modes: "program" answers the folder picker with the folder in the environment
// variable MOXUN_TEST_FOLDER; "fatal" calls fatal_error(9) when the picker opens,
// with the error box replaced by a line in the log.
int run_as_program(const std::wstring& mode, const std::wstring& log_path);

// The path of the running test program, which a child runs again as the program.
std::wstring this_executable();
// A new log path in the temporary folder for a child, not yet there: stem, the process
// number and a serial number.
std::wstring new_log_path(const std::wstring& stem);

// The lines of a log written by a child.
std::vector<std::string> read_log(const std::wstring& log_path);

}  // namespace moxun::testing
