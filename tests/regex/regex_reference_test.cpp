// Differential test of the parser: a second, plain parser (simple
// recursion, and the re-reading of unclosed "(" that is exponential in their nesting) writes
// the tree notation directly; on many short random patterns both must agree exactly. It checks
// in particular that the engine's one-time detection of unclosed constructs gives the same
// tree and group numbers.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "regex_reference.h"

namespace {

TEST(RegexParse, AgreesWithTheReferenceParser) {
  const char alphabet[] = "((((()))|*+?{},2[]^$\\.a=!\x82\xa0";
  std::mt19937 random(12345);
  std::uniform_int_distribution<int> pick(0, sizeof alphabet - 2);
  std::uniform_int_distribution<int> size(0, 14);
  for (int i = 0; i < 30000; ++i) {
    std::string pattern;
    int length = size(random);
    for (int j = 0; j < length; ++j) pattern += alphabet[pick(random)];
    ReferenceParser reference;
    ASSERT_EQ(reference.Parse(pattern.c_str()), DumpPattern(pattern.c_str()))
        << "pattern: " << pattern;
  }
}

}  // namespace
