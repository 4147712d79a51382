// Questions to the file system about one path.
#pragma once

#include <windows.h>

bool PathExists(const char* path);
bool IsDirectory(const char* path);
bool FindEntry(const char* path, WIN32_FIND_DATAA* findData);
