// The dialog's date and time texts: shown within fixed ranges, read back by the scan rules.
#include "dialog/date_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool HasShape(const std::string& text, const std::string& shape) {
  if (text.size() != shape.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    bool digit = text[i] >= '0' && text[i] <= '9';
    if (shape[i] == '#' ? !digit : text[i] != shape[i]) return false;
  }
  return true;
}

TEST(DateText, ShowsEachPartClampedToItsRange) {
  const struct {
    CalendarParts parts;
    const char* date;
    const char* time;
  } cases[] = {
      {{2006, 3, 9, 7, 5, 0}, "2006-03-09", "07:05:00"},
      {{1601, 1, 1, 0, 0, 0}, "1601-01-01", "00:00:00"},
      {{0, 0, 0, 0, 0, 0}, "1600-01-01", "00:00:00"},
      {{65535, 13, 32, 24, 60, 60}, "9999-12-31", "23:59:59"},
      {{10000, 65535, 65535, 65535, 65535, 65535}, "9999-12-31", "23:59:59"},
  };
  for (const auto& c : cases) {
    char date[DATE_TEXT_SIZE];
    char time[DATE_TEXT_SIZE];
    FormatDateText(date, c.parts);
    FormatTimeText(time, c.parts);
    EXPECT_STREQ(c.date, date) << c.date;
    EXPECT_STREQ(c.time, time) << c.time;
    // The fields are made wide enough for these shapes.
    EXPECT_TRUE(HasShape(date, kDateTextShape)) << date;
    EXPECT_TRUE(HasShape(time, kTimeTextShape)) << time;
  }
}

TEST(DateText, ReadsThreeNumbersAsTheScanRulesDo) {
  const struct {
    const char* text;
    char separator;
    bool read;
    int16_t numbers[3];
  } cases[] = {
      {"2006-01-02", '-', true, {2006, 1, 2}},
      {"2006-1-2", '-', true, {2006, 1, 2}},
      {" 2006-01-02", '-', true, {2006, 1, 2}},         // white space before a number
      {"2006- 1-\t2", '-', true, {2006, 1, 2}},
      {"2006-01-02 12:00", '-', true, {2006, 1, 2}},    // the rest is ignored
      {"+2006--1-2", '-', true, {2006, -1, 2}},         // signs are numbers' own
      {"3:4:5", ':', true, {3, 4, 5}},
      {"-32768:32767:0", ':', true, {-32768, 32767, 0}},
      {"2006 -01-02", '-', false, {}},                  // the separator follows directly
      {"2006/01/02", '-', false, {}},
      {"2006-01", '-', false, {}},
      {"2006-01-", '-', false, {}},
      {"", '-', false, {}},
      {"-", '-', false, {}},
      {"a-1-2", '-', false, {}},
      {"65536:0:0", ':', false, {}},                    // never wraps round into range
      {"32768:0:0", ':', false, {}},
      {"0:0:99999999999999999999", ':', false, {}},
  };
  for (const auto& c : cases) {
    int16_t numbers[3] = {7, 7, 7};
    ASSERT_EQ(c.read, ScanThreeNumbers(c.text, c.separator, numbers)) << c.text;
    if (!c.read) continue;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(c.numbers[i], numbers[i]) << c.text << " #" << i;
  }
}

}  // namespace
