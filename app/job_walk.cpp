// The target walk (see job_walk.h).
#include "app/job_walk.h"

#include <cstdlib>
#include <cstring>

#include "app/apply_plan.h"
#include "app/entry_rules.h"
#include "app/folder_listing.h"
#include "app/job_report_texts.h"
#include "app/local_time.h"
#include "app/long_path.h"
#include "app/name_filter.h"
#include "text/allocation.h"
#include "text/bounded.h"
#include "text/paths.h"
#include "text/trace.h"
#include "text/wide_names.h"

namespace {

const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// A folder held without delete sharing can be neither renamed nor replaced while it is listed.
const DWORD kShareHeld = FILE_SHARE_READ | FILE_SHARE_WRITE;
const DWORD kListAccess = FILE_LIST_DIRECTORY | SYNCHRONIZE;
const int kFirstLevels = 16;

// One folder being listed.
struct Level {
  HANDLE folder;  // owned
  BYTE* buffer;   // owned; kept when the level is left, for the next folder at this depth
  FolderListing listing;
  int pathLength;  // the folder's own path in the walk's path
};

struct Walk {
  const JobSettings* settings;
  JobReport* report;
  const FileCalls* calls;
  AppliedTimes times;
  bool jobWrites;  // the job changes anything at all
  LongPath path;
  Level* levels;
  int depth;
  int capacity;
};

const FILETIME* PlanOne(const TimestampEntry& entry, FILETIME* storage) {
  if (!entry.enabled) return nullptr;
  if (entry.exact) {
    *storage = ToFileTime(entry.utc);
    return storage;
  }
  // A local time that cannot be converted is not applied rather than applied wrongly, and the
  // trace says so (the dialog and the command line refuse such a time before it gets here).
  if (!LocalToUtcFileTime(ToFileTime(entry.time), storage)) {
    Trace("! %s\r\n", "日時を UTC に変換できないため、その日時は変更しません。");
    return nullptr;
  }
  return storage;
}

bool Cancelled(const Walk& walk) { return walk.settings->cancelRequested.load(); }

bool IsDotEntry(const ListedEntry& entry) {
  return entry.name[0] == L'.' &&
         (entry.nameUnits == 1 || (entry.nameUnits == 2 && entry.name[1] == L'.'));
}

// The entry the walk's path names now was not changed, or not wholly.
void NotChangedAtPath(Walk* walk, NotChangedReason reason, DWORD error) {
  char shown[TRACE_LINE_SIZE];
  ShowLongPath(walk->path, shown, sizeof shown);
  ReportNotChanged(walk->report, shown, reason, error);
}

// For an entry whose name is not (or cannot be) joined to the folder's path.
void NotChangedBesidePath(Walk* walk, const ListedEntry& entry, NotChangedReason reason) {
  char folder[TRACE_LINE_SIZE / 2], name[NAME_BUFFER_SIZE], shown[TRACE_LINE_SIZE];
  ShowLongPath(walk->path, folder, sizeof folder);
  ShownNameFromWide(entry.name, entry.nameUnits, name, sizeof name);
  FormatBounded(shown, sizeof shown, "%s\\%s", folder, name);
  ReportNotChanged(walk->report, shown, reason, 0);
}

// Why an open or a read through a handle failed, from the error it left.
NotChangedReason FailedCall(DWORD* error, NotChangedReason otherwise) {
  *error = GetLastError();
  return ReasonFromError(*error, otherwise);
}

bool Valid(HANDLE handle) { return handle != INVALID_HANDLE_VALUE && handle != nullptr; }

// A folder to be listed is held without delete sharing; where another program holds it open
// for deleting, that cannot be had, and the identity checks below it must do.
HANDLE OpenEntry(const FileCalls& calls, const WCHAR* path, DWORD access, bool hold, DWORD flags) {
  HANDLE handle = calls.createFile(path, access, hold ? kShareHeld : kShareAll, nullptr,
                                   OPEN_EXISTING, flags, nullptr);
  if (!Valid(handle) && hold && GetLastError() == ERROR_SHARING_VIOLATION)
    handle = calls.createFile(path, access, kShareAll, nullptr, OPEN_EXISTING, flags, nullptr);
  return handle;
}

LARGE_INTEGER TimeField(const FILETIME* time) {
  LARGE_INTEGER value;
  value.QuadPart = 0;  // 0 leaves the time as it is
  if (time) {
    value.LowPart = time->dwLowDateTime;
    value.HighPart = static_cast<LONG>(time->dwHighDateTime);
  }
  return value;
}

// The one write: the times and the new attributes together, decided from the attributes the
// entry holds now, through its handle; its outcome counted (and told where it failed).
void ChangeThroughHandle(Walk* walk, HANDLE handle, DWORD current) {
  const JobSettings& settings = *walk->settings;
  ApplyPlan plan = PlanApply(current, WritesTimes(walk->times), settings.orMask, settings.andMask);
  if (!plan.write) {
    CountOutcome(walk->report, OUTCOME_ALREADY_AS_ASKED);
    return;
  }
  FILE_BASIC_INFO basic;
  std::memset(&basic, 0, sizeof basic);
  basic.CreationTime = TimeField(walk->times.creation);
  basic.LastAccessTime = TimeField(walk->times.lastAccess);
  basic.LastWriteTime = TimeField(walk->times.lastWrite);
  basic.FileAttributes = plan.writtenAttributes;
  if (walk->calls->setInformation(handle, FileBasicInfo, &basic, sizeof basic)) {
    CountOutcome(walk->report, OUTCOME_CHANGED);
    return;
  }
  DWORD error = 0;
  NotChangedReason reason = FailedCall(&error, REASON_NOT_WRITTEN);
  NotChangedAtPath(walk, reason, error);
}

// What the handle holds: its id and the attributes it has now; false when they cannot be read.
bool ReadOpened(const FileCalls& calls, HANDLE handle, EntryIdentity* opened) {
  ULONGLONG id = 0;
  FILE_BASIC_INFO basic;
  if (!calls.readFileId(handle, &id) ||
      !calls.readInformation(handle, FileBasicInfo, &basic, sizeof basic))
    return false;
  opened->fileId = id;
  opened->attributes = basic.FileAttributes;
  return true;
}

bool PushLevel(Walk* walk, HANDLE folder) {
  if (walk->depth == walk->capacity) {
    int capacity = walk->capacity ? walk->capacity * 2 : kFirstLevels;
    Level* levels = static_cast<Level*>(AllocateZeroed(static_cast<std::size_t>(capacity), sizeof(Level)));
    if (levels == nullptr) return false;
    if (walk->levels) std::memcpy(levels, walk->levels, sizeof(Level) * walk->capacity);
    std::free(walk->levels);
    walk->levels = levels;
    walk->capacity = capacity;
  }
  Level& level = walk->levels[walk->depth];
  if (level.buffer == nullptr)
    level.buffer = static_cast<BYTE*>(AllocateZeroed(FOLDER_LISTING_BYTES, 1));
  if (level.buffer == nullptr) return false;
  level.folder = folder;
  level.pathLength = walk->path.length;
  StartListing(&level.listing, folder, level.buffer);
  ++walk->depth;
  return true;
}

void PopLevel(Walk* walk) {
  Level& level = walk->levels[--walk->depth];
  walk->calls->closeHandle(level.folder);
  level.folder = nullptr;
  if (walk->depth > 0) CutPathTo(&walk->path, walk->levels[walk->depth - 1].pathLength);
}

// Holds the folder's handle from here on; false (the handle closed) when there is no memory
// to list it.
bool Enter(Walk* walk, HANDLE folder) {
  if (PushLevel(walk, folder)) return true;
  NotChangedAtPath(walk, REASON_NO_MEMORY, ERROR_NOT_ENOUGH_MEMORY);
  walk->calls->closeHandle(folder);
  return false;
}

// The listing of the innermost folder ended early: what it held after that was not reached.
void NoteListingFailure(Walk* walk) {
  const Level& level = walk->levels[walk->depth - 1];
  if (level.listing.failure == 0) return;
  CutPathTo(&walk->path, level.pathLength);
  NotChangedAtPath(walk, REASON_NOT_LISTED, level.listing.failure);
}

// One entry of the folder being listed; true when it is a folder that has been entered.
bool ProcessListedEntry(Walk* walk, const ListedEntry& entry) {
  const JobSettings& settings = *walk->settings;
  const FileCalls& calls = *walk->calls;
  // A link met below a target may point out of the tree or back up into it (an endless walk),
  // and changing it may change what it points to: it is left alone. Other reparse points
  // (deduplicated files, cloud placeholders) are the entries themselves.
  if (StandsForAnotherName(entry.attributes, entry.reparseTag)) {
    CountOutcome(walk->report, OUTCOME_LINK_LEFT_ALONE);
    return false;
  }
  if (!IsJoinableName(entry.name, entry.nameUnits)) {
    NotChangedBesidePath(walk, entry, REASON_NOT_A_TARGET);
    return false;
  }
  char shown[NAME_BUFFER_SIZE];
  ShownNameFromWide(entry.name, entry.nameUnits, shown, sizeof shown);
  bool isFolder = (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  bool accepted = AcceptName(shown, isFolder, settings.filterPattern, settings.filterKind);
  if (!accepted) {
    CountOutcome(walk->report, OUTCOME_FILTERED_OUT);
    return false;
  }
  // The listing's copy of the attributes may be older than the entry: it only tells whether the
  // entry may need a write. What is written is decided again from the entry's handle.
  bool write = isFolder ? walk->jobWrites
                        : PlanApply(entry.attributes, WritesTimes(walk->times), settings.orMask,
                                    settings.andMask).write;
  if (!write && !isFolder) {
    CountOutcome(walk->report, OUTCOME_ALREADY_AS_ASKED);
    return false;
  }
  const int folderLength = walk->levels[walk->depth - 1].pathLength;
  const EntryIdentity listed = {entry.attributes, entry.fileId};
  if (!AppendName(&walk->path, entry.name, entry.nameUnits)) {
    NotChangedBesidePath(walk, entry, REASON_NOT_A_TARGET);
    return false;
  }
  DWORD access = FILE_READ_ATTRIBUTES | (write ? FILE_WRITE_ATTRIBUTES : 0) |
                 (isFolder ? kListAccess : 0);
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;
  HANDLE handle = OpenEntry(calls, walk->path.units, access, isFolder, flags);
  DWORD error = 0;
  NotChangedReason reason = REASON_NO_ACCESS;
  if (!Valid(handle)) reason = FailedCall(&error, REASON_NO_ACCESS);
  bool folderNotWritten = false;
  if (!Valid(handle) && write && isFolder) {
    // A folder that cannot be changed may still be listed, and its contents changed.
    write = false;
    folderNotWritten = true;
    access &= ~FILE_WRITE_ATTRIBUTES;
    handle = OpenEntry(calls, walk->path.units, access, isFolder, flags);
  }
  bool entered = false;
  if (!Valid(handle)) {
    NotChangedAtPath(walk, reason, error);
  } else {
    EntryIdentity opened;
    if (!ReadOpened(calls, handle, &opened)) {
      reason = FailedCall(&error, REASON_NO_ACCESS);
      NotChangedAtPath(walk, reason, error);
      calls.closeHandle(handle);
    } else if (!IsListedEntry(listed, opened)) {
      NotChangedAtPath(walk, REASON_CHANGED_UNDER_JOB, 0);
      calls.closeHandle(handle);
    } else {
      if (folderNotWritten)
        NotChangedAtPath(walk, reason, error);
      else if (write)
        ChangeThroughHandle(walk, handle, opened.attributes);
      else
        CountOutcome(walk->report, OUTCOME_ALREADY_AS_ASKED);
      if (isFolder)
        entered = Enter(walk, handle);  // holds the handle from here on
      else
        calls.closeHandle(handle);
    }
  }
  if (!entered) CutPathTo(&walk->path, folderLength);
  return entered;
}

// Lists the folder the handle holds, and every folder below it, depth first: a folder is
// changed before its contents, entries come in the listing's order.
void WalkBelow(Walk* walk, HANDLE folder) {
  if (!Enter(walk, folder)) return;
  // After a cancel the entry in hand is finished and no other is begun, at any depth.
  while (walk->depth > 0 && !Cancelled(*walk)) {
    ListedEntry entry;
    if (!NextListedEntry(*walk->calls, &walk->levels[walk->depth - 1].listing, &entry)) {
      NoteListingFailure(walk);
      PopLevel(walk);
      continue;
    }
    if (IsDotEntry(entry)) continue;
    ProcessListedEntry(walk, entry);
  }
  while (walk->depth > 0) PopLevel(walk);
}

// A target that was not changed, or not wholly.
void TargetNotChanged(Walk* walk, const char* target, NotChangedReason reason, DWORD error) {
  ReportNotChanged(walk->report, target, reason, error);
}

// A target, and below it when it is a folder and the job descends.
void ProcessTarget(Walk* walk, const char* target) {
  if (!StartLongPath(target, &walk->path)) {
    TargetNotChanged(walk, target, REASON_NOT_A_TARGET, 0);
    return;
  }
  const JobSettings& settings = *walk->settings;
  const FileCalls& calls = *walk->calls;
  DWORD error = 0;
  DWORD seen = calls.getAttributes(walk->path.units);
  if (seen == INVALID_FILE_ATTRIBUTES) {
    NotChangedReason reason = FailedCall(&error, REASON_NOT_FOUND);
    TargetNotChanged(walk, target, reason, error);
    return;
  }
  bool isFolder = (seen & FILE_ATTRIBUTE_DIRECTORY) != 0;
  bool enter = settings.recurse && isFolder;
  const char* name = FileNamePart(target);
  bool accepted = AcceptName(name, isFolder, settings.filterPattern, settings.filterKind);
  bool write = walk->jobWrites && accepted;
  if (!write && !enter) {
    CountOutcome(walk->report, accepted ? OUTCOME_ALREADY_AS_ASKED : OUTCOME_FILTERED_OUT);
    return;
  }
  DWORD access = FILE_READ_ATTRIBUTES | (write ? FILE_WRITE_ATTRIBUTES : 0) |
                 (enter ? kListAccess : 0);
  // A target is the user's choice: a link among them stands for what it points to, and is
  // opened so.
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS;
  HANDLE handle = OpenEntry(calls, walk->path.units, access, enter, flags);
  NotChangedReason reason = REASON_NO_ACCESS;
  if (!Valid(handle)) reason = FailedCall(&error, REASON_NO_ACCESS);
  bool folderNotWritten = false;
  if (!Valid(handle) && write && enter) {
    write = false;
    folderNotWritten = true;
    access &= ~FILE_WRITE_ATTRIBUTES;
    handle = OpenEntry(calls, walk->path.units, access, enter, flags);
  }
  if (!Valid(handle)) {
    TargetNotChanged(walk, target, reason, error);
    return;
  }
  FILE_BASIC_INFO basic;
  if (!calls.readInformation(handle, FileBasicInfo, &basic, sizeof basic)) {
    reason = FailedCall(&error, REASON_NO_ACCESS);
    TargetNotChanged(walk, target, reason, error);
    calls.closeHandle(handle);
    return;
  }
  bool folderNow = (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (folderNotWritten) {
    TargetNotChanged(walk, target, reason, error);
  } else if (!write) {
    CountOutcome(walk->report, accepted ? OUTCOME_ALREADY_AS_ASKED : OUTCOME_FILTERED_OUT);
  } else if (folderNow != isFolder) {
    // Swapped between the look and the open: the filter's answer was for another kind of entry.
    TargetNotChanged(walk, target, REASON_CHANGED_UNDER_JOB, 0);
  } else {
    ChangeThroughHandle(walk, handle, basic.FileAttributes);
  }
  if (enter && folderNow)
    WalkBelow(walk, handle);
  else
    calls.closeHandle(handle);
}

bool StartWalk(Walk* walk, const JobSettings* settings, JobReport* report,
               const AppliedTimes& times) {
  std::memset(walk, 0, sizeof *walk);
  walk->settings = settings;
  walk->report = report;
  walk->calls = &CurrentFileCalls();
  walk->times = times;
  // The times point into the record they came in.
  if (times.creation) walk->times.creation = &walk->times.creationValue;
  if (times.lastAccess) walk->times.lastAccess = &walk->times.lastAccessValue;
  if (times.lastWrite) walk->times.lastWrite = &walk->times.lastWriteValue;
  walk->jobWrites = WritesTimes(times) || settings->orMask != 0 || settings->andMask != 0xFFFFFFFFu;
  walk->path.units = static_cast<WCHAR*>(AllocateZeroed(LONG_PATH_UNITS, sizeof(WCHAR)));
  if (walk->path.units == nullptr) {
    Trace("! %s\r\n", "メモリが足りないため、何も変更しませんでした。");
    return false;
  }
  return true;
}

void EndWalk(Walk* walk) {
  for (int i = 0; i < walk->capacity; ++i) std::free(walk->levels[i].buffer);
  std::free(walk->levels);
  std::free(walk->path.units);
}

}  // namespace

void PlanAppliedTimes(const JobSettings& settings, AppliedTimes* times) {
  times->creation = PlanOne(settings.creation, &times->creationValue);
  times->lastAccess = PlanOne(settings.lastAccess, &times->lastAccessValue);
  times->lastWrite = PlanOne(settings.lastWrite, &times->lastWriteValue);
}

bool WritesTimes(const AppliedTimes& times) {
  return times.creation || times.lastAccess || times.lastWrite;
}

void RunJob(const JobSettings* settings) {
  AppliedTimes times;
  PlanAppliedTimes(*settings, &times);
  // Counted also where nobody asks for the counts, so that the walk has one way.
  JobReport unread;
  StartJobReport(&unread);
  JobReport* report = settings->report ? settings->report : &unread;
  Walk walk;
  if (!StartWalk(&walk, settings, report, times)) {
    ReportNotChanged(report, "", REASON_NO_MEMORY, ERROR_NOT_ENOUGH_MEMORY);
    return;
  }
  // One pass along the list: item i found by counting from the front would cost a walk per target.
  const StringListNode* node = settings->targets ? settings->targets->first : nullptr;
  for (; node && !Cancelled(walk); node = node->next) {
    const char* target = static_cast<const char*>(node->item);
    if (target) ProcessTarget(&walk, target);
  }
  EndWalk(&walk);
}

void ApplyChanges(const AppliedTimes& times, const char* path, uint32_t orMask, uint32_t andMask) {
  JobSettings settings;
  if (!InitJobSettings(&settings)) return;
  settings.orMask = orMask;
  settings.andMask = andMask;
  JobReport unread;
  StartJobReport(&unread);
  Walk walk;
  if (StartWalk(&walk, &settings, &unread, times)) {
    ProcessTarget(&walk, path);
    EndWalk(&walk);
  }
  DestroyTargetList(settings.targets);
}
