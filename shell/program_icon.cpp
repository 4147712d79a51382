// The program file's shell icons (see program_icon.h).
#include "shell/program_icon.h"

#include <shellapi.h>

#include "text/paths.h"
#include "text/wide_names.h"

HICON ProgramShellIcon(UINT sizeFlag) {
  char path[PATH_BUFFER_SIZE] = "";
  if (!GetProgramFilePath(path, sizeof path)) return nullptr;
  SHFILEINFOA info = {};
  if (!SHGetFileInfoA(path, 0, &info, sizeof info, SHGFI_ICON | sizeFlag)) return nullptr;
  return info.hIcon;
}
