// The one code page the program can run in. Its texts, its double-byte rules and the names it
// takes from the system are all code page 932; under any other process code page (a Windows
// before 11 whose system locale is not Japanese ignores the manifest's request) it would show
// an unreadable dialog and misread names, so it does nothing at all instead.
#pragma once

#include <windows.h>

// False for code page 932. Otherwise says why in a message box, where a display can show one,
// and in an error trace line, and returns true: the caller then ends without touching anything.
bool RefuseForeignCodePage(UINT codePage);
