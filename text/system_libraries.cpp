// Libraries from the system folder only (see system_libraries.h).
#include "text/system_libraries.h"

#include "text/paths.h"
#include "text/wide_names.h"

bool SystemLibraryPath(const char* name, char* path, int size) {
  // A look-alike of the system folder's name could be a folder anyone may write to.
  WCHAR wideFolder[PATH_BUFFER_SIZE];
  UINT length = GetSystemDirectoryW(wideFolder, PATH_BUFFER_SIZE);
  if (length == 0 || length >= PATH_BUFFER_SIZE) return false;
  char folder[PATH_BUFFER_SIZE];
  return PathFromWide(wideFolder, folder, sizeof folder) && PathJoin(size, path, folder, name);
}

HMODULE LoadSystemLibrary(const char* name) {
  char path[PATH_BUFFER_SIZE];
  if (!SystemLibraryPath(name, path, sizeof path)) return nullptr;
  return LoadLibraryA(path);
}

void KeepLibrarySearchInSystemFolder() {
  using SetDirectoriesProc = BOOL(WINAPI*)(DWORD flags);
  // Looked up, not imported: systems without it must still start the program.
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (!kernel) return;
  auto setDirectories = reinterpret_cast<SetDirectoriesProc>(
      reinterpret_cast<void (*)()>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDirectories) setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}
