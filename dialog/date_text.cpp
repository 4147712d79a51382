// Date and time field texts (see date_text.h).
#include "dialog/date_text.h"

#include "text/bounded.h"

const char kDateTextShape[] = "####-##-##";
const char kTimeTextShape[] = "##:##:##";

namespace {

uint16_t Clamp(uint16_t value, uint16_t low, uint16_t high) {
  return value < low ? low : value > high ? high : value;
}

bool IsScanSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One "%hd": false when no digit follows the optional sign or the value leaves the short range.
bool ScanShort(const char** position, int16_t* value) {
  const char* p = *position;
  while (IsScanSpace(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  if (!IsDigit(*p)) return false;
  long magnitude = 0;
  bool overflow = false;
  for (; IsDigit(*p); ++p) {
    if (!overflow) magnitude = magnitude * 10 + (*p - '0');
    if (magnitude > 32768) overflow = true;
  }
  long signedValue = negative ? -magnitude : magnitude;
  if (overflow || signedValue > 32767 || signedValue < -32768) return false;
  *value = static_cast<int16_t>(signedValue);
  *position = p;
  return true;
}

}  // namespace

CalendarParts ClampCalendarParts(CalendarParts parts) {
  parts.year = Clamp(parts.year, 1600, 9999);
  parts.month = Clamp(parts.month, 1, 12);
  parts.day = Clamp(parts.day, 1, 31);
  parts.hour = Clamp(parts.hour, 0, 23);
  parts.minute = Clamp(parts.minute, 0, 59);
  parts.second = Clamp(parts.second, 0, 59);
  return parts;
}

void FormatDateText(char* buffer, CalendarParts parts) {
  parts = ClampCalendarParts(parts);
  FormatBounded(buffer, DATE_TEXT_SIZE, "%04d-%02d-%02d", parts.year, parts.month, parts.day);
}

void FormatTimeText(char* buffer, CalendarParts parts) {
  parts = ClampCalendarParts(parts);
  FormatBounded(buffer, DATE_TEXT_SIZE, "%02d:%02d:%02d", parts.hour, parts.minute,
                parts.second);
}

bool ScanThreeNumbers(const char* text, char separator, int16_t numbers[3]) {
  const char* p = text;
  for (int i = 0; i < 3; ++i) {
    if (i > 0) {
      if (*p != separator) return false;
      ++p;
    }
    if (!ScanShort(&p, &numbers[i])) return false;
  }
  return true;
}
