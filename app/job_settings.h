// The one record of a job: attribute masks, timestamps, recursion, filter and targets, and
// the cancel flag that the user-interface thread sets while the worker reads.
#pragma once

#include <atomic>
#include <cstdint>

#include "app/job_report.h"
#include "app/time_values.h"
#include "text/paths.h"
#include "text/string_list.h"

// The four attributes the tool offers; every other bit passes through the masks unchanged.
enum : uint32_t {
  ATTR_READONLY = 0x01,
  ATTR_HIDDEN = 0x02,
  ATTR_SYSTEM = 0x04,
  ATTR_ARCHIVE = 0x20,
  ATTR_OFFERED = 0x27,
  ATTR_DIRECTORY = 0x10,
};

struct ChangeLog;  // app/change_log_file.h

enum : int32_t { FILTER_NONE = 100, FILTER_REGEX = 101, FILTER_WILDCARD = 102 };

enum { FILTER_PATTERN_SIZE = 1025 };

// Same layout as the platform's FILETIME: 100 ns ticks since 1601-01-01, low half first.
struct FileTimeValue {
  uint32_t low;
  uint32_t high;
};

struct TimestampEntry {
  bool enabled;
  FileTimeValue time;  // local time
  // The UTC instant that time was converted from, when there is one (the moment "now" was
  // read, a target's own time): the job applies it as it is. Converting time back would be
  // ambiguous in the hour that repeats when the clocks go back, and would lose what the
  // platform keeps below a second.
  bool exact = false;
  FileTimeValue utc = {0, 0};
  // Beside a date, each entry's own time of another slot, or of this slot shifted; time and
  // utc above are then only what the dialog shows in its date fields.
  TimeKind kind = TIME_KIND_DATE;
  TimeSlot source = SLOT_CREATION;  // TIME_KIND_OWN
  int64_t shift = 0;                // TIME_KIND_SHIFT: ticks, signed
};

// What identifies the entry a target named when it was taken, so that the job changes that
// entry and not whatever the name points to by then. A volume and id of 0 mean none was read.
struct EntryId {
  uint32_t volume;
  uint64_t fileId;
};
struct TargetIdentity {
  bool known;     // taken when the target was; false: the job checks nothing
  bool isLink;    // a link chosen as a target passes the job on to what it pointed to
  EntryId entry;  // the entry itself, the link where it is one
  EntryId pointee;
};
// Whether the entry a target names now is the one it named when taken: the same entry on the
// same volume, a link again where it was one, pointing to the same entry.
bool SameTarget(const TargetIdentity& taken, const TargetIdentity& now);
// The id the job's open of a target (which follows a link) must find.
uint64_t ExpectedFileId(const TargetIdentity& identity);

// A target: its path and what it named when taken.
struct TargetEntry {
  TargetIdentity identity;
  char path[PATH_BUFFER_SIZE];
};

// TargetEntry items, newest at the front. Paths are kept in lower case where that names the same
// entry; the callers fold them (FoldCaseOfSameEntry), since only the file system can tell.
using TargetList = StringList;

struct JobSettings {
  std::atomic<bool> cancelRequested;
  bool showDialog;
  bool showTrayIcon;
  bool recurse;
  uint32_t andMask;
  uint32_t orMask;
  TimestampEntry creation;
  TimestampEntry lastWrite;
  TimestampEntry lastAccess;
  TargetList* targets;
  int32_t filterKind;
  char filterPattern[FILTER_PATTERN_SIZE];
  // Where the job counts what it did with each entry; not owned, null for nowhere. Written by
  // the worker, read by the user-interface thread once the worker has ended (its progress also
  // while it runs).
  JobReport* report;
  // The change log the job writes before each change, and the log an undo puts the entries
  // back from: code page paths, empty for none. With an undo log the job is that undo, and the
  // targets, masks and times play no part.
  char logPath[PATH_BUFFER_SIZE];
  bool replaceLog;  // an existing file of that name may be replaced (the save dialog asked)
  char undoPath[PATH_BUFFER_SIZE];
  // The log opened for the job: not owned, null for none.
  ChangeLog* log;
};

static_assert(sizeof(std::atomic<bool>) == 1, "the cancel flag is one byte");

// Defaults: dialog and tray icon on, no recursion, masks 0, timestamps off, no filter, and a new
// empty target list. False when the list cannot be made.
bool InitJobSettings(JobSettings* record);

// A folder's own attributes say nothing of the entries inside it, which the job changes as
// well: with a folder among the targets every offered attribute starts as left unchanged
// (summary form), until an option or the user names it.
void LeaveOfferedAttributesUnchanged(uint32_t* andMask, uint32_t* orMask);

// Summary form (what targets have, and the /on: /nop: /off: overrides) to apply form (what the
// job sets and keeps). Bits outside the offered four are always left unchanged.
void MakeApplyMasks(JobSettings* record);

// The attributes an entry gets under apply-form masks.
uint32_t ApplyAttributeMasks(uint32_t attributes, uint32_t orMask, uint32_t andMask);

// Copies a record field by field (the flag is atomic, so the record is not trivially copyable);
// the target list pointer is taken over, not duplicated.
void CopyJobSettings(JobSettings* destination, const JobSettings* source);

// A private copy of the path, as given (cut at PATH_BUFFER_SIZE), with what it named when taken,
// at the front of the list; the new count, or -1.
int AddTarget(TargetList* list, const char* path, const TargetIdentity& identity);
int AddTarget(TargetList* list, const char* path);  // nothing known of what it names
// The path of item index; a test seam (the program walks the list by its nodes).
const char* TargetAt(const TargetList* list, int index);
const TargetEntry* TargetOf(const StringListNode* node);
void DestroyTargetList(TargetList* list);
