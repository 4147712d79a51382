// The program's arguments in the code page, taken from the platform's UTF-16 command line: the
// arguments are split there, then each one passes the code page gate on its own.
#pragma once

#include <windows.h>

#include "app/job_report.h"

// The block layout of SplitUtf16CommandLine (release it with free()); null when memory runs out.
// An argument the code page cannot hold stands for its short path when it names an existing
// entry that has one. Otherwise a target is left out, with a trace line, into refusedTargets
// (may be null) with its reason; an option stays, each character the code page lacks shown as
// '?', so that reading it refuses the command line by its own rules. The program name (index
// 0) is always there, empty when it cannot be held.
char** CodePageArguments(const WCHAR* commandLine, int* count, JobReport* refusedTargets);
