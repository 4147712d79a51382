// Character sets, literal comparison and the width-folding table.
#include <gtest/gtest.h>

#include <set>

#include "regex/regex_engine.h"

namespace {

TEST(WidthFoldTable, HasItsFixedShape) {
  std::set<unsigned> oneByte;
  for (int i = 0; i < RX_WIDTH_FOLD_ENTRIES; ++i) {
    if (i > 0) {
      EXPECT_LT(kRegexWidthFoldTable[i - 1][1], kRegexWidthFoldTable[i][1]);
    }
    EXPECT_GE(kRegexWidthFoldTable[i][0], 0x20);
    EXPECT_LE(kRegexWidthFoldTable[i][0], 0xDF);
    EXPECT_TRUE(oneByte.insert(kRegexWidthFoldTable[i][0]).second) << i;
  }
  EXPECT_EQ(0x8140, kRegexWidthFoldTable[0][1]);
  EXPECT_EQ(0x8393, kRegexWidthFoldTable[RX_WIDTH_FOLD_ENTRIES - 1][1]);
  EXPECT_EQ(0xDD, kRegexWidthFoldTable[RX_WIDTH_FOLD_ENTRIES - 1][0]);
}

TEST(WidthFoldTable, HoldsEveryListedEntry) {
  // Space and punctuation (41 entries), as full-width -> one-byte.
  const unsigned punctuation[][2] = {
      {0x8140, 0x20}, {0x8141, 0xA4}, {0x8142, 0xA1}, {0x8143, 0x2C}, {0x8144, 0x2E},
      {0x8145, 0xA5}, {0x8146, 0x3A}, {0x8147, 0x3B}, {0x8148, 0x3F}, {0x8149, 0x21},
      {0x814D, 0x60}, {0x814F, 0x5E}, {0x8151, 0x5F}, {0x815B, 0xB0}, {0x815E, 0x2F},
      {0x8160, 0x7E}, {0x8162, 0x7C}, {0x8166, 0x27}, {0x8168, 0x22}, {0x8169, 0x28},
      {0x816A, 0x29}, {0x816D, 0x5B}, {0x816E, 0x5D}, {0x816F, 0x7B}, {0x8170, 0x7D},
      {0x8175, 0xA2}, {0x8176, 0xA3}, {0x817B, 0x2B}, {0x817C, 0x2D}, {0x8181, 0x3D},
      {0x8183, 0x3C}, {0x8184, 0x3E}, {0x818B, 0xDF}, {0x818D, 0xDE}, {0x818F, 0x5C},
      {0x8190, 0x24}, {0x8193, 0x25}, {0x8194, 0x23}, {0x8195, 0x26}, {0x8196, 0x2A},
      {0x8197, 0x40},
  };
  const unsigned katakana[][2] = {
      {0x8340, 0xA7}, {0x8341, 0xB1}, {0x8342, 0xA8}, {0x8343, 0xB2}, {0x8344, 0xA9},
      {0x8345, 0xB3}, {0x8346, 0xAA}, {0x8347, 0xB4}, {0x8348, 0xAB}, {0x8349, 0xB5},
      {0x834A, 0xB6}, {0x834C, 0xB7}, {0x834E, 0xB8}, {0x8350, 0xB9}, {0x8352, 0xBA},
      {0x8354, 0xBB}, {0x8356, 0xBC}, {0x8358, 0xBD}, {0x835A, 0xBE}, {0x835C, 0xBF},
      {0x835E, 0xC0}, {0x8360, 0xC1}, {0x8362, 0xAF}, {0x8363, 0xC2}, {0x8365, 0xC3},
      {0x8367, 0xC4}, {0x8369, 0xC5}, {0x836A, 0xC6}, {0x836B, 0xC7}, {0x836C, 0xC8},
      {0x836D, 0xC9}, {0x836E, 0xCA}, {0x8371, 0xCB}, {0x8374, 0xCC}, {0x8377, 0xCD},
      {0x837A, 0xCE}, {0x837D, 0xCF}, {0x837E, 0xD0}, {0x8380, 0xD1}, {0x8381, 0xD2},
      {0x8382, 0xD3}, {0x8383, 0xAC}, {0x8384, 0xD4}, {0x8385, 0xAD}, {0x8386, 0xD5},
      {0x8387, 0xAE}, {0x8388, 0xD6}, {0x8389, 0xD7}, {0x838A, 0xD8}, {0x838B, 0xD9},
      {0x838C, 0xDA}, {0x838D, 0xDB}, {0x838F, 0xDC}, {0x8392, 0xA6}, {0x8393, 0xDD},
  };
  int listed = 0;
  for (const auto& entry : punctuation) {
    EXPECT_EQ(entry[1], RegexFoldWidth(entry[0])) << std::hex << entry[0];
    ++listed;
  }
  for (unsigned i = 0; i < 10; ++i, ++listed) EXPECT_EQ(0x30 + i, RegexFoldWidth(0x824F + i));
  for (unsigned i = 0; i < 26; ++i, ++listed) EXPECT_EQ(0x41 + i, RegexFoldWidth(0x8260 + i));
  for (unsigned i = 0; i < 26; ++i, ++listed) EXPECT_EQ(0x61 + i, RegexFoldWidth(0x8281 + i));
  for (const auto& entry : katakana) {
    EXPECT_EQ(entry[1], RegexFoldWidth(entry[0])) << std::hex << entry[0];
    ++listed;
  }
  EXPECT_EQ(RX_WIDTH_FOLD_ENTRIES, listed);
  // Every code in the table's range that the table does not list keeps its code.
  int folded = 0;
  for (unsigned code = 0; code <= 0xFFFF; ++code) {
    if (RegexFoldWidth(code) != code) ++folded;
  }
  EXPECT_EQ(RX_WIDTH_FOLD_ENTRIES, folded);
  EXPECT_EQ(0x834Bu, RegexFoldWidth(0x834B));  // ga, with its voicing mark
  EXPECT_EQ(0x838Eu, RegexFoldWidth(0x838E));  // small wa
  EXPECT_EQ(0x41u, RegexFoldWidth(0x41));
}

bool In(const char* set, unsigned code) { return RegexInSetCode(code, set); }

TEST(RegexInSet, ItemsRangesAndNegation) {
  EXPECT_TRUE(In("^", 'a'));
  EXPECT_TRUE(In("^", 0x82A0));
  EXPECT_FALSE(In("", 'a'));
  for (unsigned c = 0; c < 0x100; ++c) {
    bool expected = c == '-' || c == 'a';
    EXPECT_EQ(expected, In("-a", c)) << c;
    EXPECT_EQ(expected, In("a-", c)) << c;
    EXPECT_EQ(c == '-' || (c >= 'a' && c <= 'c') || c == 'e', In("a-c-e", c)) << c;
    EXPECT_EQ(c == '-' || c == 'z' || (c >= '0' && c <= '9'), In("\\d-z", c)) << c;
    EXPECT_EQ(c >= 0x09 && c <= 0x0D, In("\\t-\\r", c)) << c;
    EXPECT_EQ(!(c >= '0' && c <= '9'), In("^\\d", c)) << c;
    EXPECT_EQ(!(c >= '0' && c <= '9'), In("\\D", c)) << c;
    EXPECT_EQ(c == '^' || c == 'a', In("a^", c)) << c;
    EXPECT_EQ(c == ']' || c == '\\', In("\\]\\\\", c)) << c;
  }
  EXPECT_FALSE(In("a-z", 'A'));
  EXPECT_FALSE(In("\\d", 0x8250));  // full-width digit
  EXPECT_FALSE(In("z-a", 'm'));
  // A double-byte item, and a range between double-byte characters.
  EXPECT_TRUE(In("\x82\xa0", 0x82A0));
  EXPECT_FALSE(In("\x82\xa0", 0x82));
  EXPECT_FALSE(In("\x82\xa0", 0xA0));
  EXPECT_TRUE(In("\x82\x9f-\x82\xf1", 0x829F));
  EXPECT_TRUE(In("\x82\x9f-\x82\xf1", 0x82C8));
  EXPECT_TRUE(In("\x82\x9f-\x82\xf1", 0x82F1));
  EXPECT_FALSE(In("\x82\x9f-\x82\xf1", 0x82F2));
  // A range from a one-byte to a double-byte character runs over the codes.
  EXPECT_TRUE(In("a-\x82\xa0", 0x8140));
  // An escaped double-byte end point.
  EXPECT_TRUE(In("\\\x82\x9f-\\\x82\xf1", 0x82A0));
}

TEST(RegexCompareChar, FlagsFollowTheRules) {
  const unsigned char fullA[2] = {0x82, 0x60};
  const unsigned char oneA[2] = {'A', 0};
  EXPECT_TRUE(RegexCompareChar("\x82\x81", fullA, RXF_IGNORECASE));
  EXPECT_FALSE(RegexCompareChar("\x82\x81", fullA, 0));
  EXPECT_FALSE(RegexCompareChar("A", fullA, RXF_IGNORECASE));
  EXPECT_TRUE(RegexCompareChar("A", fullA, RXF_IGNOREWIDTH));
  EXPECT_TRUE(RegexCompareChar("a", fullA, RXF_IGNOREWIDTH | RXF_IGNORECASE));
  EXPECT_TRUE(RegexCompareChar("a", oneA, RXF_IGNORECASE));
  EXPECT_FALSE(RegexCompareChar("a", oneA, 0));
  EXPECT_FALSE(RegexCompareChar("a", oneA, 1 | 8 | 16));  // no other bit means anything
  // Bytes 0x80-0xFF other than letters do not fold.
  const unsigned char kana[2] = {0xB1, 0};
  EXPECT_FALSE(RegexCompareChar("\x91", kana, RXF_IGNORECASE));
}

}  // namespace
