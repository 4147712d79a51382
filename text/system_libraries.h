// Libraries that are not part of every process are taken from the system folder only. A library
// loaded by bare name is searched for in the program's own folder first, where a file of that
// name (next to a downloaded program, say) would be loaded and run instead.
#pragma once

#include <windows.h>

// The full path of a library in the system folder; false when it does not fit in size bytes.
bool SystemLibraryPath(const char* name, char* path, int size);

// The library of that name from the system folder, or null; the caller frees it.
HMODULE LoadSystemLibrary(const char* name);

// From here on, libraries that the system's own libraries load by bare name are searched for in
// the system folder only, where the system can restrict the search (Windows 8, and Windows 7
// with its loader update); elsewhere nothing changes.
void KeepLibrarySearchInSystemFolder();
