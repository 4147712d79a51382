// Bounded copies, formatting and path texts: nothing may run past its buffer or split a
// double-byte character, and a second byte 0x5C is never a separator.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "text/bounded.h"
#include "text/paths.h"

namespace {

TEST(CopyBounded, CutsBeforeAHalfCharacter) {
  const struct {
    int size;
    const char* source;
    const char* copied;
  } cases[] = {
      {5, "abc\x95\x5c", "abc"},        // the character at bytes 3-4 does not fit
      {5, "abcd\x95\x5c", "abcd"},
      {6, "abc\x95\x5c", "abc\x95\x5c"},
      {5, "ab", "ab"},
      {1, "abc", ""},
      {2, "\x95\x5c", ""},
      {3, "\x81\x30x", "\x81\x30"},      // 0x30 does not pair with the lead, so nothing is cut
  };
  for (const auto& c : cases) {
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    CopyBounded(c.size, c.source, buffer);
    EXPECT_STREQ(c.copied, buffer) << c.source << " size " << c.size;
    for (int i = c.size; i < static_cast<int>(sizeof buffer); ++i) ASSERT_EQ('#', buffer[i]);
  }
  char untouched[2] = {'#', '#'};
  CopyBounded(0, "abc", untouched);
  EXPECT_EQ('#', untouched[0]);
}

TEST(FormatBounded, CutsAndReportsOverflow) {
  const struct {
    int size;
    const char* argument;
    int result;
    const char* text;
  } cases[] = {
      {1, "abc", -1, ""},
      {1, "", 0, ""},
      {4, "abc", 3, "abc"},
      {3, "abc", -1, "ab"},
      {4, "ab\x95\x5c", -1, "ab"},            // a cut output never ends in a lead byte
      {5, "ab\x95\x5c", 4, "ab\x95\x5c"},
      {4, "\x95\x5c\x95\x5c", -1, "\x95\x5c"},
  };
  for (const auto& c : cases) {
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(c.result, FormatBounded(buffer, c.size, "%s", c.argument)) << c.argument;
    EXPECT_STREQ(c.text, buffer) << c.argument << " size " << c.size;
    EXPECT_EQ('#', buffer[c.size]);
  }
  char buffer[4] = "xy";
  EXPECT_EQ(-1, FormatBounded(buffer, 0, "%s", "abc"));
  EXPECT_STREQ("xy", buffer);
}

TEST(PathJoin, JoinsWithOneSeparator) {
  const struct {
    const char* folder;
    const char* name;
    const char* joined;
  } cases[] = {
      {"c:\\dir", "a.txt", "c:\\dir\\a.txt"},
      {"c:\\dir\\", "a.txt", "c:\\dir\\a.txt"},
      {"c:\\", "a.txt", "c:\\a.txt"},
      {"", "a.txt", "a.txt"},
      {"c:\\\x95\x5c", "a", "c:\\\x95\x5c\\a"},   // that 0x5C ends a character, not a folder
      {"c:\\dir", "", "c:\\dir\\"},
  };
  for (const auto& c : cases) {
    char buffer[PATH_BUFFER_SIZE];
    EXPECT_TRUE(PathJoin(sizeof buffer, buffer, c.folder, c.name)) << c.joined;
    EXPECT_STREQ(c.joined, buffer);
  }
}

TEST(PathJoin, ReportsAndCutsTooLongResults) {
  char buffer[PATH_BUFFER_SIZE + 4];
  std::memset(buffer, '#', sizeof buffer);
  const std::string folder = "c:\\" + std::string(252, 'f');  // 255 bytes

  EXPECT_TRUE(PathJoin(PATH_BUFFER_SIZE, buffer, folder.c_str(), "abcd"));
  EXPECT_EQ(260u, std::strlen(buffer));

  // 261 bytes: the last character (bytes 259-260) cannot be kept whole.
  EXPECT_FALSE(PathJoin(PATH_BUFFER_SIZE, buffer, folder.c_str(), "abc\x95\x5c"));
  EXPECT_EQ(folder + "\\abc", buffer);
  EXPECT_EQ('#', buffer[PATH_BUFFER_SIZE]);

  EXPECT_FALSE(PathJoin(PATH_BUFFER_SIZE, buffer, folder.c_str(), "abcde"));
  EXPECT_EQ(260u, std::strlen(buffer));

  // A folder that fills the buffer leaves no room for the separator.
  const std::string full(260, 'f');
  EXPECT_FALSE(PathJoin(PATH_BUFFER_SIZE, buffer, full.c_str(), "a"));
  EXPECT_EQ(full, buffer);
  const std::string tooLong(300, 'f');
  EXPECT_FALSE(PathJoin(PATH_BUFFER_SIZE, buffer, tooLong.c_str(), "a"));
  EXPECT_FALSE(PathJoin(PATH_BUFFER_SIZE, buffer, "", tooLong.c_str()));
  EXPECT_EQ(260u, std::strlen(buffer));
  EXPECT_EQ('#', buffer[PATH_BUFFER_SIZE]);
}

TEST(PathParts, SplitOnlyAtRealSeparators) {
  const struct {
    const char* path;
    const char* name;       // FileNamePart
    const char* folder;     // what CutFileName leaves
    const char* stem;       // what CutExtension leaves
    const char* extension;  // what CutExtension returns
  } cases[] = {
      {"c:\\dir\\a.txt", "a.txt", "c:\\dir", "c:\\dir\\a", "txt"},
      {"c:\\dir\\a.b.txt", "a.b.txt", "c:\\dir", "c:\\dir\\a.b", "txt"},
      {"c:\\my.dir\\file", "file", "c:\\my.dir", "c:\\my.dir\\file", ""},
      {"c:\\a\\\x95\x5c.txt", "\x95\x5c.txt", "c:\\a", "c:\\a\\\x95\x5c", "txt"},
      {"c:\\\x95\x5c", "\x95\x5c", "c:", "c:\\\x95\x5c", ""},
      {"c:\\a\x81.txt", "a\x81.txt", "c:", "c:\\a\x81", "txt"},  // a broken lead keeps the dot
      {"file.txt", "file.txt", "file.txt", "file", "txt"},
      {"c:\\dir\\", "", "c:\\dir", "c:\\dir\\", ""},
      {"", "", "", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_STREQ(c.name, FileNamePart(c.path)) << c.path;

    std::string copy = c.path;
    char* name = CutFileName(&copy[0]);
    EXPECT_STREQ(c.folder, copy.c_str()) << c.path;
    EXPECT_STREQ(std::strchr(c.path, '\\') ? c.name : c.path, name) << c.path;

    copy = c.path;
    char* extension = CutExtension(&copy[0]);
    EXPECT_STREQ(c.stem, copy.c_str()) << c.path;
    EXPECT_STREQ(c.extension, extension) << c.path;
  }
}

TEST(HasShortcutExtension, OnlyTheLastExtensionOfTheNameCounts) {
  const struct {
    const char* path;
    bool shortcut;
  } cases[] = {
      {"c:\\a\\b.lnk", true},   {"c:\\a\\B.LnK", true},      {"c:\\a\\b.lnk.txt", false},
      {"c:\\a.lnk\\b", false},  {"c:\\a\\blnk", false},      {"c:\\a\\b.lnkx", false},
      {".lnk", true},           {"", false},                  {"c:\\a\\\x95\x5c.lnk", true},
  };
  for (const auto& c : cases) EXPECT_EQ(c.shortcut, HasShortcutExtension(c.path)) << c.path;
}

// The rule is the platform's, as GetFullPathNameW applies it under Wine (measured) and as
// Windows documents its path normalisation; device names are refused in all the forms listed.
TEST(PlatformRewritesPath, NamesTheDotsSpacesAndDevicesThePlatformDrops) {
  const struct {
    const char* path;
    bool rewritten;
  } cases[] = {
      {"c:\\dir\\x.txt", false},    {"c:\\dir\\x.", true},        {"c:\\dir\\x ", true},
      {"x. .", true},                 {"c:\\dir.\\x", true},        {"c:/dir./x", true},
      {"c:\\dir \\x", false},        {"c:\\dir\\x \\", false},     {"c:\\dir\\...", true},
      {"c:\\dir\\.", false},         {"c:\\dir\\..", false},        {"..\\x", false},
      {"c:\\dir\\nul", true},        {"c:\\dir\\NUL.txt", true},    {"c:\\dir\\com1 .log", true},
      {"c:\\dir\\lpt9", true},       {"c:\\dir\\aux:", true},       {"c:\\dir\\CONIN$", true},
      {"c:nul", true},                {"nul", true},                  {"c:\\nul\\x", false},
      {"c:\\dir\\null", false},      {"c:\\dir\\com10", false},     {"c:\\dir\\auxiliary.txt", false},
      {"c:", false},                  {"c:\\", false},                {"", false},
      {"\\\\?\\c:\\dir\\x.", false}, {"\\\\.\\nul", false},
      {"c:\\dir\\\x95\x5c", false},   // that 0x5C ends a character: the name is the whole segment
      {"c:\\dir\\\x95\x5c.", true},
      {"c:\\dir\\a\x81\x40", false},  // the ideographic space stays
  };
  for (const auto& c : cases) EXPECT_EQ(c.rewritten, PlatformRewritesPath(c.path)) << c.path;
}

}  // namespace
