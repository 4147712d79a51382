// The texts of the dialog's date and time fields: a calendar value shown as "yyyy-mm-dd" and
// "HH:MM:SS" within fixed ranges, and read back by the C library's scan rules.
#pragma once

#include <cstdint>

// Date and time texts fit in buffers of this size.
enum { DATE_TEXT_SIZE = 12 };

struct CalendarParts {
  uint16_t year, month, day, hour, minute, second;
};

// Each part brought into the range the fields can show (year 1600-9999, month 1-12, day 1-31,
// hour 0-23, minute and second 0-59).
CalendarParts ClampCalendarParts(CalendarParts parts);
void FormatDateText(char* buffer, CalendarParts parts);  // DATE_TEXT_SIZE bytes
void FormatTimeText(char* buffer, CalendarParts parts);  // DATE_TEXT_SIZE bytes

// The shapes of those texts, '#' standing for any digit: what a field must have room for.
extern const char kDateTextShape[];
extern const char kTimeTextShape[];

// Reads three numbers as "%hd<sep>%hd<sep>%hd" does: white space before each number is skipped,
// a sign is allowed, each separator must directly follow the number before it, and whatever
// follows the third number is ignored. A number that does not fit a short counts as unread,
// so that an overflow can never wrap around into a valid value.
bool ScanThreeNumbers(const char* text, char separator, int16_t numbers[3]);
