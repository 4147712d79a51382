// The command line into the job record (see build_settings.h).
#include "app/build_settings.h"

#include <windows.h>

#include <cstring>

#include "app/command_line.h"
#include "app/local_time.h"
#include "app/target_paths.h"
#include "app/time_values.h"
#include "text/trace.h"
#include "shell/shortcuts.h"
#include "text/bounded.h"
#include "text/chars.h"
#include "text/file_queries.h"
#include "text/holders.h"
#include "text/paths.h"

namespace {

struct TimestampOption {
  const char* label;
  const char* prefix;
  TimestampEntry JobSettings::*entry;
};

const TimestampOption kTimestampOptions[] = {
    {"作成日時", "/create:", &JobSettings::creation},
    {"更新日時", "/write:", &JobSettings::lastWrite},
    {"ｱｸｾｽ日時", "/access:", &JobSettings::lastAccess},
};

bool IsZero(FileTimeValue value) { return value.low == 0 && value.high == 0; }

void FoldIntoSummary(JobSettings* record, const WIN32_FILE_ATTRIBUTE_DATA& found) {
  record->orMask |= found.dwFileAttributes;
  record->andMask &= found.dwFileAttributes;
  if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) record->recurse = true;
  // The first target found supplies the default times.
  if (IsZero(record->creation.time)) record->creation.time = ToFileTimeValue(found.ftCreationTime);
  if (IsZero(record->lastWrite.time))
    record->lastWrite.time = ToFileTimeValue(found.ftLastWriteTime);
  if (IsZero(record->lastAccess.time))
    record->lastAccess.time = ToFileTimeValue(found.ftLastAccessTime);
}

void ReadTarget(JobSettings* record, const char* argument) {
  // The lookups see the system folder itself also in the 32-bit program on 64-bit Windows.
  FileSystemRedirectionOff redirection;
  // A longer argument would be cut into some other path that may exist.
  if (std::strlen(argument) > MAX_PATH_BYTES) {
    if (PathExists(argument)) Trace("! %s\r\n => %.900s\r\n", "パスが長すぎるため対象にしません。", argument);
    return;
  }
  // A name the platform rewrites is refused (with its trace line) whatever it would find: "x."
  // finds "x".
  if (!PlatformRewritesPath(argument) && !PathExists(argument)) return;
  char target[PATH_BUFFER_SIZE];
  if (!TargetPathOf(argument, target, sizeof target)) return;
  // Finding out whether the file is a shortcut reads it, which moves its last-access time; an
  // argument that stands for itself is therefore looked up before that.
  WIN32_FILE_ATTRIBUTE_DATA own;
  bool ownFound = FindEntry(target, &own);
  char resolved[PATH_BUFFER_SIZE];
  if (!ResolveShortcutOrPath(resolved, target, sizeof resolved)) return;
  // Folded the same way as the resolved path, so that only ASCII letters are compared loosely.
  char folded[PATH_BUFFER_SIZE];
  CopyBounded(sizeof folded, target, folded);
  FoldCaseOfSameEntry(folded);
  WIN32_FILE_ATTRIBUTE_DATA found;
  if (StringEquals(resolved, folded)) {
    if (ownFound) FoldIntoSummary(record, own);
  } else if (FindEntry(resolved, &found)) {
    FoldIntoSummary(record, found);
  }
  AddTarget(record->targets, resolved);
}

void ReadTimestampOption(JobSettings* record, int index, const char* argument,
                         const TimestampOption& option, const FILETIME& now) {
  const char* value = argument + std::strlen(option.prefix);
  TimestampEntry& entry = record->*option.entry;
  FILETIME utc = now;
  TimeValue read;
  if (!ParseTimeValue(value, &read) ||
      (read.form == TIME_VALUE_DATE && !LocalFieldsToUtc(read.date, &utc))) {
    Trace("! argv[%2d] : %sの指定が読み込めませんでした。\r\n", index, option.label);
    Trace(" => %s\r\n", argument);
    return;
  }
  entry.enabled = true;
  // An own time or a shift is worked out per entry; the time stays the first target's, which
  // the dialog shows in its date fields.
  switch (read.form) {
    case TIME_VALUE_OWN:
      entry.kind = TIME_KIND_OWN;
      entry.source = read.source;
      break;
    case TIME_VALUE_SHIFT:
      entry.kind = TIME_KIND_SHIFT;
      entry.shift = read.shift;
      break;
    case TIME_VALUE_NOW:
    case TIME_VALUE_DATE:
      entry.kind = TIME_KIND_DATE;
      entry.time = ToFileTimeValue(utc);
      break;
  }
}

void ReadOption(JobSettings* record, int index, const char* argument, const FILETIME& now) {
  if (StringEqualsIgnoreCase(argument, "/dlg:0")) record->showDialog = false;
  if (StringEqualsIgnoreCase(argument, "/tray:0")) record->showTrayIcon = false;
  if (StringEqualsIgnoreCase(argument, "/sub:1")) record->recurse = true;
  if (StartsWithIgnoreCase(argument, "/on:")) {
    uint32_t letters = ParseAttributeLetters(argument + 4);
    record->orMask |= letters;
    record->andMask |= letters;
  }
  if (StartsWithIgnoreCase(argument, "/nop:")) {
    uint32_t letters = ParseAttributeLetters(argument + 5);
    record->orMask |= letters;
    record->andMask &= ~letters;
  }
  if (StartsWithIgnoreCase(argument, "/off:")) {
    uint32_t letters = ParseAttributeLetters(argument + 5);
    record->orMask &= ~letters;
    record->andMask &= ~letters;
  }
  for (const TimestampOption& option : kTimestampOptions) {
    if (StartsWithIgnoreCase(argument, option.prefix))
      ReadTimestampOption(record, index, argument, option, now);
  }
}

// Every time read so far is a UTC instant; the record shows it in local time and keeps the
// instant for the job.
void ConvertEntryToLocal(TimestampEntry& entry) {
  FILETIME local;
  if (!UtcToLocalFileTime(ToFileTime(entry.time), &local)) return;
  entry.utc = entry.time;
  entry.exact = true;
  entry.time = ToFileTimeValue(local);
}

}  // namespace

bool BuildJobSettings(JobSettings* record, int count, char** vector) {
  if (!InitJobSettings(record)) return false;
  if (count <= 1) return true;
  record->orMask = 0;
  record->andMask = 0xFFFFFFFFu;
  for (int i = 1; i < count; ++i) ReadTarget(record, vector[i]);

  SYSTEMTIME nowFields;
  GetSystemTime(&nowFields);
  FILETIME now;
  SystemTimeToFileTime(&nowFields, &now);
  for (int i = 1; i < count; ++i) ReadOption(record, i, vector[i], now);

  ConvertEntryToLocal(record->creation);
  ConvertEntryToLocal(record->lastWrite);
  ConvertEntryToLocal(record->lastAccess);
  return true;
}
