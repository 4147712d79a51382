// Temporary folders and disk helpers for the Wine tests (see temp_folder.h).
#include "support/temp_folder.h"

#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "text/chars.h"

std::wstring Widen(const std::string& text) {
  int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(length > 0 ? length : 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], length);
  wide.resize(wide.size() - 1);
  return wide;
}

std::string Narrow(const std::wstring& text) {
  int bytes = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, "?", nullptr);
  std::string narrow(bytes > 0 ? bytes : 1, '\0');
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &narrow[0], bytes, "?", nullptr);
  narrow.resize(narrow.size() - 1);
  return narrow;
}

std::wstring Literal(const std::wstring& path) {
  return path.compare(0, 4, L"\\\\?\\") == 0 ? path : L"\\\\?\\" + path;
}

namespace {

// Wide calls, so that entries whose paths are too long for the ANSI calls go too.
void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring path = folder + L"\\" + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(path);
      else
        DeleteFileW(path.c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryW(folder.c_str());
}

// The next backslash that separates, not the second byte of a double-byte character.
std::size_t FindSeparator(const std::string& path, std::size_t start) {
  for (std::size_t index = start; index < path.size(); ++index) {
    if (IsSeparatorAt(path.c_str(), static_cast<int>(index))) return index;
  }
  return std::string::npos;
}

std::size_t FindLastSeparator(const std::string& path) {
  std::size_t last = std::string::npos;
  for (std::size_t at = FindSeparator(path, 0); at != std::string::npos;
       at = FindSeparator(path, at + 1))
    last = at;
  return last;
}

}  // namespace

TempFolder::TempFolder() {
  char base[MAX_PATH + 1] = "";
  DWORD length = GetTempPathA(sizeof base, base);
  static unsigned serial = 0;
  char name[64];
  std::snprintf(name, sizeof name, "mvt%lu_%u_%lu", GetCurrentProcessId(), serial++,
                GetTickCount());
  // Without the system's temporary folder the name alone would be relative: the entries would
  // land in whatever folder the test runs in (once the work tree).
  if (length == 0 || length > MAX_PATH || base[1] != ':') {
    ADD_FAILURE() << "no temporary folder";
    std::abort();
  }
  path_ = std::string(base) + name;
  if (path_.back() == '\\') path_.pop_back();
  if (!CreateDirectoryA(path_.c_str(), nullptr)) {
    ADD_FAILURE() << "cannot create " << path_;
    std::abort();
  }
}

// Through the literal form of the path, so that names the plain form would rewrite ("x.") go too.
TempFolder::~TempFolder() { RemoveTree(L"\\\\?\\" + Widen(path_)); }

std::string TempFolder::MakeFolder(const std::string& relative) {
  std::string path = path_;
  std::size_t start = 0;
  while (start <= relative.size()) {
    std::size_t slash = FindSeparator(relative, start);
    std::string part = relative.substr(start, slash == std::string::npos ? std::string::npos
                                                                        : slash - start);
    path += "\\" + part;
    if (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
      ADD_FAILURE() << "cannot create the folder " << path;
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  return path;
}

std::string TempFolder::MakeFile(const std::string& relative, const std::string& text) {
  std::size_t slash = FindLastSeparator(relative);
  if (slash != std::string::npos) MakeFolder(relative.substr(0, slash));
  std::string path = Join(relative);
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    ADD_FAILURE() << "cannot create the file " << path;
    return path;
  }
  DWORD written = 0;
  if (!WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
      written != text.size())
    ADD_FAILURE() << "cannot write the file " << path;
  CloseHandle(file);
  return path;
}

DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }

static bool HasAttributeValue(DWORD attributes, DWORD attribute, const std::string& shown) {
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    ADD_FAILURE() << "no such file or folder: " << shown;
    return false;
  }
  return (attributes & attribute) == attribute;
}

bool HasAttribute(const std::string& path, DWORD attribute) {
  return HasAttributeValue(GetFileAttributesA(path.c_str()), attribute, path);
}

bool HasAttribute(const std::wstring& path, DWORD attribute) {
  return HasAttributeValue(GetFileAttributesW(Literal(path).c_str()), attribute, Narrow(path));
}

void SetAttributes(const std::string& path, DWORD attributes) {
  SetFileAttributesA(path.c_str(), attributes);
}

static HANDLE OpenForTimes(const std::string& path, DWORD access) {
  return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool ReadTimes(const std::string& path, FILETIME* creation, FILETIME* access, FILETIME* write) {
  HANDLE file = OpenForTimes(path, GENERIC_READ);
  if (file == INVALID_HANDLE_VALUE) return false;
  BOOL ok = GetFileTime(file, creation, access, write);
  CloseHandle(file);
  return ok != FALSE;
}

bool WriteTimes(const std::string& path, const FILETIME* creation, const FILETIME* access,
                const FILETIME* write) {
  HANDLE file = OpenForTimes(path, GENERIC_READ | GENERIC_WRITE);
  if (file == INVALID_HANDLE_VALUE) return false;
  BOOL ok = SetFileTime(file, creation, access, write);
  CloseHandle(file);
  return ok != FALSE;
}

std::string Lower(std::string text) {
  FoldLowerCase(&text[0]);
  return text;
}

FILETIME UtcTime(int year, int month, int day, int hour, int minute, int second) {
  SYSTEMTIME fields = {};
  fields.wYear = static_cast<WORD>(year);
  fields.wMonth = static_cast<WORD>(month);
  fields.wDay = static_cast<WORD>(day);
  fields.wHour = static_cast<WORD>(hour);
  fields.wMinute = static_cast<WORD>(minute);
  fields.wSecond = static_cast<WORD>(second);
  FILETIME result = {};
  SystemTimeToFileTime(&fields, &result);
  return result;
}

unsigned long long Ticks(const FILETIME& value) {
  return (static_cast<unsigned long long>(value.dwHighDateTime) << 32) | value.dwLowDateTime;
}

bool ZoneIsCentralEurope() {
  TIME_ZONE_INFORMATION zone;
  GetTimeZoneInformation(&zone);
  return zone.Bias == -60 && zone.DaylightBias == -60;
}

const char kNeedsCentralEurope[] = "needs TZ=Europe/Berlin, as scripts/test sets";

namespace {

// 01:00 UTC on the last Sunday of the month (March or October).
unsigned long long LastSundayOneOClock(int year, int month) {
  FILETIME last = UtcTime(year, month, 31, 1, 0, 0);
  SYSTEMTIME fields;
  FileTimeToSystemTime(&last, &fields);
  const unsigned long long day = 24ull * 3600 * 10000000;
  return Ticks(last) - fields.wDayOfWeek * day;
}

}  // namespace

FILETIME CentralEuropeanLocal(const FILETIME& utc) {
  SYSTEMTIME fields;
  FileTimeToSystemTime(&utc, &fields);
  unsigned long long ticks = Ticks(utc);
  bool summer = ticks >= LastSundayOneOClock(fields.wYear, 3) &&
                ticks < LastSundayOneOClock(fields.wYear, 10);
  ticks += (summer ? 2ull : 1ull) * 3600 * 10000000;
  FILETIME local;
  local.dwLowDateTime = static_cast<DWORD>(ticks);
  local.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return local;
}

bool MakeShortcut(const std::string& linkPath, const std::string& target) {
  return MakeShortcut(linkPath, Widen(target));
}

bool MakeShortcut(const std::string& linkPath, const std::wstring& target) {
  IShellLinkW* link = nullptr;
  if (CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                       reinterpret_cast<void**>(&link)) != S_OK)
    return false;
  link->SetPath(target.c_str());
  IPersistFile* file = nullptr;
  bool saved = false;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    saved = SUCCEEDED(file->Save(Widen(linkPath).c_str(), TRUE));
    file->Release();
  }
  link->Release();
  return saved;
}

// An empty file or a folder, by the wide calls, which take any name and longer paths.
static void CreateWideEntry(const std::wstring& path, bool isFolder) {
  bool made;
  std::wstring literal = Literal(path);
  if (isFolder) {
    made = CreateDirectoryW(literal.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
  } else {
    HANDLE file = CreateFileW(literal.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    made = file != INVALID_HANDLE_VALUE;
    if (made) CloseHandle(file);
  }
  if (!made) ADD_FAILURE() << "cannot create an entry of " << path.size() << " units";
}

std::string TempFolder::MakeLongEntry(const std::string& folder, std::size_t nameLength,
                                      bool isFolder) {
  std::string path = folder + "\\" + std::string(nameLength, 'L');
  CreateWideEntry(Widen(path), isFolder);
  return path;
}

DWORD WideAttributes(const std::string& path) { return WideAttributes(Widen(path)); }

DWORD WideAttributes(const std::wstring& path) { return GetFileAttributesW(Literal(path).c_str()); }

std::wstring TempFolder::MakeWideEntry(const std::wstring& relative, bool isFolder) {
  std::wstring path = Widen(path_);
  for (std::size_t start = 0;;) {
    std::size_t slash = relative.find(L'\\', start);
    path += L"\\" + relative.substr(start, slash == std::wstring::npos ? slash : slash - start);
    if (slash == std::wstring::npos) break;
    CreateDirectoryW(Literal(path).c_str(), nullptr);
    start = slash + 1;
  }
  CreateWideEntry(path, isFolder);
  return path;
}

std::string ShortPathOf(const std::wstring& path) {
  WCHAR wide[MAX_PATH + 1];
  DWORD length = GetShortPathNameW(path.c_str(), wide, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) return "";
  char text[2 * MAX_PATH + 1];
  if (!WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr)) return "";
  return text;
}

std::string UnixPath(const std::string& path) {
  using Converter = char*(CDECL*)(LPCWSTR);
  Converter convert = reinterpret_cast<Converter>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (convert == nullptr) return "";
  char* unix = convert(Widen(path).c_str());
  if (unix == nullptr) return "";
  std::string result = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return result;
}

bool RunLinuxShell(const TempFolder& folder, const std::string& script) {
  std::string marker = folder.Join("linux-shell-done");
  std::string unixMarker = UnixPath(folder.Path());
  if (unixMarker.empty()) return false;
  unixMarker += "/linux-shell-done";
  DeleteFileA(marker.c_str());
  std::wstring command =
      L"/bin/sh -c \"" + Widen(script + "; touch '" + unixMarker + "'") + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(L"Z:\\bin\\sh", &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  for (int i = 0; i < 1000; ++i) {
    if (GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES) {
      DeleteFileA(marker.c_str());
      return true;
    }
    Sleep(10);
  }
  return false;
}

ImmutableFile::ImmutableFile(const TempFolder& folder, const std::string& path)
    : folder(folder), unixPath(UnixPath(path)), made(false) {
  if (unixPath.empty()) return;
  std::string flagged = folder.Join("immutable-flag-set");
  std::string unixFlagged = UnixPath(folder.Path()) + "/immutable-flag-set";
  made = RunLinuxShell(folder, "chattr +i '" + unixPath + "' && touch '" + unixFlagged + "'") &&
         GetFileAttributesA(flagged.c_str()) != INVALID_FILE_ATTRIBUTES;
  DeleteFileA(flagged.c_str());
}

ImmutableFile::~ImmutableFile() {
  if (made) RunLinuxShell(folder, "chattr -i '" + unixPath + "'");
}
