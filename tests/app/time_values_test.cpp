// Timestamp values beside a date: reading the option's text, and one entry's new times.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "app/time_values.h"

namespace {

const int64_t kHour = 3600 * kTicksPerSecond, kDay = kTicksPerDay;

struct ValueCase {
  const char* text;
  bool accepted;
  TimeValueForm form = TIME_VALUE_DATE;
  int64_t shift = 0;               // TIME_VALUE_SHIFT
  TimeSlot source = SLOT_CREATION;  // TIME_VALUE_OWN
};

const ValueCase kValueCases[] = {
    {"+9:00:00", true, TIME_VALUE_SHIFT, 9 * kHour, SLOT_CREATION},
    {"-1.00:00:00", true, TIME_VALUE_SHIFT, -kDay, SLOT_CREATION},
    {"-0.23:59:59", true, TIME_VALUE_SHIFT, -(kDay - kTicksPerSecond), SLOT_CREATION},
    {"+2.3:04:05", true, TIME_VALUE_SHIFT, 2 * kDay + 3 * kHour + 245 * kTicksPerSecond,
     SLOT_CREATION},
    {"+9999999.23:59:59", true, TIME_VALUE_SHIFT, 10000000 * kDay - kTicksPerSecond,
     SLOT_CREATION},
    {"+10000000.00:00:00", false},
    {"+24:00:00", false},        // a day is written as one
    {"+1.24:00:00", false},
    {"+123:00:00", false},
    {"+1.009:00:00", false},     // hours have one or two digits
    {"+9:60:00", false},
    {"+9:00:60", false},
    {"+9:0:00", false},          // minutes and seconds two digits each
    {"+9:00", false},
    {"+9:00:00 ", false},        // nothing after the seconds
    {"+1.:00:00", false},
    {"++9:00:00", false},
    {"+", false},
    {"+9\x81\x46" "00\x81\x46" "00", false},  // full-width colons
    {"9:00:00", false},          // without a sign it would be a date, and is none
    {"create", true, TIME_VALUE_OWN, 0, SLOT_CREATION},
    {"WRITE", true, TIME_VALUE_OWN, 0, SLOT_LAST_WRITE},
    {"Access", true, TIME_VALUE_OWN, 0, SLOT_LAST_ACCESS},
    {"created", false},
    {"writ", false},
    {" access", false},
    {"now", true, TIME_VALUE_NOW},
    {"2006/01/03 12:34:56", true, TIME_VALUE_DATE},
    {"", false},
};

// Each text read as the option reads it; every shift accepted is written back as the dialog
// shows it (signed days, then HH:MM:SS) and read again to the same ticks.
TEST(ParseTimeValue, ReadsShiftsOwnTimesNowAndDates) {
  for (const ValueCase& c : kValueCases) {
    TimeValue value;
    ASSERT_EQ(c.accepted, ParseTimeValue(c.text, &value)) << "'" << c.text << "'";
    if (!c.accepted) continue;
    EXPECT_EQ(c.form, value.form) << c.text;
    if (c.form == TIME_VALUE_OWN) {
      EXPECT_EQ(c.source, value.source) << c.text;
    }
    if (c.form == TIME_VALUE_DATE) {
      EXPECT_EQ(2006, value.date.year) << c.text;
    }
    if (c.form != TIME_VALUE_SHIFT) continue;
    EXPECT_EQ(c.shift, value.shift) << c.text;
    char days[SHIFT_TEXT_SIZE], clock[SHIFT_TEXT_SIZE];
    FormatShiftParts(value.shift, days, clock);
    int64_t again = 1;
    EXPECT_TRUE(ParseShiftText((std::string(days) + "." + clock).c_str(), &again))
        << days << " " << clock;
    EXPECT_EQ(c.shift, again) << days << " " << clock;
  }
  char days[SHIFT_TEXT_SIZE], clock[SHIFT_TEXT_SIZE];
  FormatShiftParts(-9 * kHour, days, clock);
  EXPECT_EQ("-0 09:00:00", std::string(days) + " " + clock);
  FormatShiftParts(INT64_MIN, days, clock);  // no shift read is this large: cut, not overflowed
  EXPECT_EQ("-9999999", std::string(days));
}

TimeRule Off() { return TimeRule{false, TIME_KIND_DATE, SLOT_CREATION, 0}; }
TimeRule Date(int64_t ticks) { return TimeRule{true, TIME_KIND_DATE, SLOT_CREATION, ticks}; }
TimeRule Own(TimeSlot source) { return TimeRule{true, TIME_KIND_OWN, source, 0}; }
TimeRule Shift(int64_t ticks) { return TimeRule{true, TIME_KIND_SHIFT, SLOT_CREATION, ticks}; }

struct PlanCase {
  const char* what;
  TimeRules rules;  // creation, last write, last access
  EntryTimes before;
  EntryTimes after;    // 0: left as it is
  uint8_t outOfRange;  // bits 1 << slot
};

const int64_t C = 1000 * kDay, W = 2000 * kDay + 5, A = 3000 * kDay + 7;
const EntryTimes kBefore = {{C, W, A}};

const PlanCase kPlanCases[] = {
    {"nothing asked", {{Off(), Off(), Off()}}, kBefore, {{0, 0, 0}}, 0},
    {"a date for every entry", {{Date(42), Off(), Date(43)}}, kBefore, {{42, 0, 43}}, 0},
    {"creation from last write", {{Own(SLOT_LAST_WRITE), Off(), Off()}}, kBefore, {{W, 0, 0}}, 0},
    {"last write and last access swapped: both from the times before",
     {{Off(), Own(SLOT_LAST_ACCESS), Own(SLOT_LAST_WRITE)}}, kBefore, {{0, A, W}}, 0},
    {"all three rotated", {{Own(SLOT_LAST_ACCESS), Own(SLOT_CREATION), Own(SLOT_LAST_WRITE)}},
     kBefore, {{A, C, W}}, 0},
    {"last write shifted forward, creation back a day, access copied from the old creation",
     {{Shift(-kDay), Shift(9 * kHour), Own(SLOT_CREATION)}}, kBefore,
     {{C - kDay, W + 9 * kHour, C}}, 0},
    {"a zero shift writes the time again", {{Off(), Shift(0), Off()}}, kBefore, {{0, W, 0}}, 0},
    {"a shift to before 1601 leaves that time, the others are written",
     {{Shift(-C - 1), Shift(kHour), Off()}}, kBefore, {{0, W + kHour, 0}}, 1 << SLOT_CREATION},
    {"the very first moment, which the platform reads as 'leave', is written a tick later",
     {{Shift(-C), Date(1), Date(0)}}, kBefore, {{1, 1, 1}}, 0},
    {"a shift to one tick after it", {{Shift(1 - C), Off(), Off()}}, kBefore, {{1, 0, 0}}, 0},
    {"a shift to the last tick a file time holds", {{Off(), Off(), Shift(INT64_MAX - A)}},
     kBefore, {{0, 0, INT64_MAX}}, 0},
    {"a shift past it", {{Off(), Off(), Shift(INT64_MAX - A + 1)}}, kBefore, {{0, 0, 0}},
     1 << SLOT_LAST_ACCESS},
    {"the largest shifts either way", {{Shift(INT64_MIN), Shift(INT64_MAX), Off()}}, kBefore,
     {{0, 0, 0}}, (1 << SLOT_CREATION) | (1 << SLOT_LAST_WRITE)},
    {"a time the platform reports below zero is not moved",
     {{Shift(kDay), Off(), Own(SLOT_CREATION)}}, {{-5, W, A}}, {{0, 0, 0}},
     (1 << SLOT_CREATION) | (1 << SLOT_LAST_ACCESS)},
    {"a source the entry holds no time in", {{Off(), Own(SLOT_CREATION), Off()}}, {{0, W, A}},
     {{0, 0, 0}}, 1 << SLOT_LAST_WRITE},

};

TEST(PlanEntryTimes, EachTimeFromTheTimesBeforeTheJob) {
  for (const PlanCase& c : kPlanCases) {
    PlannedTimes planned = PlanEntryTimes(c.rules, c.before);
    for (int slot = 0; slot < TIME_SLOTS; ++slot)
      EXPECT_EQ(c.after.ticks[slot], planned.ticks[slot]) << c.what << ", slot " << slot;
    EXPECT_EQ(c.outOfRange, planned.outOfRange) << c.what;
  }
}

}  // namespace
