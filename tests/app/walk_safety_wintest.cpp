// The walk below a target on the trees that used to lead it astray: a folder swapped for a link
// while the job runs, paths far beyond 260 bytes, names the code page cannot hold, names the
// platform rewrites in a plain path, links and unsafe names the listing reports, and a listing
// whose copy of the attributes is out of date.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/job_walk.h"
#include "app/local_time.h"
#include "support/hostile_tree.h"
#include "support/recording_calls.h"
#include "support/temp_folder.h"
#include "support/trace_lines.h"

namespace {

const DWORD kHidden = FILE_ATTRIBUTE_HIDDEN, kSystem = FILE_ATTRIBUTE_SYSTEM,
            kReadOnly = FILE_ATTRIBUTE_READONLY;

struct Job {
  explicit Job(const std::wstring& target, uint32_t orMask = kSystem) {
    EXPECT_TRUE(InitJobSettings(&record));
    record.orMask = orMask;
    record.andMask = 0xFFFFFFFFu;
    record.recurse = true;
    AddTarget(record.targets, Narrow(target).c_str());
  }
  ~Job() { DestroyTargetList(record.targets); }
  JobSettings record;
};

// Every entry of a chain of folders with Japanese names (two bytes each in the code page),
// each holding a file, is changed, however far its path runs past 260 and 1,000 bytes; and so
// are names that a plain path would read as another entry or a device, beside those entries.
TEST(WalkBelowATarget, ReachesEveryEntryWhateverItsPathOrName) {
  TempFolder folder;
  std::wstring top = folder.MakeWideEntry(L"chain", true);
  std::vector<std::wstring> entries;
  std::wstring level = L"chain";
  while (level.size() < 650) {  // units; more than 1,300 bytes in the code page
    level += L"\\\u65e5\u672c\u8a9e\u306e\u30d5\u30a9\u30eb\u30c0";  // 日本語のフォルダ
    entries.push_back(folder.MakeWideEntry(level, true));
    entries.push_back(folder.MakeWideEntry(level + L"\\\u5831\u544a.txt", false));  // 報告.txt
  }
  // In the plain form each of these names another entry or a device.
  for (const wchar_t* name : {L"a.", L"a", L"b ", L"b", L"nul", L"con.txt"})
    entries.push_back(folder.MakeWideEntry(L"chain\\" + std::wstring(name), false));
  ASSERT_GT(Narrow(entries[entries.size() - 7]).size(), 1000u);
  Job job(top);
  TraceLines trace;
  RecordingCalls recording;
  RunJob(&job.record);
  for (const std::wstring& entry : entries) EXPECT_TRUE(HasAttribute(entry, kSystem)) << Narrow(entry);
  EXPECT_TRUE(trace.lines.empty()) << trace.lines[0];
  // Each entry once: "a." never stood for "a", nor "b " for "b".
  std::map<std::string, int> writes;
  for (const std::string& call : g_recorder.Log()) {
    if (call.compare(0, 4, "set ") != 0) continue;
    std::string name = call.substr(4);  // NAME ATTRIBUTES TIMES
    name.erase(name.rfind(' '));
    name.erase(name.rfind(' '));
    ++writes[name];
  }
  EXPECT_EQ(1, writes["a."]);
  EXPECT_EQ(1, writes["a"]);
  EXPECT_EQ(1, writes["b "]);
  EXPECT_EQ(1, writes["nul"]);
}

// The measured fault: look-alike names made the walk change "e.txt" for "é.txt", "a\b.txt" for
// "a¥b.txt", and files above the target for "..¥victim.txt" and a folder "..¥"; later they were
// reached only by short names, which Windows does not always make. Now each entry is changed by
// its own name, once, with no file outside touched and nothing skipped; the filter sees a
// character the code page lacks as one '?', which no file name holds.
TEST(WalkBelowATarget, NamesTheCodePageCannotHoldAreTheirOwn) {
  const struct {
    int kind;
    const char* pattern;
    // Which entries below T, by their index in the tree's lists, get the change.
    bool allHostile, allPlain;
    std::vector<std::wstring> only;  // with a filter: the files that match (relative to T)
  } cases[] = {
      {FILTER_NONE, "", true, true, {}},
      {FILTER_REGEX, "^(\\?|x\\?)\\.txt$", false, false, {L"\u00e9.txt", L"\u00fc.txt", L"x\U0001F600.txt"}},
      {FILTER_WILDCARD, "?.txt", false, false, {L"e.txt", L"a\\b.txt", L"\u00e9.txt", L"\u00fc.txt"}},
  };
  for (const auto& c : cases) {
    HostileTree tree;
    Job job(tree.target);
    job.record.filterKind = c.kind;
    lstrcpyA(job.record.filterPattern, c.pattern);
    TraceLines trace;
    RecordingCalls recording;
    RunJob(&job.record);
    int writes = 0;
    for (const std::string& call : g_recorder.Log()) writes += call.compare(0, 4, "set ") == 0;
    auto expected = [&](const std::wstring& path, bool all) {
      if (all) return true;
      if (WideAttributes(path) & FILE_ATTRIBUTE_DIRECTORY) return true;
      for (const std::wstring& name : c.only)
        if (path == tree.Below(name)) return true;
      return false;
    };
    for (const std::wstring& path : tree.plain)
      EXPECT_EQ(expected(path, c.allPlain), HasAttribute(path, kSystem)) << c.pattern << " " << Narrow(path);
    for (const std::wstring& path : tree.hostile)
      EXPECT_EQ(expected(path, c.allHostile), HasAttribute(path, kSystem)) << c.pattern << " " << Narrow(path);
    for (const std::wstring& path : tree.outside) EXPECT_FALSE(HasAttribute(path, kSystem));
    // Every change above was one write: no entry was reached twice, by another name.
    int changed = 1;  // T itself
    for (const auto* list : {&tree.plain, &tree.hostile})
      for (const std::wstring& path : *list) changed += HasAttribute(path, kSystem);
    EXPECT_EQ(changed, writes) << c.pattern;
    EXPECT_TRUE(trace.lines.empty()) << trace.lines[0];
  }
}

// What the listing reports, changed for chosen entries: the walk sees only what the listing
// says, so a reparse tag, or a name that no file system reports, is put in front of it here.
struct Reported {
  std::wstring name;
  DWORD addAttributes, tag;
  std::wstring reportedName;  // empty: its own
};

class AlteredListing {
 public:
  explicit AlteredListing(std::vector<Reported> changes, void (*afterRead)(void*) = nullptr,
                          void* context = nullptr)
      : changes_(std::move(changes)), afterRead_(afterRead), context_(context) {
    current_ = this;
    calls_ = kPlatformFileCalls;
    calls_.readInformation = Read;
    SetFileCallsForTests(&calls_);
  }
  ~AlteredListing() {
    SetFileCallsForTests(nullptr);
    current_ = nullptr;
  }

 private:
  static const std::size_t kHeader = offsetof(FILE_ID_BOTH_DIR_INFO, FileName);

  static BOOL WINAPI Read(HANDLE folder, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID buffer, DWORD size) {
    if (!GetFileInformationByHandleEx(folder, kind, buffer, size)) return FALSE;
    if (kind != FileIdBothDirectoryInfo) return TRUE;
    current_->Rewrite(static_cast<BYTE*>(buffer), size);
    if (current_->afterRead_) current_->afterRead_(current_->context_);
    return TRUE;
  }

  void Rewrite(BYTE* buffer, DWORD size) {
    struct Record {
      BYTE header[kHeader];
      std::wstring name;
    };
    std::vector<Record> records;
    for (DWORD offset = 0;;) {
      auto* entry = reinterpret_cast<FILE_ID_BOTH_DIR_INFO*>(buffer + offset);
      Record record;
      std::memcpy(record.header, entry, kHeader);
      record.name.assign(entry->FileName, entry->FileNameLength / 2);
      auto* header = reinterpret_cast<FILE_ID_BOTH_DIR_INFO*>(record.header);
      for (const Reported& change : changes_) {
        if (record.name != change.name) continue;
        header->FileAttributes |= change.addAttributes;
        header->EaSize = change.tag;
        if (!change.reportedName.empty()) record.name = change.reportedName;
      }
      records.push_back(record);
      if (entry->NextEntryOffset == 0) break;
      offset += entry->NextEntryOffset;
    }
    DWORD offset = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
      DWORD bytes = static_cast<DWORD>(kHeader + records[i].name.size() * 2);
      DWORD step = (bytes + 7) & ~7u;
      ASSERT_LE(offset + bytes, size) << "the altered listing does not fit";
      auto* entry = reinterpret_cast<FILE_ID_BOTH_DIR_INFO*>(buffer + offset);
      std::memcpy(entry, records[i].header, kHeader);
      entry->FileNameLength = static_cast<DWORD>(records[i].name.size() * 2);
      entry->NextEntryOffset = i + 1 < records.size() ? step : 0;
      std::memcpy(entry->FileName, records[i].name.data(), records[i].name.size() * 2);
      offset += step;
    }
  }

  static inline AlteredListing* current_ = nullptr;
  std::vector<Reported> changes_;
  void (*afterRead_)(void*);
  void* context_;
  FileCalls calls_;
};

// Reparse points: only those that stand for another name are left alone (their contents too);
// deduplicated files and cloud folders are changed and walked. And a name that would join to
// another path is never joined, whatever the listing says.
TEST(WalkBelowATarget, LeavesLinksAloneByTheirTagAndJoinsNoUnsafeName) {
  const DWORD kReparse = FILE_ATTRIBUTE_REPARSE_POINT;
  const struct {
    const char* name;
    bool folder;
    Reported reported;
    bool changed;
  } cases[] = {
      {"dedup.txt", false, {L"dedup.txt", kReparse, 0x80000013, L""}, true},
      {"cloud", true, {L"cloud", kReparse, 0x9000601A, L""}, true},
      {"cloud\\in.txt", false, {L"", 0, 0, L""}, true},
      {"symlink", true, {L"symlink", kReparse, 0xA000000C, L""}, false},
      {"symlink\\in.txt", false, {L"", 0, 0, L""}, false},
      {"junction", true, {L"junction", kReparse, 0xA0000003, L""}, false},
      {"untagged", true, {L"untagged", kReparse, 0, L""}, false},
      {"dots.txt", false, {L"dots.txt", 0, 0, L"..\\victim.txt"}, false},
      {"slash.txt", false, {L"slash.txt", 0, 0, L"a/b"}, false},
      {"colon.txt", false, {L"colon.txt", 0, 0, L"victim.txt:x"}, false},
      {"zero.txt", false, {L"zero.txt", 0, 0, std::wstring(L"victim.txt\0z", 12)}, false},
  };
  TempFolder folder;
  std::string outsideVictim = folder.MakeFile("victim.txt");
  std::string victim = folder.MakeFile("T\\victim.txt");
  std::vector<Reported> reported;
  for (const auto& c : cases) {
    if (c.folder) folder.MakeFolder(std::string("T\\") + c.name);
    else folder.MakeFile(std::string("T\\") + c.name);
    reported.push_back(c.reported);
  }
  Job job(Widen(folder.Join("T")), kHidden);
  AlteredListing listing(reported);
  TraceLines trace;
  RunJob(&job.record);
  for (const auto& c : cases)
    EXPECT_EQ(c.changed, HasAttribute(Widen(folder.Join(std::string("T\\") + c.name)), kHidden)) << c.name;
  // The reported names reach neither victim.txt: the one in T is changed as itself.
  EXPECT_FALSE(HasAttribute(Widen(outsideVictim), kHidden));
  EXPECT_TRUE(HasAttribute(Widen(victim), kHidden));
  EXPECT_EQ(4u, trace.lines.size());  // one for each unsafe name
}

// The listing's copy of an entry's attributes may be older than the entry: another name of the
// same file (a hard link) gets read-only set after the listing was read. The job sets hidden
// and must keep read-only, which a write from the listing's copy would take away.
TEST(WalkBelowATarget, WritesFromTheAttributesTheEntryHoldsWhenOpened) {
  TempFolder folder;
  std::string listed = folder.MakeFile("T\\listed.txt");
  std::string other = folder.Join("other.txt");
  ASSERT_TRUE(CreateHardLinkA(other.c_str(), listed.c_str(), nullptr));
  struct Late {
    static void SetReadOnly(void* path) {
      SetFileAttributesA(static_cast<std::string*>(path)->c_str(), FILE_ATTRIBUTE_READONLY);
    }
  };
  Job job(Widen(folder.Join("T")), kHidden);
  AlteredListing listing({}, Late::SetReadOnly, &other);
  RunJob(&job.record);
  EXPECT_EQ(kHidden | kReadOnly, Attributes(listed) & 0x07);
  SetAttributes(other, 0);
}

// Wine's own way to a Linux path, for a swapper that runs on the Linux side (only there can a
// link be made); null where there is none (on Windows).
int CountChanged(const std::vector<std::string>& paths, const FILETIME& old) {
  int changed = 0;
  for (const std::string& path : paths) {
    FILETIME creation, access, write;
    EXPECT_TRUE(ReadTimes(path, &creation, &access, &write)) << path;
    changed += Ticks(write) != Ticks(old);
  }
  return changed;
}

// The measured fault: T holds 20 folders of 50 files, O beside it 400 files. While timestamp
// jobs run over T, a process on the Linux side keeps renaming T\s05 away, putting a link to O in
// its place for a moment and the folder back. The walk used to follow the link: files outside
// the chosen folder got the new time. None may now, in any round.
TEST(WalkBelowATarget, AFolderSwappedForALinkNeverLeadsOutside) {
  TempFolder folder;
  std::string unixRoot = UnixPath(folder.Path());
  if (unixRoot.empty()) GTEST_SKIP() << "no Linux side to make links from";
  const FILETIME old = UtcTime(2001, 2, 3, 4, 5, 6);
  std::vector<std::string> inside, outside;
  for (int s = 0; s < 20; ++s) {
    char sub[16];
    std::snprintf(sub, sizeof sub, "T\\s%02d", s);
    inside.push_back(folder.MakeFolder(sub));
    for (int f = 0; f < 50; ++f) inside.push_back(folder.MakeFile(std::string(sub) + "\\f" + std::to_string(f)));
  }
  // The same names as inside, so that a path through the link names a file there.
  for (int f = 0; f < 400; ++f) outside.push_back(folder.MakeFile("O\\f" + std::to_string(f)));
  outside.push_back(folder.Join("O"));
  for (const std::string& path : outside) ASSERT_TRUE(WriteTimes(path, nullptr, nullptr, &old));
  std::string script =
      "cd '" + unixRoot + "/T' && n=0 && while [ ! -e ../stop ]; do "
      "mv s05 s05.away && ln -s ../O s05 && sleep 0.1; rm -f s05; mv s05.away s05; sleep 0.1; "
      "n=$((n+1)); echo $n > ../rounds; done; echo done > ../done";
  std::wstring command = L"/bin/sh -c \"" + Widen(script) + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION swapper = {};
  if (!CreateProcessW(L"Z:\\bin\\sh", &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &swapper))
    GTEST_SKIP() << "no Linux shell to start";
  auto rounds = [&] {
    char text[32] = "";
    HANDLE file = CreateFileA(folder.Join("rounds").c_str(), GENERIC_READ, 7, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    DWORD read = 0;
    if (file != INVALID_HANDLE_VALUE) {
      ReadFile(file, text, sizeof text - 1, &read, nullptr);
      CloseHandle(file);
    }
    text[read] = 0;
    return std::atoi(text);
  };
  int jobs = 0, skipped = 0;
  while (jobs < 8 || (rounds() < 20 && jobs < 60)) {
    Job job(Widen(folder.Join("T")));
    FILETIME local;
    UtcToLocalFileTime(UtcTime(2010, 5, 5, 10, 0, 0), &local);
    job.record.lastWrite = TimestampEntry{true, ToFileTimeValue(local)};
    job.record.orMask = 0;
    TraceLines trace;
    RunJob(&job.record);
    skipped += static_cast<int>(trace.lines.size());
    ++jobs;
    ASSERT_EQ(0, CountChanged(outside, old)) << "after job " << jobs;
  }
  // Wine cannot wait for a Linux process: the swapper says when it has put the folder back.
  folder.MakeFile("stop");
  for (int i = 0; i < 3000 && GetFileAttributesA(folder.Join("done").c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
    Sleep(10);
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(folder.Join("done").c_str())) << "the swapper never stopped";
  CloseHandle(swapper.hThread);
  CloseHandle(swapper.hProcess);
  EXPECT_GE(rounds(), 8) << "the folder was hardly swapped: the test says nothing";
  EXPECT_EQ(0, CountChanged(outside, old));
  // With the swapping over, every entry of T is reached again.
  for (const std::string& path : inside) SetAttributes(path, 0);
  Job last(Widen(folder.Join("T")));
  RunJob(&last.record);
  for (const std::string& path : inside) EXPECT_TRUE(HasAttribute(Widen(path), kSystem)) << path;
  std::printf("%d jobs, %d swaps, %d entries left alone as swapped\n", jobs, rounds(), skipped);
}

}  // namespace
