// The values a timestamp can be given beside a date: each entry's time taken from another of its
// own times, or its own time moved by a signed duration. Both are worked out for each entry from
// the times it held when the job opened it, before anything is written to it, so that
// "/write:access /access:write" swaps the two. Platform-free: reading a value's text, and
// planning the three new times of one entry.
#pragma once

#include <cstdint>

#include "app/command_line.h"

// An entry's three times, in the order the dialog shows them.
enum TimeSlot : uint8_t { SLOT_CREATION, SLOT_LAST_WRITE, SLOT_LAST_ACCESS, TIME_SLOTS };

enum TimeKind : uint8_t {
  TIME_KIND_DATE,   // one instant for every entry
  TIME_KIND_OWN,    // the entry's own time of another slot
  TIME_KIND_SHIFT,  // the entry's own time of the same slot, moved
};

const int64_t kTicksPerSecond = 10000000;  // file times count 100 ns
const int64_t kTicksPerDay = 86400 * kTicksPerSecond;
// The most days a shift can name: with the hours it stays within a file time's range, and far
// beyond any date an entry can hold.
const int64_t kMostShiftDays = 9999999;

// What the text of "/create:", "/write:" or "/access:" says.
enum TimeValueForm : uint8_t { TIME_VALUE_NOW, TIME_VALUE_DATE, TIME_VALUE_OWN, TIME_VALUE_SHIFT };

struct TimeValue {
  TimeValueForm form;
  DateTimeFields date;  // TIME_VALUE_DATE: a local calendar time
  TimeSlot source;      // TIME_VALUE_OWN
  int64_t shift;        // TIME_VALUE_SHIFT: ticks, signed
};

// "now"; "create", "write" or "access" (any case); a shift; or a date (ParseDateTimeText).
// False for anything else, a malformed shift among it.
bool ParseTimeValue(const char* text, TimeValue* value);

// A sign, then an optional number of days and a '.', then H:MM:SS: "+9:00:00",
// "-1.00:00:00". Hours 0-23 (one or two digits), minutes and seconds two digits each, days at
// most kMostShiftDays; nothing before or after.
bool ParseShiftText(const char* text, int64_t* ticks);

// A shift as the dialog's two fields show it: the signed days ("+0", "-1") and "HH:MM:SS";
// ParseShiftText reads the two joined by a '.' back to the same ticks (whole seconds).
enum { SHIFT_TEXT_SIZE = 12 };
void FormatShiftParts(int64_t ticks, char days[SHIFT_TEXT_SIZE], char clock[SHIFT_TEXT_SIZE]);

// What the job does with one of an entry's times.
struct TimeRule {
  bool on;
  TimeKind kind;
  TimeSlot source;  // TIME_KIND_OWN
  int64_t ticks;    // TIME_KIND_DATE: the UTC instant; TIME_KIND_SHIFT: the signed duration
};

struct TimeRules {
  TimeRule slots[TIME_SLOTS];
};

bool AnyTimeRule(const TimeRules& rules);

// An entry's three times as the platform holds them, in slot order.
struct EntryTimes {
  int64_t ticks[TIME_SLOTS];
};

// The times of one write: 0 leaves a time as it is, which is what the platform reads 0 as. A
// result the platform cannot hold (before 1601-01-01 00:00:00 UTC, past the largest positive
// tick count, or exactly 0, which it would read as "leave") is not written and is marked.
struct PlannedTimes {
  int64_t ticks[TIME_SLOTS];
  uint8_t outOfRange;  // a bit (1 << slot) per time left as it is for that reason
};

PlannedTimes PlanEntryTimes(const TimeRules& rules, const EntryTimes& before);
