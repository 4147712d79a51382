// The command line into the job record (see build_settings.h).
#include "app/build_settings.h"

#include <windows.h>

#include <cstring>

#include "app/command_line.h"
#include "app/job_report_texts.h"
#include "app/local_time.h"
#include "app/target_identity.h"
#include "app/target_paths.h"
#include "app/time_values.h"
#include "text/trace.h"
#include "shell/shortcuts.h"
#include "text/bounded.h"
#include "text/chars.h"
#include "text/file_queries.h"
#include "text/holders.h"
#include "text/paths.h"

const char* const TIMESTAMP_LABELS[TIME_SLOTS] = {"作成日時", "更新日時", "ｱｸｾｽ日時"};

namespace {

struct TimestampOption {
  const char* label;
  const char* prefix;
  TimestampEntry JobSettings::*entry;
};

const TimestampOption kTimestampOptions[] = {
    {TIMESTAMP_LABELS[SLOT_CREATION], "/create:", &JobSettings::creation},
    {TIMESTAMP_LABELS[SLOT_LAST_WRITE], "/write:", &JobSettings::lastWrite},
    {TIMESTAMP_LABELS[SLOT_LAST_ACCESS], "/access:", &JobSettings::lastAccess},
};

bool IsZero(FileTimeValue value) { return value.low == 0 && value.high == 0; }

// True for a folder, whose own attributes say nothing of what lies inside it.
bool FoldIntoSummary(JobSettings* record, const WIN32_FILE_ATTRIBUTE_DATA& found) {
  record->orMask |= found.dwFileAttributes;
  record->andMask &= found.dwFileAttributes;
  // The first target found supplies the default times.
  if (IsZero(record->creation.time)) record->creation.time = ToFileTimeValue(found.ftCreationTime);
  if (IsZero(record->lastWrite.time))
    record->lastWrite.time = ToFileTimeValue(found.ftLastWriteTime);
  if (IsZero(record->lastAccess.time))
    record->lastAccess.time = ToFileTimeValue(found.ftLastAccessTime);
  if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return false;
  record->recurse = true;
  return true;
}

// A target the user named and the job will not change: a script learns of it from the exit
// code, the user in front of the dialog from its message box.
bool Refuse(JobReport* refused, const char* argument, NotChangedReason reason, DWORD error) {
  ReportNotChanged(refused, argument, reason, error);
  return false;
}

// Into the list and the summary; true when the target taken is a folder.
bool ReadTarget(JobSettings* record, const char* argument, JobReport* refused) {
  // The lookups see the system folder itself also in the 32-bit program on 64-bit Windows.
  FileSystemRedirectionOff redirection;
  NotChangedReason reason;
  DWORD error;
  char target[PATH_BUFFER_SIZE];
  if (!TakeTargetPath(argument, target, sizeof target, &reason, &error))
    return Refuse(refused, argument, reason, error);
  // Finding out whether the file is a shortcut reads it, which moves its last-access time; an
  // argument that stands for itself is therefore looked up before that.
  WIN32_FILE_ATTRIBUTE_DATA own;
  bool ownFound = FindEntry(target, &own);
  TargetEntry taken;
  if (!ResolveTakenTarget(target, &taken, &reason, &error))
    return Refuse(refused, argument, reason, error);
  const char* resolved = taken.path;
  // Folded the same way as the resolved path, so that only ASCII letters are compared loosely.
  char folded[PATH_BUFFER_SIZE];
  CopyBounded(sizeof folded, target, folded);
  FoldCaseOfSameEntry(folded);
  bool folder = false;
  WIN32_FILE_ATTRIBUTE_DATA found;
  if (StringEquals(resolved, folded)) {
    if (ownFound) folder = FoldIntoSummary(record, own);
  } else if (FindEntry(resolved, &found)) {
    folder = FoldIntoSummary(record, found);
  }
  if (AddTarget(record->targets, resolved, taken.identity) < 0)
    return Refuse(refused, argument, REASON_NO_MEMORY, ERROR_NOT_ENOUGH_MEMORY);
  return folder;
}

void TraceUnreadable(int index, const char* label, const char* argument) {
  Trace("! argv[%2d] : %sの指定が読み込めませんでした。\r\n", index, label);
  Trace(" => %s\r\n", argument);
}

// False, with its trace lines, when the value cannot be read; the entry is then left as it was.
bool ReadTimestampOption(JobSettings* record, int index, const char* argument,
                         const TimestampOption& option, const FILETIME& now) {
  const char* value = argument + std::strlen(option.prefix);
  TimestampEntry& entry = record->*option.entry;
  FILETIME utc = now;
  TimeValue read;
  if (!ParseTimeValue(value, &read) ||
      (read.form == TIME_VALUE_DATE && !LocalFieldsToUtc(read.date, &utc))) {
    TraceUnreadable(index, option.label, argument);
    return false;
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
  return true;
}

struct FlagOption {
  const char* name;
  bool JobSettings::*flag;
  bool value;
};

const FlagOption kFlagOptions[] = {
    {"/dlg:0", &JobSettings::showDialog, false},
    {"/tray:0", &JobSettings::showTrayIcon, false},
    {"/sub:1", &JobSettings::recurse, true},
};

// Each option's letters in the summary form: set (both masks), leave unchanged (the or-mask
// only) or clear (neither).
struct AttributeOption {
  const char* prefix;
  bool inOrMask;
  bool inAndMask;
};

const AttributeOption kAttributeOptions[] = {
    {"/on:", true, true},
    {"/nop:", true, false},
    {"/off:", false, false},
};

// The attribute options in their order, kept apart until the targets' summary is known: per bit
// the last option that names it wins over the summary, whatever stood before it.
struct AttributeChoices {
  uint32_t named;
  uint32_t andMask;
  uint32_t orMask;
};

bool ReadAttributeOption(AttributeChoices* choices, int index, const char* argument,
                         const AttributeOption& option) {
  uint32_t letters = 0;
  if (!ParseAttributeLetters(argument + std::strlen(option.prefix), &letters)) {
    TraceUnreadable(index, "属性", argument);
    return false;
  }
  choices->named |= letters;
  choices->orMask = option.inOrMask ? choices->orMask | letters : choices->orMask & ~letters;
  choices->andMask = option.inAndMask ? choices->andMask | letters : choices->andMask & ~letters;
  return true;
}

void ApplyAttributeChoices(JobSettings* record, const AttributeChoices& choices) {
  record->orMask = (record->orMask & ~choices.named) | (choices.orMask & choices.named);
  record->andMask = (record->andMask & ~choices.named) | (choices.andMask & choices.named);
}

// The files of the change log: "/log:" the log the job writes, "/undo:" the log an undo reads.
struct PathOption {
  const char* prefix;
  const char* label;
  char (JobSettings::*path)[PATH_BUFFER_SIZE];
};

const PathOption kPathOptions[] = {
    {"/log:", "記録", &JobSettings::logPath},
    {"/undo:", "元に戻す記録", &JobSettings::undoPath},
};

bool ReadPathOption(JobSettings* record, int index, const char* argument,
                    const PathOption& option) {
  const char* value = argument + std::strlen(option.prefix);
  std::size_t length = std::strlen(value);
  if (length == 0 || length >= PATH_BUFFER_SIZE) {
    TraceUnreadable(index, option.label, argument);
    return false;
  }
  std::memcpy(record->*option.path, value, length + 1);
  return true;
}

// An option that says what the job changes, which an undo has no place for.
bool NamesChange(const char* argument) {
  if (StringEqualsIgnoreCase(argument, "/sub:1")) return true;
  for (const AttributeOption& option : kAttributeOptions)
    if (StartsWithIgnoreCase(argument, option.prefix)) return true;
  for (const TimestampOption& option : kTimestampOptions)
    if (StartsWithIgnoreCase(argument, option.prefix)) return true;
  return false;
}

// An undo puts back what its log names and nothing else: a target or a change beside it would
// be either ignored or another job, and neither is what the user can expect. 0 when the line
// is no such mix, or the index of the "/undo:" argument.
int MixedWithUndo(int count, char** vector) {
  int undo = 0;
  bool other = false;
  for (int i = 1; i < count; ++i) {
    if (StartsWithIgnoreCase(vector[i], "/undo:"))
      undo = i;
    else if (vector[i][0] != OPTION_MARK || NamesChange(vector[i]))
      other = true;
  }
  if (undo == 0 || !other) return 0;
  Trace("! argv[%2d] : %s\r\n", undo, "元に戻すときは、対象も変更の指定も付けられません。");
  Trace(" => %s\r\n", vector[undo]);
  return undo;
}

bool ReadOption(JobSettings* record, AttributeChoices* choices, int index, const char* argument,
                const FILETIME& now) {
  for (const FlagOption& option : kFlagOptions) {
    if (StringEqualsIgnoreCase(argument, option.name)) {
      record->*option.flag = option.value;
      return true;
    }
  }
  for (const AttributeOption& option : kAttributeOptions) {
    if (StartsWithIgnoreCase(argument, option.prefix))
      return ReadAttributeOption(choices, index, argument, option);
  }
  for (const TimestampOption& option : kTimestampOptions) {
    if (StartsWithIgnoreCase(argument, option.prefix))
      return ReadTimestampOption(record, index, argument, option, now);
  }
  for (const PathOption& option : kPathOptions) {
    if (StartsWithIgnoreCase(argument, option.prefix))
      return ReadPathOption(record, index, argument, option);
  }
  Trace("! argv[%2d] : %s\r\n", index, "不明なオプションです。");
  Trace(" => %s\r\n", argument);
  return false;
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

bool IsOption(const char* argument) { return argument[0] == OPTION_MARK; }

}  // namespace

BuildResult BuildJobSettings(JobSettings* record, int count, char** vector,
                             JobReport* refusedTargets, int* unreadable) {
  *unreadable = 0;
  if (!InitJobSettings(record)) return BUILD_NO_MEMORY;
  if (count <= 1) return BUILD_READ;
  record->orMask = 0;
  record->andMask = 0xFFFFFFFFu;

  // Before any target is looked at: a command line that cannot be read runs nothing, and
  // looking at a shortcut already moves its last-access time.
  SYSTEMTIME nowFields;
  GetSystemTime(&nowFields);
  FILETIME now;
  SystemTimeToFileTime(&nowFields, &now);
  AttributeChoices choices = {0, 0, 0};
  for (int i = 1; i < count; ++i) {
    if (!IsOption(vector[i]) || ReadOption(record, &choices, i, vector[i], now)) continue;
    if (*unreadable == 0) *unreadable = i;
  }
  if (*unreadable == 0) *unreadable = MixedWithUndo(count, vector);
  if (*unreadable != 0) return BUILD_UNREADABLE;

  // A time an option gave is already there; the first target found supplies the others.
  bool folderAmongTargets = false;
  for (int i = 1; i < count; ++i) {
    if (!IsOption(vector[i]) && ReadTarget(record, vector[i], refusedTargets))
      folderAmongTargets = true;
  }
  if (folderAmongTargets) LeaveOfferedAttributesUnchanged(&record->andMask, &record->orMask);
  ApplyAttributeChoices(record, choices);

  ConvertEntryToLocal(record->creation);
  ConvertEntryToLocal(record->lastWrite);
  ConvertEntryToLocal(record->lastAccess);
  return BUILD_READ;
}

void ShowUnreadableArgumentBox(const char* argument) {
  // Cut before formatting, so that the words after it are never the part cut off.
  char shown[PATH_BUFFER_SIZE];
  CopyBounded(sizeof shown, argument, shown);
  char text[1024];
  FormatBounded(text, sizeof text, "%s\r\n\r\n%s\r\n\r\n%s",
                "コマンドラインの次の指定を読み取れないため、何も変更しませんでした。", shown,
                "使える指定は readme.txt の「コマンドライン」をご覧ください。");
  MessageBoxA(nullptr, text, "Morvane", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}
