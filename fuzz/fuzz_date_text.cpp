// libFuzzer target over ParseDateTimeText, the reader of the "/create:", "/write:" and
// "/access:" values.
//
// Input: the control byte is ignored; the first text is the value. Checks beyond "no crash":
// the result agrees with a plain reading of the rule (six numbers of at most 9999, exactly one
// separator character between them: not a digit, not a control character, a double-byte
// character counting as one); an accepted value is a real calendar date from 1600 to 9999 with
// a valid time; and it reads back the same when written in the usual form.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "app/command_line.h"
#include "fuzz_input.h"

namespace {

bool IsDigit(unsigned char byte) { return byte >= '0' && byte <= '9'; }

bool PlainDays(int year, int month, int day) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || day < 1) return false;
  bool leap = year % 400 == 0 || (year % 4 == 0 && year % 100 != 0);
  return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

bool PlainRead(const std::string& text, int values[6]) {
  std::size_t at = 0;
  for (int k = 0; k < 6; ++k) {
    if (k > 0) {
      if (at >= text.size()) return false;
      unsigned char byte = static_cast<unsigned char>(text[at]);
      if (byte < 0x20 || byte == 0x7F || IsDigit(byte)) return false;
      at += FuzzCharLength(text, at);
    }
    if (at >= text.size() || !IsDigit(static_cast<unsigned char>(text[at]))) return false;
    long value = 0;
    for (; at < text.size() && IsDigit(static_cast<unsigned char>(text[at])); ++at) {
      value = value * 10 + (text[at] - '0');
      if (value > 9999) return false;
    }
    values[k] = static_cast<int>(value);
  }
  return values[0] >= 1600 && values[0] <= 9999 && PlainDays(values[0], values[1], values[2]) &&
         values[3] <= 23 && values[4] <= 59 && values[5] <= 59;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input;
  if (!ReadFuzzInput(data, size, &input)) return 0;
  const std::string& text = input.pattern;
  DateTimeFields fields = {-1, -1, -1, -1, -1, -1};
  bool accepted = ParseDateTimeText(text.c_str(), &fields);
  int plain[6] = {};
  Check(accepted == PlainRead(text, plain));
  if (!accepted) return 0;
  const int read[6] = {fields.year, fields.month, fields.day, fields.hour, fields.minute, fields.second};
  for (int k = 0; k < 6; ++k) Check(read[k] == plain[k]);
  Check(fields.year >= 1600 && fields.year <= 9999);
  Check(fields.month >= 1 && fields.month <= 12 && fields.day >= 1 && fields.day <= 31);
  Check(fields.hour >= 0 && fields.hour <= 23 && fields.minute >= 0 && fields.minute <= 59);
  Check(fields.second >= 0 && fields.second <= 59);

  char written[64];
  std::snprintf(written, sizeof written, "%04d/%02d/%02d %02d:%02d:%02d", fields.year,
                fields.month, fields.day, fields.hour, fields.minute, fields.second);
  DateTimeFields again = {};
  Check(ParseDateTimeText(written, &again));
  Check(again.year == fields.year && again.month == fields.month && again.day == fields.day &&
        again.hour == fields.hour && again.minute == fields.minute &&
        again.second == fields.second);
  // Nothing after the sixth number is looked at, and a letter ends a number.
  std::string longer = text + "x9";
  DateTimeFields extended = {};
  Check(ParseDateTimeText(longer.c_str(), &extended));
  Check(extended.year == fields.year && extended.second == fields.second);
  return 0;
}
