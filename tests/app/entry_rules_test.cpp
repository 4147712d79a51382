// Which names the walk may join to a folder, and which reparse points it leaves alone.
#include <gtest/gtest.h>

#include <string>

#include "app/entry_rules.h"

namespace {

TEST(IsJoinableName, RefusesNamesThatWouldNameSomethingElse) {
  const struct {
    std::u16string name;
    bool joinable;
  } cases[] = {
      {u"a.txt", true},
      {u"...", true},
      {u".hidden", true},
      {u"a.", true},                        // literal below a target: a trailing dot is its own name
      {u"\u8868\uff3c", true},            // 表 ends in 0x5C in the code page, ＼ is no separator
      {u"", false},
      {u".", false},
      {u"..", false},
      {u"..\\victim.txt", false},
      {u"a/b", false},
      {u"c:d", false},                      // a drive or a stream
      {std::u16string(u"a\0b", 3), false},  // the path would end after "a"
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.joinable, IsJoinableName(c.name.data(), static_cast<int>(c.name.size())))
        << std::string(c.name.begin(), c.name.end());
  }
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

// What a listing showed against what the opened handle reports. The walk test swaps real folders.
TEST(IsListedEntry, OnlyTheEntryTheListingShowed) {
  const uint32_t kFolder = 0x10, kReparse = 0x400;
  const EntryIdentity folder = {kFolder, 42};
  const struct {
    const char* what;
    EntryIdentity listed, opened;
    bool same;
  } cases[] = {
      {"the folder itself, attributes changed since", folder, {kFolder | 0x2, 42}, true},
      {"another folder by that name", folder, {kFolder, 43}, false},
      {"a link where a folder was listed", folder, {kFolder | kReparse, 42}, false},
      {"a file where a folder was listed", folder, {0x20, 42}, false},
      {"a folder where a file was listed", {0x20, 42}, {kFolder, 42}, false},
      {"a cloud folder listed and opened as one", {kFolder | kReparse, 9}, {kFolder | kReparse, 9}, true},
      {"no id listed: the kind decides", {0x20, 0}, {0x20, 1234}, true},
      {"no id listed (all ones), a link opened", {0x20, ~uint64_t{0}}, {0x20 | kReparse, 5}, false},
  };
  for (const auto& c : cases) EXPECT_EQ(c.same, IsListedEntry(c.listed, c.opened)) << c.what;
}

}  // namespace
