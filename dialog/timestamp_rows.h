// The three timestamp rows of the main dialog (switch, date field, time field) and the now
// fields above them: showing a record's times, switching rows, and reading them back.
#pragma once

#include <windows.h>

#include "app/job_settings.h"

struct TimestampRow {
  const char* label;  // names the row in the error message, and the time an own-time row takes
  int checkBoxId;
  int dateId;
  int timeId;
  TimestampEntry JobSettings::*entry;
  TimeSlot slot;
  int kindId;  // a date, another of each entry's times, or a shift (row_kinds.h)
  int shiftDaysId;
  int shiftTimeId;
  int ownLabelId;
};

extern const TimestampRow kTimestampRows[3];

// The window property on the dialog that records, per date field (the clock and the three
// rows), the UTC instant its text shows in local time, where there is one: the clock's moment,
// a target's own time, or a copy of either. A row whose text still reads as that instant hands
// on the instant itself, so that a local time is never converted back (ambiguous in the hour
// that repeats when the clocks go back).
extern const char PROP_TIMESOURCES[];

// Writes the text only when it differs, so that an unchanged field keeps caret and selection.
void SetTextIfChanged(HWND control, const char* text);
void ShowSystemTime(HWND dialog, int dateId, int timeId, const SYSTEMTIME& time);
void ShowFileTime(HWND dialog, int dateId, int timeId, const FILETIME& time);
void ShowNowTime(HWND dialog, int dateId, int timeId);
bool ParseDateTimeFields(HWND dialog, int dateId, int timeId, SYSTEMTIME* time);
bool SetTimestampRowEnabled(HWND dialog, int checkBoxId, bool on);
// Every field of a row, of every kind, editable exactly while the row's switch is on.
void UpdateRowEditability(HWND dialog);
void LoadTimestampRows(HWND dialog, const JobSettings* record);
// Into a zero-filled record; false, with the message shown and the offending row reset and
// focused, when an enabled row cannot be read.
bool CollectTimestampRows(HWND dialog, JobSettings* record);
void ReportDateTimeError(HWND dialog, const char* label);
void ReportShiftError(HWND dialog, const char* label);
// The copy buttons: the instant behind one date field goes with its text to another.
void CopyTimeSource(HWND dialog, int toDateId, int fromDateId);
void ReleaseTimeSources(HWND dialog);
int ShowMessageBox(HWND owner, const char* caption, const char* text, UINT type);
