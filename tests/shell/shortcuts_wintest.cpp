// Shortcut files made through the real shell link object, resolved back; and paths written the
// way the shell writes them.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "shell/shortcuts.h"
#include "support/temp_folder.h"
#include "text/paths.h"

namespace {

TEST(ResolveShortcutOrPath, StandsForTheTargetOrForItself) {
  TempFolder folder;
  std::string sub = folder.MakeFolder("Sub Folder");
  std::string file = folder.MakeFile("Plain.TXT");
  std::string gone = folder.MakeFile("Gone.txt");
  std::string toSub = folder.Join("ToSub.lnk");
  std::string toGone = folder.Join("ToGone.lnk");
  ASSERT_TRUE(MakeShortcut(toSub, sub));
  ASSERT_TRUE(MakeShortcut(toGone, gone));
  DeleteFileA(gone.c_str());

  struct Case {
    std::string path;
    bool resolved;
    std::string result;
  } const cases[] = {
      {toSub, true, Lower(sub)},          // a shortcut to a folder gives the folder
      {file, true, Lower(file)},          // a plain file stands for itself
      {toGone, true, Lower(toGone)},      // a shortcut whose target is gone stands for itself
      {folder.Join("missing.txt"), false, ""},
  };
  for (const Case& c : cases) {
    char result[PATH_BUFFER_SIZE] = "junk";
    EXPECT_EQ(c.resolved, ResolveShortcutOrPath(result, c.path.c_str(), sizeof result)) << c.path;
    EXPECT_EQ(c.result, result) << c.path;
  }
}

// The shortcut's target is read in UTF-16: the code page form would name "e.txt" for "é.txt".
TEST(ResolveShortcut, ATargetTheCodePageCannotHoldIsReachedByItsShortPath) {
  TempFolder folder;
  folder.MakeFile("e.txt");
  std::wstring accented = folder.MakeWideEntry(L"\u00e9.txt", false);
  std::string link = folder.Join("to accented.lnk");
  ASSERT_TRUE(MakeShortcut(link, accented));
  char result[PATH_BUFFER_SIZE];
  EXPECT_TRUE(ResolveShortcut(result, link.c_str(), sizeof result));
  EXPECT_EQ(Lower(ShortPathOf(accented)), result);
}

TEST(ResolveShortcut, APlainFileIsNoShortcut) {
  TempFolder folder;
  std::string file = folder.MakeFile("Not A Link.txt");
  char result[PATH_BUFFER_SIZE];
  EXPECT_FALSE(ResolveShortcut(result, file.c_str(), sizeof result));
  EXPECT_EQ(Lower(file), result);
  // A small buffer never holds half a character: 0x95 0x5C must not be cut after its lead byte.
  char small[4];
  EXPECT_FALSE(ResolveShortcut(small, "ab\x95\x5c", sizeof small));
  EXPECT_STREQ("ab", small);
}

// Reading a file as a shortcut reads the file: only names the shell takes for shortcuts may be
// opened, or resolving a target would move the one time the user asked to keep.
TEST(ResolveShortcut, OpensOnlyFilesNamedAsShortcuts) {
  TempFolder folder;
  std::string target = folder.MakeFile("Target.txt");
  std::string upper = folder.Join("Upper.LNK");
  std::string renamed = folder.Join("Renamed.txt");
  ASSERT_TRUE(MakeShortcut(upper, target));
  ASSERT_TRUE(MakeShortcut(folder.Join("renamed.lnk"), target));
  ASSERT_TRUE(MoveFileA(folder.Join("renamed.lnk").c_str(), renamed.c_str()));
  char result[PATH_BUFFER_SIZE];
  EXPECT_TRUE(ResolveShortcut(result, upper.c_str(), sizeof result));
  EXPECT_EQ(Lower(target), result);
  EXPECT_FALSE(ResolveShortcut(result, renamed.c_str(), sizeof result));
  EXPECT_EQ(Lower(renamed), result);

  // On disk: the access time of a plain target, older than its last write, stays.
  std::string plain = folder.MakeFile("plain.dat", "some content to read");
  FILETIME access = UtcTime(2001, 2, 3, 4, 5, 6);
  FILETIME write = UtcTime(2005, 6, 7, 8, 9, 10);
  ASSERT_TRUE(WriteTimes(plain, nullptr, &access, &write));
  EXPECT_TRUE(ResolveShortcutOrPath(result, plain.c_str(), sizeof result));
  FILETIME creation, accessAfter, writeAfter;
  ASSERT_TRUE(ReadTimes(plain, &creation, &accessAfter, &writeAfter));
  EXPECT_EQ(Ticks(access), Ticks(accessAfter));
}

TEST(CanonicalizePath, GivesThePathAsTheShellWritesIt) {
  TempFolder folder;
  std::string file = folder.MakeFile("MixedCase.Txt");
  char result[PATH_BUFFER_SIZE] = "junk";
  ASSERT_TRUE(CanonicalizePath(result, Lower(file).c_str(), sizeof result));
  EXPECT_EQ(Lower(file), Lower(result));
  EXPECT_NE(std::string::npos, std::string(result).find("MixedCase.Txt")) << result;

  char missing[PATH_BUFFER_SIZE] = "junk";
  EXPECT_FALSE(CanonicalizePath(missing, folder.Join("no such file").c_str(), sizeof missing));
  EXPECT_STREQ("", missing);
}

}  // namespace
