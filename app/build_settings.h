// Filling the job record from the command line: options first, then targets (with the
// attribute summary and default times), then the attribute options over that summary.
#pragma once

#include "app/job_report.h"
#include "app/job_settings.h"

// The names of the three times, in slot order, as the trace and the dialog give them.
extern const char* const TIMESTAMP_LABELS[TIME_SLOTS];

enum BuildResult {
  BUILD_READ,        // every argument read; the targets not taken are in the report
  BUILD_UNREADABLE,  // an argument cannot be read: no job may run, and no target was looked at
  BUILD_NO_MEMORY,   // no target list (the record is otherwise at its defaults)
};

// Each argument is read once: one that begins with OPTION_MARK is an option, any other a target.
// Every option is read even after an unreadable one, so that showDialog says whether a user is
// in front of the program to be told; *unreadable is then the index of the first unreadable
// argument (0 otherwise). A target argument that is not taken goes into refusedTargets (may be
// null) with its reason and a trace line.
BuildResult BuildJobSettings(JobSettings* record, int count, char** vector,
                             JobReport* refusedTargets, int* unreadable);

// The one message box for a command line that cannot be read, naming the argument; no window
// of the program exists yet to own it.
void ShowUnreadableArgumentBox(const char* argument);
