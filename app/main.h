// The program's entry and main flow.
#pragma once

#include <windows.h>

#include "app/job_report.h"

// The program's exit codes: 0 when the job ran and changed every entry it was asked to (also
// when it was cancelled, or the dialog was), 1 when the command line cannot be split or read,
// 2 when the job could not start at all (also when the process code page is not 932), 3 when
// the job ran and at least one target or entry it was asked to change was not changed.
enum ExitCode {
  EXIT_DONE = 0,
  EXIT_BAD_COMMAND_LINE = 1,
  EXIT_JOB_NOT_STARTED = 2,
  EXIT_NOT_ALL_CHANGED = 3,
};

// refusedTargets holds the targets already refused while the arguments were taken from the
// platform; the command line adds the rest.
int RunApplication(HINSTANCE instance, int count, char** vector, JobReport* refusedTargets);
