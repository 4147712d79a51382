// The target walk (see job_walk.h).
#include "app/job_walk.h"

#include "app/holders.h"
#include "app/local_time.h"
#include "app/name_filter.h"
#include "app/trace.h"
#include "text/file_queries.h"
#include "text/paths.h"

namespace {

const FILETIME* PlanOne(const TimestampEntry& entry, FILETIME* storage) {
  if (!entry.enabled) return nullptr;
  // A local time that cannot be converted is not applied rather than applied wrongly.
  if (!LocalToUtcFileTime(ToFileTime(entry.time), storage)) return nullptr;
  return storage;
}

bool IsDotEntry(const char* name) {
  return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

}  // namespace

void PlanAppliedTimes(const JobSettings& settings, AppliedTimes* times) {
  times->creation = PlanOne(settings.creation, &times->creationValue);
  times->lastAccess = PlanOne(settings.lastAccess, &times->lastAccessValue);
  times->lastWrite = PlanOne(settings.lastWrite, &times->lastWriteValue);
}

void RunJob(const JobSettings* settings) {
  JobContext context;
  context.settings = settings;
  PlanAppliedTimes(*settings, &context.times);
  int count = settings->targets ? settings->targets->count : 0;
  for (int i = 0; i < count && !settings->cancelRequested.load(); ++i) {
    const char* target = TargetAt(settings->targets, i);
    if (target) ProcessEntry(target, nullptr, &context);
  }
}

bool ProcessEntry(const char* path, const WIN32_FIND_DATAA* findData, void* context) {
  const JobContext* job = static_cast<const JobContext*>(context);
  const JobSettings* settings = job->settings;
  // A link met below a target may point out of the tree or back up into it (an endless walk),
  // and changing it may change what it points to: it is left alone. Targets themselves are
  // what the user chose, links or not.
  if (findData && (findData->dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return !settings->cancelRequested.load();
  if (AcceptName(path, settings->filterPattern, settings->filterKind))
    ApplyChanges(job->times, path, settings->orMask, settings->andMask);
  // Inside a folder the search has already said what the entry is; changing attributes never
  // turns a file into a folder, so asking the file system again would only cost time.
  bool isFolder = findData ? (findData->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                           : IsDirectory(path);
  if (settings->recurse && isFolder) ForEachEntry(path, "*", ProcessEntry, context);
  return !settings->cancelRequested.load();
}

bool ForEachEntry(const char* folder, const char* pattern, EntryCallback callback, void* context) {
  char searchPath[PATH_BUFFER_SIZE];
  if (!PathJoin(sizeof searchPath, searchPath, folder, pattern)) {
    Trace("! %s\r\n => %s\r\n", "パスが長すぎるため検索しません。", folder);
    return true;
  }
  WIN32_FIND_DATAA found;
  FindHolder search(FindFirstFileA(searchPath, &found));
  if (!search.Valid()) return true;
  bool keepGoing = true;
  do {
    if (IsDotEntry(found.cFileName)) continue;
    char entryPath[PATH_BUFFER_SIZE];
    // A cut path may name some other existing file: skip the entry instead.
    if (!PathJoin(sizeof entryPath, entryPath, folder, found.cFileName)) {
      Trace("! %s\r\n => %s\\%s\r\n", "パスが長すぎるため飛ばしました。", folder, found.cFileName);
      continue;
    }
    keepGoing = callback(entryPath, &found, context);
  } while (keepGoing && FindNextFileA(search.Get(), &found));
  return true;
}

void ApplyChanges(const AppliedTimes& times, const char* path, uint32_t orMask, uint32_t andMask) {
  DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  // Cleared first so that a read-only entry can be opened for writing.
  SetFileAttributesA(path, 0);
  // A link gets its own times; opened plainly, the times would land on whatever it points to.
  DWORD openFlags = FILE_FLAG_BACKUP_SEMANTICS;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) openFlags |= FILE_FLAG_OPEN_REPARSE_POINT;
  {
    HandleHolder file(CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  openFlags, nullptr));
    if (file.Valid()) SetTimes(file.Get(), times.creation, times.lastAccess, times.lastWrite);
  }
  SetFileAttributesA(path, ApplyAttributeMasks(attributes, orMask, andMask));
}

void SetTimes(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
              const FILETIME* lastWrite) {
  SetFileTime(file, creation, lastAccess, lastWrite);
}
