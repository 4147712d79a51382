// The platform calls through which the walk lists folders and changes entries. The job uses the
// platform's own; tests put a table in front of them that records, stops or alters the calls
// (SetFileCallsForTests).
#pragma once

#include <windows.h>

struct FileCalls {
  DWORD(WINAPI* getAttributes)(LPCWSTR path);
  HANDLE(WINAPI* createFile)(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                             DWORD disposition, DWORD flags, HANDLE pattern);
  // Opens the entry of the folder that handle holds by its own name (units long, no
  // separator), never by a path: no rename or link above it can lead the open elsewhere. The
  // entry itself, not what a link would point to; backup semantics as for a folder. The error
  // is left for GetLastError where it fails (INVALID_HANDLE_VALUE).
  HANDLE(WINAPI* openInFolder)(HANDLE folder, const WCHAR* name, int units, DWORD access, DWORD share);
  // The file system's own id of the entry the handle holds.
  BOOL(WINAPI* readFileId)(HANDLE file, ULONGLONG* id);
  // Lists a folder through its handle, or reads an entry's attributes and times through its
  // handle (GetFileInformationByHandleEx).
  BOOL(WINAPI* readInformation)(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID buffer, DWORD size);
  // Writes an entry's attributes and times through its handle (SetFileInformationByHandle).
  BOOL(WINAPI* setInformation)(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID buffer, DWORD size);
  BOOL(WINAPI* closeHandle)(HANDLE handle);
};
extern const FileCalls kPlatformFileCalls;
// The table that jobs started from now on use; null restores the platform's.
void SetFileCallsForTests(const FileCalls* calls);
const FileCalls& CurrentFileCalls();
