// Timestamp values beside a date (see time_values.h).
#include "app/time_values.h"

#include <cstdio>

#include "text/chars.h"

namespace {

const struct {
  const char* word;
  TimeSlot slot;
} kOwnTimeWords[] = {
    {"create", SLOT_CREATION},
    {"write", SLOT_LAST_WRITE},
    {"access", SLOT_LAST_ACCESS},
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// At least one digit, at most limit in value (leading zeros allowed); the digits read.
int ReadDigits(const char*& position, int64_t limit, int64_t* value) {
  int64_t result = 0;
  int count = 0;
  while (IsDigit(*position)) {
    result = result * 10 + (*position - '0');
    if (result > limit) return 0;
    ++position;
    ++count;
  }
  *value = result;
  return count;
}

// Exactly two digits, at most 59.
bool ReadSixtieths(const char*& position, int64_t* value) {
  if (!IsDigit(position[0]) || !IsDigit(position[1])) return false;
  *value = (position[0] - '0') * 10 + (position[1] - '0');
  position += 2;
  return *value <= 59;
}

// Whether the platform can be handed the time through an entry's handle: a positive count. 0
// means "leave it as it is" to the platform, and negative counts either mean something else or
// are refused.
bool Writable(int64_t ticks) { return ticks > 0; }

// The sum, or false when it leaves the range of a signed 64-bit count.
bool AddTicks(int64_t time, int64_t shift, int64_t* sum) {
  if (shift > 0 && time > INT64_MAX - shift) return false;
  if (shift < 0 && time < INT64_MIN - shift) return false;
  *sum = time + shift;
  return true;
}

}  // namespace

bool ParseShiftText(const char* text, int64_t* ticks) {
  const char* position = text;
  if (*position != '+' && *position != '-') return false;
  bool negative = *position++ == '-';
  int64_t days = 0, hours = 0, minutes = 0, seconds = 0;
  const char* first = position;
  int64_t number = 0;
  if (ReadDigits(position, kMostShiftDays, &number) == 0) return false;
  if (*position == '.') {
    days = number;
    ++position;
    first = position;
    if (ReadDigits(position, 23, &number) == 0) return false;
  }
  if (position - first > 2 || number > 23) return false;
  hours = number;
  if (*position++ != ':' || !ReadSixtieths(position, &minutes)) return false;
  if (*position++ != ':' || !ReadSixtieths(position, &seconds)) return false;
  if (*position != 0) return false;
  int64_t total = days * kTicksPerDay + ((hours * 60 + minutes) * 60 + seconds) * kTicksPerSecond;
  *ticks = negative ? -total : total;
  return true;
}

bool ParseTimeValue(const char* text, TimeValue* value) {
  *value = TimeValue{};
  if (*text == '+' || *text == '-') {
    value->form = TIME_VALUE_SHIFT;
    return ParseShiftText(text, &value->shift);
  }
  if (StringEqualsIgnoreCase(text, "now")) {
    value->form = TIME_VALUE_NOW;
    return true;
  }
  for (const auto& own : kOwnTimeWords) {
    if (StringEqualsIgnoreCase(text, own.word)) {
      value->form = TIME_VALUE_OWN;
      value->source = own.slot;
      return true;
    }
  }
  value->form = TIME_VALUE_DATE;
  return ParseDateTimeText(text, &value->date);
}

void FormatShiftParts(int64_t ticks, char days[SHIFT_TEXT_SIZE], char clock[SHIFT_TEXT_SIZE]) {
  // The magnitude as unsigned, so that the most negative count has one too.
  uint64_t magnitude = ticks < 0 ? 0 - static_cast<uint64_t>(ticks) : static_cast<uint64_t>(ticks);
  uint64_t seconds = magnitude / kTicksPerSecond;
  uint64_t wholeDays = seconds / 86400;
  seconds %= 86400;
  // Days past what a shift can name are cut rather than overflow the field; no shift that was
  // read has them.
  if (wholeDays > static_cast<uint64_t>(kMostShiftDays)) wholeDays = kMostShiftDays;
  std::snprintf(days, SHIFT_TEXT_SIZE, "%c%lu", ticks < 0 ? '-' : '+',
                static_cast<unsigned long>(wholeDays));
  std::snprintf(clock, SHIFT_TEXT_SIZE, "%02u:%02u:%02u", static_cast<unsigned>(seconds / 3600),
                static_cast<unsigned>(seconds / 60 % 60), static_cast<unsigned>(seconds % 60));
}

bool AnyTimeRule(const TimeRules& rules) {
  for (const TimeRule& rule : rules.slots)
    if (rule.on) return true;
  return false;
}

PlannedTimes PlanEntryTimes(const TimeRules& rules, const EntryTimes& before) {
  PlannedTimes planned = {};
  for (int slot = 0; slot < TIME_SLOTS; ++slot) {
    const TimeRule& rule = rules.slots[slot];
    if (!rule.on) continue;
    int64_t result = 0;
    bool inRange = true;
    switch (rule.kind) {
      case TIME_KIND_DATE:
        result = rule.ticks;
        break;
      case TIME_KIND_OWN:
        result = rule.source < TIME_SLOTS ? before.ticks[rule.source] : 0;
        break;
      case TIME_KIND_SHIFT:
        // A time the platform reports below the first moment is no time to move.
        inRange = before.ticks[slot] >= 0 && AddTicks(before.ticks[slot], rule.ticks, &result);
        break;
    }
    // The earliest instant, 1601-01-01 00:00:00 UTC, is the value the platform reads as "leave
    // it": a date or a shift that lands on it gets the nearest instant it can hold, a tenth of a
    // microsecond later. An own time of 0 is one the entry does not hold.
    if (inRange && result == 0 && rule.kind != TIME_KIND_OWN) result = 1;
    if (inRange && Writable(result)) {
      planned.ticks[slot] = result;
    } else {
      planned.outOfRange |= static_cast<uint8_t>(1u << slot);
    }
  }
  return planned;
}
