// File-system questions about one path (see file_queries.h).
#include "text/file_queries.h"

bool PathExists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

bool IsDirectory(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FindEntry(const char* path, WIN32_FIND_DATAA* findData) {
  HANDLE search = FindFirstFileA(path, findData);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}
