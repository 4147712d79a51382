// The target walk (see job_walk.h).
#include "app/job_walk.h"

#include <cstdlib>
#include <cstring>

#include "app/apply_plan.h"
#include "app/change_log_file.h"
#include "app/entry_rules.h"
#include "app/folder_listing.h"
#include "app/job_report_texts.h"
#include "app/local_time.h"
#include "app/long_path.h"
#include "app/name_filter.h"
#include "app/target_identity.h"
#include "app/undo_job.h"
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
  TimeRules rules;  // every time the job writes, the fixed ones among them
  bool jobWrites;   // the job changes anything at all
  LongPath path;
  // The change log, where the job writes one; the volume of the target being walked, read
  // once (a link, which alone could lead to another volume, is never entered).
  ChangeLog* log;
  uint32_t volume;
  bool volumeKnown;
  Level* levels;
  int depth;
  int capacity;
};

const FILETIME* PlanOne(const TimestampEntry& entry, FILETIME* storage, TimeRule* fromEntry) {
  *fromEntry = TimeRule{};
  if (!entry.enabled) return nullptr;
  if (entry.kind != TIME_KIND_DATE) {
    *fromEntry = TimeRule{true, entry.kind, entry.source, entry.shift};
    return nullptr;
  }
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

// A log that could not take a line stops the job as a cancel would: every change after it
// would go unrecorded.
bool Cancelled(const Walk& walk) {
  return walk.settings->cancelRequested.load() || (walk.log && walk.log->failed);
}

// Every entry not changed is told in the trace, the report and the log alike.
void Tell(Walk* walk, const char* shown, NotChangedReason reason, DWORD error) {
  ReportNotChanged(walk->report, shown, reason, error);
  if (walk->log) LogNotChanged(walk->log, shown, reason, error);
}

// The entry the walk's path names now was not changed, or not wholly.
void NotChangedAtPath(Walk* walk, NotChangedReason reason, DWORD error) {
  char shown[TRACE_LINE_SIZE];
  ShowLongPath(walk->path, shown, sizeof shown);
  Tell(walk, shown, reason, error);
}

// For an entry whose name is not (or cannot be) joined to the folder's path.
void NotChangedBesidePath(Walk* walk, const ListedEntry& entry, NotChangedReason reason) {
  char folder[TRACE_LINE_SIZE / 2], name[NAME_BUFFER_SIZE], shown[TRACE_LINE_SIZE];
  ShowLongPath(walk->path, folder, sizeof folder);
  ShownNameFromWide(entry.name, entry.nameUnits, name, sizeof name);
  FormatBounded(shown, sizeof shown, "%s\\%s", folder, name);
  Tell(walk, shown, reason, 0);
}

// Why an open or a read through a handle failed, from the error it left.
NotChangedReason FailedCall(DWORD* error, NotChangedReason otherwise) {
  *error = GetLastError();
  return ReasonFromError(*error, otherwise);
}

bool Valid(HANDLE handle) { return handle != INVALID_HANDLE_VALUE && handle != nullptr; }

void SetDateRule(TimeRule* rule, const FILETIME* time) {
  if (time == nullptr) return;
  int64_t ticks = static_cast<int64_t>((static_cast<uint64_t>(time->dwHighDateTime) << 32) |
                                       time->dwLowDateTime);
  *rule = TimeRule{true, TIME_KIND_DATE, SLOT_CREATION, ticks};
}

// The one write: the times and the new attributes together, decided from what the entry holds
// now, through its handle: its attributes, and its times for those copied or shifted; its
// outcome counted once. A time that would fall outside what the platform holds stays as it is
// and the entry counts as not changed, so that the user learns what was asked and not done; its
// other times and its attributes are still written.
// Where the job writes a log: false, the entry told or counted, when it must not be written
// because the volume cannot be read or it is the log itself.
bool MayWriteLogged(Walk* walk, HANDLE handle, uint64_t fileId) {
  if (walk->log == nullptr) return true;
  if (!walk->volumeKnown) {
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandle(handle, &information)) {
      NotChangedAtPath(walk, REASON_NOT_LOGGED, GetLastError());
      return false;
    }
    walk->volume = information.dwVolumeSerialNumber;
    walk->volumeKnown = true;
  }
  if (!IsChangeLogEntry(walk->log, walk->volume, fileId)) return true;
  char shown[TRACE_LINE_SIZE];
  ShowLongPath(walk->path, shown, sizeof shown);
  Trace("%s\r\n => %s\r\n", "作業の記録そのものは変更しません。", shown);
  CountOutcome(walk->report, OUTCOME_FILTERED_OUT);
  return false;
}

// The entry's line goes to the log before the change it names; false, the entry told, when it
// did not go out, and the entry must stay as it is.
bool LogBeforeWrite(Walk* walk, uint64_t fileId, const FILE_BASIC_INFO& held,
                    const FILE_BASIC_INFO& written) {
  if (walk->log == nullptr) return true;
  const LoggedChange change = {
      reinterpret_cast<const uint16_t*>(walk->path.units), walk->path.length, walk->volume,
      fileId, held.FileAttributes,
      {{held.CreationTime.QuadPart, held.LastWriteTime.QuadPart, held.LastAccessTime.QuadPart}},
      written.FileAttributes != 0, written.FileAttributes,
      {{written.CreationTime.QuadPart, written.LastWriteTime.QuadPart,
        written.LastAccessTime.QuadPart}}};
  if (LogChange(walk->log, change)) return true;
  NotChangedAtPath(walk, REASON_NOT_LOGGED, walk->log->failed ? GetLastError() : 0);
  return false;
}

void ChangeThroughHandle(Walk* walk, HANDLE handle, uint64_t fileId, const FILE_BASIC_INFO& held) {
  if (!MayWriteLogged(walk, handle, fileId)) return;
  const JobSettings& settings = *walk->settings;
  ApplyPlan plan =
      PlanApply(held.FileAttributes, WritesTimes(walk->times), settings.orMask, settings.andMask);
  if (!plan.write) {
    CountOutcome(walk->report, OUTCOME_ALREADY_AS_ASKED);
    return;
  }
  const EntryTimes before = {{held.CreationTime.QuadPart, held.LastWriteTime.QuadPart,
                              held.LastAccessTime.QuadPart}};
  PlannedTimes times = PlanEntryTimes(walk->rules, before);
  if (times.outOfRange) NotChangedAtPath(walk, REASON_TIME_OUT_OF_RANGE, 0);
  FILE_BASIC_INFO basic;
  std::memset(&basic, 0, sizeof basic);
  basic.CreationTime.QuadPart = times.ticks[SLOT_CREATION];  // 0 leaves a time as it is
  basic.LastAccessTime.QuadPart = times.ticks[SLOT_LAST_ACCESS];
  basic.LastWriteTime.QuadPart = times.ticks[SLOT_LAST_WRITE];
  basic.FileAttributes = plan.writtenAttributes;
  if (basic.FileAttributes == 0 && basic.CreationTime.QuadPart == 0 &&
      basic.LastAccessTime.QuadPart == 0 && basic.LastWriteTime.QuadPart == 0)
    return;  // every time asked for is out of range, and the attributes stay
  if (!LogBeforeWrite(walk, fileId, held, basic)) return;
  if (walk->calls->setInformation(handle, FileBasicInfo, &basic, sizeof basic)) {
    if (!times.outOfRange) CountOutcome(walk->report, OUTCOME_CHANGED);
    return;
  }
  if (times.outOfRange) return;  // told once already
  DWORD error = 0;
  NotChangedReason reason = FailedCall(&error, REASON_NOT_WRITTEN);
  NotChangedAtPath(walk, reason, error);
}

// What the handle holds: its id, and its attributes and times now; false when they cannot be
// read.
bool ReadOpened(const FileCalls& calls, HANDLE handle, EntryIdentity* opened,
                FILE_BASIC_INFO* basic) {
  ULONGLONG id = 0;
  if (!calls.readFileId(handle, &id) ||
      !calls.readInformation(handle, FileBasicInfo, basic, sizeof *basic))
    return false;
  opened->fileId = id;
  opened->attributes = basic->FileAttributes;
  return true;
}

// How the walk reaches one entry: a target by its path (a link among the targets is the user's
// choice and stands for what it points to), an entry below a target by its own name in the
// folder the walk holds, so that nothing renamed or linked above it can lead the open elsewhere.
struct EntryToOpen {
  HANDLE folder;             // the folder held; null for a target
  const ListedEntry* entry;  // its name, below a target
  EntryIdentity expected;    // what the listing showed; for a target, the kind seen (no id)
};

// A handle checked to be the entry expected, or why there is none.
struct OpenedEntry {
  HANDLE handle;
  EntryIdentity identity;
  FILE_BASIC_INFO basic;  // its attributes and times when opened
  NotChangedReason reason;
  DWORD error;
};

HANDLE OpenOnce(const Walk& walk, const EntryToOpen& how, DWORD access, DWORD share) {
  if (how.folder == nullptr)
    return walk.calls->createFile(walk.path.units, access, share, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  return walk.calls->openInFolder(how.folder, how.entry->name, how.entry->nameUnits, access, share);
}

// A folder to be listed is held without delete sharing; where another program holds it open
// for deleting, that cannot be had, and the identity checks below it must do.
bool OpenChecked(const Walk& walk, const EntryToOpen& how, DWORD access, bool hold,
                 OpenedEntry* opened) {
  const FileCalls& calls = *walk.calls;
  opened->error = 0;
  opened->handle = OpenOnce(walk, how, access, hold ? kShareHeld : kShareAll);
  if (!Valid(opened->handle) && hold && GetLastError() == ERROR_SHARING_VIOLATION)
    opened->handle = OpenOnce(walk, how, access, kShareAll);
  bool read = Valid(opened->handle) && ReadOpened(calls, opened->handle, &opened->identity, &opened->basic);
  if (!read) {
    opened->reason = FailedCall(&opened->error, REASON_NO_ACCESS);
  } else if (!IsListedEntry(how.expected, opened->identity)) {
    opened->reason = REASON_CHANGED_UNDER_JOB;
  } else {
    return true;
  }
  if (Valid(opened->handle)) calls.closeHandle(opened->handle);
  opened->handle = INVALID_HANDLE_VALUE;
  return false;
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

// Changes the entry where it is to be written, and enters it where it is a folder the walk
// descends into; true when it has been entered (the walk holds its handle from then on).
// Writing and listing come with one handle where both are granted; a folder may be granted one
// and not the other, and each is then asked for alone.
bool ChangeAndEnter(Walk* walk, const EntryToOpen& how, bool write, bool enter) {
  const DWORD read = FILE_READ_ATTRIBUTES;
  const DWORD writing = write ? FILE_WRITE_ATTRIBUTES : 0;
  const DWORD listing = enter ? kListAccess : 0;
  OpenedEntry opened;
  if (OpenChecked(*walk, how, read | writing | listing, enter, &opened)) {
    if (write)
      ChangeThroughHandle(walk, opened.handle, opened.identity.fileId, opened.basic);
    else
      CountOutcome(walk->report, OUTCOME_ALREADY_AS_ASKED);
    if (enter) return Enter(walk, opened.handle);
    walk->calls->closeHandle(opened.handle);
    return false;
  }
  if (!(write && enter) || opened.reason != REASON_NO_ACCESS) {
    NotChangedAtPath(walk, opened.reason, opened.error);
    return false;
  }
  OpenedEntry written, listed;
  bool changed = OpenChecked(*walk, how, read | writing, false, &written);
  if (changed) {
    ChangeThroughHandle(walk, written.handle, written.identity.fileId, written.basic);
    walk->calls->closeHandle(written.handle);
  }
  if (OpenChecked(*walk, how, read | listing, true, &listed)) {
    if (!changed) NotChangedAtPath(walk, written.reason, written.error);
    return Enter(walk, listed.handle);
  }
  // Its contents were asked for too; one line says what was not done.
  if (changed)
    NotChangedAtPath(walk, REASON_NOT_LISTED, listed.error);
  else
    NotChangedAtPath(walk, opened.reason, opened.error);
  return false;
}

// One entry of the folder being listed; true when it is a folder that has been entered.
bool ProcessListedEntry(Walk* walk, const ListedEntry& entry) {
  const JobSettings& settings = *walk->settings;
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
  if (!AppendName(&walk->path, entry.name, entry.nameUnits)) {
    NotChangedBesidePath(walk, entry, REASON_NOT_A_TARGET);
    return false;
  }
  const EntryToOpen how = {walk->levels[walk->depth - 1].folder, &entry,
                           {entry.attributes, entry.fileId}};
  bool entered = ChangeAndEnter(walk, how, write, isFolder);
  if (!entered) CutPathTo(&walk->path, folderLength);
  return entered;
}

// Lists the folder the handle holds, and every folder below it, depth first: a folder is
// changed before its contents, entries come in the listing's order.
// The innermost folder entered, and everything below it.
void WalkBelow(Walk* walk) {
  // After a cancel the entry in hand is finished and no other is begun, at any depth.
  while (walk->depth > 0 && !Cancelled(*walk)) {
    ListedEntry entry;
    if (!NextListedEntry(*walk->calls, &walk->levels[walk->depth - 1].listing, &entry)) {
      NoteListingFailure(walk);
      PopLevel(walk);
      continue;
    }
    if (IsDotName(entry.name, entry.nameUnits)) continue;
    ProcessListedEntry(walk, entry);
  }
  while (walk->depth > 0) PopLevel(walk);
}

// A target, and below it when it is a folder and the job descends.
void ProcessTarget(Walk* walk, const TargetEntry& entry) {
  const char* target = entry.path;
  walk->volumeKnown = false;
  if (!StartLongPath(target, &walk->path)) {
    Tell(walk, target, REASON_NOT_A_TARGET, 0);
    return;
  }
  const JobSettings& settings = *walk->settings;
  DWORD seen = walk->calls->getAttributes(walk->path.units);
  if (seen == INVALID_FILE_ATTRIBUTES) {
    DWORD error = 0;
    NotChangedReason reason = FailedCall(&error, REASON_NOT_FOUND);
    Tell(walk, target, reason, error);
    return;
  }
  // The entry the user chose, and nothing its name points to by now.
  TargetIdentity now;
  if (entry.identity.known &&
      (!ReadTargetIdentity(walk->path.units, &now) || !SameTarget(entry.identity, now))) {
    Tell(walk, target, REASON_CHANGED_UNDER_JOB, 0);
    return;
  }
  bool isFolder = (seen & FILE_ATTRIBUTE_DIRECTORY) != 0;
  bool enter = settings.recurse && isFolder;
  bool accepted = AcceptName(FileNamePart(target), isFolder, settings.filterPattern,
                             settings.filterKind);
  bool write = walk->jobWrites && accepted;
  if (!write && !enter) {
    CountOutcome(walk->report, accepted ? OUTCOME_ALREADY_AS_ASKED : OUTCOME_FILTERED_OUT);
    return;
  }
  // The kind it had when looked at (the filter's answer was for that), and the entry it named
  // when taken: the check above and this open are two looks at the name.
  const EntryToOpen how = {nullptr, nullptr, {seen, ExpectedFileId(entry.identity)}};
  if (ChangeAndEnter(walk, how, write, enter)) WalkBelow(walk);
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
  walk->log = settings->log;
  walk->rules = times.fromEntry;
  SetDateRule(&walk->rules.slots[SLOT_CREATION], times.creation);
  SetDateRule(&walk->rules.slots[SLOT_LAST_WRITE], times.lastWrite);
  SetDateRule(&walk->rules.slots[SLOT_LAST_ACCESS], times.lastAccess);
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
  TimeRule* own = times->fromEntry.slots;
  times->creation = PlanOne(settings.creation, &times->creationValue, &own[SLOT_CREATION]);
  times->lastAccess = PlanOne(settings.lastAccess, &times->lastAccessValue, &own[SLOT_LAST_ACCESS]);
  times->lastWrite = PlanOne(settings.lastWrite, &times->lastWriteValue, &own[SLOT_LAST_WRITE]);
}

bool WritesTimes(const AppliedTimes& times) {
  return times.creation || times.lastAccess || times.lastWrite || AnyTimeRule(times.fromEntry);
}

void RunJob(const JobSettings* settings) {
  // Counted also where nobody asks for the counts, so that the walk has one way.
  JobReport unread;
  StartJobReport(&unread);
  JobReport* report = settings->report ? settings->report : &unread;
  if (settings->undoPath[0] != 0) {
    RunUndo(settings, report);
    if (settings->log) LogCounts(settings->log, *report);
    return;
  }
  AppliedTimes times;
  PlanAppliedTimes(*settings, &times);
  Walk walk;
  if (!StartWalk(&walk, settings, report, times)) {
    ReportNotChanged(report, "", REASON_NO_MEMORY, ERROR_NOT_ENOUGH_MEMORY);
    return;
  }
  // One pass along the list: item i found by counting from the front would cost a walk per target.
  const StringListNode* node = settings->targets ? settings->targets->first : nullptr;
  for (; node && !Cancelled(walk); node = node->next) {
    if (const TargetEntry* target = TargetOf(node)) ProcessTarget(&walk, *target);
  }
  EndWalk(&walk);
  if (settings->log) LogCounts(settings->log, *report);
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
    TargetEntry target = {TargetIdentity{false, false, {0, 0}, {0, 0}}, {0}};
    CopyBounded(sizeof target.path, path, target.path);
    ProcessTarget(&walk, target);
    EndWalk(&walk);
  }
  DestroyTargetList(settings.targets);
}
