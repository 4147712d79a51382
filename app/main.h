// The program's entry and main flow.
#pragma once

#include <windows.h>

// The program's exit codes: 0 when the job ran (also when it was cancelled or the dialog was),
// 1 when the command line cannot be split, 2 when the job could not start at all (also when the
// process code page is not 932).
enum ExitCode { EXIT_DONE = 0, EXIT_BAD_COMMAND_LINE = 1, EXIT_JOB_NOT_STARTED = 2 };

int RunApplication(HINSTANCE instance, int count, char** vector);
