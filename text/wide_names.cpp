// Names and paths from UTF-16 (see wide_names.h).
#include "text/wide_names.h"

#include <cstdlib>

#include "text/trace.h"

namespace {

// Wide buffers for paths the platform hands out: longer ones could not fit 260 bytes anyway,
// except through their short form, which the platform builds from the path it is given.
const int kWidePathUnits = 1024;

bool SameWide(const WCHAR* a, const WCHAR* b, int units) {
  for (int i = 0; i < units; ++i)
    if (a[i] != b[i]) return false;
  return true;
}

// A readable stand-in for a name the gate refused, for the trace only: every character the code
// page lacks shows as '?', never as a look-alike.
void TraceRefused(const WCHAR* path) {
  char shown[TRACE_LINE_SIZE / 2] = "";
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path, -1, shown, sizeof shown - 1, "?",
                      nullptr);
  shown[sizeof shown - 1] = 0;
  Trace("! %s\r\n => %s\r\n", "名前を260バイト以内のコードページ932で表せないため使いません。",
        shown);
}

}  // namespace

bool NameFromWide(const WCHAR* wide, char* text, int size) {
  if (size <= 0) return false;
  text[0] = 0;
  BOOL usedDefault = FALSE;
  int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, text, size, nullptr,
                                  &usedDefault);
  bool exact = bytes > 0 && !usedDefault;
  if (exact) {
    // Each byte gives at most one UTF-16 unit back, so bytes units always suffice.
    WCHAR* back = static_cast<WCHAR*>(std::malloc(sizeof(WCHAR) * static_cast<std::size_t>(bytes)));
    int units = back ? MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, back, bytes) : 0;
    exact = units > 0 && lstrlenW(wide) + 1 == units && SameWide(wide, back, units);
    std::free(back);
  }
  if (!exact) text[0] = 0;
  return exact;
}

bool PathFromWide(const WCHAR* path, char* text, int size) {
  if (NameFromWide(path, text, size)) return true;
  WCHAR shortPath[kWidePathUnits];
  DWORD units = GetShortPathNameW(path, shortPath, kWidePathUnits);
  if (units > 0 && units < static_cast<DWORD>(kWidePathUnits) &&
      NameFromWide(shortPath, text, size))
    return true;
  TraceRefused(path);
  return false;
}

bool WideFromPath(const char* path, WCHAR* wide, int wideSize) {
  return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, wide, wideSize) != 0;
}

bool WideFullPath(const char* path, WCHAR* wide, int wideSize) {
  WCHAR given[kWidePathUnits];
  if (wideSize <= 0 || !WideFromPath(path, given, kWidePathUnits) || given[0] == 0) return false;
  DWORD units = GetFullPathNameW(given, static_cast<DWORD>(wideSize), wide, nullptr);
  return units > 0 && units < static_cast<DWORD>(wideSize);
}

bool FullPathOf(const char* path, char* full, int size) {
  if (size <= 0) return false;
  full[0] = 0;
  WCHAR wide[kWidePathUnits];
  return WideFullPath(path, wide, kWidePathUnits) && PathFromWide(wide, full, size);
}

bool GetProgramFilePath(char* path, int size) {
  if (size <= 0) return false;
  path[0] = 0;
  WCHAR wide[kWidePathUnits];
  DWORD units = GetModuleFileNameW(nullptr, wide, kWidePathUnits);
  // A full buffer means the path was cut, and a cut path names some other file.
  if (units == 0 || units >= static_cast<DWORD>(kWidePathUnits)) {
    Trace("! %s\r\n", "プログラムのパスを取得できませんでした。");
    return false;
  }
  return PathFromWide(wide, path, size);
}

void ShownNameFromWide(const WCHAR* name, int units, char* text, int size) {
  if (size <= 0) return;
  text[0] = 0;
  // Most names convert whole; only one that needs a stand-in or a cut goes character by
  // character.
  BOOL usedDefault = FALSE;
  int whole = units > 0 ? WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name, units, text,
                                              size - 1, "?", &usedDefault)
                        : 0;
  if (whole > 0 && !usedDefault) {
    text[whole] = 0;
    return;
  }
  int length = 0;
  for (int i = 0; i < units;) {
    // A character the code page lacks is one '?' however many units it takes, and a cut never
    // splits a double-byte character.
    int step = (IS_HIGH_SURROGATE(name[i]) && i + 1 < units && IS_LOW_SURROGATE(name[i + 1])) ? 2 : 1;
    char bytes[4];
    usedDefault = FALSE;
    int count = step == 1 ? WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name + i, 1, bytes,
                                                sizeof bytes, "?", &usedDefault)
                          : 0;
    if (count <= 0 || usedDefault) {
      bytes[0] = '?';
      count = 1;
    }
    if (length + count > size - 1) break;
    for (int b = 0; b < count; ++b) text[length++] = bytes[b];
    i += step;
  }
  text[length] = 0;
}
