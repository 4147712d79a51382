// The program file's shell icons (see program_icon.h).
#include "shell/program_icon.h"

#include <shellapi.h>

#include "text/paths.h"

HICON ProgramShellIcon(UINT sizeFlag) {
  char path[PATH_BUFFER_SIZE] = "";
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  // A full buffer means the path was cut, and a cut path names some other file.
  if (length == 0 || length >= sizeof path) return nullptr;
  SHFILEINFOA info = {};
  if (!SHGetFileInfoA(path, 0, &info, sizeof info, SHGFI_ICON | sizeFlag)) return nullptr;
  return info.hIcon;
}
