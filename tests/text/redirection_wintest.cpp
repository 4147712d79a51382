// The 32-bit program's view of the system folder on 64-bit Windows: off for the file calls of
// a job and a target lookup, back on around library loads, and nested without surprises.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/system_folders.h"
#include "text/holders.h"

namespace {

TEST(FileSystemRedirection, OffShowsTheSystemFolderItselfAndOnTheStandIn) {
  if (!RunsAsWow64()) GTEST_SKIP() << "not a 32-bit program on 64-bit Windows (no redirection)";
  SystemFolders folders;
  std::string name = SystemFolders::Unique("only-in-system32.txt");
  ASSERT_TRUE(folders.MakeFile(folders.real + "\\" + name));
  const std::string named = folders.named + "\\" + name;
  auto seen = [&named] { return GetFileAttributesA(named.c_str()) != INVALID_FILE_ATTRIBUTES; };
  EXPECT_FALSE(seen()) << "redirected by default";
  {
    FileSystemRedirectionOff off;
    EXPECT_TRUE(seen());
    {
      FileSystemRedirectionOn on;
      EXPECT_FALSE(seen());
      FileSystemRedirectionOn again;
      EXPECT_FALSE(seen());
    }
    EXPECT_TRUE(seen()) << "off again after the library calls";
    {
      FileSystemRedirectionOff inner;
    }
    EXPECT_TRUE(seen()) << "an inner holder's end leaves it off";
  }
  EXPECT_FALSE(seen()) << "on again after the job";
  FileSystemRedirectionOn alone;
  EXPECT_FALSE(seen());
}

}  // namespace
