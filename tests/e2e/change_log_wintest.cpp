// The change log of the real program: a job that writes one ("/log:"), and an undo from it
// ("/undo:"), on real files, also after a job killed half-way, and logs that are not one.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/change_log.h"
#include "dialog/dialog_ids.h"
#include "support/program_runs.h"
#include "support/temp_folder.h"

namespace {

const DWORD kCompared = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// What the job may change in an entry, read exactly.
struct EntryState {
  DWORD attributes;  // read-only, hidden, system
  unsigned long long creation, write, access;
  bool operator==(const EntryState& other) const {
    return attributes == other.attributes && creation == other.creation &&
           write == other.write && access == other.access;
  }
};

// A folder's last access is left out: listing it moves that time (Linux does so on the first
// read of the day), and the job lists every folder it enters.
EntryState StateOf(const std::string& path) {
  FILETIME creation = {}, access = {}, write = {};
  EXPECT_TRUE(ReadTimes(path, &creation, &access, &write)) << path;
  DWORD attributes = Attributes(path);
  bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  return {attributes & kCompared, Ticks(creation), Ticks(write), folder ? 0 : Ticks(access)};
}

FILETIME FromTicks(unsigned long long ticks) {
  return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// Each entry its own attributes and times, below a second too, so that nothing rounded passes.
void GiveOwnState(const std::string& path, int index) {
  const unsigned long long base = Ticks(UtcTime(2003, 4, 5, 6, 7, 8)) + 1234567ULL * (index + 1);
  const FILETIME creation = FromTicks(base), write = FromTicks(base + 86400ULL * 10000000 * 3),
                 access = FromTicks(base + 86400ULL * 10000000 * 7 + 891);
  SetAttributes(path, 0);  // a read-only file's times may be refused
  WriteTimes(path, &creation, &access, &write);
  SetAttributes(path, index % 2 ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_SYSTEM);
}

std::string ReadWhole(const std::string& path) {
  std::string bytes;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char buffer[65536];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
  CloseHandle(file);
  return bytes;
}

void WriteWhole(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  ASSERT_EQ(bytes.size(), written);
}

int Occurrences(const std::string& text, const std::string& part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++count;
  return count;
}

// The lines of one kind in a log.
int CountLines(const std::string& log, const std::string& kind) {
  return Occurrences(log, "\r\n" + kind + "\t");
}

const char kChanged[] = u8"変更";
const char kNotChanged[] = u8"変更せず";

// A tree whose every entry holds its own attributes and times.
struct Tree {
  TempFolder folder;
  std::vector<std::string> entries;
  explicit Tree(int files) {
    entries.push_back(folder.MakeFolder("T"));
    entries.push_back(folder.MakeFolder("T\\sub"));
    for (int i = 0; i < files; ++i)
      entries.push_back(folder.MakeFile((i % 2 ? "T\\sub\\f" : "T\\f") + std::to_string(i)));
    for (std::size_t i = 0; i < entries.size(); ++i) GiveOwnState(entries[i], static_cast<int>(i));
  }
  std::vector<EntryState> States() const {
    std::vector<EntryState> states;
    for (const std::string& entry : entries) states.push_back(StateOf(entry));
    return states;
  }
};

// Wine keeps no creation time of its own (it shows the last write), so the job writes last
// write alone; the entries' times differ below a second, which must come back exactly.
std::string LoggedJob(const Tree& tree, const std::string& log) {
  return "/dlg:0 /tray:0 /on:h /off:rs \"/write:2005-05-05 05:05:05\" /sub:1 /log:" + Quoted(log) +
         " " + Quoted(tree.folder.Join("T"));
}

TEST(ChangeLog, AJobUndoneFromItsLogHoldsEveryAttributeAndTimeAgain) {
  Tree tree(6);
  const std::vector<EntryState> before = tree.States();
  const std::string log = tree.folder.Join("job.tsv"), undoLog = tree.folder.Join("undo.tsv");
  ASSERT_EQ(0u, RunProgram(LoggedJob(tree, log)));
  const std::vector<EntryState> changed = tree.States();
  for (std::size_t i = 0; i < before.size(); ++i)
    ASSERT_FALSE(before[i] == changed[i]) << tree.entries[i] << " was not changed by the job";
  const std::string text = ReadWhole(log);
  EXPECT_EQ(0u, text.find("\xEF\xBB\xBFMorvane\t")) << text.substr(0, 40);
  EXPECT_EQ(static_cast<int>(tree.entries.size()), CountLines(text, kChanged));
  EXPECT_NE(std::string::npos, text.find(u8"\r\n件数\t"));

  // The undo writes a log of its own, which undoes the undo.
  ASSERT_EQ(0u, RunProgram("/dlg:0 /tray:0 /undo:" + Quoted(log) + " /log:" + Quoted(undoLog)));
  const std::vector<EntryState> undone = tree.States();
  for (std::size_t i = 0; i < before.size(); ++i)
    EXPECT_TRUE(before[i] == undone[i]) << tree.entries[i];
  EXPECT_EQ(static_cast<int>(tree.entries.size()), CountLines(ReadWhole(undoLog), kChanged));
  ASSERT_EQ(0u, RunProgram("/dlg:0 /tray:0 /undo:" + Quoted(undoLog)));
  const std::vector<EntryState> redone = tree.States();
  for (std::size_t i = 0; i < before.size(); ++i)
    EXPECT_TRUE(changed[i] == redone[i]) << tree.entries[i];
}

// Killed at any moment, the log names every entry that may have changed: the undo leaves each
// entry exactly as it was before the job.
TEST(ChangeLog, AJobKilledHalfWayIsUndoneWhole) {
  Tree tree(2000);
  const std::vector<EntryState> before = tree.States();
  int midJob = 0;
  for (DWORD delay : {120u, 260u, 420u, 640u}) {
    const std::string log = tree.folder.Join("job" + std::to_string(delay) + ".tsv");
    PROCESS_INFORMATION process =
        StartProgram(LoggedJob(tree, log));
    ASSERT_NE(nullptr, process.hProcess);
    if (WaitForSingleObject(process.hProcess, delay) == WAIT_TIMEOUT)
      TerminateProcess(process.hProcess, 9);
    WaitForExit(process);
    int written = 0;
    for (std::size_t i = 0; i < before.size(); ++i) written += !(before[i] == StateOf(tree.entries[i]));
    midJob += written > 0 && written < static_cast<int>(before.size());
    // A line cut by the kill is told (exit 3); every entry is still put back. Killed before its
    // first line, the log is no log (exit 2), and nothing was changed.
    DWORD code = RunProgram("/dlg:0 /tray:0 /undo:" + Quoted(log));
    EXPECT_TRUE(code == 0 || code == 3 || (code == 2 && written == 0)) << code;
    int wrong = 0;
    for (std::size_t i = 0; i < before.size(); ++i) wrong += !(before[i] == StateOf(tree.entries[i]));
    EXPECT_EQ(0, wrong) << "killed after " << delay << " ms, " << written << " entries written";
  }
  RecordProperty("kills in the middle of the job", midJob);
}

// An entry that holds something else than what the job wrote is left as it is and told; the
// others are put back.
TEST(ChangeLog, AnEntryChangedSinceTheJobIsLeftAndTold) {
  Tree tree(2);
  const std::vector<EntryState> before = tree.States();
  const std::string log = tree.folder.Join("job.tsv"), undoLog = tree.folder.Join("undo.tsv");
  ASSERT_EQ(0u, RunProgram(LoggedJob(tree, log)));
  const std::string& touched = tree.entries.back();
  const FILETIME later = UtcTime(2020, 1, 2, 3, 4, 5);
  SetAttributes(touched, 0);
  WriteTimes(touched, nullptr, nullptr, &later);
  const EntryState touchedState = StateOf(touched);
  EXPECT_EQ(3u, RunProgram("/dlg:0 /tray:0 /undo:" + Quoted(log) + " /log:" + Quoted(undoLog)));
  EXPECT_TRUE(touchedState == StateOf(touched));
  for (std::size_t i = 0; i + 1 < tree.entries.size(); ++i)
    EXPECT_TRUE(before[i] == StateOf(tree.entries[i])) << tree.entries[i];
  const std::string told = ReadWhole(undoLog);
  EXPECT_EQ(1, CountLines(told, kNotChanged)) << told;
  EXPECT_NE(std::string::npos, told.find(u8"記録の後に変更されています")) << told;
}

// The job's log inside the tree it walks is never changed by it, nor named in itself.
TEST(ChangeLog, TheLogInsideTheTreeIsLeftAlone) {
  Tree tree(2);
  const std::string log = tree.folder.Join("T\\sub\\job.tsv");
  ASSERT_EQ(0u, RunProgram("/dlg:0 /tray:0 /on:h /sub:1 /log:" + Quoted(log) + " " +
                           Quoted(tree.folder.Join("T"))));
  EXPECT_FALSE(HasAttribute(log, FILE_ATTRIBUTE_HIDDEN));
  for (const std::string& entry : tree.entries) EXPECT_TRUE(HasAttribute(entry, FILE_ATTRIBUTE_HIDDEN));
  const std::string text = ReadWhole(log);
  EXPECT_EQ(static_cast<int>(tree.entries.size()), CountLines(text, kChanged));
  EXPECT_EQ(std::string::npos, text.find("job.tsv")) << text;
}

// A log that cannot be made, or read for an undo, refuses the run before anything is changed.
TEST(ChangeLog, ALogThatCannotBeHadRefusesTheRun) {
  Tree tree(1);
  const std::vector<EntryState> before = tree.States();
  const std::string existing = tree.folder.MakeFile("existing.tsv", "an earlier job's log");
  const std::string notALog = tree.folder.MakeFile("notes.txt", "Morvane is not this");
  const std::string target = " " + Quoted(tree.folder.Join("T"));
  const struct {
    std::string arguments;
    DWORD exitCode;
  } cases[] = {
      {"/on:h /sub:1 /log:" + Quoted(existing) + target, 2},  // an earlier log is never replaced
      {"/on:h /sub:1 /log:" + Quoted(tree.folder.Join("none\\job.tsv")) + target, 2},
      {"/undo:" + Quoted(notALog), 2},
      {"/undo:" + Quoted(tree.folder.Join("none.tsv")), 2},
      {"/undo:" + Quoted(existing) + " /log:" + Quoted(existing), 2},
      {"/undo:" + Quoted(existing) + target, 1},  // an undo with a target is no job to guess
      {"/undo:" + Quoted(existing) + " /on:h", 1},
      {"/log:", 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.exitCode, RunProgram("/dlg:0 /tray:0 " + c.arguments)) << c.arguments;
    for (std::size_t i = 0; i < before.size(); ++i)
      EXPECT_TRUE(before[i] == StateOf(tree.entries[i])) << c.arguments;
    EXPECT_EQ("an earlier job's log", ReadWhole(existing)) << c.arguments;
  }
  // A user in front of the program is told why, in one box.
  const struct {
    std::string arguments;
    const char* why;
  } told[] = {
      {"/undo:" + Quoted(notALog), "作業の記録ではありません"},
      {"/on:h /log:" + Quoted(existing) + target, "同じ名前のファイルがすでにあります"},
  };
  for (const auto& c : told) {
    PROCESS_INFORMATION process = StartProgram("/tray:0 " + c.arguments);
    HWND dialog = WaitForDialog(process);
    if (c.arguments.find("/undo:") == std::string::npos) {  // the settings dialog first
      ASSERT_NE(nullptr, dialog);
      Click(dialog, IDOK);
      dialog = WaitForDialog(process, dialog);
    }
    ASSERT_NE(nullptr, dialog) << "no message box: " << c.arguments;
    char text[2048] = "";
    GetDlgItemTextA(dialog, 0xFFFF, text, sizeof text);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(2u, WaitForExit(process)) << c.arguments;
    EXPECT_NE(std::string::npos, std::string(text).find(c.why)) << text;
    EXPECT_TRUE(before[0] == StateOf(tree.entries[0]));
  }
}

// A log written by hand or broken: each line that is not a log's own is told and left; an entry
// is changed only where it is the very entry a line names and holds what that line says the job
// wrote.
TEST(ChangeLog, ALogOfBadLinesChangesNothingButWhatItNamesExactly) {
  Tree tree(2);
  const std::string& file = tree.entries[2];
  const std::string& other = tree.entries[3];
  const std::vector<EntryState> before = tree.States();
  // The file's own identity, and a line that says the job hid it.
  HANDLE handle = CreateFileA(file.c_str(), FILE_READ_ATTRIBUTES, 7, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  BY_HANDLE_FILE_INFORMATION information = {};
  ASSERT_TRUE(GetFileInformationByHandle(handle, &information));
  CloseHandle(handle);
  std::wstring path = Literal(Widen(file));
  std::wstring otherPath = Literal(Widen(other));
  auto line = [&](const std::wstring& at, uint64_t id) {
    const EntryState& state = before[2];
    LoggedChange change = {reinterpret_cast<const uint16_t*>(at.c_str()), static_cast<int>(at.size()),
                           information.dwVolumeSerialNumber, id,
                           state.attributes, {{static_cast<int64_t>(state.creation),
                                               static_cast<int64_t>(state.write),
                                               static_cast<int64_t>(state.access)}},
                           true, state.attributes | FILE_ATTRIBUTE_HIDDEN, {{0, 0, 0}}};
    std::vector<char> text(LOG_LINE_MOST_BYTES);
    return std::string(text.data(), FormatChangeLine(change, text.data(), text.size()));
  };
  const uint64_t id = (static_cast<uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
  SetAttributes(file, before[2].attributes | FILE_ATTRIBUTE_HIDDEN);  // as the job would have
  std::string ownLine = line(path, id);
  ASSERT_FALSE(ownLine.empty());
  const std::string header = "\xEF\xBB\xBFMorvane\t0.1B\t2026-12-09 10:00:00\t" + std::string(u8"時刻は UTC") + "\r\n";
  const std::string log = tree.folder.Join("hand.tsv");
  WriteWhole(log, header +
                      line(L"\\\\.\\nul", id) +               // a device, which is no entry
                      line(otherPath, id) +                    // the other file under this id
                      std::string(1 << 20, 'x') + "\r\n" +     // a line of a megabyte
                      ownLine.substr(0, ownLine.size() / 2) + "\r\n" +  // cut in the middle
                      ownLine +
                      ownLine.substr(0, ownLine.size() - 2));  // the last line, without its end
  const std::string undoLog = tree.folder.Join("undo.tsv");
  EXPECT_EQ(3u, RunProgram("/dlg:0 /tray:0 /undo:" + Quoted(log) + " /log:" + Quoted(undoLog)));
  EXPECT_TRUE(before[2] == StateOf(file));   // the one exact line put it back
  EXPECT_TRUE(before[3] == StateOf(other));  // never touched
  const std::string told = ReadWhole(undoLog);
  EXPECT_EQ(5, CountLines(told, kNotChanged)) << told;
  EXPECT_EQ(4, Occurrences(told, u8"記録の行を読み取れません")) << told;  // the device among them
  EXPECT_EQ(1, Occurrences(told, u8"記録の後に変更されています")) << told;
}

// Names a file in the standard file dialog the program shows, and presses its OK button.
void ChooseInFileDialog(HWND fileDialog, const std::string& path) {
  const std::wstring wide = Widen(path);
  bool named = false;
  for (int control : {0x47C, 0x480}) {  // the name's combo box (explorer style), or its edit
    if (HWND field = GetDlgItem(fileDialog, control)) {
      named = SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str())) != 0;
      if (named) break;
    }
  }
  ASSERT_TRUE(named) << "no name field in the file dialog";
  PostMessageA(fileDialog, WM_COMMAND, IDOK, 0);
}

// The dialog's two system-menu items: a log chosen in the save dialog is written by the next
// OK's job; a log chosen in the open dialog is undone as the job.
TEST(ChangeLog, TheDialogsSystemMenuWritesALogAndUndoesFromIt) {
  Tree tree(2);
  const std::vector<EntryState> before = tree.States();
  const std::string log = tree.folder.Join("chosen.tsv");
  PROCESS_INFORMATION process = StartProgram("/tray:0 /on:h " + Quoted(tree.folder.Join("T")));
  HWND dialog = WaitForDialog(process);
  ASSERT_NE(nullptr, dialog);
  PostMessageA(dialog, WM_SYSCOMMAND, IDM_WRITE_LOG, 0);
  HWND save = WaitForDialog(process, dialog);
  ASSERT_NE(nullptr, save) << "no save dialog";
  ChooseInFileDialog(save, log);
  for (int i = 0; i < 200 && IsWindow(save); ++i) Sleep(25);
  Click(dialog, IDOK);
  ASSERT_EQ(0u, WaitForExit(process));
  for (const std::string& entry : tree.entries) EXPECT_TRUE(HasAttribute(entry, FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(static_cast<int>(tree.entries.size()), CountLines(ReadWhole(log), kChanged));

  process = StartProgram("/tray:0 " + Quoted(tree.folder.Join("T")));
  dialog = WaitForDialog(process);
  ASSERT_NE(nullptr, dialog);
  PostMessageA(dialog, WM_SYSCOMMAND, IDM_UNDO_FROM_LOG, 0);
  HWND open = WaitForDialog(process, dialog);
  ASSERT_NE(nullptr, open) << "no open dialog";
  ChooseInFileDialog(open, log);
  ASSERT_EQ(0u, WaitForExit(process));
  for (std::size_t i = 0; i < before.size(); ++i)
    EXPECT_TRUE(before[i] == StateOf(tree.entries[i])) << tree.entries[i];
}

}  // namespace
