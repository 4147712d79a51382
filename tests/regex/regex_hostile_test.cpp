// Hostile and careless patterns (the bounds documented in regex/regex.h): they never crash,
// never overflow the stack, and finish quickly.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>

#include "regex_reference.h"

namespace {

// Generous for the sanitizer build; the Release figures are in bench/README.md.
const double kQuickSeconds = 2.0;

struct Outcome {
  bool compiled;
  bool matched;
  bool gaveUp;
  long steps;
  double seconds;
};

Outcome RunPattern(const std::string& pattern, const std::string& text, int flags = RXF_IGNORECASE) {
  auto start = std::chrono::steady_clock::now();
  Outcome outcome = {};
  Regex* regex = RegexCompile(pattern.c_str(), flags);
  outcome.compiled = regex != nullptr;
  if (regex) {
    RegexMatch* match = RegexSearch(regex, text.c_str());
    outcome.matched = match != nullptr;
    outcome.gaveUp = RegexSearchGaveUp(regex);
    outcome.steps = RegexSearchSteps(regex);
    RegexFreeMatch(match);
    RegexFree(regex);
  }
  outcome.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return outcome;
}

std::string Repeat(const std::string& part, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += part;
  return out;
}

TEST(RegexHostile, NestedStarsOnNonMatchingTextsHitTheBudget) {
  const char* patterns[] = {"(a*)*b", "(a|a)*b", "((a*)*)*c", "(.*.*.*)*x", "(a|aa)+$",
                            "(\\w+\\s?)+$", "((a+)+)+b"};
  std::string text = Repeat("a", 260) + "!";
  for (const char* pattern : patterns) {
    Outcome outcome = RunPattern(pattern, text);
    EXPECT_TRUE(outcome.compiled) << pattern;
    EXPECT_FALSE(outcome.matched) << pattern;
    EXPECT_LE(outcome.steps, RX_STEP_BUDGET) << pattern;
    EXPECT_LT(outcome.seconds, kQuickSeconds) << pattern;
  }
  EXPECT_TRUE(RunPattern("(a|a)*b", text).gaveUp);
}

TEST(RegexHostile, FiveThousandNestedGroups) {
  std::string pattern = Repeat("(", 5000) + "a" + Repeat(")", 5000);
  Outcome outcome = RunPattern(pattern, "xa");
  EXPECT_TRUE(outcome.compiled);
  EXPECT_TRUE(outcome.matched);
  EXPECT_LT(outcome.seconds, kQuickSeconds);
  EXPECT_EQ("5000:", DumpPattern(pattern.c_str()).substr(0, 5));
  // Nested stars too.
  pattern = Repeat("(", 5000) + "a" + Repeat(")*", 5000);
  outcome = RunPattern(pattern, "aab");
  EXPECT_TRUE(outcome.compiled);
  EXPECT_LT(outcome.seconds, kQuickSeconds);
}

TEST(RegexHostile, FiveThousandUnclosedParentheses) {
  std::string pattern = Repeat("(", 5000);
  Outcome outcome = RunPattern(pattern, "a((((");
  EXPECT_TRUE(outcome.compiled);
  EXPECT_FALSE(outcome.matched);
  EXPECT_LT(outcome.seconds, kQuickSeconds);
  EXPECT_EQ(nullptr, std::strchr(DumpPattern("((((((((((a").c_str(), '<'));
  // Unclosed around closed groups and lookaheads: re-read once, not exponentially.
  pattern = Repeat("((?=(?!", 1700) + "(a)";
  outcome = RunPattern(pattern, "(=(!a");
  EXPECT_TRUE(outcome.compiled);
  EXPECT_LT(outcome.seconds, kQuickSeconds);
  pattern = Repeat("(a|", 3000);
  outcome = RunPattern(pattern, Repeat("(a", 100));
  EXPECT_TRUE(outcome.compiled);
  EXPECT_TRUE(outcome.matched);
  EXPECT_LT(outcome.seconds, kQuickSeconds);
}

TEST(RegexHostile, HugeCountsFailToCompileQuickly) {
  const char* patterns[] = {"a{99999999}", "a{0,99999999}", "a{99999999,}", "(a{1000}){1000}",
                            "((a{50}){50}){50}", "a{2147483647}", "a{4294967296}",
                            "[a-z]{60000}x{6000}"};
  for (const char* pattern : patterns) {
    Outcome outcome = RunPattern(pattern, "aaa");
    EXPECT_FALSE(outcome.compiled) << pattern;
    EXPECT_LT(outcome.seconds, kQuickSeconds) << pattern;
  }
  // Below the limit they compile.
  EXPECT_TRUE(RunPattern("a{30000}", "a").compiled);
  EXPECT_TRUE(RunPattern("(ab){1000}", "ab").compiled);
}

TEST(RegexHostile, SixHundredByteSet) {
  std::string set = "[" + Repeat("b-c", 199) + "a]";
  ASSERT_EQ(600u, set.size());
  Outcome outcome = RunPattern(set, "xxa");
  EXPECT_TRUE(outcome.compiled);
  EXPECT_TRUE(outcome.matched);
  outcome = RunPattern(set + "+", Repeat("x", 260));
  EXPECT_FALSE(outcome.matched);
  EXPECT_LT(outcome.seconds, kQuickSeconds);
  // Unterminated: a literal "[".
  std::string unterminated = "[" + Repeat("a", 600);
  EXPECT_EQ("0,601", MatchSummary(unterminated.c_str(), unterminated.c_str(), 0));
}

TEST(RegexHostile, LeadByteAtTheEndOfPatternAndText) {
  const char* patterns[] = {"\x82", "a\x82", "\\\x82", "[\x82", "[a-\x82", "(\x82", "\x82*",
                            "\x82{2}", "[\\\x82"};
  const char* texts[] = {"\x82", "a\x82", "", "\x82\x82", "\x82\x82\x82"};
  for (const char* pattern : patterns) {
    for (const char* text : texts) {
      Outcome outcome = RunPattern(pattern, text);
      EXPECT_TRUE(outcome.compiled) << pattern;
      EXPECT_FALSE(outcome.gaveUp) << pattern;
    }
  }
  EXPECT_EQ("1,2", MatchSummary("\x82", "a\x82", 0));
  EXPECT_EQ("0,2", MatchSummary("\x82\x82", "\x82\x82\x82", 0));
}

TEST(RegexHostile, LongTextsDoNotOverflowTheStack) {
  // A path of about 100,000 edges: a recursive walk would exhaust the thread's stack.
  std::string text = Repeat("a", 50000);
  Outcome outcome = RunPattern("a*", text);
  EXPECT_TRUE(outcome.matched);
  EXPECT_FALSE(outcome.gaveUp);
  outcome = RunPattern("(a)*$", Repeat("a", 30000) + "\r");
  EXPECT_TRUE(outcome.matched);
  outcome = RunPattern("a*b", text);  // retries every start position: ends at the budget
  EXPECT_FALSE(outcome.matched);
  EXPECT_TRUE(outcome.gaveUp);
  EXPECT_LT(outcome.seconds, kQuickSeconds);
  // A path deeper than RX_MAX_DEPTH gives up (no match) before the step budget does.
  outcome = RunPattern("(a)*$", Repeat("a", 200000));
  EXPECT_FALSE(outcome.matched);
  EXPECT_TRUE(outcome.gaveUp);
  EXPECT_LT(outcome.steps, RX_STEP_BUDGET);
  EXPECT_LT(outcome.seconds, kQuickSeconds);
}

TEST(RegexHostile, MarksLeftByNegativeLookaheadsDoNotExhaustTheStack) {
  // A success inside "(?!" leaves the marks of its path set, so edges can be entered again at
  // the same position and the path grows with the steps (found by fuzz_regex_reference).
  Outcome outcome = RunPattern("((?!b?\\D\xd8?)?)*)?!}\xff\xff\xff",
                               "\xff" "a\xff\xff`\xf7\xff\xff", 0);
  EXPECT_TRUE(outcome.compiled);
  EXPECT_FALSE(outcome.matched);
  EXPECT_TRUE(outcome.gaveUp);
  EXPECT_LT(outcome.seconds, kQuickSeconds);
}

TEST(RegexHostile, OrdinaryPatternsStayFarBelowTheBudget) {
  const char* patterns[] = {"txt",        "\\.txt$",        "^a.*\\.txt$",      "^IMG_\\d{4}\\.jpe?g$",
                            "(foo|bar|baz)\\d*", "[a-z]+_v\\d+", "^.*\\.(c|h)(pp)?$", ".*\\..*",
                            "^(?!~\\$).*\\.docx?$", "\\d{4}-\\d{2}-\\d{2}",
                            "(\\w+)\\.(\\w+)\\.(\\w+)", "^(.*)_(.*)_(.*)$", "([a-z]+)([0-9]+)x"};
  std::string names[] = {Repeat("x", 256) + ".txt", Repeat("ab_c ", 52), Repeat("\x82\xa0", 130),
                         Repeat("1", 260)};
  for (const char* pattern : patterns) {
    for (const std::string& name : names) {
      Outcome outcome = RunPattern(pattern, name);
      EXPECT_TRUE(outcome.compiled) << pattern;
      EXPECT_FALSE(outcome.gaveUp) << pattern;
      EXPECT_LT(outcome.steps, RX_STEP_BUDGET / 4) << pattern << " " << outcome.steps;
    }
  }
}

}  // namespace
