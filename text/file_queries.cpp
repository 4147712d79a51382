// File-system questions about one path (see file_queries.h).
#include "text/file_queries.h"

#include <cstring>

#include "text/bounded.h"
#include "text/chars.h"
#include "text/holders.h"
#include "text/paths.h"
#include "text/wide_names.h"

namespace {

// The entry itself, links included, opened for nothing: no access is asked, so no time moves
// and no other program's sharing is in the way.
bool ReadIdentity(const char* path, BY_HANDLE_FILE_INFORMATION* identity) {
  HandleHolder entry(CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                 nullptr));
  return entry.Valid() && GetFileInformationByHandle(entry.Get(), identity);
}

}  // namespace

bool NameSameEntry(const char* a, const char* b) {
  BY_HANDLE_FILE_INFORMATION first, second;
  return ReadIdentity(a, &first) && ReadIdentity(b, &second) &&
         first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh &&
         first.nFileIndexLow == second.nFileIndexLow;
}

bool PathExists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

bool IsDirectory(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FindEntry(const char* path, WIN32_FILE_ATTRIBUTE_DATA* data) {
  WCHAR wide[PATH_BUFFER_SIZE];
  return WideFromPath(path, wide, PATH_BUFFER_SIZE) &&
         GetFileAttributesExW(wide, GetFileExInfoStandard, data) != FALSE;
}

void FoldCaseOfSameEntry(char* path) {
  if (std::strlen(path) > MAX_PATH_BYTES) return;  // no path the program acts on
  char folded[PATH_BUFFER_SIZE];
  CopyBounded(sizeof folded, path, folded);
  FoldLowerCase(folded);
  if (StringEquals(folded, path)) return;
  if (NameSameEntry(path, folded)) CopyBounded(sizeof folded, folded, path);
}
