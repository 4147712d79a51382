// The program's arguments in the code page, taken from the platform's UTF-16 command line: the
// arguments are split there, then each one passes the code page gate on its own.
#pragma once

#include <windows.h>

// The block layout of SplitCommandLine (release it with free()); null when memory runs out.
// An argument the code page cannot hold stands for its short path when it names an existing
// entry that has one; otherwise it is left out, with a trace line. The program name (index 0)
// is always there, empty when it cannot be held.
char** CodePageArguments(const WCHAR* commandLine, int* count);
