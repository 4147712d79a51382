// Where the program's own shortcut goes and where it starts the program: the shortcut is named
// after the program file, with ".lnk" in place of its extension, and works in the program's
// folder.
#pragma once

#include "text/paths.h"

struct ProgramShortcutPaths {
  char shortcut[PATH_BUFFER_SIZE];
  char workingFolder[PATH_BUFFER_SIZE];
};

// False, with nothing to create, when either path would pass 260 bytes or the program path
// names no file.
bool MakeProgramShortcutPaths(const char* programPath, const char* folder,
                              ProgramShortcutPaths* paths);
