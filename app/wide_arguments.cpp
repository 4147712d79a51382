// The program's arguments from its UTF-16 command line (see wide_arguments.h).
#include "app/wide_arguments.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

#include "app/command_line.h"
#include "app/job_report_texts.h"
#include "text/paths.h"
#include "text/wide_names.h"

namespace {

// WCHAR and char16_t hold the same UTF-16 units under two types; the texts are copied across
// rather than read through a cast of one type as the other.
static_assert(sizeof(WCHAR) == sizeof(char16_t), "WCHAR holds one UTF-16 unit");

// The splitter's own copy of the line, in one allocation; null when memory runs out.
char16_t* Utf16Copy(const WCHAR* text) {
  std::size_t units = text ? std::wcslen(text) : 0;
  char16_t* copy = static_cast<char16_t*>(std::malloc(sizeof(char16_t) * (units + 1)));
  if (copy == nullptr) return nullptr;
  for (std::size_t i = 0; i < units; ++i) copy[i] = static_cast<char16_t>(text[i]);
  copy[units] = 0;
  return copy;
}

// Room for one argument: its text (a code page character takes at most two bytes for each
// UTF-16 unit) or a short path.
std::size_t RoomFor(std::size_t units) {
  const std::size_t shortPath = PATH_BUFFER_SIZE;
  std::size_t text = 2 * units + 1;
  return text > shortPath ? text : shortPath;
}

// A target that cannot be had in the code page, named in the report as the trace shows names.
void RefuseTarget(const wchar_t* argument, JobReport* refusedTargets) {
  char shown[PATH_BUFFER_SIZE];
  ShownNameFromWide(argument, static_cast<int>(std::wcslen(argument)), shown, sizeof shown);
  if (GetFileAttributesW(argument) != INVALID_FILE_ATTRIBUTES) {
    ReportNotChanged(refusedTargets, shown, REASON_NOT_A_TARGET, 0);
    return;
  }
  DWORD error = GetLastError();
  ReportNotChanged(refusedTargets, shown, ReasonFromError(error, REASON_NOT_FOUND), error);
}

}  // namespace

char** CodePageArguments(const WCHAR* commandLine, int* count, JobReport* refusedTargets) {
  char16_t* line = Utf16Copy(commandLine);
  if (line == nullptr) return nullptr;
  int splitCount = 0;
  char16_t** split = SplitUtf16CommandLine(line, &splitCount);
  std::free(line);
  if (split == nullptr) return nullptr;
  std::size_t pointerBytes = sizeof(char*) * (static_cast<std::size_t>(splitCount) + 1);
  std::size_t textBytes = 0;
  std::size_t longest = 0;
  for (int i = 0; i < splitCount; ++i) {
    std::size_t units = std::char_traits<char16_t>::length(split[i]);
    textBytes += RoomFor(units);
    if (units > longest) longest = units;
  }
  char** vector = static_cast<char**>(std::malloc(pointerBytes + textBytes));
  WCHAR* wide = static_cast<WCHAR*>(std::malloc(sizeof(WCHAR) * (longest + 1)));
  if (vector == nullptr || wide == nullptr) {
    std::free(vector);
    std::free(wide);
    std::free(split);
    return nullptr;
  }
  char* cursor = reinterpret_cast<char*>(vector) + pointerBytes;
  int kept = 0;
  for (int i = 0; i < splitCount; ++i) {
    std::size_t units = std::char_traits<char16_t>::length(split[i]);
    for (std::size_t j = 0; j <= units; ++j) wide[j] = static_cast<WCHAR>(split[i][j]);
    int room = static_cast<int>(RoomFor(units));
    if (!PathFromWide(wide, cursor, room) && i > 0) {
      if (wide[0] != OPTION_MARK) {
        RefuseTarget(wide, refusedTargets);
        continue;
      }
      ShownNameFromWide(wide, static_cast<int>(units), cursor, room);
    }
    vector[kept++] = cursor;
    cursor += std::strlen(cursor) + 1;
  }
  vector[kept] = nullptr;
  std::free(wide);
  std::free(split);
  if (count) *count = kept;
  return vector;
}
