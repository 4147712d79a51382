// The command line's own rules: splitting, attribute letters and the date text.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/command_line.h"

namespace {

// Splits and checks the block: the texts follow the pointer array back to back, so a single
// free() releases everything (ASan reports any write past the block or a second allocation left
// behind).
std::vector<std::u16string> Split(const char16_t* text) {
  int count = -1;
  char16_t** vector = SplitUtf16CommandLine(text, &count);
  std::vector<std::u16string> result;
  if (vector == nullptr) return result;
  const char16_t* expected = reinterpret_cast<const char16_t*>(vector + count + 1);
  for (int i = 0; i < count; ++i) {
    EXPECT_EQ(expected, vector[i]) << "argument " << i << " lies outside the block layout";
    result.emplace_back(vector[i]);
    expected = vector[i] + result.back().size() + 1;
  }
  EXPECT_EQ(nullptr, vector[count]);
  std::free(vector);
  return result;
}

// The units as a failure message can show them: ASCII as itself, any other unit as \uXXXX.
std::string Shown(const std::u16string& text) {
  std::string shown;
  for (char16_t unit : text) {
    char buffer[8];
    if (unit >= 0x20 && unit < 0x7F) {
      shown += static_cast<char>(unit);
    } else {
      std::snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned>(unit));
      shown += buffer;
    }
  }
  return shown;
}

std::string Shown(const std::vector<std::u16string>& arguments) {
  std::string shown;
  for (const std::u16string& argument : arguments) shown += "[" + Shown(argument) + "]";
  return shown;
}

TEST(SplitUtf16CommandLine, FollowsQuoteAndBackslashRules) {
  // Longer than any command line the platform passes: the block is sized by the text alone.
  const std::u16string longArgument(40000, u'x');
  const struct {
    std::u16string text;
    std::vector<std::u16string> arguments;
  } cases[] = {
      {u"", {u""}},
      {u"prog", {u"prog"}},
      {u"prog  a\tb  ", {u"prog", u"a", u"b"}},
      // The program name is taken literally, and the next argument may follow the quote at once.
      {u"\"C:\\Pro gram\\x.exe\"next", {u"C:\\Pro gram\\x.exe", u"next"}},
      {u"\"C:\\a\\\" b", {u"C:\\a\\", u"b"}},
      {u"\"unterminated name", {u"unterminated name"}},
      {u"\"C:\\\u8868\\x.exe\" a", {u"C:\\\u8868\\x.exe", u"a"}},
      {u"p\\\"q r", {u"p\\\"q", u"r"}},
      {u"p \"a b\" c", {u"p", u"a b", u"c"}},
      {u"p a\\\\\"b c\"", {u"p", u"a\\b c"}},          // two backslashes and a quote: one, quote opens
      {u"p a\\\\\\\"b", {u"p", u"a\\\"b"}},           // three: one backslash and a literal quote
      {u"p a\\\\\\\\b\\", {u"p", u"a\\\\\\\\b\\"}},   // no quote follows: unchanged
      {u"p \"a\"\"b\" c", {u"p", u"a\"b c"}},     // a doubled quote inside quotes is written and closes
      {u"p \"a\\\\\"\"b\"", {u"p", u"a\\\"b"}},
      {u"p \"\"", {u"p", u""}},
      {u"p \"\" \"\"", {u"p", u"", u""}},
      {u"p \"unterminated arg", {u"p", u"unterminated arg"}},
      // A unit is read whole: one whose low byte is a backslash, a quote or a blank is none of
      // them (U+225C, U+2022, U+0920, U+0909; a lone surrogate 0xDC22).
      {u"p \u225C\"x y\"", {u"p", u"\u225Cx y"}},
      {u"p \u2022a b\u2022", {u"p", u"\u2022a", u"b\u2022"}},
      {u"p a\u0920b\u0909c", {u"p", u"a\u0920b\u0909c"}},
      {u"p \xDC22q r\xD83D \U0001F600", {u"p", u"\xDC22q", u"r\xD83D", u"\U0001F600"}},
      {u"p " + longArgument + u" \"" + longArgument + u"\"",
       {u"p", longArgument, longArgument}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Shown(c.arguments), Shown(Split(c.text.c_str()))) << Shown(c.text.substr(0, 60));
  EXPECT_EQ(Shown(std::vector<std::u16string>{u""}), Shown(Split(nullptr)));
}

// Only the four letters are read; any other character, the second byte of a double-byte one
// that looks like a letter included, refuses the whole value.
TEST(ParseAttributeLetters, ReadsOnlyWholeOneByteLetters) {
  const struct {
    const char* text;
    bool read;
    uint32_t bits;
  } cases[] = {
      {"", true, 0},
      {"RH", true, 0x03},
      {"sRaH", true, 0x27},
      {"hhh", true, 0x02},
      {"xyz", false, 0},
      {"-s-", false, 0},
      {"hx", false, 0},
      {"h ", false, 0},
      {"\x82\x73", false, 0},  // second byte 's'
      {"\x83\x68", false, 0},  // second byte 'h'
      {"\x82\x73h", false, 0},
      {"\x81", false, 0},
  };
  for (const auto& c : cases) {
    uint32_t bits = 0xFFFF;
    EXPECT_EQ(c.read, ParseAttributeLetters(c.text, &bits)) << c.text;
    EXPECT_EQ(c.bits, bits) << c.text;
  }
}

struct DateCase {
  const char* text;
  bool valid;
  DateTimeFields fields;
};

TEST(ParseDateTimeText, ReadsSixNumbersWithOneSeparatorEach) {
  const DateCase cases[] = {
      {"2006/01/03 12:34:56", true, {2006, 1, 3, 12, 34, 56}},
      {"2006-1-3-12-34-56", true, {2006, 1, 3, 12, 34, 56}},
      // 年 月 日 時 分 as separators; each is one double-byte character.
      {"2006\x94\x4e" "01\x8c\x8e" "03\x93\xfa" "12\x8e\x9e" "34\x95\xaa" "56", true,
       {2006, 1, 3, 12, 34, 56}},
      // A lead byte without a valid second byte is a one-byte separator: the digit stays.
      {"2006\x81" "12\x81" "03 12:34:56", true, {2006, 12, 3, 12, 34, 56}},
      {"2006/01/03 12:34:56 and more", true, {2006, 1, 3, 12, 34, 56}},
      {"02006/12/31 23:59:59", true, {2006, 12, 31, 23, 59, 59}},
      {"0000000001600/1/1 0:0:0", true, {1600, 1, 1, 0, 0, 0}},
      {"9999/12/31 23:59:59", true, {9999, 12, 31, 23, 59, 59}},
      {"2000/02/29 00:00:00", true, {2000, 2, 29, 0, 0, 0}},
      {"2004/02/29 00:00:00", true, {2004, 2, 29, 0, 0, 0}},
      {"1900/02/29 00:00:00", false, {}},
      {"2006/02/29 00:00:00", false, {}},
      {"1599/12/31 23:59:59", false, {}},
      {"10000/01/01 00:00:00", false, {}},
      {"2006//01/03 12:34:56", false, {}},
      {"2006/01/03 12:34", false, {}},
      {"2006/01/03 12:34:", false, {}},
      {"2006\t01/03 12:34:56", false, {}},
      {"/2006/01/03 12:34:56", false, {}},
      {"2006/13/03 12:34:56", false, {}},
      {"2006/00/03 12:34:56", false, {}},
      {"2006/04/31 12:34:56", false, {}},
      {"2006/01/00 12:34:56", false, {}},
      {"2006/01/03 24:00:00", false, {}},
      {"2006/01/03 23:60:00", false, {}},
      {"2006/01/03 23:59:60", false, {}},
      {"99999999999999999999/1/1 0:0:0", false, {}},
      {"", false, {}},
  };
  for (const auto& c : cases) {
    DateTimeFields fields = {};
    EXPECT_EQ(c.valid, ParseDateTimeText(c.text, &fields)) << c.text;
    if (!c.valid) continue;
    const DateTimeFields& e = c.fields;
    EXPECT_EQ(e.year, fields.year) << c.text;
    EXPECT_EQ(e.month, fields.month) << c.text;
    EXPECT_EQ(e.day, fields.day) << c.text;
    EXPECT_EQ(e.hour, fields.hour) << c.text;
    EXPECT_EQ(e.minute, fields.minute) << c.text;
    EXPECT_EQ(e.second, fields.second) << c.text;
  }
}

}  // namespace
