// The job itself: every target, newest first, through the filter to the attribute and time
// changes, down into folders when asked, until done or cancelled.
#pragma once

#include <windows.h>

#include "app/job_settings.h"

// The UTC times the job passes to the platform for every entry; null where a timestamp is off.
struct AppliedTimes {
  FILETIME creationValue, lastAccessValue, lastWriteValue;
  const FILETIME* creation;
  const FILETIME* lastAccess;
  const FILETIME* lastWrite;
};

// The platform calls that change an entry. The job uses the platform's own; tests put a
// table in front of them that records or stops the calls (SetFileCallsForTests).
struct FileCalls {
  DWORD(WINAPI* getAttributes)(LPCSTR path);
  BOOL(WINAPI* setAttributes)(LPCSTR path, DWORD attributes);
  HANDLE(WINAPI* createFile)(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                             DWORD disposition, DWORD flags, HANDLE pattern);
  BOOL(WINAPI* setFileTime)(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                            const FILETIME* lastWrite);
  BOOL(WINAPI* closeHandle)(HANDLE handle);
};
extern const FileCalls kPlatformFileCalls;
// The table that jobs started from now on use; null restores the platform's.
void SetFileCallsForTests(const FileCalls* calls);
const FileCalls& CurrentFileCalls();

// The folder search. The walk searches with the wide functions, so that it sees every name as
// it is; tests put a table in front of them that changes what the search reports
// (SetSearchCallsForTests).
struct SearchCalls {
  HANDLE(WINAPI* findFirst)(LPCWSTR pattern, LPWIN32_FIND_DATAW found);
  BOOL(WINAPI* findNext)(HANDLE search, LPWIN32_FIND_DATAW found);
};
extern const SearchCalls kPlatformSearchCalls;
// The table that searches started from now on use; null restores the platform's.
void SetSearchCallsForTests(const SearchCalls* calls);
const SearchCalls& CurrentSearchCalls();

// What the walk carries from entry to entry: the record, its times converted once, and the
// calls that reach the file system.
struct JobContext {
  const JobSettings* settings;
  AppliedTimes times;
  const FileCalls* calls;  // null: the platform's
};

using EntryCallback = bool (*)(const char* path, const WIN32_FIND_DATAA* findData, void* context);

// Converts the enabled local times to UTC with the rules in force on each date.
void PlanAppliedTimes(const JobSettings& settings, AppliedTimes* times);

void RunJob(const JobSettings* settings);
bool ProcessEntry(const char* path, const WIN32_FIND_DATAA* findData, void* context);
bool ForEachEntry(const char* folder, const char* pattern, EntryCallback callback, void* context);
// Changes one entry as PlanApply (apply_plan.h) decides, reading its attributes first.
void ApplyChanges(const AppliedTimes& times, const char* path, uint32_t orMask, uint32_t andMask);
// The same for an entry whose attributes are known already (from the folder search), through
// the given calls.
void ApplyChangesTo(const FileCalls& calls, const AppliedTimes& times, const char* path,
                    DWORD current, uint32_t orMask, uint32_t andMask);
bool WritesTimes(const AppliedTimes& times);
