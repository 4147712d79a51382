// The walk's UTF-16 paths (see long_path.h).
#include "app/long_path.h"

#include "text/paths.h"
#include "text/trace.h"
#include "text/wide_names.h"

namespace {

// A target holds at most 260 bytes; even relative to the working folder its full path fits here.
const int kFullPathUnits = 1024;
const WCHAR kLiteralPrefix[] = L"\\\\?\\";
const WCHAR kLiteralUncPrefix[] = L"\\\\?\\UNC\\";

int WideLength(const WCHAR* text) {
  int length = 0;
  while (text[length]) ++length;
  return length;
}

bool StartsWith(const WCHAR* text, const WCHAR* prefix) {
  for (; *prefix; ++text, ++prefix)
    if (*text != *prefix) return false;
  return true;
}

bool IsDriveLetter(WCHAR unit) {
  return (unit >= L'a' && unit <= L'z') || (unit >= L'A' && unit <= L'Z');
}

// prefix, then rest, within size units; false when it does not fit.
bool Compose(const WCHAR* prefix, const WCHAR* rest, WCHAR* out, int size) {
  int prefixLength = WideLength(prefix), restLength = WideLength(rest);
  if (prefixLength + restLength + 1 > size) return false;
  for (int i = 0; i < prefixLength; ++i) out[i] = prefix[i];
  for (int i = 0; i <= restLength; ++i) out[prefixLength + i] = rest[i];
  return true;
}

void DropTrailingSeparators(WCHAR* path) {
  int length = WideLength(path);
  while (length > 0 && path[length - 1] == L'\\' && !(length >= 2 && path[length - 2] == L':'))
    path[--length] = 0;
}

}  // namespace

bool IsEntryPath(const WCHAR* path) {
  if (!StartsWith(path, kLiteralPrefix)) return false;
  const WCHAR* rest = path + WideLength(kLiteralPrefix);
  return (IsDriveLetter(rest[0]) && rest[1] == L':' && rest[2] == L'\\') ||
         StartsWith(rest, L"UNC\\") || StartsWith(rest, L"Volume{");
}

bool ToLiteralPath(const WCHAR* fullPath, WCHAR* literal, int size) {
  // A path that has the prefix already is the user's exact choice (it may name a volume, whose
  // root differs from its device by the trailing separator): it stays as it is.
  if (StartsWith(fullPath, kLiteralPrefix)) return Compose(L"", fullPath, literal, size);
  bool composed = false;
  if (IsDriveLetter(fullPath[0]) && fullPath[1] == L':' && fullPath[2] == L'\\') {
    composed = Compose(kLiteralPrefix, fullPath, literal, size);
  } else if (fullPath[0] == L'\\' && fullPath[1] == L'\\' && fullPath[2] != L'.' &&
             fullPath[2] != L'?' && fullPath[2] != 0 && fullPath[2] != L'\\') {
    composed = Compose(kLiteralUncPrefix, fullPath + 2, literal, size);
  }
  if (composed) DropTrailingSeparators(literal);
  return composed;
}

bool StartLongPath(const char* target, LongPath* path) {
  path->length = 0;
  path->units[0] = 0;
  WCHAR wide[PATH_BUFFER_SIZE];
  if (!WideFromPath(target, wide, PATH_BUFFER_SIZE)) {
    Trace("! %s\r\n => %s\r\n", "パスを読み取れないため変更しません。", target);
    return false;
  }
  // The full path as the platform itself reads a plain path, so that the target is the entry
  // the user was shown; every name below it is then taken literally.
  WCHAR full[kFullPathUnits];
  DWORD units = GetFullPathNameW(wide, kFullPathUnits, full, nullptr);
  if (units == 0 || units >= static_cast<DWORD>(kFullPathUnits) ||
      !ToLiteralPath(full, path->units, LONG_PATH_UNITS)) {
    Trace("! %s\r\n => %s\r\n", "ファイルやフォルダを指さないパスのため変更しません。", target);
    path->units[0] = 0;
    return false;
  }
  path->length = WideLength(path->units);
  return true;
}

bool AppendName(LongPath* path, const WCHAR* name, int units) {
  bool separator = path->length > 0 && path->units[path->length - 1] != L'\\';
  int length = path->length + (separator ? 1 : 0) + units;
  if (units <= 0 || length + 1 > LONG_PATH_UNITS) return false;
  WCHAR* end = path->units + path->length;
  if (separator) *end++ = L'\\';
  for (int i = 0; i < units; ++i) end[i] = name[i];
  end[units] = 0;
  path->length = length;
  return true;
}

void CutPathTo(LongPath* path, int length) {
  if (length < 0 || length > path->length) return;
  path->length = length;
  path->units[length] = 0;
}

void ShowLongPath(const LongPath& path, char* text, int size) {
  if (size < 3) {
    if (size > 0) text[0] = 0;
    return;
  }
  if (StartsWith(path.units, kLiteralUncPrefix)) {
    // "\\server\share" as the user knows it.
    const int skipped = WideLength(kLiteralUncPrefix);
    text[0] = text[1] = '\\';
    ShownNameFromWide(path.units + skipped, path.length - skipped, text + 2, size - 2);
    return;
  }
  int skipped = StartsWith(path.units, kLiteralPrefix) ? WideLength(kLiteralPrefix) : 0;
  ShownNameFromWide(path.units + skipped, path.length - skipped, text, size);
}
