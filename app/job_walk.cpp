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
  const FileCalls* calls;
  AppliedTimes times;
  TimeRules rules;  // every time the job writes, the fixed ones among them
  bool jobWrites;   // the job changes anything at all
  LongPath path;
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

bool Cancelled(const Walk& walk) { return walk.settings->cancelRequested.load(); }

bool IsDotEntry(const ListedEntry& entry) {
  return entry.name[0] == L'.' &&
         (entry.nameUnits == 1 || (entry.nameUnits == 2 && entry.name[1] == L'.'));
}

void TraceAtPath(const Walk& walk, const char* message) {
  char shown[TRACE_LINE_SIZE];
  ShowLongPath(walk.path, shown, sizeof shown);
  Trace("! %s\r\n => %s\r\n", message, shown);
}

// For an entry whose name is not (or cannot be) joined to the folder's path.
void TraceBesidePath(const Walk& walk, const char* message, const ListedEntry& entry) {
  char folder[TRACE_LINE_SIZE / 2], name[NAME_BUFFER_SIZE];
  ShowLongPath(walk.path, folder, sizeof folder);
  ShownNameFromWide(entry.name, entry.nameUnits, name, sizeof name);
  Trace("! %s\r\n => %s\\%s\r\n", message, folder, name);
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

void SetDateRule(TimeRule* rule, const FILETIME* time) {
  if (time == nullptr) return;
  int64_t ticks = static_cast<int64_t>((static_cast<uint64_t>(time->dwHighDateTime) << 32) |
                                       time->dwLowDateTime);
  *rule = TimeRule{true, TIME_KIND_DATE, SLOT_CREATION, ticks};
}

// A time that would fall outside what the platform holds stays as it is, and the entry counts
// as not changed, so that the user learns what was asked and not done; its other times and its
// attributes are still written. It is counted here, once: the write that follows does not count
// it again.
void ReportTimeOutOfRange(const Walk& walk) {
  char shown[TRACE_LINE_SIZE];
  ShowLongPath(walk.path, shown, sizeof shown);
  ReportNotChanged(walk.settings->report, shown, REASON_TIME_OUT_OF_RANGE, 0);
}

// The one write: the times and the new attributes together, decided from what the entry holds
// now, through its handle: its attributes, and its times for those copied or shifted.
void ChangeThroughHandle(const Walk& walk, HANDLE handle, const FILE_BASIC_INFO& held) {
  const JobSettings& settings = *walk.settings;
  ApplyPlan plan =
      PlanApply(held.FileAttributes, WritesTimes(walk.times), settings.orMask, settings.andMask);
  if (!plan.write) return;
  const EntryTimes before = {{held.CreationTime.QuadPart, held.LastWriteTime.QuadPart,
                              held.LastAccessTime.QuadPart}};
  PlannedTimes times = PlanEntryTimes(walk.rules, before);
  if (times.outOfRange) ReportTimeOutOfRange(walk);
  FILE_BASIC_INFO basic;
  std::memset(&basic, 0, sizeof basic);
  basic.CreationTime.QuadPart = times.ticks[SLOT_CREATION];  // 0 leaves a time as it is
  basic.LastAccessTime.QuadPart = times.ticks[SLOT_LAST_ACCESS];
  basic.LastWriteTime.QuadPart = times.ticks[SLOT_LAST_WRITE];
  basic.FileAttributes = plan.writtenAttributes;
  if (basic.FileAttributes == 0 && basic.CreationTime.QuadPart == 0 &&
      basic.LastAccessTime.QuadPart == 0 && basic.LastWriteTime.QuadPart == 0)
    return;  // every time asked for is out of range, and the attributes stay
  walk.calls->setInformation(handle, FileBasicInfo, &basic, sizeof basic);
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
  TraceAtPath(*walk, "メモリが足りないため、フォルダの中を変更しませんでした。");
  walk->calls->closeHandle(folder);
  return false;
}

// One entry of the folder being listed; true when it is a folder that has been entered.
bool ProcessListedEntry(Walk* walk, const ListedEntry& entry) {
  const JobSettings& settings = *walk->settings;
  const FileCalls& calls = *walk->calls;
  // A link met below a target may point out of the tree or back up into it (an endless walk),
  // and changing it may change what it points to: it is left alone. Other reparse points
  // (deduplicated files, cloud placeholders) are the entries themselves.
  if (StandsForAnotherName(entry.attributes, entry.reparseTag)) return false;
  if (!IsJoinableName(entry.name, entry.nameUnits)) {
    TraceBesidePath(*walk, "別の場所を指す名前を飛ばしました。", entry);
    return false;
  }
  char shown[NAME_BUFFER_SIZE];
  ShownNameFromWide(entry.name, entry.nameUnits, shown, sizeof shown);
  bool isFolder = (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  bool accepted = AcceptName(shown, isFolder, settings.filterPattern, settings.filterKind);
  // The listing's copy of the attributes may be older than the entry: it only tells whether the
  // entry may need a write. What is written is decided again from the entry's handle.
  bool write = accepted && (isFolder ? walk->jobWrites
                                     : PlanApply(entry.attributes, WritesTimes(walk->times),
                                                 settings.orMask, settings.andMask).write);
  if (!write && !isFolder) return false;
  const int folderLength = walk->levels[walk->depth - 1].pathLength;
  const EntryIdentity listed = {entry.attributes, entry.fileId};
  if (!AppendName(&walk->path, entry.name, entry.nameUnits)) {
    TraceBesidePath(*walk, "パスが長すぎるため飛ばしました。", entry);
    return false;
  }
  DWORD access = FILE_READ_ATTRIBUTES | (write ? FILE_WRITE_ATTRIBUTES : 0) |
                 (isFolder ? kListAccess : 0);
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;
  HANDLE handle = OpenEntry(calls, walk->path.units, access, isFolder, flags);
  if (!Valid(handle) && write && isFolder) {
    // A folder that cannot be changed may still be listed, and its contents changed.
    write = false;
    access &= ~FILE_WRITE_ATTRIBUTES;
    handle = OpenEntry(calls, walk->path.units, access, isFolder, flags);
  }
  bool entered = false;
  if (Valid(handle)) {
    EntryIdentity opened;
    FILE_BASIC_INFO basic;
    bool read = ReadOpened(calls, handle, &opened, &basic);
    if (!read || !IsListedEntry(listed, opened)) {
      if (read) TraceAtPath(*walk, "一覧のあとで別のものに入れ替わったため飛ばしました。");
      calls.closeHandle(handle);
    } else {
      if (write) ChangeThroughHandle(*walk, handle, basic);
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
  // After a cancel the entry in hand is finished, and a folder it enters still shows its first
  // entry; then every listing stops.
  bool justEntered = true;
  while (walk->depth > 0) {
    if (!justEntered && Cancelled(*walk)) break;
    ListedEntry entry;
    if (!NextListedEntry(*walk->calls, &walk->levels[walk->depth - 1].listing, &entry)) {
      PopLevel(walk);
      justEntered = false;
      continue;
    }
    if (IsDotEntry(entry)) continue;
    justEntered = ProcessListedEntry(walk, entry);
  }
  while (walk->depth > 0) PopLevel(walk);
}

// A target, and below it when it is a folder and the job descends.
void ProcessTarget(Walk* walk, const char* target) {
  if (!StartLongPath(target, &walk->path)) return;
  const JobSettings& settings = *walk->settings;
  const FileCalls& calls = *walk->calls;
  DWORD seen = calls.getAttributes(walk->path.units);
  if (seen == INVALID_FILE_ATTRIBUTES) return;
  bool isFolder = (seen & FILE_ATTRIBUTE_DIRECTORY) != 0;
  bool enter = settings.recurse && isFolder;
  const char* name = FileNamePart(target);
  bool write = walk->jobWrites &&
               AcceptName(name, isFolder, settings.filterPattern, settings.filterKind);
  if (!write && !enter) return;
  DWORD access = FILE_READ_ATTRIBUTES | (write ? FILE_WRITE_ATTRIBUTES : 0) |
                 (enter ? kListAccess : 0);
  // A target is the user's choice: a link among them stands for what it points to, and is
  // opened so.
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS;
  HANDLE handle = OpenEntry(calls, walk->path.units, access, enter, flags);
  if (!Valid(handle) && write && enter) {
    write = false;
    access &= ~FILE_WRITE_ATTRIBUTES;
    handle = OpenEntry(calls, walk->path.units, access, enter, flags);
  }
  if (!Valid(handle)) return;
  FILE_BASIC_INFO basic;
  if (!calls.readInformation(handle, FileBasicInfo, &basic, sizeof basic)) {
    calls.closeHandle(handle);
    return;
  }
  bool folderNow = (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (write && AcceptName(name, folderNow, settings.filterPattern, settings.filterKind))
    ChangeThroughHandle(*walk, handle, basic);
  if (enter && folderNow)
    WalkBelow(walk, handle);
  else
    calls.closeHandle(handle);
}

bool StartWalk(Walk* walk, const JobSettings* settings, const AppliedTimes& times) {
  std::memset(walk, 0, sizeof *walk);
  walk->settings = settings;
  walk->calls = &CurrentFileCalls();
  walk->times = times;
  // The times point into the record they came in.
  if (times.creation) walk->times.creation = &walk->times.creationValue;
  if (times.lastAccess) walk->times.lastAccess = &walk->times.lastAccessValue;
  if (times.lastWrite) walk->times.lastWrite = &walk->times.lastWriteValue;
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
  AppliedTimes times;
  PlanAppliedTimes(*settings, &times);
  Walk walk;
  if (!StartWalk(&walk, settings, times)) return;
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
  Walk walk;
  if (StartWalk(&walk, &settings, times)) {
    ProcessTarget(&walk, path);
    EndWalk(&walk);
  }
  DestroyTargetList(settings.targets);
}
