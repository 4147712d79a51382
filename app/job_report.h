// What a job did with the entries it was asked to change: a count for each outcome, the first
// entries it could not change with the reason and the system's error code, and how many entries
// it has dealt with so far (read by the tray tip while the worker runs). A script learns of it
// from the exit code, the user in front of the dialog from one message box, the trace from one
// line per entry not changed and one line of counts. Platform-free; the texts are in
// job_report_texts.
#pragma once

#include <atomic>
#include <cstdint>

enum Outcome : uint8_t {
  OUTCOME_CHANGED,
  OUTCOME_ALREADY_AS_ASKED,  // accepted, and it already held what the job writes
  OUTCOME_FILTERED_OUT,
  OUTCOME_LINK_LEFT_ALONE,
  OUTCOME_NOT_CHANGED,  // asked for, and not (or not wholly) changed: the exit code tells
  OUTCOME_KINDS
};

enum NotChangedReason : uint8_t {
  REASON_NOT_FOUND,
  REASON_NO_ACCESS,
  REASON_IN_USE,
  REASON_NOT_LISTED,         // a folder whose listing failed: its contents were not reached
  REASON_CHANGED_UNDER_JOB,  // no longer the entry that was listed or chosen
  REASON_NOT_WRITTEN,        // opened, but the write was refused
  REASON_NOT_A_TARGET,       // a name that cannot be taken: the code page, a device, the length
  REASON_NO_MEMORY,
  REASON_TIME_OUT_OF_RANGE,  // a time copied or shifted past what a file can hold
  REASON_NOT_LOGGED,         // the change log could not take its line, so no change was made
  REASON_CHANGED_SINCE,      // an undo found other values than the log's, or another entry
  REASON_BAD_LOG_LINE,       // an undo could not read the log's line exactly
  REASON_KINDS
};

// The reason a failed platform call gives by its error code; otherwise for codes that name
// none of them.
NotChangedReason ReasonFromError(uint32_t error, NotChangedReason otherwise);

enum { REPORT_LISTED_ITEMS = 10, REPORT_PATH_SIZE = 320 };

struct NotChangedItem {
  char path[REPORT_PATH_SIZE];  // as the trace shows it, cut at a character boundary
  NotChangedReason reason;
  uint32_t error;  // the system's error code, 0 where there is none
};

struct JobReport {
  uint32_t counts[OUTCOME_KINDS];
  NotChangedItem listed[REPORT_LISTED_ITEMS];  // the first ones, in the order met
  int listedCount;
  // Every outcome counted so far; the only field read while the worker writes.
  std::atomic<uint32_t> entriesDone;
};

void StartJobReport(JobReport* report);
void CountOutcome(JobReport* report, Outcome outcome);
// Counts one entry not changed and keeps it while fewer than REPORT_LISTED_ITEMS are kept.
void NoteNotChanged(JobReport* report, const char* shownPath, NotChangedReason reason,
                    uint32_t error);
uint32_t NotChangedCount(const JobReport& report);
