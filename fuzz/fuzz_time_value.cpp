// libFuzzer target over ParseTimeValue, the reader of every "/create:", "/write:" and
// "/access:" value, and over PlanEntryTimes for the shifts it reads.
//
// Input: the control byte is ignored; the first text is the value; the first 8 bytes of the
// second text, when there are that many, are an entry's time before the job (little-endian).
// Checks beyond "no crash": a value beginning with a sign is read exactly when a plain reading of
// the shift rule accepts it, to the same ticks; "now" and the three words (any case) are read as
// themselves; anything else is read exactly as ParseDateTimeText reads it. An accepted shift is
// written as the dialog shows it and read back to the same ticks. A shift planned on the time
// before is either written as the exact sum, a positive count, or left (0) and marked out of
// range, never both.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "app/time_values.h"
#include "fuzz_input.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Digits from at, at least one; false when the value passes limit.
bool PlainNumber(const std::string& text, std::size_t& at, long long limit, long long* value,
                 std::size_t* digits) {
  std::size_t start = at;
  long long result = 0;
  while (at < text.size() && IsDigit(text[at])) {
    result = result * 10 + (text[at] - '0');
    if (result > limit) return false;
    ++at;
  }
  *digits = at - start;
  *value = result;
  return *digits > 0;
}

bool PlainShift(const std::string& text, long long* ticks) {
  if (text.empty() || (text[0] != '+' && text[0] != '-')) return false;
  std::size_t dot = text.find('.');
  std::size_t at = 1, digits = 0;
  long long days = 0, hours = 0;
  if (dot != std::string::npos) {
    if (!PlainNumber(text, at, kMostShiftDays, &days, &digits) || at != dot) return false;
    ++at;
  }
  if (!PlainNumber(text, at, 23, &hours, &digits) || digits > 2) return false;
  // Then exactly ":MM:SS" and the end.
  if (text.size() != at + 6 || text[at] != ':' || text[at + 3] != ':') return false;
  int parts[2];
  for (int k = 0; k < 2; ++k) {
    char tens = text[at + 1 + 3 * k], units = text[at + 2 + 3 * k];
    if (!IsDigit(tens) || !IsDigit(units)) return false;
    parts[k] = (tens - '0') * 10 + (units - '0');
    if (parts[k] > 59) return false;
  }
  long long total = days * kTicksPerDay + ((hours * 60 + parts[0]) * 60 + parts[1]) * kTicksPerSecond;
  *ticks = text[0] == '-' ? -total : total;
  return true;
}

bool EqualsFolded(const std::string& text, const char* word) {
  if (text.size() != std::strlen(word)) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != word[i]) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input;
  if (!ReadFuzzInput(data, size, &input)) return 0;
  const std::string& text = input.pattern;
  TimeValue value;
  bool accepted = ParseTimeValue(text.c_str(), &value);

  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    long long plain = 0;
    Check(accepted == PlainShift(text, &plain));
    if (!accepted) return 0;
    Check(value.form == TIME_VALUE_SHIFT && value.shift == plain);
  } else if (EqualsFolded(text, "now")) {
    Check(accepted && value.form == TIME_VALUE_NOW);
  } else if (EqualsFolded(text, "create") || EqualsFolded(text, "write") ||
             EqualsFolded(text, "access")) {
    const TimeSlot slot = EqualsFolded(text, "create")  ? SLOT_CREATION
                          : EqualsFolded(text, "write") ? SLOT_LAST_WRITE
                                                        : SLOT_LAST_ACCESS;
    Check(accepted && value.form == TIME_VALUE_OWN && value.source == slot);
  } else {
    DateTimeFields fields = {};
    Check(accepted == ParseDateTimeText(text.c_str(), &fields));
    if (accepted) Check(value.form == TIME_VALUE_DATE && value.date.year == fields.year &&
                        value.date.second == fields.second);
  }
  if (!accepted || value.form != TIME_VALUE_SHIFT) return 0;

  char days[SHIFT_TEXT_SIZE], clock[SHIFT_TEXT_SIZE];
  FormatShiftParts(value.shift, days, clock);
  int64_t again = 0;
  Check(ParseShiftText((std::string(days) + "." + clock).c_str(), &again) && again == value.shift);

  if (input.text.size() < 8) return 0;
  uint64_t raw = 0;
  for (int i = 7; i >= 0; --i) raw = raw << 8 | static_cast<unsigned char>(input.text[i]);
  const int64_t before = static_cast<int64_t>(raw);
  TimeRules rules = {};
  rules.slots[SLOT_LAST_WRITE] = TimeRule{true, TIME_KIND_SHIFT, SLOT_CREATION, value.shift};
  PlannedTimes planned = PlanEntryTimes(rules, EntryTimes{{0, before, 0}});
  bool marked = (planned.outOfRange & (1 << SLOT_LAST_WRITE)) != 0;
  Check(planned.ticks[SLOT_CREATION] == 0 && planned.ticks[SLOT_LAST_ACCESS] == 0);
  Check(planned.outOfRange == (marked ? 1 << SLOT_LAST_WRITE : 0));
  // The sum in 128 bits, which cannot overflow.
  __int128 sum = static_cast<__int128>(before) + value.shift;
  bool fits = before >= 0 && sum > 0 && sum <= INT64_MAX;
  Check(marked == !fits);
  Check(planned.ticks[SLOT_LAST_WRITE] == (fits ? static_cast<int64_t>(sum) : 0));
  return 0;
}
