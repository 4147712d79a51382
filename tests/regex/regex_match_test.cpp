// Golden match table (Parts 2.2, 2.3): pattern, text, flags -> spans. Offsets are byte offsets
// into the text; see regex_reference.h for the notation.
#include <gtest/gtest.h>

#include <string>

#include "regex_reference.h"

namespace {

const int IC = RXF_IGNORECASE;
const int IW = RXF_IGNOREWIDTH;

struct MatchCase {
  const char* pattern;
  const char* text;
  int flags;
  const char* spans;
};

const MatchCase kMatchCases[] = {
    // The empty pattern and the start-position loop.
    {"", "", 0, "0,0"},
    {"", "abc", 0, "0,0"},
    {"b", "abc", 0, "1,2"},
    {"c", "abc", 0, "2,3"},
    {"d", "abc", 0, "no"},
    {"a", "", 0, "no"},
    // Anchors: "$" at CR, LF and the end; the end position is tried only for an empty text.
    {"$", "abc", 0, "no"},
    {"$", "", 0, "0,0"},
    {"x*$", "abc", 0, "no"},
    {"c$", "abc", 0, "2,3"},
    {"a$", "xa", 0, "1,2"},
    {"a$", "a\r", 0, "0,1"},
    {"a$", "a\nb", 0, "0,1"},
    {"a$", "ab", 0, "no"},
    {"$", "a\nb", 0, "1,1"},
    {"^", "abc", 0, "0,0"},
    {"^b", "ab", 0, "no"},
    {"^a", "b\na", 0, "no"},
    {"^a", "ab", 0, "0,1"},
    {"^*a", "ba", 0, "1,2"},
    {"a^", "a", 0, "no"},
    // Priority of alternatives and repetitions: first in priority order, not longest.
    {"a|ab", "ab", 0, "0,1"},
    {"ab|a", "ab", 0, "0,2"},
    {"|a", "a", 0, "0,0"},
    {"a|", "a", 0, "0,1"},
    {"a*?", "aaa", 0, "0,0"},
    {"a+?", "aaa", 0, "0,1"},
    {"a*", "aaa", 0, "0,3"},
    {"a+", "baaa", 0, "1,4"},
    {"a?", "a", 0, "0,1"},
    {"a??", "a", 0, "0,0"},
    {"a??b", "ab", 0, "0,2"},
    {"a.*b", "axbxb", 0, "0,5"},
    {"a.*?b", "axbxb", 0, "0,3"},
    {"a**", "aa*", 0, "0,3"},
    {"a**", "aa", 0, "no"},
    // Counted repetition.
    {"a{3}", "aaaa", 0, "0,3"},
    {"a{3}", "aa", 0, "no"},
    {"a{2,3}", "aaaa", 0, "0,3"},
    {"a{2,3}?", "aaaa", 0, "0,2"},
    {"a{2,}", "aaaaa", 0, "0,5"},
    {"a{2,}?", "aaaaa", 0, "0,2"},
    {"x{}", "xxx", 0, "0,3"},
    {"x{0}", "xxx", 0, "0,3"},
    {"x{0,0}", "yxx", 0, "0,0"},
    {"x{3,1}", "xxxxx", 0, "0,3"},
    {"x{3,1}", "xx", 0, "no"},
    {"^x{,2}$", "", 0, "0,0"},
    {"^x{,2}$", "x", 0, "0,1"},
    {"^x{,2}$", "xx", 0, "0,2"},
    {"^x{,2}$", "xxx", 0, "no"},
    {"a{2}{3}", "aa{3}", 0, "0,5"},
    {"{2}", "a{2}", 0, "1,4"},
    {"a{2", "a{2", 0, "0,3"},
    // Captures: the last pass on the successful path; unset groups stay null.
    {"(a)*", "aaa", 0, "0,3;2,3"},
    {"(a)|(b)", "b", 0, "0,1;-;0,1"},
    {"(a)|(b)", "a", 0, "0,1;0,1;-"},
    {"(a)(b(c))", "xabc", 0, "1,4;1,2;2,4;3,4"},
    {"(a|b)*c", "ababc", 0, "0,5;3,4"},
    {"(a){2}", "aa", 0, "0,2;1,2"},
    {"(ab)+", "ababx", 0, "0,4;2,4"},
    {"()", "x", 0, "0,0;0,0"},
    {"(a*)+", "b", 0, "0,0;0,0"},
    {"(a*)*", "aa", 0, "0,2;0,2"},
    {"x(a?)y", "xy", 0, "0,2;1,1"},
    // Lookahead quirks: the reported end is where "(?=" or "(?!" stood.
    {"abc(?=def)", "abcdef", 0, "0,3"},
    {"abc(?=def)", "abcx", 0, "no"},
    {"abc(?!def)", "abcdef", 0, "no"},
    {"abc(?!def)", "abcdex", 0, "0,3"},
    {"a(?=b)c", "abc", 0, "0,1"},
    {"a(?=b)c", "ab", 0, "no"},
    {"a(?!b)c", "ax", 0, "0,1"},
    {"a(?!b)c", "abc", 0, "no"},
    {"a(?!b)c", "ac", 0, "0,1"},
    {"(?=a)(?=b)", "ab", 0, "0,0"},
    {"x(?=(a))", "xa", 0, "0,1;1,2"},
    {"(?!a)", "a", 0, "no"},
    {"(?!a)", "b", 0, "0,0"},
    {"(?!)", "a", 0, "no"},
    // Nested stars terminate through the visit marks.
    {"(a*)*b", "aaac", 0, "no"},
    {"(a*)*b", "aab", 0, "0,3;0,2"},
    {"(|a)*b", "aab", 0, "0,3;1,2"},
    {"(a*?)*?b", "aab", 0, "0,3;1,2"},
    // Fall-backs match as literals.
    {"(ab", "x(ab", 0, "1,4"},
    {"(ab", "ab", 0, "no"},
    {"(?=x", "=x", 0, "0,2"},
    {"(?=x", "(=x", 0, "0,3"},
    {"(?:a)", ":a?:a", 0, "2,5;2,5"},
    {"a)b", "a)b", 0, "0,3"},
    {"(a)b)c", "ab)c", 0, "0,4;0,1"},
    {"[a", "[a", 0, "0,2"},
    {"*a", "*a", 0, "0,2"},
    {"\\", "a\\", 0, "1,2"},
    {"\\.", "a.b", 0, "1,2"},
    {"\\.", "ab", 0, "no"},
    {".", "", 0, "no"},
    // Escapes.
    {"\\d+", "ab123c", 0, "2,5"},
    {"\\D", "12a", 0, "2,3"},
    {"\\h+", "xFf9g", 0, "1,4"},
    {"\\H", "aF9z", 0, "3,4"},
    {"\\s", "a\tb", 0, "1,2"},
    {"\\S+", " \fab ", 0, "2,4"},
    {"\\w+", "-_a9Z-", 0, "1,5"},
    {"\\W", "a_-", 0, "2,3"},
    {"\\n\\r\\t\\f", "\n\r\t\f", 0, "0,4"},
    {"\\t", "t", 0, "no"},
    // Sets.
    {"[abc]", "xxb", 0, "2,3"},
    {"[^abc]", "abcd", 0, "3,4"},
    {"[^]", "a", 0, "0,1"},
    {"[^]", "", 0, "no"},
    {"[]", "abc", 0, "no"},
    {"[]a]", "a]", 0, "no"},
    {"[-a]+", "x-a-", 0, "1,4"},
    {"[a-]+", "x-a-", 0, "1,4"},
    {"[a-c-e]+", "abc-ed", 0, "0,5"},
    {"[\\d-z]+", "5-zy", 0, "0,3"},
    {"[\\d-z]", "y", 0, "no"},
    {"[\\t-\\r]+", "\t\n\x0b\x0c\r ", 0, "0,5"},
    {"[^\\d]", "12a", 0, "2,3"},
    {"[\\D]", "12a", 0, "2,3"},
    {"[a\\]]+", "x]a]", 0, "1,4"},
    {"[c-a]", "b", 0, "no"},
    {"[a-c]", "B", IC, "no"},
    {"[^a]", "\x82\xa0", 0, "0,2"},
    {"[\x82\x9f-\x82\xf1]", "a\x82\xa0", 0, "1,3"},
    {"[\x82\x9f-\x82\xf1]", "\x83\x41", 0, "no"},
    {"[\x95\x5c]", "\\\x95\x5c", 0, "1,3"},
    {"[\x95\x5c]", "\\", 0, "no"},
    {"\\d", "\x82\x50", 0, "no"},
    // Case and width folding of literals.
    {"abc", "ABC", IC, "0,3"},
    {"abc", "ABC", 0, "no"},
    {"ABC", "abc", IC, "0,3"},
    {"\x82\x60", "\x82\x81", IC, "0,2"},
    {"\x82\x60", "\x82\x81", 0, "no"},
    {"\x82\x60", "A", IC, "no"},
    {"\x82\x60", "a", IC, "no"},
    {"\x82\x60", "A", IW, "0,1"},
    {"\x82\x60", "a", IW, "no"},
    {"\x82\x60", "a", IW | IC, "0,1"},
    {"A", "\x82\x81", IW | IC, "0,2"},
    {"\x82\x50", "1", IW, "0,1"},
    {"1", "\x82\x50", IW, "0,2"},
    {"\x83\x4b", "\x83\x4b", IW, "0,2"},
    {"\x83\x4b", "\xb6", IW, "no"},
    {"\x83\x41", "\xb1", IC, "no"},
    {"\x83\x41", "\xb1", IW, "0,1"},
    {"\x83\x41", "\x83\x41", IC, "0,2"},
    {"\x81\x8f", "\\", IW, "0,1"},
    {"\x81\x40", " ", IW, "0,1"},
    {"\x81\x40", " ", IC, "no"},
    {"\x82\xa0", "\x82\xa0", IC | IW, "0,2"},
    {"\xb1", "\x83\x41", IW, "0,2"},
    // Double-byte characters are never split.
    {"\x5c", "\x95\x5c", 0, "no"},
    {"\\\\", "\x95\x5c\\", 0, "2,3"},
    {"[", "\x81\x5b[", 0, "2,3"},
    {".", "\x82\xa0", 0, "0,2"},
    {"..", "\x82\xa0" "a", 0, "0,3"},
    {"A", "\x82\x41", 0, "no"},
    {"\x82\xa0+", "x\x82\xa0\x82\xa0", 0, "1,5"},
    // A lead byte at the end of the pattern or the text is a one-byte character.
    {"a\x82", "a\x82", 0, "0,2"},
    {"\x82", "a\x82", 0, "1,2"},
    {".", "\x82", 0, "0,1"},
    {"\x82", "\x82\xa0", 0, "no"},
    // So is a lead byte before a byte that cannot be a second byte: "a\x81.txt" has its dot.
    {"\\.txt$", "a\x81.txt", 0, "2,6"},
    {"^a..txt$", "a\x81.txt", 0, "0,6"},
    {"\x81", "a\x81.txt", 0, "1,2"},
    {"[\x81.]+", "a\x81.txt", 0, "1,3"},
    {"[\x80-\x82.]", "\x81\x7f", 0, "0,1"},
    {".", "\x81\xfd", 0, "0,1"},
    // The filter's cases.
    {"txt", "readme.TXT.bak", IC, "7,10"},
    {"^a", "ba.txt", IC, "no"},
    {"^a.*\\.txt$", "Alpha.TXT", IC, "0,9"},
    {"^a.*\\.txt$", "alpha.txt.bak", IC, "no"},
};

TEST(RegexSearch, GoldenMatchTable) {
  for (const MatchCase& c : kMatchCases) {
    EXPECT_EQ(c.spans, MatchSummary(c.pattern, c.text, c.flags))
        << "pattern: " << c.pattern << "  text: " << c.text << "  flags: " << c.flags;
  }
}

TEST(RegexSearch, ARegexServesOneSearchAfterAnother) {
  Regex* regex = RegexCompile("(b+)", 0);
  ASSERT_NE(nullptr, regex);
  const char* text1 = "abbc";
  const char* text2 = "bx";
  RegexMatch* match = RegexSearch(regex, text1);
  ASSERT_NE(nullptr, match);
  EXPECT_EQ(2, match->spanCount);
  EXPECT_EQ(text1 + 1, match->spans[1].start);
  EXPECT_EQ(text1 + 3, match->spans[1].end);
  RegexFreeMatch(match);
  EXPECT_EQ(nullptr, RegexSearch(regex, "ac"));
  EXPECT_FALSE(RegexSearchGaveUp(regex));
  match = RegexSearch(regex, text2);
  ASSERT_NE(nullptr, match);
  EXPECT_EQ(text2, match->spans[0].start);
  EXPECT_EQ(text2 + 1, match->spans[0].end);
  RegexFreeMatch(match);
  RegexFree(regex);
}

TEST(RegexSearch, NullArgumentsAreHarmless) {
  EXPECT_EQ(nullptr, RegexSearch(nullptr, "a"));
  RegexFreeMatch(nullptr);
  RegexFree(nullptr);
  Regex* regex = RegexCompile(nullptr, 0);  // read as the empty pattern
  ASSERT_NE(nullptr, regex);
  RegexMatch* match = RegexSearch(regex, "");
  EXPECT_NE(nullptr, match);
  RegexFreeMatch(match);
  RegexFree(regex);
}

}  // namespace
