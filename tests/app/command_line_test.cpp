// The command line's own rules: splitting, attribute letters and the date text.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "text/chars.h"

namespace {

// Splits with either splitter and checks the block: the texts follow the pointer array back to
// back, so a single free() releases everything (ASan reports any write past the block or a
// second allocation left behind).
template <typename Unit>
std::vector<std::basic_string<Unit>> SplitWith(Unit** (*split)(const Unit*, int*),
                                               const Unit* text) {
  int count = -1;
  Unit** vector = split(text, &count);
  std::vector<std::basic_string<Unit>> result;
  if (vector == nullptr) return result;
  const Unit* expected = reinterpret_cast<const Unit*>(vector + count + 1);
  for (int i = 0; i < count; ++i) {
    EXPECT_EQ(expected, vector[i]) << "argument " << i << " lies outside the block layout";
    result.emplace_back(vector[i]);
    expected = vector[i] + result.back().size() + 1;
  }
  EXPECT_EQ(nullptr, vector[count]);
  std::free(vector);
  return result;
}

std::vector<std::string> Split(const char* text) { return SplitWith(SplitCommandLine, text); }

std::vector<std::wstring> SplitWide(const wchar_t* text) {
  return SplitWith(SplitWideCommandLine, text);
}

struct SplitCase {
  const char* text;
  std::vector<std::string> arguments;
};

const SplitCase kSplitCases[] = {
    {"", {""}},
    {"prog", {"prog"}},
    {"prog  a\tb  ", {"prog", "a", "b"}},
    // The program name is taken literally, and the next argument may follow the quote at once.
    {"\"C:\\Pro gram\\x.exe\"next", {"C:\\Pro gram\\x.exe", "next"}},
    {"\"C:\\a\\\" b", {"C:\\a\\", "b"}},
    {"\"unterminated name", {"unterminated name"}},
    {"p\\\"q r", {"p\\\"q", "r"}},
    {"p \"a b\" c", {"p", "a b", "c"}},
    {"p a\\\\\"b c\"", {"p", "a\\b c"}},          // two backslashes and a quote: one, quote opens
    {"p a\\\\\\\"b", {"p", "a\\\"b"}},           // three: one backslash and a literal quote
    {"p a\\\\\\\\b\\", {"p", "a\\\\\\\\b\\"}},   // no quote follows: unchanged
    {"p \"a\"\"b\" c", {"p", "a\"b c"}},     // a doubled quote inside quotes is written and closes
    {"p \"a\\\\\"\"b\"", {"p", "a\\\"b"}},
    {"p \"\"", {"p", ""}},
    // A second byte 0x5C is no backslash, so the quote after it opens quotes.
    {"p \x95\x5c\"x y\"", {"p", "\x95\x5cx y"}},
    // A lead byte pairs only with a valid second byte: a broken one cannot swallow the quote
    // or the blank after it.
    {"p \x81\"ab c\"", {"p", "\x81" "ab c"}},
    {"p a\x81 b", {"p", "a\x81", "b"}},
    {"p \x81\x81\x81 b", {"p", "\x81\x81\x81", "b"}},
    {"p a\x81", {"p", "a\x81"}},                  // a lead byte at the end stands alone
    {"p \"\x81", {"p", "\x81"}},
};

TEST(SplitCommandLine, FollowsQuoteAndBackslashRules) {
  for (const auto& c : kSplitCases) EXPECT_EQ(c.arguments, Split(c.text)) << c.text;
}

// The UTF-16 line in the test's own terms: one unit per code page character, a double-byte
// character as its code (never a quote, a backslash or a blank, as no UTF-16 unit of a
// character outside ASCII is).
std::wstring ToUnits(const std::string& text) {
  std::wstring units;
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned code = static_cast<unsigned char>(text[i]);
    if (IsDoubleByteAt(text.c_str() + i)) code = code * 256 + static_cast<unsigned char>(text[++i]);
    units += static_cast<wchar_t>(code);
  }
  return units;
}

std::string FromUnits(const std::wstring& units) {
  std::string text;
  for (wchar_t unit : units) {
    if (unit > 0xFF) text += static_cast<char>(unit >> 8);
    text += static_cast<char>(unit & 0xFF);
  }
  return text;
}

// One rule on both lines: the UTF-16 splitter cuts every code page text where the code page
// splitter does.
TEST(SplitWideCommandLine, AgreesWithTheCodePageSplitter) {
  for (const auto& c : kSplitCases) {
    std::vector<std::string> arguments;
    for (const std::wstring& argument : SplitWide(ToUnits(c.text).c_str()))
      arguments.push_back(FromUnits(argument));
    EXPECT_EQ(c.arguments, arguments) << c.text;
  }
  EXPECT_EQ(std::vector<std::wstring>{L""}, SplitWide(nullptr));
}

TEST(SplitCommandLine, NullTextGivesOneEmptyName) {
  int count = 0;
  char** vector = SplitCommandLine(nullptr, &count);
  ASSERT_NE(nullptr, vector);
  EXPECT_EQ(1, count);
  EXPECT_STREQ("", vector[0]);
  std::free(vector);
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
