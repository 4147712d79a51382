// Path texts (see paths.h).
#include "text/paths.h"

#include <cstring>

#include "text/bounded.h"
#include "text/chars.h"

static int LastSeparatorIndex(const char* path) {
  int last = -1;
  for (const char* position = path; *position; position = NextChar(position)) {
    if (*position == '\\') last = static_cast<int>(position - path);
  }
  return last;
}

const char* FileNamePart(const char* path) {
  int last = LastSeparatorIndex(path);
  return path + last + 1;
}

char* CutFileName(char* path) {
  int last = LastSeparatorIndex(path);
  if (last < 0) return path;
  path[last] = 0;
  return path + last + 1;
}

const char* FindExtension(const char* path) {
  const char* name = FileNamePart(path);
  const char* dot = nullptr;
  for (const char* position = name; *position; position = NextChar(position)) {
    if (*position == '.') dot = position;
  }
  return dot ? dot : name + std::strlen(name);
}

bool HasShortcutExtension(const char* path) {
  return StringEqualsIgnoreCase(FindExtension(path), ".lnk");
}

char* CutExtension(char* path) {
  char* extension = const_cast<char*>(FindExtension(path));
  if (*extension == 0) return extension;
  *extension = 0;
  return extension + 1;
}

bool PathJoin(int size, char* destination, const char* folder, const char* name) {
  if (size <= 0) return false;
  if (*folder == 0) {
    CopyBounded(size, name, destination);
    return std::strlen(name) < static_cast<std::size_t>(size);
  }
  CopyBounded(size, folder, destination);
  bool fits = std::strlen(folder) < static_cast<std::size_t>(size);
  int length = static_cast<int>(std::strlen(destination));
  if (length > 0 && !IsSeparatorAt(destination, length - 1)) {
    if (length + 1 < size) {
      destination[length++] = '\\';
      destination[length] = 0;
    } else {
      fits = false;
    }
  }
  CopyBounded(size - length, name, destination + length);
  return fits && std::strlen(name) < static_cast<std::size_t>(size - length);
}

namespace {

const char* const kDeviceNames[] = {
    "con",  "prn",  "aux",  "nul",  "conin$", "conout$", "com0", "com1", "com2", "com3", "com4",
    "com5", "com6", "com7", "com8", "com9",   "lpt0",    "lpt1", "lpt2", "lpt3", "lpt4", "lpt5",
    "lpt6", "lpt7", "lpt8", "lpt9"};

// The segment [start, end) without what the platform ignores after a device's name: anything
// from the first dot or colon on, and the spaces before it.
bool IsDeviceSegment(const char* start, const char* end) {
  const char* stop = start;
  while (stop < end && *stop != '.' && *stop != ':') stop = NextChar(stop);
  while (stop > start && stop[-1] == ' ') --stop;
  char base[8];
  std::size_t length = static_cast<std::size_t>(stop - start);
  if (length == 0 || length >= sizeof base) return false;
  std::memcpy(base, start, length);
  base[length] = 0;
  for (const char* device : kDeviceNames)
    if (StringEqualsIgnoreCase(base, device)) return true;
  return false;
}

bool IsStepSegment(const char* start, const char* end) {
  return (end - start == 1 && start[0] == '.') ||
         (end - start == 2 && start[0] == '.' && start[1] == '.');
}

}  // namespace

bool PlatformRewritesPath(const char* path) {
  if (StartsWith(path, "\\\\?\\") || StartsWith(path, "\\\\.\\")) return false;
  const char* segment = path;
  if (((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') && path[1] == ':') segment = path + 2;
  for (const char* position = segment;; position = NextChar(position)) {
    bool last = *position == 0;
    if (!last && *position != '\\' && *position != '/') continue;
    // Dots and spaces are never the second byte of a double-byte character.
    if (position > segment && !IsStepSegment(segment, position)) {
      if (position[-1] == '.') return true;
      if (last && (position[-1] == ' ' || IsDeviceSegment(segment, position))) return true;
    }
    if (last) return false;
    segment = position + 1;
  }
}
