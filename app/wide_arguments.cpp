// The program's arguments from its UTF-16 command line (see wide_arguments.h).
#include "app/wide_arguments.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "app/command_line.h"
#include "app/job_report_texts.h"
#include "text/paths.h"
#include "text/wide_names.h"

namespace {

// Room for one argument: its text (a code page character takes at most two bytes for each
// UTF-16 unit) or a short path.
std::size_t RoomFor(const wchar_t* argument) {
  const std::size_t shortPath = PATH_BUFFER_SIZE;
  std::size_t text = 2 * std::wcslen(argument) + 1;
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
  int wideCount = 0;
  wchar_t** wide = SplitWideCommandLine(commandLine, &wideCount);
  if (wide == nullptr) return nullptr;
  std::size_t pointerBytes = sizeof(char*) * (static_cast<std::size_t>(wideCount) + 1);
  std::size_t textBytes = 0;
  for (int i = 0; i < wideCount; ++i) textBytes += RoomFor(wide[i]);
  char** vector = static_cast<char**>(std::malloc(pointerBytes + textBytes));
  if (vector == nullptr) {
    std::free(wide);
    return nullptr;
  }
  char* cursor = reinterpret_cast<char*>(vector) + pointerBytes;
  int kept = 0;
  for (int i = 0; i < wideCount; ++i) {
    int room = static_cast<int>(RoomFor(wide[i]));
    if (!PathFromWide(wide[i], cursor, room) && i > 0) {
      if (wide[i][0] != OPTION_MARK) {
        RefuseTarget(wide[i], refusedTargets);
        continue;
      }
      ShownNameFromWide(wide[i], static_cast<int>(std::wcslen(wide[i])), cursor, room);
    }
    vector[kept++] = cursor;
    cursor += std::strlen(cursor) + 1;
  }
  vector[kept] = nullptr;
  std::free(wide);
  if (count) *count = kept;
  return vector;
}
