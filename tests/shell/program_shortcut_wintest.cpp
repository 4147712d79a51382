// The program's own shortcut in the prefix's Send To folder and on its desktop, read back
// through the shell link object; the folder that would be opened is recorded, not opened.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/holders.h"
#include "shell/program_shortcut.h"
#include "support/temp_folder.h"
#include "text/chars.h"
#include "text/paths.h"

namespace {

std::vector<std::string> openedFolders;

void RecordOpen(const char* verb, const char* target) {
  openedFolders.push_back(std::string(verb ? verb : "(default)") + " " + target);
}

struct ShortcutFile {
  std::string target, workingFolder, arguments, description, iconPath;
  int showCommand = -1;
  WORD hotkey = 0xFFFF;
};

ShortcutFile ReadShortcut(const std::string& path) {
  ShortcutFile read;
  ComHolder<IShellLinkA> link;
  ComHolder<IPersistFile> file;
  WCHAR wide[MAX_PATH + 1];
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH + 1);
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(link.Out()))) ||
      FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Out()))) ||
      FAILED(file->Load(wide, STGM_READ)))
    return read;
  char text[MAX_PATH + 1];
  int index = -1;
  if (link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH) == S_OK) read.target = text;
  if (SUCCEEDED(link->GetWorkingDirectory(text, sizeof text))) read.workingFolder = text;
  if (SUCCEEDED(link->GetArguments(text, sizeof text))) read.arguments = text;
  if (SUCCEEDED(link->GetDescription(text, sizeof text))) read.description = text;
  if (SUCCEEDED(link->GetIconLocation(text, sizeof text, &index))) read.iconPath = text;
  link->GetShowCmd(&read.showCommand);
  link->GetHotkey(&read.hotkey);
  return read;
}

std::string ProgramPath() {
  char path[MAX_PATH + 1] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  FoldLowerCase(path);
  return path;
}

// Entries of a folder by the wide calls, so that names too long for the ANSI calls count too;
// -1 when the folder is missing.
int CountEntries(const std::string& folder) {
  WCHAR pattern[1024];
  MultiByteToWideChar(CP_ACP, 0, (folder + "\\*").c_str(), -1, pattern, 1024);
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return -1;
  int count = 0;
  do {
    if (lstrcmpW(found.cFileName, L".") != 0 && lstrcmpW(found.cFileName, L"..") != 0) ++count;
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return count;
}

void ExpectProgramShortcut(const std::string& path) {
  std::string program = ProgramPath();
  ShortcutFile read = ReadShortcut(path);
  EXPECT_EQ(program, read.target) << path;
  EXPECT_EQ(program.substr(0, program.rfind('\\')), read.workingFolder) << path;
  EXPECT_EQ(SW_SHOWNORMAL, read.showCommand) << path;
  EXPECT_EQ("", read.arguments) << path;
  EXPECT_EQ("", read.description) << path;
  EXPECT_EQ("", read.iconPath) << path;
  EXPECT_EQ(0, read.hotkey) << path;
}

TEST(RegisterProgramShortcut, CreatesAndReplacesItInSendToAndOnTheDesktop) {
  for (int folderId : {CSIDL_SENDTO, CSIDL_DESKTOP}) {
    char folder[PATH_BUFFER_SIZE];
    ASSERT_TRUE(GetSpecialFolderPath(nullptr, folderId, folder)) << folderId;
    std::string shortcut = std::string(folder) + "\\win_tests.lnk";
    DeleteFileA(shortcut.c_str());
    openedFolders.clear();
    RegisterProgramShortcut(nullptr, folderId, RecordOpen);
    ExpectProgramShortcut(shortcut);
    // A shortcut of that name to something else is rewritten, not kept.
    ASSERT_TRUE(MakeShortcut(shortcut, folder));
    RegisterProgramShortcut(nullptr, folderId, RecordOpen);
    ExpectProgramShortcut(shortcut);
    DeleteFileA(shortcut.c_str());
    std::string open = std::string("open ") + folder;
    EXPECT_EQ((std::vector<std::string>{open, open}), openedFolders);
  }
}

TEST(RegisterProgramShortcutInFolder, CreatesNothingItCannotNameExactly) {
  TempFolder temp;
  std::string doubleByte = temp.MakeFolder("送る表");
  // 250 bytes of folder: the shortcut's path would need 264.
  std::string deep = temp.MakeLongEntry(temp.Path(), 250 - temp.Path().size() - 1, true);
  struct Case {
    std::string folder;
    int opened;
    int entries;
  } const cases[] = {
      {temp.Join("missing"), 0, -1},
      {deep, 1, 0},
      {doubleByte, 1, 1},
  };
  for (const Case& c : cases) {
    openedFolders.clear();
    RegisterProgramShortcutInFolder(c.folder.c_str(), RecordOpen);
    EXPECT_EQ(c.opened, static_cast<int>(openedFolders.size())) << c.folder;
    EXPECT_EQ(c.entries, CountEntries(c.folder)) << c.folder;
  }
  ExpectProgramShortcut(doubleByte + "\\win_tests.lnk");

  // A lead byte without its second byte must not turn into some other file name.
  std::string program = ProgramPath();
  EXPECT_FALSE(CreateShellShortcut(temp.Join("a\x81.lnk").c_str(), program.c_str(),
                                   temp.Path().c_str(), SW_SHOWNORMAL));
  EXPECT_EQ(2, CountEntries(temp.Path()));
}

}  // namespace
