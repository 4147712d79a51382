// Where the program's own shortcut goes: its name from the program file, its working folder,
// and the 260-byte limit that the whole shortcut path must keep.
#include <gtest/gtest.h>

#include <string>

#include "shell/shortcut_paths.h"

namespace {

TEST(MakeProgramShortcutPaths, NamesTheShortcutAfterTheProgram) {
  const std::string folder200 = "c:\\" + std::string(197, 'f');
  struct Case {
    std::string program, folder;
    bool made;
    std::string shortcut, workingFolder;
  } const cases[] = {
      {"c:\\tools\\prog.exe", "c:\\users\\me\\sendto", true, "c:\\users\\me\\sendto\\prog.lnk",
       "c:\\tools"},
      {"c:\\my.tools\\prog", "d:\\desk\\", true, "d:\\desk\\prog.lnk", "c:\\my.tools"},
      {"c:\\t\\a.b.exe", "d:\\s", true, "d:\\s\\a.b.lnk", "c:\\t"},
      // 0x95 0x5C is one character, not a backslash.
      {"c:\\\x95\x5c\\\x95\x5c.exe", "d:\\\x95\x5c", true, "d:\\\x95\x5c\\\x95\x5c.lnk",
       "c:\\\x95\x5c"},
      // A bare drive would mean the drive's current folder, not its root.
      {"c:\\prog.exe", "d:\\s", true, "d:\\s\\prog.lnk", "c:\\"},
      {"prog.exe", "d:\\s", true, "d:\\s\\prog.lnk", "prog.exe"},
      // 200 + 1 + 55 + 4 = 260 bytes fit; one more does not, although the joined name would.
      {"c:\\" + std::string(55, 'p') + ".exe", folder200, true,
       folder200 + "\\" + std::string(55, 'p') + ".lnk", "c:\\"},
      {"c:\\t\\" + std::string(56, 'p') + ".x", folder200, false, "", ""},
      {"c:\\t\\" + std::string(300, 'p') + ".exe", "d:\\s", false, "", ""},
      {"c:\\t\\.exe", "d:\\s", false, "", ""},
  };
  for (const Case& c : cases) {
    ProgramShortcutPaths paths;
    EXPECT_EQ(c.made, MakeProgramShortcutPaths(c.program.c_str(), c.folder.c_str(), &paths))
        << c.program;
    EXPECT_EQ(c.shortcut, paths.shortcut) << c.program;
    EXPECT_EQ(c.workingFolder, paths.workingFolder) << c.program;
  }
}

}  // namespace
