// The real program, started as the shell would start it, on real files: options, targets,
// the tray icon and its cancel command, and the exit code.
#include <windows.h>

#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/job_window.h"
#include "dialog/dialog_ids.h"
#include "support/hostile_tree.h"
#include "support/program_runs.h"
#include "support/system_folders.h"
#include "support/temp_folder.h"
#include "tests/about/planted_meter.h"
#include "text/holders.h"

namespace {


// Started as the shell starts a program, with a UTF-16 command line and a working folder.
PROCESS_INFORMATION StartProgramWide(const std::wstring& arguments, const std::wstring& folder) {
  std::wstring commandLine = L"\"" + Widen(ProgramPath()) + L"\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &process))
    ADD_FAILURE() << "cannot start the program";
  return process;
}

DWORD RunProgramWide(const std::wstring& arguments, const std::wstring& folder) {
  PROCESS_INFORMATION process = StartProgramWide(arguments, folder);
  return WaitForExit(process);
}

FILETIME LastWrite(const std::string& path) {
  FILETIME creation = {}, access = {}, write = {};
  ReadTimes(path, &creation, &access, &write);
  return write;
}

FILETIME LastAccess(const std::string& path) {
  FILETIME creation = {}, access = {}, write = {};
  ReadTimes(path, &creation, &access, &write);
  return access;
}

const DWORD kAttributeBits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

struct AttributeCase {
  const char* options;
  DWORD before;
  DWORD after;  // of the read-only, hidden and system bits
  DWORD exitCode;
};

TEST(Program, AttributeOptionsChangeTheTargets) {
  const AttributeCase cases[] = {
      {"/on:rh", 0, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN, 0},
      {"/ON:S", FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, 0},
      {"/off:h", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, FILE_ATTRIBUTE_SYSTEM, 0},
      {"/off:rhs", kAttributeBits, 0, 0},
      {"/on:r /off:r", FILE_ATTRIBUTE_READONLY, 0, 0},  // the later option wins
      {"/nop:h", FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_HIDDEN, 0},
      // A file's own summary: what it has and the options name stays, the rest is cleared.
      {"/on:h", FILE_ATTRIBUTE_SYSTEM, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, 0},
      // No such letter: nothing runs, not even the summary.
      {"/on:x", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN,
       FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN, 1},
  };
  for (const auto& c : cases) {
    TempFolder folder;
    std::string file = folder.MakeFile("target.txt");
    SetAttributes(file, c.before);
    EXPECT_EQ(c.exitCode,
              RunProgram(std::string("/dlg:0 /tray:0 ") + c.options + " " + Quoted(file)))
        << c.options;
    EXPECT_EQ(c.after, Attributes(file) & kAttributeBits) << c.options;
  }
}

// The tree the fault was measured on: in a folder, a read-only file, a system file and a hidden
// file in a subfolder, each with an old last-write time.
struct MarkedTree {
  TempFolder folder;
  std::string root;
  std::vector<std::string> files;  // read-only, system, hidden
  FILETIME old;
  MarkedTree() : root(folder.MakeFolder("T")), old(UtcTime(2001, 2, 3, 4, 5, 6)) {
    files = {folder.MakeFile("T\\ro.txt"), folder.MakeFile("T\\sys.ini"),
             folder.MakeFile("T\\sub\\hid.txt")};
    const DWORD marks[] = {FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_SYSTEM, FILE_ATTRIBUTE_HIDDEN};
    for (std::size_t i = 0; i < files.size(); ++i) {
      EXPECT_TRUE(WriteTimes(files[i], nullptr, nullptr, &old)) << files[i];
      SetAttributes(files[i], marks[i]);
    }
  }
  std::vector<DWORD> Marks() const {
    std::vector<DWORD> marks;
    for (const std::string& file : files) marks.push_back(Attributes(file) & kAttributeBits);
    return marks;
  }
  // How many files still have the old last-write time.
  int Unwritten() const {
    int count = 0;
    for (const std::string& file : files) count += Ticks(LastWrite(file)) == Ticks(old);
    return count;
  }
};

const DWORD R = FILE_ATTRIBUTE_READONLY, S = FILE_ATTRIBUTE_SYSTEM, H = FILE_ATTRIBUTE_HIDDEN;

// Below a folder target only what the line names changes; a line the program cannot read runs
// nothing; a target that does not exist is accounted for by the exit code, the others changed.
TEST(Program, CommandLinesOverAFolderChangeOnlyWhatTheyName) {
  const struct {
    const char* options;
    bool missingTarget;
    DWORD exitCode;
    std::vector<DWORD> marks;  // read-only, system, hidden file
    bool written;
  } cases[] = {
      {"/on:h", false, 0, {R | H, S | H, H}, false},
      {"/off:h", false, 0, {R, S, 0}, false},
      {"/nop:r /off:s", false, 0, {R, 0, H}, false},
      {"\"/write:2005-05-05 05:05:05\"", false, 0, {R, S, H}, true},
      {"/on:h", true, 3, {R | H, S | H, H}, false},
      {"/of:h", false, 1, {R, S, H}, false},
      {"/acess:now", false, 1, {R, S, H}, false},
      {"/on:x", false, 1, {R, S, H}, false},
      {"\"/write:2005-02-30 05:05:05\" /on:h", false, 1, {R, S, H}, false},
      {"/write:now /on:h", true, 3, {R | H, S | H, H}, true},
  };
  for (const auto& c : cases) {
    MarkedTree tree;
    std::string targets = Quoted(tree.root);
    if (c.missingTarget) targets = Quoted(tree.folder.Join("missing.txt")) + " " + targets;
    EXPECT_EQ(c.exitCode, RunProgram(std::string("/dlg:0 /tray:0 ") + c.options + " " + targets))
        << c.options;
    EXPECT_EQ(c.marks, tree.Marks()) << c.options;
    EXPECT_EQ(c.written ? 0 : 3, tree.Unwritten()) << c.options;
  }
}

TEST(Program, NopKeepsEachTargetsOwnState) {
  TempFolder folder;
  std::string hidden = folder.MakeFile("hidden.txt");
  std::string plain = folder.MakeFile("plain.txt");
  SetAttributes(hidden, FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(0u, RunProgram("/dlg:0 /tray:0 /nop:h /on:s " + Quoted(hidden) + " " + Quoted(plain)));
  EXPECT_EQ(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, Attributes(hidden) & kAttributeBits);
  EXPECT_EQ(FILE_ATTRIBUTE_SYSTEM, Attributes(plain) & kAttributeBits);
}

// The fault this guards against: the program ended in the middle of a job (killed, logged off,
// power lost) used to leave the entry it was changing with fewer attributes: first with none
// at all, then without read-only, which came off while the entry was open for its times. A job
// that only writes the last-write time (every attribute left as it is) over hidden read-only
// files is killed at several moments; no file may lose either bit.
TEST(Program, KilledDuringATimestampJobNoFileLosesAnAttribute) {
  const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY;
  TempFolder folder;
  std::vector<std::string> files;
  for (int i = 0; i < 3000; ++i) {
    files.push_back(folder.MakeFile("sub\\f" + std::to_string(i) + ".txt"));
    SetAttributes(files.back(), kept);
  }
  const FILETIME old = UtcTime(2001, 2, 3, 4, 5, 6);
  int midJob = 0;
  for (DWORD delay : {100u, 160u, 220u, 280u, 340u, 420u, 520u, 640u}) {
    for (const std::string& file : files) WriteTimes(file, nullptr, nullptr, &old);
    PROCESS_INFORMATION process =
        StartProgram("/dlg:0 /tray:0 /nop:rash \"/write:2006/01/03 12:34:56\" " +
                     Quoted(folder.Path()));
    ASSERT_NE(nullptr, process.hProcess);
    if (WaitForSingleObject(process.hProcess, delay) == WAIT_TIMEOUT)
      TerminateProcess(process.hProcess, 9);
    WaitForExit(process);
    int lost = 0, written = 0;
    for (const std::string& file : files) {
      lost += !HasAttribute(file, kept);
      written += Ticks(LastWrite(file)) != Ticks(old);
    }
    EXPECT_EQ(0, lost) << "killed after " << delay << " ms, " << written << " files written";
    midJob += written > 0 && written < static_cast<int>(files.size());
  }
  // Not asserted (it depends on the machine's speed), but shown when a test fails.
  RecordProperty("kills in the middle of the job", midJob);
}

// Another program holds the file open for reading and writing without sharing: it still gets
// its times and its attributes.
TEST(Program, AFileInUseGetsItsTimes) {
  TempFolder folder;
  std::string file = folder.MakeFile("in use.log");
  const FILETIME old = UtcTime(2001, 2, 3, 4, 5, 6);
  ASSERT_TRUE(WriteTimes(file, nullptr, &old, &old));
  HANDLE held = CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  DWORD code = RunProgram("/dlg:0 /tray:0 /on:h \"/write:2006-07-01 12:00:00\" " + Quoted(file));
  CloseHandle(held);
  EXPECT_EQ(0u, code);
  EXPECT_NE(Ticks(old), Ticks(LastWrite(file)));
  EXPECT_EQ(Ticks(old), Ticks(LastAccess(file)));
  EXPECT_TRUE(HasAttribute(file, FILE_ATTRIBUTE_HIDDEN));
}

struct DateCase {
  const char* option;
  int hourUtc;  // on 2006-01-03 or 2006-07-01 in Central European time
  int month;
  bool lastWrite;
};

TEST(Program, DateOptionsSetTimesInLocalTime) {
  if (!ZoneIsCentralEurope()) GTEST_SKIP() << kNeedsCentralEurope;
  const DateCase cases[] = {
      {"/write:2006/01/03 12:34:56", 11, 1, true},
      {"/write:2006-1-3-12-34-56", 11, 1, true},
      {"/access:2006年01月03日12時34分56", 11, 1, false},
      {"/write:2006/07/01 12:34:56", 10, 7, true},  // summer time on a winter day
  };
  for (const auto& c : cases) {
    TempFolder folder;
    std::string file = folder.MakeFile("dated.txt");
    EXPECT_EQ(0u, RunProgram(std::string("/dlg:0 /tray:0 \"") + c.option + "\" " + Quoted(file)));
    FILETIME expected = UtcTime(2006, c.month, c.month == 1 ? 3 : 1, c.hourUtc, 34, 56);
    FILETIME actual = c.lastWrite ? LastWrite(file) : LastAccess(file);
    EXPECT_EQ(Ticks(expected), Ticks(actual)) << c.option;
  }
}

TEST(Program, CreationOptionLeavesTheOtherTimesAlone) {
  // Wine keeps no creation time, so what shows here is that only that timestamp was asked for.
  TempFolder folder;
  std::string file = folder.MakeFile("created.txt");
  FILETIME old = UtcTime(2001, 2, 3, 4, 5, 6);
  WriteTimes(file, nullptr, &old, &old);
  EXPECT_EQ(0u, RunProgram("/dlg:0 /tray:0 \"/create:2006/01/03 12:34:56\" /on:h " + Quoted(file)));
  // Taking the target apart from shortcuts must not read it either: both times stay.
  EXPECT_EQ(Ticks(old), Ticks(LastWrite(file)));
  EXPECT_EQ(Ticks(old), Ticks(LastAccess(file)));
  EXPECT_TRUE(HasAttribute(file, FILE_ATTRIBUTE_HIDDEN));
}

TEST(Program, NowMeansTheMomentOfTheRun) {
  TempFolder folder;
  std::string file = folder.MakeFile("now.txt");
  FILETIME old = UtcTime(2001, 2, 3, 4, 5, 6);
  WriteTimes(file, nullptr, &old, &old);
  FILETIME before;
  GetSystemTimeAsFileTime(&before);
  EXPECT_EQ(0u, RunProgram("/dlg:0 /tray:0 /write:now /ACCESS:NOW " + Quoted(file)));
  FILETIME after;
  GetSystemTimeAsFileTime(&after);
  // File times may be stored at a coarser grain than the clock: allow two seconds.
  const unsigned long long slack = 2ull * 10000000ull;
  EXPECT_GE(Ticks(LastWrite(file)) + slack, Ticks(before));
  EXPECT_LE(Ticks(LastWrite(file)), Ticks(after) + slack);
  EXPECT_EQ(Ticks(LastWrite(file)) / 10000000ull, Ticks(LastAccess(file)) / 10000000ull);
}

const long long kHour = 36000000000LL, kDay = 24 * kHour;

// A time on disk: one of a file's times before the job (0 none: 'W' last write, 'A' last
// access), moved by plus.
struct TimeFrom {
  char from;
  long long plus;
};

// Own times and shifts from the command line on a real file: each time comes from the file's
// times before the job, so two of them swap; a shift out of range leaves that time, changes the
// other and ends with exit code 3; a malformed value changes nothing.
TEST(Program, OwnTimesAndShiftsFromTheCommandLine) {
  const struct {
    const char* options;
    TimeFrom write, access;
    int exitCode;  // -1: whatever the rule for refused values says
  } cases[] = {
      {"/write:+9:00:00", {'W', 9 * kHour}, {'A', 0}, 0},
      {"/write:access /access:write", {'A', 0}, {'W', 0}, 0},
      {"/access:-1.00:00:00 /create:write", {'W', 0}, {'A', -kDay}, 0},
      {"/write:-400000.00:00:00 /access:+1:00:00", {'W', 0}, {'A', kHour}, 3},
      {"/write:+9:0:00 /access:writes", {'W', 0}, {'A', 0}, -1},
  };
  for (const auto& c : cases) {
    TempFolder folder;
    std::string file = folder.MakeFile("own.txt");
    const FILETIME write = UtcTime(2006, 3, 4, 5, 6, 7), access = UtcTime(2007, 8, 9, 10, 11, 12);
    ASSERT_TRUE(WriteTimes(file, nullptr, &access, &write));
    DWORD code = RunProgram(std::string("/dlg:0 /tray:0 ") + c.options + " " + Quoted(file));
    if (c.exitCode >= 0) {
      EXPECT_EQ(static_cast<DWORD>(c.exitCode), code) << c.options;
    }
    auto expected = [&](const TimeFrom& time) {
      return (time.from == 'W' ? Ticks(write) : Ticks(access)) + time.plus;
    };
    EXPECT_EQ(expected(c.write), Ticks(LastWrite(file))) << c.options;
    EXPECT_EQ(expected(c.access), Ticks(LastAccess(file))) << c.options;
  }
}

TEST(Program, FolderTargetsAreWalkedAndSeveralTargetsAllChange) {
  TempFolder folder;
  std::string tree = folder.MakeFolder("tree");
  std::string inner = folder.MakeFile("tree\\sub\\inner.txt");
  std::string top = folder.MakeFile("tree\\top.txt");
  std::string single = folder.MakeFile("single.txt");
  EXPECT_EQ(0u, RunProgram("/dlg:0 /tray:0 /sub:1 /on:h " + Quoted(tree) + " " + Quoted(single)));
  for (const std::string& path : {tree, folder.Join("tree\\sub"), inner, top, single})
    EXPECT_TRUE(HasAttribute(path, FILE_ATTRIBUTE_HIDDEN)) << path;
}

// Links can be made only from the Linux side: scripts/test builds this tree and names it in
// MORVANE_LINK_FIXTURE. tree\out links to ..\outside\sub, tree\self and tree\again to tree,
// named\wlink.txt to ..\outside\sub\w.txt (not inside tree: Wine 8 gives a link to a file no
// reparse-point bit, measured, so a walk cannot tell it from a file there). Empty when the
// fixture is not there.
std::string LinkFixture() {
  const char* fixture = std::getenv("MORVANE_LINK_FIXTURE");
  if (fixture == nullptr || *fixture == 0) return "";
  std::string root = std::string("Z:") + fixture;
  for (char& c : root)
    if (c == '/') c = '\\';
  return root;
}

TEST(Program, LinksBelowATargetAreNeitherFollowedNorChanged) {
  std::string root = LinkFixture();
  if (root.empty()) GTEST_SKIP() << "MORVANE_LINK_FIXTURE is not set";
  std::string own = root + "\\tree\\own.txt";
  std::string outsideFile = root + "\\outside\\sub\\w.txt";
  std::string outsideFolder = root + "\\outside\\sub";
  FILETIME old = UtcTime(2001, 2, 3, 4, 5, 6);
  for (const std::string& path : {own, outsideFile, outsideFolder})
    ASSERT_TRUE(WriteTimes(path, nullptr, nullptr, &old)) << path;
  PROCESS_INFORMATION process =
      StartProgram("/dlg:0 /tray:0 \"/write:2010-05-05 10:00:00\" " + Quoted(root + "\\tree"));
  EXPECT_EQ(0u, WaitForExit(process, 20000)) << "a walk through the self links would not end";
  EXPECT_NE(Ticks(old), Ticks(LastWrite(own)));
  EXPECT_EQ(Ticks(old), Ticks(LastWrite(outsideFile)));
  EXPECT_EQ(Ticks(old), Ticks(LastWrite(outsideFolder)));
}

// A link the user names is the user's choice: opened plainly, it hands the times on to what it
// points to, as a file or folder named directly would get them. (Wine 8 follows a link also
// when it is opened as a link, measured, so there the old outcome shows only on Windows.)
TEST(Program, ALinkNamedAsATargetPassesItsTimesOn) {
  std::string root = LinkFixture();
  if (root.empty()) GTEST_SKIP() << "MORVANE_LINK_FIXTURE is not set";
  const struct {
    const char* link;
    const char* pointee;
  } cases[] = {
      {"\\named\\wlink.txt", "\\outside\\sub\\w.txt"},
      {"\\tree\\out", "\\outside\\sub"},
  };
  const FILETIME old = UtcTime(2001, 2, 3, 4, 5, 6);
  for (const auto& c : cases) {
    std::string pointee = root + c.pointee;
    ASSERT_TRUE(WriteTimes(pointee, nullptr, nullptr, &old)) << pointee;
    EXPECT_EQ(0u, RunProgram("/dlg:0 /tray:0 \"/write:2010-05-05 10:00:00\" " +
                             Quoted(root + c.link)));
    EXPECT_NE(Ticks(old), Ticks(LastWrite(pointee))) << c.link;
  }
}

// The measured fault, end to end: a look-alike of a name the code page cannot hold made the
// program change another file, outside the chosen folder too; and a folder name ending in U+00A5
// (a backslash to the ANSI command line) ate the closing quote, so that a crafted second name
// split out a target of its own (here P\victim.txt, relative to the working folder's drive).
TEST(Program, NamesTheCodePageCannotHoldNeverStandForOthers) {
  for (int job = 0; job < 3; ++job) {
    HostileTree tree;
    std::wstring parentWithoutDrive = tree.parent.substr(2);
    for (wchar_t& c : parentWithoutDrive)
      if (c == L'\\') c = L'\u00a5';
    std::wstring yen = tree.folder.MakeWideEntry(L"q\u00a5", true);
    std::wstring crafted = tree.folder.MakeWideEntry(
        L"c d\u00a5 " + parentWithoutDrive + L"\u00a5victim.txt x\u00a5", true);
    std::vector<std::wstring> changed, unchanged = tree.outside;
    std::wstring arguments = L"/dlg:0 /tray:0 /on:s ";
    if (job == 0) {  // the whole tree
      arguments += L"\"" + tree.target + L"\"";
      changed = tree.hostile;
      changed.insert(changed.end(), tree.plain.begin(), tree.plain.end());
    } else if (job == 1) {  // two named files whose look-alikes exist
      arguments += L"\"" + tree.Below(L"\u00e9.txt") + L"\" \"" + tree.Below(L"a\u00a5b.txt") + L"\"";
      changed = {tree.Below(L"\u00e9.txt"), tree.Below(L"a\u00a5b.txt")};
      unchanged.insert(unchanged.end(), tree.plain.begin(), tree.plain.end());
    } else {  // the quoting case
      arguments += L"\"" + yen + L"\" \"" + crafted + L"\"";
      changed = {yen, crafted};
      unchanged.push_back(tree.target);
    }
    EXPECT_EQ(0u, RunProgramWide(arguments, Widen(tree.folder.Path()))) << job;
    for (const std::wstring& path : changed) EXPECT_TRUE(HasAttribute(path, FILE_ATTRIBUTE_SYSTEM)) << job;
    for (const std::wstring& path : unchanged) EXPECT_FALSE(HasAttribute(path, FILE_ATTRIBUTE_SYSTEM)) << job;
  }
}

// Case twins can only be made from the Linux side: scripts/test puts Sel.txt and sel.txt, and
// folders Sub and sub each holding f.txt, into MORVANE_LINK_FIXTURE\case. The user's choice
// is the one changed, though targets are kept in lower case where that names the same entry.
TEST(Program, TheCaseOfATargetIsKeptWhereItNamesAnotherEntry) {
  const char* fixture = std::getenv("MORVANE_LINK_FIXTURE");
  if (fixture == nullptr || *fixture == 0) GTEST_SKIP() << "MORVANE_LINK_FIXTURE is not set";
  std::string root = std::string("Z:") + fixture + "/case";
  for (char& c : root)
    if (c == '/') c = '\\';
  for (const char* name : {"Sel.txt", "sel.txt", "Sub", "sub", "Sub\\f.txt", "sub\\f.txt"})
    SetAttributes(root + "\\" + name, 0);
  EXPECT_EQ(0u, RunProgram("/dlg:0 /tray:0 /on:h " + Quoted(root + "\\Sel.txt") + " " +
                           Quoted(root + "\\Sub")));
  for (const char* name : {"Sel.txt", "Sub", "Sub\\f.txt"})
    EXPECT_TRUE(HasAttribute(root + "\\" + name, FILE_ATTRIBUTE_HIDDEN)) << name;
  for (const char* name : {"sel.txt", "sub", "sub\\f.txt"})
    EXPECT_FALSE(HasAttribute(root + "\\" + name, FILE_ATTRIBUTE_HIDDEN)) << name;
}


// Another process's window text or list item, as UTF-16.
std::wstring WideTextOf(HWND control, UINT message = WM_GETTEXT, WPARAM index = 1024) {
  wchar_t text[1024] = L"";
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(control, message, index, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                      5000, &copied);
  return text;
}

struct DialogFile {
  TempFolder folder;
  std::string file;
  FILETIME old;
  DialogFile() : file(folder.MakeFile("dialog.txt")), old(UtcTime(2001, 2, 3, 4, 5, 6)) {
    WriteTimes(file, nullptr, &old, &old);
  }
};

TEST(Program, TheDialogsOkRunsTheEditedJob) {
  if (!ZoneIsCentralEurope()) GTEST_SKIP() << kNeedsCentralEurope;
  for (const char* tray : {"/tray:0 ", ""}) {
    DialogFile target;
    PROCESS_INFORMATION process = StartProgram(tray + Quoted(target.file));
    HWND dialog = WaitForDialog(process);
    ASSERT_NE(nullptr, dialog);
    // Hidden from unchecked to checked; the last-write row on, with a new date.
    Click(dialog, 1002);
    Click(dialog, 1011);
    SetDlgItemTextA(dialog, 1024, "2006-01-03");
    SetDlgItemTextA(dialog, 1025, "12:34:56");
    Click(dialog, IDOK);
    EXPECT_EQ(0u, WaitForExit(process)) << tray;
    EXPECT_TRUE(HasAttribute(target.file, FILE_ATTRIBUTE_HIDDEN)) << tray;
    EXPECT_EQ(Ticks(UtcTime(2006, 1, 3, 11, 34, 56)), Ticks(LastWrite(target.file))) << tray;
    EXPECT_EQ(Ticks(target.old), Ticks(LastAccess(target.file))) << tray;
  }
}

// The kinds chosen in the dialog run their job: the last-write row shifted two hours back, the
// last-access row taking each file's last-write time from before the job.
TEST(Program, TheDialogsKindsRunTheirJob) {
  DialogFile target;
  const FILETIME access = UtcTime(2003, 4, 5, 6, 7, 8);
  ASSERT_TRUE(WriteTimes(target.file, nullptr, &access, &target.old));
  PROCESS_INFORMATION process = StartProgram("/tray:0 " + Quoted(target.file));
  HWND dialog = WaitForDialog(process);
  ASSERT_NE(nullptr, dialog);
  // The lists leave out their own row's time: last write offers 日時指定, ←作成日時,
  // ←ｱｸｾｽ日時, ずらす; last access 日時指定, ←作成日時, ←更新日時, ずらす.
  const struct {
    int list, item;
  } choices[] = {{IDC_LASTWRITE_KIND, 3}, {IDC_LASTACCESS_KIND, 2}};
  for (const auto& choice : choices) {
    HWND list = GetDlgItem(dialog, choice.list);
    SendMessageA(list, CB_SETCURSEL, choice.item, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(choice.list, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
  }
  Click(dialog, IDC_LASTWRITE_ON);
  Click(dialog, IDC_LASTACCESS_ON);
  SetDlgItemTextA(dialog, IDC_LASTWRITE_SHIFT_DAYS, "-0");
  SetDlgItemTextA(dialog, IDC_LASTWRITE_SHIFT_TIME, "02:00:00");
  Click(dialog, IDOK);
  EXPECT_EQ(0u, WaitForExit(process));
  EXPECT_EQ(Ticks(target.old) - 2 * kHour, Ticks(LastWrite(target.file)));
  EXPECT_EQ(Ticks(target.old), Ticks(LastAccess(target.file)));
}

// The first target's time, handed to every target by the dialog's row left as it shows it,
// arrives as the very instant it is, also in the hour that repeats when the clocks go back.
TEST(Program, TheDialogsUneditedRowAppliesTheFirstTargetsInstant) {
  TempFolder folder;
  std::string first = folder.MakeFile("first.txt"), other = folder.MakeFile("other.txt");
  FILETIME write = UtcTime(2006, 10, 29, 1, 30, 0);  // 02:30 for the second time in Berlin
  write.dwLowDateTime += 4321;                        // below the second; no carry here
  ASSERT_TRUE(WriteTimes(first, nullptr, nullptr, &write));
  PROCESS_INFORMATION process = StartProgram("/tray:0 " + Quoted(first) + " " + Quoted(other));
  HWND dialog = WaitForDialog(process);
  ASSERT_NE(nullptr, dialog);
  Click(dialog, 1011);  // the last-write row on, its text as shown
  Click(dialog, IDOK);
  EXPECT_EQ(0u, WaitForExit(process));
  EXPECT_EQ(Ticks(write), Ticks(LastWrite(other)));
  EXPECT_EQ(Ticks(write), Ticks(LastWrite(first)));
}

TEST(Program, TheDialogsCancelTouchesNothing) {
  for (int way : {0, 1}) {
    DialogFile target;
    PROCESS_INFORMATION process = StartProgram("/on:h /tray:0 " + Quoted(target.file));
    HWND dialog = WaitForDialog(process);
    ASSERT_NE(nullptr, dialog);
    if (way == 0) Click(dialog, IDCANCEL);
    else PostMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, WaitForExit(process));
    EXPECT_FALSE(HasAttribute(target.file, FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(Ticks(target.old), Ticks(LastWrite(target.file)));
    EXPECT_EQ(Ticks(target.old), Ticks(LastAccess(target.file)));
  }
}

// A file that no call can change (read-only media, no right to write): the job says so with exit
// code 3, changes the rest, and tells the user who pressed OK in one box that names the file.
TEST(Program, AFileNoCallCanChangeIsToldAndGivesExitCodeThree) {
  for (bool dialog : {false, true}) {
    TempFolder folder;
    std::string locked = folder.MakeFile("T\\locked.txt"), plain = folder.MakeFile("T\\plain.txt");
    ImmutableFile immutable(folder, locked);
    if (!immutable.made) GTEST_SKIP() << "no immutable files here (chattr +i needs root)";
    PROCESS_INFORMATION process = StartProgram(std::string(dialog ? "" : "/dlg:0 ") +
                                               "/tray:0 /on:h " + Quoted(folder.Join("T")));
    std::string told;
    if (dialog) {
      HWND window = WaitForDialog(process);
      ASSERT_NE(nullptr, window);
      Click(window, IDOK);
      HWND box = WaitForDialog(process, window);
      ASSERT_NE(nullptr, box) << "no message box";
      char text[2048] = "";
      GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
      told = text;
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    EXPECT_EQ(3u, WaitForExit(process)) << "dialog " << dialog;
    EXPECT_TRUE(HasAttribute(plain, FILE_ATTRIBUTE_HIDDEN));
    EXPECT_FALSE(HasAttribute(locked, FILE_ATTRIBUTE_HIDDEN));
    if (dialog) {
      EXPECT_NE(std::string::npos, told.find("1 件を変更できませんでした")) << told;
      EXPECT_NE(std::string::npos, Lower(told).find(Lower(locked))) << told;
    }
  }
}

// The measured fault: the dialog opened on T; while it was open T was renamed and a link to an
// outside folder put in its place; OK then changed the outside folder. The entry chosen is the
// one changed, or none: here none, told in the box and by exit code 3.
TEST(Program, ATargetSwappedWhileTheDialogIsOpenLeadsNowhereElse) {
  TempFolder folder;
  std::string own = folder.MakeFile("T\\own.txt"), outside = folder.MakeFile("O\\outside.txt");
  std::string root = UnixPath(folder.Path());
  if (root.empty()) GTEST_SKIP() << "no Linux side to make links from";
  PROCESS_INFORMATION process = StartProgram("/tray:0 /on:h " + Quoted(folder.Join("T")));
  HWND dialog = WaitForDialog(process);
  ASSERT_NE(nullptr, dialog);
  bool swapped = RunLinuxShell(folder, "cd '" + root + "' && mv T T.away && ln -s O T");
  Click(dialog, IDOK);
  HWND box = WaitForDialog(process, dialog);
  if (box) PostMessageA(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(3u, WaitForExit(process));
  ASSERT_TRUE(swapped);
  EXPECT_NE(nullptr, box) << "the user is told";
  EXPECT_FALSE(HasAttribute(outside, FILE_ATTRIBUTE_HIDDEN));
  EXPECT_FALSE(HasAttribute(folder.Join("O"), FILE_ATTRIBUTE_HIDDEN));
  RunLinuxShell(folder, "rm '" + root + "/T'");
}

// The dialog opened on a folder starts every attribute as unchanged: OK without a touch changes
// no attribute inside it, and a box the user changed changes that attribute only.
TEST(Program, TheDialogOnAFolderChangesOnlyTheBoxesTheUserChanged) {
  const struct {
    int box;
    int clicks;  // from unchanged: cleared, then set
    std::vector<DWORD> marks;
  } cases[] = {
      {IDC_HIDDEN, 0, {R, S, H}},
      {IDC_HIDDEN, 1, {R, S, 0}},
      {IDC_SYSTEM, 2, {R | S, S, H | S}},
  };
  for (const auto& c : cases) {
    MarkedTree tree;
    PROCESS_INFORMATION process = StartProgram("/tray:0 " + Quoted(tree.root));
    HWND dialog = WaitForDialog(process);
    ASSERT_NE(nullptr, dialog);
    for (int i = 0; i < c.clicks; ++i) Click(dialog, c.box);
    Click(dialog, IDOK);
    EXPECT_EQ(0u, WaitForExit(process));
    EXPECT_EQ(c.marks, tree.Marks()) << c.box << " clicked " << c.clicks;
  }
}

// Where the dialog would open, a user is there to be told, in one box: of a line the program
// cannot read (then nothing runs and no dialog opens), or of targets it could not take (then
// the dialog opens after the box, and its job ends with the exit code that says so).
TEST(Program, TheUserIsToldWhatTheCommandLineCouldNotGive) {
  const struct {
    const char* options;
    bool missingTarget;
    std::vector<std::wstring> told;
    bool dialog;
    DWORD exitCode;
    std::vector<DWORD> marks;
  } cases[] = {
      {"/on:h /of:h", false, {L"/of:h", L"何も変更しませんでした"}, false, 1, {R, S, H}},
      {"/on:h", true, {L"次の 1 件は対象にできませんでした。", L"missing.txt", L"見つかりません"},
       true, 3, {R | H, S | H, H}},
  };
  for (const auto& c : cases) {
    MarkedTree tree;
    std::string targets = Quoted(tree.root);
    if (c.missingTarget) targets = Quoted(tree.folder.Join("missing.txt")) + " " + targets;
    PROCESS_INFORMATION process = StartProgram(std::string("/tray:0 ") + c.options + " " + targets);
    HWND box = WaitForDialog(process);
    if (box == nullptr || GetDlgItem(box, 0xFFFF) == nullptr) {
      ADD_FAILURE() << c.options << ": a message box first, not the dialog";
      TerminateProcess(process.hProcess, 99);  // whatever it shows, nobody answers it
      WaitForExit(process);
      continue;
    }
    std::wstring text = WideTextOf(GetDlgItem(box, 0xFFFF));
    for (const std::wstring& words : c.told)
      EXPECT_NE(std::wstring::npos, text.find(words)) << Narrow(text);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    if (c.dialog) {
      HWND dialog = WaitForDialog(process, box);
      ASSERT_NE(nullptr, dialog) << c.options;
      EXPECT_EQ(nullptr, GetDlgItem(dialog, 0xFFFF)) << "the dialog, after one box";
      Click(dialog, IDOK);
    }
    EXPECT_EQ(c.exitCode, WaitForExit(process)) << c.options;
    EXPECT_EQ(c.marks, tree.Marks()) << c.options;
  }
}

// A relative name is the working folder's entry, in the dialog too, where the shell would parse
// it from the desktop folder: the desktop's file of that name is never the one changed.
TEST(Program, ARelativeTargetIsTheWorkingFoldersEntry) {
  char desktop[MAX_PATH + 1] = "";
  ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE));
  for (bool dialog : {false, true}) {
    TempFolder folder;
    const std::string name = "mvt-relative-" + std::to_string(GetCurrentProcessId()) + ".txt";
    std::string wanted = folder.MakeFile(name);
    std::string decoy = std::string(desktop) + "\\" + name;
    HandleHolder made(CreateFileA(decoy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(made.Valid()) << decoy;
    made.Reset();
    PROCESS_INFORMATION process =
        StartProgram(std::string(dialog ? "" : "/dlg:0 ") + "/tray:0 /on:h " + name,
                     folder.Path().c_str());
    if (dialog) {
      HWND window = WaitForDialog(process);
      ASSERT_NE(nullptr, window);
      Click(window, IDOK);
    }
    EXPECT_EQ(0u, WaitForExit(process));
    EXPECT_TRUE(HasAttribute(wanted, FILE_ATTRIBUTE_HIDDEN)) << "dialog " << dialog;
    EXPECT_FALSE(HasAttribute(decoy, FILE_ATTRIBUTE_HIDDEN)) << "dialog " << dialog;
    SetAttributes(decoy, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(decoy.c_str());
  }
}

// The 32-bit program on 64-bit Windows: the system redirects its file calls from System32 to the
// 32-bit stand-in SysWOW64. A file named there and a folder walked there are System32's own,
// whether the job runs at once or from the dialog; the stand-in is never touched.
TEST(Program, OnWow64TheSystemFolderNamedIsTheOneChanged) {
  if (!RunsAsWow64()) GTEST_SKIP() << "not a 32-bit program on 64-bit Windows (no redirection)";
  for (bool dialog : {false, true}) {
    SystemFolders folders;
    const std::string file = SystemFolders::Unique("file.txt"), dir = SystemFolders::Unique("dir");
    const std::string real = folders.real + "\\", standIn = folders.standIn + "\\";
    ASSERT_TRUE(folders.MakeFile(real + file));
    ASSERT_TRUE(folders.MakeFolder(real + dir) && folders.MakeFile(real + dir + "\\in.txt"));
    ASSERT_TRUE(folders.MakeFolder(standIn + dir) && folders.MakeFile(standIn + dir + "\\in.txt"));
    std::string targets =
        Quoted(folders.named + "\\" + file) + " " + Quoted(folders.named + "\\" + dir);
    if (dialog) {
      PROCESS_INFORMATION process = StartProgram("/tray:0 /on:h " + targets);
      HWND window = WaitForDialog(process);
      ASSERT_NE(nullptr, window);
      EXPECT_EQ(3, SendDlgItemMessageA(window, IDC_FILE_LIST, LB_GETCOUNT, 0, 0))
          << "the header and both targets";
      Click(window, IDOK);
      EXPECT_EQ(0u, WaitForExit(process));
    } else {
      EXPECT_EQ(0u, RunProgram("/dlg:0 /tray:0 /on:h " + targets));
    }
    for (const std::string& path : {real + file, real + dir, real + dir + "\\in.txt"})
      EXPECT_TRUE(HasAttribute(path, FILE_ATTRIBUTE_HIDDEN)) << path << " dialog " << dialog;
    for (const std::string& path : {standIn + dir, standIn + dir + "\\in.txt"})
      EXPECT_FALSE(HasAttribute(path, FILE_ATTRIBUTE_HIDDEN)) << path << " dialog " << dialog;
  }
}

// A folder like a downloads folder: libraries under the names of ones the program uses lie next
// to it, and Wine is told to prefer such files to its own (tests/CMakeLists.txt). The planted
// common controls and resource meter are the About box tests' meter, which marks any process
// that loads it; the planted version library marks a process that calls it (planted_version.cpp).
struct PlantedFolder {
  TempFolder folder;
  PlantedFolder() {
    struct Plant {
      std::string from;
      const char* name;
    } const plants[] = {
        {TestsFolder() + "\\planted\\version.dll", "version.dll"},
        {TestsFolder() + "\\rsrc32.dll", "comctl32.dll"},
        {TestsFolder() + "\\rsrc32.dll", "rsrc32.dll"},
    };
    for (const Plant& plant : plants)
      EXPECT_TRUE(CopyFileA(plant.from.c_str(), folder.Join(plant.name).c_str(), FALSE))
          << plant.name;
  }
  // Copies the program in, runs it, lets drive work it until it ends; whether it loaded a
  // planted library.
  bool RunMarked(const std::string& program, void (*drive)(const PROCESS_INFORMATION&)) {
    std::string copy = folder.Join(program.substr(program.rfind('\\') + 1));
    EXPECT_TRUE(CopyFileA(program.c_str(), copy.c_str(), FALSE)) << program;
    PROCESS_INFORMATION process = StartProgramFile(copy, "", CREATE_SUSPENDED);
    if (process.hProcess == nullptr) return false;
    char markName[64];
    PlantedMeterEventName(markName, sizeof markName, process.dwProcessId);
    HandleHolder mark(CreateEventA(nullptr, TRUE, FALSE, markName));
    ResumeThread(process.hThread);
    if (drive) drive(process);
    EXPECT_EQ(0u, WaitForExit(process)) << program;
    return WaitForSingleObject(mark.Get(), 0) == WAIT_OBJECT_0;
  }
};

// Opens the About box from the system menu, reads its name and version, and ends both dialogs.
void ReadAboutBoxThenCancel(const PROCESS_INFORMATION& process) {
  HWND dialog = WaitForDialog(process);
  ASSERT_NE(nullptr, dialog);
  PostMessageA(dialog, WM_SYSCOMMAND, IDM_ABOUT, 0);
  HWND about = WaitForDialog(process, dialog);
  EXPECT_NE(nullptr, about);
  char label[64] = "";
  GetDlgItemTextA(about, 101, label, sizeof label);
  EXPECT_STREQ("Morvane ver. 0.1B", label) << "read through the system's version library";
  PostMessageA(about, WM_COMMAND, IDOK, 0);
  for (int i = 0; i < 1000 && IsWindow(about); ++i) Sleep(5);
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

TEST(Program, UsesNoLibraryPlacedInItsFolder) {
  char overrides[256] = "";
  GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof overrides);
  if (!std::strstr(overrides, "version"))
    GTEST_SKIP() << "Wine does not prefer the planted libraries (WINEDLLOVERRIDES)";
  PlantedFolder planted;
  // A program that imports the version library by name, as this one once did, uses the planted
  // copy: the plant works.
  EXPECT_TRUE(planted.RunMarked(TestsFolder() + "\\version_importer.exe", nullptr));
  EXPECT_FALSE(planted.RunMarked(ProgramPath(), ReadAboutBoxThenCancel));
}

TEST(Program, AJobWithoutTargetsEndsAtOnce) {
  EXPECT_EQ(0u, RunProgram("/dlg:0"));
  // The one target named was not changed.
  EXPECT_EQ(3u, RunProgram("/dlg:0 /tray:0 /on:h Z:\\no\\such\\path"));
}

TEST(Program, TheTrayIconJobRunsToItsEnd) {
  TempFolder folder;
  std::string file = folder.MakeFile("tray.txt");
  EXPECT_EQ(0u, RunProgram("/dlg:0 /on:h " + Quoted(file)));
  EXPECT_TRUE(HasAttribute(file, FILE_ATTRIBUTE_HIDDEN));
}

// A job long enough to be stopped: many files, all hidden, to be given the system bit.
struct LongJob {
  TempFolder folder;
  std::vector<std::string> files;
  explicit LongJob(int count) {
    for (int i = 0; i < count; ++i) {
      std::string file = folder.MakeFile("d" + std::to_string(i % 10) + "\\f" + std::to_string(i));
      SetAttributes(file, FILE_ATTRIBUTE_HIDDEN);
      files.push_back(file);
    }
  }
  int CountWithSystem() const {
    int changed = 0;
    for (const std::string& file : files) {
      EXPECT_TRUE(HasAttribute(file, FILE_ATTRIBUTE_HIDDEN)) << "attributes lost on " << file;
      changed += HasAttribute(file, FILE_ATTRIBUTE_SYSTEM);
    }
    return changed;
  }
};

HWND WaitForJobWindow(const PROCESS_INFORMATION& process) {
  for (int i = 0; i < 2000; ++i) {
    HWND window = FindWindowA(JOB_WINDOW_CLASS, JOB_WINDOW_CLASS);
    if (window) return window;
    if (WaitForSingleObject(process.hProcess, 5) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

void StopLongJob(UINT message, WPARAM wParam) {
  LongJob job(3000);
  PROCESS_INFORMATION process = StartProgram("/dlg:0 /nop:h /on:s " + Quoted(job.folder.Path()));
  HWND window = WaitForJobWindow(process);
  ASSERT_NE(nullptr, window) << "the job ended before it could be stopped";
  // The shell holds the program's icon while the job runs (a change to it is accepted), and
  // none once the program has ended.
  NOTIFYICONDATAA icon = {};
  icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
  icon.hWnd = window;
  icon.uID = TRAY_ICON_ID;
  bool shown = false;
  for (int i = 0; i < 100 && !shown; ++i) {
    shown = Shell_NotifyIconA(NIM_MODIFY, &icon) != FALSE;
    if (!shown) Sleep(20);
  }
  EXPECT_TRUE(shown) << "no tray icon while the job runs";
  PostMessageA(window, message, wParam, 0);
  EXPECT_EQ(0u, WaitForExit(process));
  EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &icon));
  int changed = job.CountWithSystem();
  EXPECT_LT(changed, static_cast<int>(job.files.size())) << "the job was not stopped";
}

TEST(Program, TrayCancelStopsALongJob) { StopLongJob(WM_COMMAND, IDM_TRAY_CANCEL); }

TEST(Program, ClosingTheJobWindowStopsALongJob) { StopLongJob(WM_CLOSE, 0); }

// Under a system locale that is not Japanese (LC_ALL=C.UTF-8: code page 1252 for a program that
// asks for no other). Wine takes a process's locale from the environment its parent was started
// with, not from the block it is handed, so tests/CMakeLists.txt runs these in a test program
// started under that locale (once more where no display can be reached); the programs they
// start inherit it.

// A copy of the program whose manifest (resource type 24) lacks the code page request, as a
// Windows that ignores the request runs it.
std::string CopyWithoutCodePageRequest(const TempFolder& folder) {
  std::string copy = folder.Join("morvane.exe");
  if (!CopyFileA(ProgramPath().c_str(), copy.c_str(), FALSE)) return "";
  std::string manifest;
  HMODULE image = LoadLibraryExA(copy.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HRSRC found = image ? FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)) : nullptr;
  if (found) manifest.assign(static_cast<const char*>(LockResource(LoadResource(image, found))),
                             SizeofResource(image, found));
  if (image) FreeLibrary(image);
  const std::string close = "</activeCodePage>";
  size_t from = manifest.find("<activeCodePage"), to = manifest.find(close);
  if (from == std::string::npos || to == std::string::npos) return "";
  manifest.erase(from, to + close.size() - from);
  HANDLE update = BeginUpdateResourceA(copy.c_str(), FALSE);
  // windres gives every resource the language 0x409 unless told otherwise.
  bool replaced = update && UpdateResourceA(update, MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1),
                                            MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                            &manifest[0], static_cast<DWORD>(manifest.size()));
  return update && EndUpdateResourceA(update, !replaced) && replaced ? copy : "";
}

// The fault this guards against: on a Windows that keeps its own code page, the dialog showed
// question marks and the job read bytes of that code page by the double-byte rules of 932.
// What the box and the trace say is tested through the code page seam (code_page_guard_wintest).
TEST(ForeignLocale, AProgramGivenAnotherCodePageRefusesAndTouchesNothing) {
  TempFolder folder;
  std::string copy = CopyWithoutCodePageRequest(folder);
  ASSERT_FALSE(copy.empty()) << "no manifest with a code page request to take out";
  DialogFile target;
  // Where the display cannot be reached no box can show, and none may wait for a click.
  HWND probe = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                               nullptr);
  const bool display = probe != nullptr;
  if (probe) DestroyWindow(probe);
  for (const char* options : {"/dlg:0 /tray:0", ""}) {  // the dialog never shows, the box does
    PROCESS_INFORMATION process = StartProgramFile(
        copy, std::string(options) + " /on:h \"/write:2006-01-03 12:34:56\" " + Quoted(target.file),
        0);
    ASSERT_NE(nullptr, process.hProcess);
    if (display) {
      HWND box = WaitForDialog(process);
      ASSERT_NE(nullptr, box) << "no message box";
      EXPECT_NE(nullptr, GetDlgItem(box, 0xFFFF)) << "a message box, not the dialog";
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    EXPECT_EQ(2u, WaitForExit(process)) << display;
    EXPECT_EQ(0u, Attributes(target.file) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(Ticks(target.old), Ticks(LastWrite(target.file)));
  }
}

// Every text of the dialog that the program or its template sets, read back in UTF-16, then a
// job chosen there: a wildcard typed in UTF-16, and names whose second bytes read as a backslash.
// Under the system's code page the texts were question marks, and the names went by their
// short forms, which such a pattern does not match.
TEST(ForeignLocale, TheDialogReadsRightAndItsJobChangesTheRightFiles) {
  TempFolder folder;
  const std::wstring matching[] = {folder.MakeWideEntry(L"予定表\\ソ表.txt", false),
                                   folder.MakeWideEntry(L"予定表\\日本語\\表.txt", false)};
  const std::wstring others[] = {folder.MakeWideEntry(L"予定表\\ソ.txt", false),
                                 folder.MakeWideEntry(L"表.txt", false)};  // beside the target
  std::wstring target = Widen(folder.Path()) + L"\\予定表";
  PROCESS_INFORMATION process =
      StartProgramWide(L"/tray:0 \"" + target + L"\"", Widen(folder.Path()));
  HWND dialog = WaitForDialog(process);
  ASSERT_NE(nullptr, dialog);
  const struct {
    int id;
    const wchar_t* text;
  } texts[] = {
      {IDC_ATTRIBUTE_FRAME, L"属性"},         {IDC_ARCHIVE, L"ｱｰｶｲﾌﾞ(&A)"},
      {IDC_HIDDEN, L"隠しﾌｧｲﾙ(&H)"},          {IDC_SYSTEM, L"ｼｽﾃﾑ(&S)"},
      {IDC_READONLY, L"読み取り専用(&R)"},    {IDC_CREATION_ON, L"作成日時"},
      {IDC_LASTWRITE_ON, L"更新日時"},        {IDC_LASTACCESS_ON, L"ｱｸｾｽ日時"},
      {IDC_CREATION_FROM_NOW, L"現"},         {IDC_CREATION_FROM_CREATION, L"作"},
      {IDC_CREATION_FROM_LASTWRITE, L"更"},   {IDC_RECURSE, L"ﾌｫﾙﾀﾞの中のﾌｧｲﾙにも変更を適用する"},
      {IDCANCEL, L"ｷｬﾝｾﾙ"},                   {IDC_FILTER_LABEL, L"フィルタ"},
      {IDC_FILTER_KIND, L"なし"},
  };
  for (const auto& t : texts) EXPECT_EQ(t.text, WideTextOf(GetDlgItem(dialog, t.id))) << t.id;
  HWND list = GetDlgItem(dialog, IDC_FILE_LIST);
  EXPECT_EQ(L" -------------------------変更するファイル------------------------- ",
            WideTextOf(list, LB_GETTEXT, 0));
  EXPECT_EQ(0, lstrcmpiW((target + L"\\").c_str(), WideTextOf(list, LB_GETTEXT, 1).c_str()))
      << "a folder, shown with its separator";
  HWND kind = GetDlgItem(dialog, IDC_FILTER_KIND);
  EXPECT_EQ(L"ワイルドカード", WideTextOf(kind, CB_GETLBTEXT, 1));
  SendMessageW(kind, CB_SETCURSEL, 1, 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_FILTER_KIND, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(kind));
  SetWindowTextW(GetDlgItem(dialog, IDC_FILTER_PATTERN), L"*表.txt");
  // A folder target: hidden starts unchanged, then cleared, then set.
  Click(dialog, IDC_HIDDEN);
  Click(dialog, IDC_HIDDEN);
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(0u, WaitForExit(process));
  for (int i = 0; i < 2; ++i) {
    EXPECT_TRUE(WideAttributes(matching[i]) & FILE_ATTRIBUTE_HIDDEN) << "matching " << i;
    EXPECT_FALSE(WideAttributes(others[i]) & FILE_ATTRIBUTE_HIDDEN) << "other " << i;
  }
}

}  // namespace
