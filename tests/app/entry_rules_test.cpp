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

TEST(StandsForAnotherName, TheTagTellsAndAnUnreportedTagCountsAsALink) {
  const uint32_t kReparse = 0x400, kFolder = 0x10;
  const struct {
    uint32_t attributes, tag;
    bool link;
  } cases[] = {
      {kReparse | kFolder, 0xA000000C, true},   // symbolic link
      {kReparse | kFolder, 0xA0000003, true},   // junction
      {kReparse, 0x80000013, false},            // deduplicated file
      {kReparse | kFolder, 0x9000601A, false},  // cloud placeholder folder
      {kReparse | kFolder, 0, true},            // tag not reported (Wine)
      {kFolder, 0xA000000C, false},             // no reparse point: the tag field means nothing
      {0, 0, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.link, StandsForAnotherName(c.attributes, c.tag)) << std::hex << c.tag;
}

}  // namespace
