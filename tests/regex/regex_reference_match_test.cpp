// Differential test of the automaton and the walk: a second, plain matcher (recursive Build in two passes, edges added at the front, recursive Walk with visit
// marks, the start-position loop) runs on the parse tree; on many random short patterns and
// texts its spans must equal the engine's, whose construction and walk use explicit stacks.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "regex_reference.h"

namespace {

TEST(RegexSearch, AgreesWithTheReferenceMatcher) {
  const char patternAlphabet[] = "ab.()|*+?{}2,^$[]\\d=!-A";
  const char textAlphabet[] = "abAB-2\n";
  std::mt19937 random(4242);
  std::uniform_int_distribution<int> pickPattern(0, sizeof patternAlphabet - 2);
  std::uniform_int_distribution<int> pickText(0, sizeof textAlphabet - 2);
  std::uniform_int_distribution<int> patternSize(0, 10);
  std::uniform_int_distribution<int> textSize(0, 7);
  std::uniform_int_distribution<int> pickFlags(0, 3);
  int matched = 0;
  for (int i = 0; i < 20000; ++i) {
    std::string pattern, text;
    int length = patternSize(random);
    for (int j = 0; j < length; ++j) pattern += patternAlphabet[pickPattern(random)];
    length = textSize(random);
    for (int j = 0; j < length; ++j) text += textAlphabet[pickText(random)];
    int flags = pickFlags(random) * 2;
    RefMatcher reference;
    std::string expected = reference.Search(pattern.c_str(), text.c_str(), flags);
    if (expected == "skipped") continue;  // deeper than the recursive reference can go
    long steps = 0;
    std::string actual = MatchSummary(pattern.c_str(), text.c_str(), flags, &steps);
    ASSERT_EQ(expected, actual) << "pattern: " << pattern << "  text: " << text
                                << "  flags: " << flags;
    ASSERT_EQ(reference.steps, steps) << "pattern: " << pattern << "  text: " << text;
    if (expected != "no") ++matched;
  }
  EXPECT_GT(matched, 3000);  // the sample is not dominated by failures
}

TEST(RegexSearch, AgreesWithTheReferenceOnDoubleByteTexts) {
  const char* patterns[] = {".", "..", "\x82\xa0", "[\x82\x9f-\x82\xf1]+", "\x82\x60", "A",
                            "\\\x82\xa0?.$", "(.)(.)", "[^a]", "\x82", "\x81.", "[\x81.]+",
                            "\x81\\.t"};
  const char* texts[] = {"\x82\xa0" "a", "a\x82\xa0\x82\xa2", "\x82\x81", "A\x82\x60", "\x82",
                         "a\x82", "\x95\x5c\\", "a\x81.txt", "\x81\x7f\x81\xfd"};
  for (const char* pattern : patterns) {
    for (const char* text : texts) {
      for (int flags = 0; flags <= 6; flags += 2) {
        RefMatcher reference;
        EXPECT_EQ(reference.Search(pattern, text, flags), MatchSummary(pattern, text, flags))
            << pattern << " / " << text << " / " << flags;
      }
    }
  }
}

}  // namespace
