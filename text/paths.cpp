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
