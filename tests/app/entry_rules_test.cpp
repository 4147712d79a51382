// Which names the walk may join to a folder, and which reparse points it leaves alone.
#include <gtest/gtest.h>

#include "app/entry_rules.h"

namespace {

TEST(IsJoinableName, RefusesNamesThatWouldNameSomethingElse) {
  const struct {
    const char* name;
    bool joinable;
  } cases[] = {
      {"a.txt", true},
      {"...", true},
      {".hidden", true},
      {"\x95\x5c", true},        // a double-byte character whose second byte is 0x5C
      {"\x83\x2f", false},       // a lead byte before '/' is no pair: the '/' separates
      {"", false},
      {".", false},
      {"..", false},
      {"..\\victim.txt", false},
      {"a/b", false},
      {"c:d", false},            // a drive or a stream
      {"x\x95\x5c\\", false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.joinable, IsJoinableName(c.name)) << c.name;
}

// The tag decides; an unreported tag (Wine's links) counts as a link. The walk test puts the same
// tags in front of a real walk.
TEST(StandsForAnotherName, TheTagTells) {
  const uint32_t kReparse = 0x400;
  EXPECT_TRUE(StandsForAnotherName(kReparse, 0xA000000C));   // symbolic link
  EXPECT_TRUE(StandsForAnotherName(kReparse, 0));            // tag not reported
  EXPECT_FALSE(StandsForAnotherName(kReparse, 0x80000013));  // deduplicated file
  EXPECT_FALSE(StandsForAnotherName(0x10, 0xA000000C));      // no reparse point: no tag
}

}  // namespace
