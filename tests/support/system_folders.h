// The two system folders a 32-bit program sees on 64-bit Windows: the one it names (System32,
// which the system redirects to its 32-bit stand-in SysWOW64 for it) and the stand-in. Entries
// are made in each through their own names (Sysnative is System32 unredirected), so the set-up
// never depends on the redirection code under test; they are removed afterwards.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

inline bool RunsAsWow64() {
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

struct SystemFolders {
  std::string named;     // System32 as the program is given it
  std::string real;      // the same folder through Sysnative
  std::string standIn;   // SysWOW64
  std::vector<std::string> made;  // deepest last

  SystemFolders() {
    char path[MAX_PATH + 1] = "";
    GetSystemDirectoryA(path, MAX_PATH);
    named = path;
    GetWindowsDirectoryA(path, MAX_PATH);
    real = std::string(path) + "\\Sysnative";
    GetSystemWow64DirectoryA(path, MAX_PATH);
    standIn = path;
  }
  ~SystemFolders() {
    for (auto entry = made.rbegin(); entry != made.rend(); ++entry) {
      SetFileAttributesA(entry->c_str(), FILE_ATTRIBUTE_NORMAL);
      if (!DeleteFileA(entry->c_str())) RemoveDirectoryA(entry->c_str());
    }
  }
  // A name of this process's own, so that parallel runs do not meet.
  static std::string Unique(const char* stem) {
    return std::string("mvt") + std::to_string(GetCurrentProcessId()) + "-" + stem;
  }
  bool MakeFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    made.push_back(path);
    return true;
  }
  bool MakeFolder(const std::string& path) {
    if (!CreateDirectoryA(path.c_str(), nullptr)) return false;
    made.push_back(path);
    return true;
  }
};
