// The change log file of a job (its lines in change_log.h): made before the job starts, held
// with no write sharing so that nothing else writes into it, each line handed to the system in
// one write before the change it names, so that the log of a job killed at any moment names
// every entry that may have changed.
#pragma once

#include <windows.h>

#include "app/change_log.h"
#include "app/job_report.h"
#include "app/job_settings.h"

struct ChangeLog {
  HANDLE file;
  EntryId identity;  // the log's own entry, which the job leaves alone
  char* line;        // LOG_LINE_MOST_BYTES, owned
  bool failed;       // a line did not go out whole: no change may be made after it
};

// Makes the file (an existing one only where replace says the user chose to replace it) and
// writes the byte-order mark and the first line. False with the system's error code.
bool OpenChangeLog(ChangeLog* log, const char* path, bool replace, DWORD* error);
void CloseChangeLog(ChangeLog* log);

bool IsChangeLogEntry(const ChangeLog* log, uint32_t volume, uint64_t fileId);

// The entry's line, before its change; false when it did not go out whole (or the entry cannot
// be logged), and the entry must then be left as it is.
bool LogChange(ChangeLog* log, const LoggedChange& change);
void LogNotChanged(ChangeLog* log, const char* shownPath, NotChangedReason reason, DWORD error);
void LogCounts(ChangeLog* log, const JobReport& report);

// Before the job: the undo's log checked and the job's own log made, as the record names them
// (record->log then points to log). False, with a trace line and, where a user is in front of
// the program, a message box, when either cannot be had: the job must then not start.
bool OpenLogsForJob(JobSettings* record, ChangeLog* log);

// Whether the file can be read as a log for an undo: it opens, and its first line is a log's.
// The system's error code otherwise (ERROR_INVALID_DATA for a file that is not a log).
bool CheckUndoLog(const char* path, DWORD* error);
