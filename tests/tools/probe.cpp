// morvane_probe: a small console companion for the demo and for looking at results by hand.
//   morvane_probe show PATH...      one line per path and, for folders, per entry below it
//   morvane_probe set HEX PATH...   sets the attributes to the given value
//   morvane_probe self              the program's own path as the program takes it
// Output lines: attribute letters (R H S A, "-" where clear), the value in hex, the last-write
// and last-access times in local time, then the path.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/local_time.h"
#include "text/paths.h"
#include "text/wide_names.h"

namespace {

std::string LocalText(const FILETIME& utc) {
  FILETIME local;
  SYSTEMTIME fields;
  if (!UtcToLocalFileTime(utc, &local) || !FileTimeToSystemTime(&local, &fields)) return "?";
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", fields.wYear, fields.wMonth,
                fields.wDay, fields.wHour, fields.wMinute, fields.wSecond);
  return text;
}

void ShowOne(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
    std::printf("(missing)                                          %s\n", path.c_str());
    return;
  }
  DWORD a = data.dwFileAttributes;
  std::printf("%c%c%c%c %04lx  write %s  access %s  %s%s\n", (a & 0x01) ? 'R' : '-',
              (a & 0x02) ? 'H' : '-', (a & 0x04) ? 'S' : '-', (a & 0x20) ? 'A' : '-', a,
              LocalText(data.ftLastWriteTime).c_str(), LocalText(data.ftLastAccessTime).c_str(),
              path.c_str(), (a & FILE_ATTRIBUTE_DIRECTORY) ? "\\" : "");
}

void ShowTree(const std::string& path) {
  ShowOne(path);
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = found.cFileName;
    if (name != "." && name != "..") ShowTree(path + "\\" + name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::string(argv[1]) == "show") {
    for (int i = 2; i < argc; ++i) ShowTree(argv[i]);
    return 0;
  }
  if (argc >= 4 && std::string(argv[1]) == "set") {
    DWORD value = std::strtoul(argv[2], nullptr, 16);
    int failures = 0;
    for (int i = 3; i < argc; ++i) failures += SetFileAttributesA(argv[i], value) ? 0 : 1;
    return failures ? 1 : 0;
  }
  if (argc == 2 && std::string(argv[1]) == "self") {
    char path[PATH_BUFFER_SIZE];
    if (!GetProgramFilePath(path, sizeof path)) return 1;
    std::printf("%s\n", path);
    return 0;
  }
  std::fprintf(stderr, "usage: morvane_probe show PATH... | set HEX PATH... | self\n");
  return 2;
}
