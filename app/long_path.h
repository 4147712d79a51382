// The UTF-16 path the walk keeps below a target: the target's full path in the form the platform
// takes literally ("\\?\" in front), with each entry's own name joined to it. Such a path may be
// up to 32,767 units long, and nothing in it is rewritten: no trailing dot or space dropped, no
// device name, no look-alike of another name.
#pragma once

#include <windows.h>

enum { LONG_PATH_UNITS = 32767 };  // with the terminator

struct LongPath {
  WCHAR* units;  // LONG_PATH_UNITS, owned by whoever made the record
  int length;    // without the terminator
};

// The literal form of a full path: "X:\..." and "\\server\share..." get the prefix (the second
// as "\\?\UNC\server\share..."), a path that has it stays as it is; a trailing separator goes,
// except after a drive. False for anything else (a device such as "\\.\nul", a relative path),
// and when it would not fit in size units.
bool ToLiteralPath(const WCHAR* fullPath, WCHAR* literal, int size);

// Whether a path read back from elsewhere (a change log) names an entry the way the walk names
// them: the literal prefix and then a drive ("X:\"), a share ("UNC\") or a volume
// ("Volume{"), never a device, a pipe or the object namespace, which opening alone may act on.
bool IsEntryPath(const WCHAR* path);

// The path of a target from the list (code page 932, as the platform resolves it: relative to
// the working folder, trailing dots and spaces dropped) in its literal form. False, with a trace
// line, when it cannot be written so.
bool StartLongPath(const char* target, LongPath* path);

// Joins one name with a separator; false (the path unchanged) when the result would not fit.
bool AppendName(LongPath* path, const WCHAR* name, int units);
void CutPathTo(LongPath* path, int length);

// The path for a trace line: without its prefix, every character the code page lacks as '?'.
void ShowLongPath(const LongPath& path, char* text, int size);
