// The real program, started as the shell would start it, on real files: options, targets,
// the tray icon and its cancel command, and the exit code.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/job_window.h"
#include "dialog/dialog_ids.h"
#include "support/temp_folder.h"
#include "tests/about/planted_meter.h"
#include "text/holders.h"

namespace {

// The test program's folder, which holds the planted libraries too.
std::string TestsFolder() {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  return folder.substr(0, folder.rfind('\\'));
}

std::string ProgramPath() {
  std::string tests = TestsFolder();
  return tests.substr(0, tests.rfind('\\')) + "\\morvane.exe";  // in the build folder
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// Starts a program (suspended when asked); the caller waits for it.
PROCESS_INFORMATION StartProgramFile(const std::string& program, const std::string& arguments,
                                     DWORD flags) {
  std::string commandLine = Quoted(program) + " " + arguments;
  std::vector<char> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back(0);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr,
                      &startup, &process))
    ADD_FAILURE() << "cannot start " << commandLine;
  return process;
}

PROCESS_INFORMATION StartProgram(const std::string& arguments) {
  return StartProgramFile(ProgramPath(), arguments, 0);
}

DWORD WaitForExit(PROCESS_INFORMATION& process, DWORD timeout = 60000) {
  DWORD code = 0xDEAD;
  if (process.hProcess == nullptr) return code;
  if (WaitForSingleObject(process.hProcess, timeout) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 99);
    ADD_FAILURE() << "the program did not end";
  }
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return code;
}

DWORD RunProgram(const std::string& arguments) {
  PROCESS_INFORMATION process = StartProgram(arguments);
  return WaitForExit(process);
}

bool ZoneIsCentralEurope() {
  TIME_ZONE_INFORMATION zone;
  GetTimeZoneInformation(&zone);
  return zone.Bias == -60 && zone.DaylightBias == -60;
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
};

TEST(Program, AttributeOptionsChangeTheTargets) {
  const AttributeCase cases[] = {
      {"/on:rh", 0, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN},
      {"/ON:S", FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
      {"/off:h", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, FILE_ATTRIBUTE_SYSTEM},
      {"/off:rhs", kAttributeBits, 0},
      {"/on:r /off:r", FILE_ATTRIBUTE_READONLY, 0},  // the later option wins
      {"/nop:h", FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_HIDDEN},
      {"/on:x", FILE_ATTRIBUTE_SYSTEM, FILE_ATTRIBUTE_SYSTEM},  // no letter: the summary holds
  };
  for (const auto& c : cases) {
    TempFolder folder;
    std::string file = folder.MakeFile("target.txt");
    SetAttributes(file, c.before);
    EXPECT_EQ(0u, RunProgram(std::string("/dlg:0 /tray:0 ") + c.options + " " + Quoted(file)));
    EXPECT_EQ(c.after, Attributes(file) & kAttributeBits) << c.options;
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
// power lost) used to leave the entry it was changing with no attribute at all. A job that only
// writes the last-write time (every attribute left as it is) is killed at several moments; no
// file may lose its hidden bit.
TEST(Program, KilledDuringATimestampJobNoFileLosesItsHiddenBit) {
  TempFolder folder;
  std::vector<std::string> files;
  for (int i = 0; i < 3000; ++i) {
    files.push_back(folder.MakeFile("sub\\f" + std::to_string(i) + ".txt"));
    SetAttributes(files.back(), FILE_ATTRIBUTE_HIDDEN);
  }
  const FILETIME old = UtcTime(2001, 2, 3, 4, 5, 6);
  int midJob = 0;
  for (DWORD delay : {100u, 160u, 220u, 280u, 340u, 420u}) {
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
      lost += (Attributes(file) & FILE_ATTRIBUTE_HIDDEN) == 0;
      written += Ticks(LastWrite(file)) != Ticks(old);
    }
    EXPECT_EQ(0, lost) << "killed after " << delay << " ms, " << written << " files written";
    midJob += written > 0 && written < static_cast<int>(files.size());
  }
  // Not asserted (it depends on the machine's speed), but shown when a test fails.
  RecordProperty("kills in the middle of the job", midJob);
}

struct DateCase {
  const char* option;
  int hourUtc;  // on 2006-01-03 or 2006-07-01 in Central European time
  int month;
  bool lastWrite;
};

TEST(Program, DateOptionsSetTimesInLocalTime) {
  if (!ZoneIsCentralEurope()) GTEST_SKIP() << "needs TZ=Europe/Berlin, as scripts/test sets";
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
  EXPECT_TRUE(Attributes(file) & FILE_ATTRIBUTE_HIDDEN);
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

TEST(Program, FolderTargetsAreWalkedAndSeveralTargetsAllChange) {
  TempFolder folder;
  std::string tree = folder.MakeFolder("tree");
  std::string inner = folder.MakeFile("tree\\sub\\inner.txt");
  std::string top = folder.MakeFile("tree\\top.txt");
  std::string single = folder.MakeFile("single.txt");
  EXPECT_EQ(0u, RunProgram("/dlg:0 /tray:0 /sub:1 /on:h " + Quoted(tree) + " " + Quoted(single)));
  for (const std::string& path : {tree, folder.Join("tree\\sub"), inner, top, single})
    EXPECT_TRUE(Attributes(path) & FILE_ATTRIBUTE_HIDDEN) << path;
}

// Links can be made only from the Linux side: scripts/test builds this tree and names it in
// MORVANE_LINK_FIXTURE. tree\out links to ..\outside\sub, tree\self and tree\again to tree.
TEST(Program, LinksBelowATargetAreNeitherFollowedNorChanged) {
  const char* fixture = std::getenv("MORVANE_LINK_FIXTURE");
  if (fixture == nullptr || *fixture == 0) GTEST_SKIP() << "MORVANE_LINK_FIXTURE is not set";
  std::string root = std::string("Z:") + fixture;
  for (char& c : root)
    if (c == '/') c = '\\';
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

struct DialogSearch {
  DWORD processId;
  HWND other;  // a dialog already found, passed over
  HWND found;
};

BOOL CALLBACK FindProgramDialog(HWND window, LPARAM parameter) {
  DialogSearch* search = reinterpret_cast<DialogSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char className[16] = "";
  GetClassNameA(window, className, sizeof className);
  if (owner != search->processId || window == search->other || !IsWindowVisible(window) ||
      std::string(className) != "#32770")
    return TRUE;
  search->found = window;
  return FALSE;
}

// The settings dialog of a started program, found as any other program would find it; with
// other given, a second dialog besides that one.
HWND WaitForDialog(const PROCESS_INFORMATION& process, HWND other = nullptr) {
  DialogSearch search = {process.dwProcessId, other, nullptr};
  for (int i = 0; i < 2000 && !search.found; ++i) {
    EnumWindows(FindProgramDialog, reinterpret_cast<LPARAM>(&search));
    if (!search.found && WaitForSingleObject(process.hProcess, 5) == WAIT_OBJECT_0) break;
  }
  return search.found;
}

void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

struct DialogFile {
  TempFolder folder;
  std::string file;
  FILETIME old;
  DialogFile() : file(folder.MakeFile("dialog.txt")), old(UtcTime(2001, 2, 3, 4, 5, 6)) {
    WriteTimes(file, nullptr, &old, &old);
  }
};

TEST(Program, TheDialogsOkRunsTheEditedJob) {
  if (!ZoneIsCentralEurope()) GTEST_SKIP() << "needs TZ=Europe/Berlin, as scripts/test sets";
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
    EXPECT_TRUE(Attributes(target.file) & FILE_ATTRIBUTE_HIDDEN) << tray;
    EXPECT_EQ(Ticks(UtcTime(2006, 1, 3, 11, 34, 56)), Ticks(LastWrite(target.file))) << tray;
    EXPECT_EQ(Ticks(target.old), Ticks(LastAccess(target.file))) << tray;
  }
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
    EXPECT_FALSE(Attributes(target.file) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(Ticks(target.old), Ticks(LastWrite(target.file)));
    EXPECT_EQ(Ticks(target.old), Ticks(LastAccess(target.file)));
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
  EXPECT_EQ(0u, RunProgram("/dlg:0 /tray:0 /on:h Z:\\no\\such\\path"));
}

TEST(Program, TheTrayIconJobRunsToItsEnd) {
  TempFolder folder;
  std::string file = folder.MakeFile("tray.txt");
  EXPECT_EQ(0u, RunProgram("/dlg:0 /on:h " + Quoted(file)));
  EXPECT_TRUE(Attributes(file) & FILE_ATTRIBUTE_HIDDEN);
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
      DWORD attributes = Attributes(file);
      EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN) << "attributes lost on " << file;
      if (attributes & FILE_ATTRIBUTE_SYSTEM) ++changed;
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
  PostMessageA(window, message, wParam, 0);
  EXPECT_EQ(0u, WaitForExit(process));
  int changed = job.CountWithSystem();
  EXPECT_LT(changed, static_cast<int>(job.files.size())) << "the job was not stopped";
}

TEST(Program, TrayCancelStopsALongJob) { StopLongJob(WM_COMMAND, IDM_TRAY_CANCEL); }

TEST(Program, ClosingTheJobWindowStopsALongJob) { StopLongJob(WM_CLOSE, 0); }

}  // namespace
