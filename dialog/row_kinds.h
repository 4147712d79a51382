// The kind of each timestamp row: one date and time for every entry, each entry's own time of
// another slot, or each entry's own time shifted. A drop-down list on the row chooses it; the row
// then shows the fields of that kind in one place (a date and time, a shift's signed days and
// time, or the name of the time taken), and the copy buttons work between rows that show dates.
#pragma once

#include <windows.h>

#include "app/time_values.h"
#include "dialog/timestamp_rows.h"

struct RowChoice {
  TimeKind kind;
  TimeSlot source;  // TIME_KIND_OWN
};

// A copy button: the texts of a date and time pair (a row's, or the clock's) into a row's.
struct CopyButton {
  int buttonId;
  int toDate, toTime;
  int fromDate, fromTime;
};
extern const CopyButton kCopyButtons[9];

// The widest signed days a shift field shows, '#' standing for any digit (FormatShiftParts),
// and the unit after them, which reading the field takes or leaves.
extern const char kShiftDaysShape[];
extern const char kShiftDaysUnit[];

// Fills the lists once, before the dialog fits itself to its texts.
void FillRowKinds(HWND dialog);
// Chooses the kind that shows the entry, and puts the entry's shift (or none) in the row's
// shift fields.
void LoadRowKind(HWND dialog, const TimestampRow& row, const TimestampEntry& entry);
RowChoice ChosenRowKind(HWND dialog, const TimestampRow& row);
// Shows each row's fields for its kind, and enables exactly the copy buttons that copy a date
// into a row that shows one.
void ShowRowKinds(HWND dialog);
