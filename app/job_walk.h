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

// What the walk carries from entry to entry: the record and its times converted once.
struct JobContext {
  const JobSettings* settings;
  AppliedTimes times;
};

using EntryCallback = bool (*)(const char* path, const WIN32_FIND_DATAA* findData, void* context);

// Converts the enabled local times to UTC with the rules in force on each date.
void PlanAppliedTimes(const JobSettings& settings, AppliedTimes* times);

void RunJob(const JobSettings* settings);
bool ProcessEntry(const char* path, const WIN32_FIND_DATAA* findData, void* context);
bool ForEachEntry(const char* folder, const char* pattern, EntryCallback callback, void* context);
void ApplyChanges(const AppliedTimes& times, const char* path, uint32_t orMask, uint32_t andMask);
void SetTimes(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
              const FILETIME* lastWrite);
