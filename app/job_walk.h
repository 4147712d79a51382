// The job itself: every target, newest first, through the filter to the attribute and time
// changes, down into folders when asked, until done or cancelled.
//
// Below a target the walk never goes by a path string alone. It holds each folder it lists open
// (on Windows it can then be neither renamed nor replaced), lists it through that handle, joins
// each entry's own UTF-16 name to the folder's literal path (no length limit of the code page, no
// name taken for another), opens the entry once and changes or enters it only when the handle
// is the very entry the listing showed: the same file id, and no link where the listing showed
// none. A folder swapped for a link while the job runs is so left alone.
#pragma once

#include <windows.h>

#include "app/file_calls.h"
#include "app/job_settings.h"
#include "app/time_values.h"

// The UTC times the job writes to every entry; null where a timestamp is off or is worked out
// per entry.
struct AppliedTimes {
  FILETIME creationValue, lastAccessValue, lastWriteValue;
  const FILETIME* creation;
  const FILETIME* lastAccess;
  const FILETIME* lastWrite;
  // The times each entry takes from its own, as they were before the job wrote to it: copied
  // from another slot or shifted. Off where the pointers above say.
  TimeRules fromEntry;
};

// Converts the enabled local times to UTC with the rules in force on each date, and passes own
// times and shifts on as rules.
void PlanAppliedTimes(const JobSettings& settings, AppliedTimes* times);
bool WritesTimes(const AppliedTimes& times);

void RunJob(const JobSettings* settings);

// Changes one target (no walk) as PlanApply (apply_plan.h) decides from the attributes it holds
// when its handle is open, through the calls the job uses. A test seam: the tests see each
// entry's calls with it, without a walk around them.
void ApplyChanges(const AppliedTimes& times, const char* path, uint32_t orMask, uint32_t andMask);
