// Libraries from the system folder only (see system_libraries.h).
#include "text/system_libraries.h"

#include "text/paths.h"

bool SystemLibraryPath(const char* name, char* path, int size) {
  char folder[PATH_BUFFER_SIZE];
  UINT length = GetSystemDirectoryA(folder, sizeof folder);
  if (length == 0 || length >= sizeof folder) return false;
  return PathJoin(size, path, folder, name);
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
