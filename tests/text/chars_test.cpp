// Double-byte boundaries in code page 932 text: where characters begin, and what folds.
#include <gtest/gtest.h>

#include "text/chars.h"

namespace {

struct ByteKindCase {
  const char* text;
  int index;
  int kind;
};

TEST(ByteKindAt, TellsLeadTrailAndSingleBytes) {
  const ByteKindCase cases[] = {
      {"a\\b", 1, BYTE_SINGLE},
      {"\x95\x5c", 0, BYTE_LEAD},           // a character whose second byte is a backslash
      {"\x95\x5c", 1, BYTE_TRAIL},
      {"a\x95\x5c\\", 3, BYTE_SINGLE},      // the real separator after it
      {"\x81\x81\x81", 1, BYTE_TRAIL},      // a lead-range byte after a lead is a second byte
      {"\x81\x81\x81", 2, BYTE_LEAD},
      {"\x81\x7f\x81", 1, BYTE_SINGLE},     // 0x7F never pairs
      {"\x81\x30\x95\x5c", 1, BYTE_SINGLE}, // nor does a byte below 0x40
      {"\x81\x30\x95\x5c", 3, BYTE_TRAIL},  // and the scan resumes after it
      {"\x81\xfd", 1, BYTE_SINGLE},
      {"\x81", 0, BYTE_LEAD},               // a lone lead byte at the end
      {"ab", 2, BYTE_SINGLE},               // the terminator
      {"ab", 9, BYTE_SINGLE},               // beyond it
      {"\xb1\xb0", 1, BYTE_SINGLE},         // half-width katakana are single bytes
      {"\x95\x5c\x95\x5c", 2, BYTE_LEAD},     // pairs are counted from the start, not locally
      {"\x95\x5c\x95\x5c", 3, BYTE_TRAIL},
      {"\xb1\x95\x5c", 2, BYTE_TRAIL},        // a single byte in a trail range stays single
      {"ab", -1, BYTE_SINGLE},
  };
  for (const auto& c : cases) EXPECT_EQ(c.kind, ByteKindAt(c.text, c.index)) << c.index;
}

TEST(IsSeparatorAt, NeverTakesASecondByte) {
  EXPECT_FALSE(IsSeparatorAt("\x95\x5c", 1));
  EXPECT_TRUE(IsSeparatorAt("\x95\x5c\\", 2));
  EXPECT_TRUE(IsSeparatorAt("c:\\", 2));
}

TEST(CharSteps, StepOverDoubleByteCharacters) {
  const char* text = "\x82\xa0" "a\x81";
  EXPECT_EQ(0x82a0u, CharCodeAt(text));
  EXPECT_EQ(text + 2, NextChar(text));
  EXPECT_EQ('a', CharCodeAt(text + 2));
  EXPECT_EQ(0x81u, CharCodeAt(text + 3));  // lone lead byte before the end
  EXPECT_EQ(text + 4, NextChar(text + 3));
  EXPECT_EQ(text + 4, NextChar(text + 4));
}

TEST(CharSteps, PairALeadByteOnlyWithAValidSecondByte) {
  // The rule of ByteKindAt: 0x40-0xFC except 0x7F completes a lead byte; anything else leaves
  // the lead byte standing alone, and the byte after it is a character of its own.
  const struct {
    const char* text;
    unsigned code;
    int length;
  } cases[] = {
      {"\x81.", 0x81, 1},        {"\x81\x7f", 0x81, 1}, {"\x81\xfd", 0x81, 1},
      {"\x81\x30", 0x81, 1},     {"\x81\x40", 0x8140, 2}, {"\x81\xfc", 0x81fc, 2},
      {"\x95\x5c", 0x955c, 2},   {"\x81\x81", 0x8181, 2}, {"\x81", 0x81, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.code, CharCodeAt(c.text)) << c.text;
    EXPECT_EQ(c.text + c.length, NextChar(c.text)) << c.text;
    EXPECT_EQ(c.length == 2, IsDoubleByteAt(c.text)) << c.text;
  }
  const char* text = "a\x81.txt";
  EXPECT_EQ(text + 2, NextChar(text + 1));
  EXPECT_EQ('.', CharCodeAt(NextChar(text + 1)));
}

TEST(CharSteps, AgreeWithByteKindAtOnEveryText) {
  // Every text of up to five bytes over the bytes that matter (leads, valid and invalid second
  // bytes, backslash, dot): NextChar stops exactly at the bytes that ByteKindAt does not call
  // second bytes, and CharCodeAt reads a pair exactly where ByteKindAt sees one.
  const unsigned char alphabet[] = {'a', '.', 0x5c, 0x7f, 0x30, 0x40, 0x81, 0x95, 0xe0, 0xfd};
  const int size = sizeof alphabet;
  for (int length = 0; length <= 5; ++length) {
    int total = 1;
    for (int i = 0; i < length; ++i) total *= size;
    for (int n = 0; n < total; ++n) {
      char text[8] = {};
      for (int i = 0, k = n; i < length; ++i, k /= size)
        text[i] = static_cast<char>(alphabet[k % size]);
      for (const char* position = text; *position; position = NextChar(position)) {
        int at = static_cast<int>(position - text);
        bool pair = CharCodeAt(position) > 0xFF;
        ASSERT_NE(BYTE_TRAIL, ByteKindAt(text, at)) << length << "/" << n;
        ASSERT_EQ(pair, ByteKindAt(text, at + 1) == BYTE_TRAIL) << length << "/" << n;
        ASSERT_EQ(pair, NextChar(position) == position + 2) << length << "/" << n;
      }
    }
  }
}

TEST(FoldLowerCase, FoldsOnlyAsciiLetters) {
  // 0x82 0x60 is a full-width A; its second byte 0x60 is no letter, but 0x83 0x41 has 'A' as
  // its second byte and must stay as it is.
  char text[] = "AbZ\x83\x41\x82\x60Q";
  char* end = FoldLowerCase(text);
  EXPECT_STREQ("abz\x83\x41\x82\x60q", text);
  EXPECT_EQ(text + sizeof text - 1, end);
}

TEST(Comparisons, IgnoreAsciiCaseOnly) {
  EXPECT_TRUE(StringEqualsIgnoreCase("/DLG:0", "/dlg:0"));
  EXPECT_FALSE(StringEqualsIgnoreCase("/dlg:0x", "/dlg:0"));
  EXPECT_TRUE(StartsWithIgnoreCase("/ON:rh", "/on:"));
  EXPECT_FALSE(StartsWithIgnoreCase("/o", "/on:"));
  EXPECT_TRUE(StartsWith("abc", "ab"));
  EXPECT_FALSE(StartsWith("Abc", "ab"));
}

}  // namespace
