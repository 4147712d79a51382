// The program file's own icons as the shell shows them, for the windows of the program.
#pragma once

#include <windows.h>

// The large or small icon (SHGFI_LARGEICON or SHGFI_SMALLICON) of the program file; the
// caller destroys it. Null when the file's path or icon cannot be had.
HICON ProgramShellIcon(UINT sizeFlag);
