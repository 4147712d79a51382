// The target walk (see job_walk.h).
#include "app/job_walk.h"

#include "app/apply_plan.h"
#include "app/entry_rules.h"
#include "text/holders.h"
#include "app/local_time.h"
#include "app/name_filter.h"
#include "text/trace.h"
#include "text/file_queries.h"
#include "text/chars.h"
#include "text/paths.h"
#include "text/wide_names.h"

namespace {

const FILETIME* PlanOne(const TimestampEntry& entry, FILETIME* storage) {
  if (!entry.enabled) return nullptr;
  if (entry.exact) {
    *storage = ToFileTime(entry.utc);
    return storage;
  }
  // A local time that cannot be converted is not applied rather than applied wrongly.
  if (!LocalToUtcFileTime(ToFileTime(entry.time), storage)) return nullptr;
  return storage;
}

bool IsWideDotEntry(const WCHAR* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// The name the walk uses for an entry: its own when the code page holds it, else its short name
// when there is one and the code page holds that. Either way it is what the filter sees and
// what is joined to the folder, so it is never taken for a look-alike of another entry's name.
bool ChooseEntryName(const char* folder, const WIN32_FIND_DATAW& found, char* name, int size) {
  if (!NameFromWide(found.cFileName, name, size) &&
      !(found.cAlternateFileName[0] && NameFromWide(found.cAlternateFileName, name, size))) {
    Trace("! %s\r\n => %s\r\n", "コードページ932で表せない名前を飛ばしました。", folder);
    return false;
  }
  if (!IsJoinableName(name)) {
    Trace("! %s\r\n => %s\\%s\r\n", "別の場所を指す名前を飛ばしました。", folder, name);
    return false;
  }
  return true;
}

// The entry as the callbacks see it: the search's own record with the chosen name.
bool ToCodePageEntry(const char* folder, const WIN32_FIND_DATAW& found, WIN32_FIND_DATAA* entry) {
  ZeroFill(entry, sizeof *entry);
  if (!ChooseEntryName(folder, found, entry->cFileName, sizeof entry->cFileName)) return false;
  NameFromWide(found.cAlternateFileName, entry->cAlternateFileName,
               sizeof entry->cAlternateFileName);
  entry->dwFileAttributes = found.dwFileAttributes;
  entry->ftCreationTime = found.ftCreationTime;
  entry->ftLastAccessTime = found.ftLastAccessTime;
  entry->ftLastWriteTime = found.ftLastWriteTime;
  entry->nFileSizeHigh = found.nFileSizeHigh;
  entry->nFileSizeLow = found.nFileSizeLow;
  entry->dwReserved0 = found.dwReserved0;  // the reparse tag of a reparse point
  entry->dwReserved1 = found.dwReserved1;
  return true;
}

const FileCalls* g_testCalls = nullptr;
const SearchCalls* g_testSearchCalls = nullptr;

}  // namespace

const FileCalls kPlatformFileCalls = {GetFileAttributesA, SetFileAttributesA, CreateFileA,
                                      SetFileTime, CloseHandle};

void SetFileCallsForTests(const FileCalls* calls) { g_testCalls = calls; }

const FileCalls& CurrentFileCalls() { return g_testCalls ? *g_testCalls : kPlatformFileCalls; }

const SearchCalls kPlatformSearchCalls = {FindFirstFileW, FindNextFileW};

void SetSearchCallsForTests(const SearchCalls* calls) { g_testSearchCalls = calls; }

const SearchCalls& CurrentSearchCalls() {
  return g_testSearchCalls ? *g_testSearchCalls : kPlatformSearchCalls;
}

void PlanAppliedTimes(const JobSettings& settings, AppliedTimes* times) {
  times->creation = PlanOne(settings.creation, &times->creationValue);
  times->lastAccess = PlanOne(settings.lastAccess, &times->lastAccessValue);
  times->lastWrite = PlanOne(settings.lastWrite, &times->lastWriteValue);
}

void RunJob(const JobSettings* settings) {
  JobContext context;
  context.settings = settings;
  context.calls = &CurrentFileCalls();
  PlanAppliedTimes(*settings, &context.times);
  // One pass along the list: item i found by counting from the front would cost a walk per target.
  const StringListNode* node = settings->targets ? settings->targets->first : nullptr;
  for (; node && !settings->cancelRequested.load(); node = node->next) {
    const char* target = static_cast<const char*>(node->item);
    if (target) ProcessEntry(target, nullptr, &context);
  }
}

bool ProcessEntry(const char* path, const WIN32_FIND_DATAA* findData, void* context) {
  const JobContext* job = static_cast<const JobContext*>(context);
  const JobSettings* settings = job->settings;
  // A link met below a target may point out of the tree or back up into it (an endless walk),
  // and changing it may change what it points to: it is left alone. Other reparse points
  // (deduplicated files, cloud placeholders) are the entries themselves. Targets are what the
  // user chose, links or not.
  if (findData && StandsForAnotherName(findData->dwFileAttributes, findData->dwReserved0))
    return !settings->cancelRequested.load();
  if (AcceptName(path, settings->filterPattern, settings->filterKind)) {
    const FileCalls& calls = job->calls ? *job->calls : kPlatformFileCalls;
    // Inside a folder the search has just read the entry's attributes; only a target is asked.
    // An entry that has vanished since makes every call fail (OPEN_EXISTING creates nothing).
    DWORD current = findData ? findData->dwFileAttributes : calls.getAttributes(path);
    ApplyChangesTo(calls, job->times, path, current, settings->orMask, settings->andMask);
  }
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
  WCHAR wideSearchPath[PATH_BUFFER_SIZE];
  if (!WideFromPath(searchPath, wideSearchPath, PATH_BUFFER_SIZE)) {
    Trace("! %s\r\n => %s\r\n", "パスを読み取れないため検索しません。", folder);
    return true;
  }
  const SearchCalls& calls = CurrentSearchCalls();
  WIN32_FIND_DATAW found;
  FindHolder search(calls.findFirst(wideSearchPath, &found));
  if (!search.Valid()) return true;
  bool keepGoing = true;
  do {
    if (IsWideDotEntry(found.cFileName)) continue;
    WIN32_FIND_DATAA entry;
    if (!ToCodePageEntry(folder, found, &entry)) continue;
    char entryPath[PATH_BUFFER_SIZE];
    // A cut path may name some other existing file: skip the entry instead.
    if (!PathJoin(sizeof entryPath, entryPath, folder, entry.cFileName)) {
      Trace("! %s\r\n => %s\\%s\r\n", "パスが長すぎるため飛ばしました。", folder, entry.cFileName);
      continue;
    }
    keepGoing = callback(entryPath, &entry, context);
  } while (keepGoing && calls.findNext(search.Get(), &found));
  return true;
}

void ApplyChanges(const AppliedTimes& times, const char* path, uint32_t orMask, uint32_t andMask) {
  const FileCalls& calls = CurrentFileCalls();
  ApplyChangesTo(calls, times, path, calls.getAttributes(path), orMask, andMask);
}

void ApplyChangesTo(const FileCalls& calls, const AppliedTimes& times, const char* path,
                    DWORD current, uint32_t orMask, uint32_t andMask) {
  ApplyPlan plan = PlanApply(current, WritesTimes(times), orMask, andMask);
  if (plan.open) {
    // The times need no more than attribute-write access, which read-only does not deny and
    // which other programs' open handles do not lock out; so read-only never comes off, and a
    // file in use gets its times too. Opened plainly, a link that the user named hands its
    // times on to what it points to (links met inside a folder never get here).
    HANDLE file = calls.createFile(path, FILE_WRITE_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file != INVALID_HANDLE_VALUE && file != nullptr) {
      calls.setFileTime(file, times.creation, times.lastAccess, times.lastWrite);
      calls.closeHandle(file);
    }
  }
  // Also when the open failed: an entry whose times cannot be written still gets its attributes.
  if (plan.writeFinal) calls.setAttributes(path, plan.finalAttributes);
}

bool WritesTimes(const AppliedTimes& times) {
  return times.creation || times.lastAccess || times.lastWrite;
}
