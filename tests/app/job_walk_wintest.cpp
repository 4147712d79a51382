// The walk over a real tree: attributes and times on disk, the calls that reach the file system,
// the filter, the order, and cancelling.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/change_log_file.h"
#include "app/job_walk.h"
#include "app/local_time.h"
#include "support/recording_calls.h"
#include "support/temp_folder.h"
#include "support/trace_lines.h"

namespace {

const DWORD kHidden = FILE_ATTRIBUTE_HIDDEN, kSystem = FILE_ATTRIBUTE_SYSTEM,
            kReadOnly = FILE_ATTRIBUTE_READONLY;

// A record in apply form that sets the hidden bit and keeps the rest.
struct Job {
  Job() {
    EXPECT_TRUE(InitJobSettings(&record));
    record.orMask = kHidden;
    record.andMask = 0xFFFFFFFFu;
  }
  ~Job() { DestroyTargetList(record.targets); }
  void Add(const std::string& path) { AddTarget(record.targets, path.c_str()); }
  JobSettings record;
};

// Fails the test for an entry that is not there: a vanished file is never "hidden".
bool IsHidden(const std::string& path) {
  DWORD attributes = WideAttributes(path);
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, attributes) << path << " is missing";
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & kHidden) != 0;
}

AppliedTimes NoTimes() {
  AppliedTimes times = {};
  return times;
}

AppliedTimes WriteTime() {
  AppliedTimes times = NoTimes();
  times.lastWriteValue = UtcTime(2006, 7, 1, 10, 0, 0);
  times.lastWrite = &times.lastWriteValue;
  return times;
}

TEST(ApplyChanges, SetsClearsAndKeepsAttributes) {
  // Apply form: set system, clear hidden, keep read-only (and every other bit).
  const uint32_t orMask = kSystem, andMask = ~kHidden;
  const struct {
    bool folder;
    DWORD before, after;
  } cases[] = {
      {false, 0, kSystem},
      {false, kHidden, kSystem},
      {false, kReadOnly | kHidden, kReadOnly | kSystem},
      {false, kSystem | kReadOnly, kSystem | kReadOnly},
      {true, kHidden, kSystem | FILE_ATTRIBUTE_DIRECTORY},
      {true, kHidden | kSystem, kSystem | FILE_ATTRIBUTE_DIRECTORY},
  };  // Wine keeps no read-only bit on folders, so folders are tried with hidden and system only
  TempFolder folder;
  int serial = 0;
  for (const auto& c : cases) {
    std::string name = "e" + std::to_string(serial++);
    std::string path = c.folder ? folder.MakeFolder(name) : folder.MakeFile(name);
    SetAttributes(path, c.before);
    ApplyChanges(NoTimes(), path.c_str(), orMask, andMask);
    // Wine reports archive on every file whatever is written, so archive is left out here.
    EXPECT_EQ(c.after, Attributes(path) & 0x17) << name;
  }
  // Clearing the last attribute leaves none, not the entry as it was.
  std::string last = folder.MakeFile("last");
  SetAttributes(last, kHidden);
  ApplyChanges(NoTimes(), last.c_str(), 0, ~kHidden);
  EXPECT_EQ(0u, Attributes(last) & 0x07);
  ApplyChanges(NoTimes(), folder.Join("missing").c_str(), orMask, andMask);
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, Attributes(folder.Join("missing")));
}

// Entries whose times used to be out of reach or to cost them an attribute: read-only ones (the
// bit had to come off while they were open) and files another program holds open without
// sharing. Each gets its times and keeps or gets exactly the attributes asked for.
TEST(ApplyChanges, TimesReachReadOnlyAndLockedFiles) {
  const struct {
    const char* what;
    DWORD before;
    DWORD lockAccess;  // 0: nobody holds the file open
    uint32_t orMask;
    DWORD after;  // within 0x07
  } cases[] = {
      {"read-only hidden, attributes kept", kReadOnly | kHidden, 0, 0, kReadOnly | kHidden},
      {"read-only, hidden set", kReadOnly, 0, kHidden, kReadOnly | kHidden},
      {"held open for reading and writing", 0, GENERIC_READ | GENERIC_WRITE, kHidden, kHidden},
      {"held open for writing, read-only", kReadOnly, GENERIC_WRITE, 0, kReadOnly},
      {"held open for reading", kSystem, GENERIC_READ, 0, kSystem},
  };
  const FILETIME old = UtcTime(2001, 2, 3, 4, 5, 6);
  TempFolder folder;
  int serial = 0;
  for (const auto& c : cases) {
    std::string path = folder.MakeFile("t" + std::to_string(serial++));
    ASSERT_TRUE(WriteTimes(path, nullptr, &old, &old));
    SetAttributes(path, c.before);
    HANDLE lock = INVALID_HANDLE_VALUE;
    if (c.lockAccess) {
      // A read-only file can be held open for writing only if it was opened before the bit.
      SetAttributes(path, 0);
      lock = CreateFileA(path.c_str(), c.lockAccess, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      ASSERT_NE(INVALID_HANDLE_VALUE, lock) << c.what;
      SetAttributes(path, c.before);
    }
    AppliedTimes times = WriteTime();
    times.lastAccessValue = UtcTime(2006, 7, 2, 11, 30, 0);
    times.lastAccess = &times.lastAccessValue;
    ApplyChanges(times, path.c_str(), c.orMask, 0xFFFFFFFFu);
    if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
    FILETIME creation, access, write;
    ASSERT_TRUE(ReadTimes(path, &creation, &access, &write));
    EXPECT_EQ(Ticks(times.lastWriteValue), Ticks(write)) << c.what;
    EXPECT_EQ(Ticks(times.lastAccessValue), Ticks(access)) << c.what;
    EXPECT_EQ(c.after, Attributes(path) & 0x07) << c.what;
  }
  std::string untouched = folder.MakeFile("other.txt");
  ASSERT_TRUE(WriteTimes(untouched, nullptr, &old, &old));
  ApplyChanges(NoTimes(), untouched.c_str(), 0, 0xFFFFFFFFu);  // nothing asked: nothing changes
  FILETIME creation, access, write;
  ASSERT_TRUE(ReadTimes(untouched, &creation, &access, &write));
  EXPECT_EQ(Ticks(old), Ticks(write));
  EXPECT_EQ(Ticks(old), Ticks(access));
}

// Which calls reach the file system, one level above the platform: Wine cannot show that no
// handle was opened or that a write carried both the times and the attributes.
TEST(ApplyChanges, OneOpenAndAtMostOneWrite) {
  TempFolder folder;
  const struct {
    const char* what;
    DWORD before;  // attributes set first (Wine adds archive, 0x20, to every file)
    bool times;
    uint32_t orMask, andMask;
    std::vector<std::string> calls;  // "set NAME ATTRIBUTES TIMES"; "-": left as they are
    DWORD after;
  } cases[] = {
      {"attributes only", 0, false, kHidden, 0xFFFFFFFFu,
       {"attr f0", "open f0", "set f0 0x22 ---", "close"}, 0x22},
      {"read-only cleared, hidden set", kReadOnly, false, kHidden, ~kReadOnly,
       {"attr f1", "open f1", "set f1 0x22 ---", "close"}, 0x22},
      {"times of a read-only file: its attributes never written", kReadOnly | kSystem, true, 0,
       0xFFFFFFFFu, {"attr f2", "open f2", "set f2 - --w", "close"}, 0x25},
      {"times and hidden in one write", 0, true, kHidden, 0xFFFFFFFFu,
       {"attr f3", "open f3", "set f3 0x22 --w", "close"}, 0x22},
      {"already final: opened, nothing written", kHidden, false, kHidden, 0xFFFFFFFFu,
       {"attr f4", "open f4", "close"}, 0x22},
      {"nothing asked at all: not even opened", kSystem, false, 0, 0xFFFFFFFFu, {"attr f5"}, 0x24},
  };
  int serial = 0;
  for (const auto& c : cases) {
    std::string path = folder.MakeFile("f" + std::to_string(serial++));
    SetAttributes(path, c.before);
    RecordingCalls recording;
    ApplyChanges(c.times ? WriteTime() : NoTimes(), path.c_str(), c.orMask, c.andMask);
    EXPECT_EQ(c.calls, g_recorder.Log()) << c.what;
    EXPECT_EQ(c.after, Attributes(path) & 0x37) << c.what;
  }
  RecordingCalls recording;
  ApplyChanges(WriteTime(), folder.Join("missing").c_str(), kHidden, 0xFFFFFFFFu);
  EXPECT_EQ((std::vector<std::string>{"attr missing"}), g_recorder.Log());
  // The earliest instant is the platform's "leave it" value: it is written a tick later, never
  // silently kept.
  std::string earliest = folder.MakeFile("earliest");
  AppliedTimes times = NoTimes();
  times.lastWriteValue = FILETIME{0, 0};
  times.lastWrite = &times.lastWriteValue;
  RecordingCalls again;
  ApplyChanges(times, earliest.c_str(), 0, 0xFFFFFFFFu);
  EXPECT_EQ((std::vector<std::string>{"attr earliest", "open earliest", "set earliest - --w", "close"}),
            g_recorder.Log());
}

TEST(RunJob, BelowATargetTheListingSaysWhatNeedsOpening) {
  TempFolder folder;
  std::string target = folder.MakeFolder("t");
  std::string file = folder.MakeFile("t\\a.txt"), hidden = folder.MakeFile("t\\b.txt");
  SetAttributes(hidden, kHidden);
  Job job;
  job.Add(target);
  job.record.recurse = true;
  RecordingCalls recording;
  RunJob(&job.record);
  // The target is asked and opened; below it, the entry that already holds its final
  // attributes by the listing is not even opened.
  std::vector<std::string> log = g_recorder.Log();
  EXPECT_EQ((std::vector<std::string>{"attr t", "open t", "set t 0x2 ---", "open a.txt",
                                      "set a.txt 0x22 ---", "close", "close"}),
            log);
  EXPECT_TRUE(IsHidden(file));
  EXPECT_TRUE(IsHidden(hidden));
}

// A job ended after any one of its calls (killed, logged off, a fault on the worker) leaves
// every entry with the attributes it had before or those it gets after, read-only entries whose
// times are written included. Tried after every call, on disk.
TEST(RunJob, EndedAfterAnyCallNoEntryLosesAnAttribute) {
  const struct {
    const char* name;
    DWORD before;
  } entries[] = {{"h.txt", kHidden}, {"s.txt", kSystem}, {"hs.txt", kHidden | kSystem},
                 {"rh.txt", kReadOnly | kHidden}, {"r.txt", kReadOnly}, {"plain.txt", 0},
                 {"Sub", kHidden}, {"Sub\\hs.txt", kHidden | kSystem}};
  const struct {
    const char* what;
    bool times;
    uint32_t orMask, andMask;
  } jobs[] = {
      {"times only", true, 0, 0xFFFFFFFFu},
      {"times, set hidden, clear system", true, kHidden, ~kSystem},
      {"attributes only: set system, clear hidden", false, kSystem, ~kHidden},
  };
  const FILETIME old = UtcTime(2001, 2, 3, 4, 5, 6);
  for (const auto& j : jobs) {
    TempFolder folder;
    for (const auto& e : entries) {
      if (std::string(e.name) == "Sub") folder.MakeFolder(e.name); else folder.MakeFile(e.name);
    }
    int total = -1;
    for (int allowed = 0; total < 0 || allowed <= total; ++allowed) {
      for (const auto& e : entries) {
        SetAttributes(folder.Join(e.name), 0);
        WriteTimes(folder.Join(e.name), nullptr, &old, &old);
        SetAttributes(folder.Join(e.name), e.before);
      }
      Job job;
      job.Add(folder.Path());
      job.record.recurse = true;
      job.record.orMask = j.orMask;
      job.record.andMask = j.andMask;
      if (j.times) {
        FILETIME local;
        UtcToLocalFileTime(UtcTime(2006, 7, 1, 10, 0, 0), &local);
        job.record.lastWrite = TimestampEntry{true, ToFileTimeValue(local)};
      }
      RecordingCalls recording;
      if (total >= 0) g_recorder.allowed = allowed;
      RunJob(&job.record);
      if (total < 0) {
        total = g_recorder.calls;  // the first run, unended, counts the calls
        allowed = -1;
        continue;
      }
      for (const auto& e : entries) {
        DWORD attributes = Attributes(folder.Join(e.name));
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes) << e.name;
        DWORD now = attributes & 0x07;
        DWORD after = ApplyAttributeMasks(e.before, j.orMask, j.andMask) & 0x07;
        EXPECT_TRUE(now == e.before || now == after)
            << j.what << ", ended after " << allowed << " calls: " << e.name << " has " << now;
      }
    }
    EXPECT_GE(total, 8) << j.what;  // the job made its calls: there was something to end
  }
}

TEST(PlanAppliedTimes, PassesEnabledTimesAsUtcOfTheirOwnDate) {
  if (!ZoneIsCentralEurope()) GTEST_SKIP() << kNeedsCentralEurope;
  Job job;
  SYSTEMTIME summer = {2006, 7, 0, 1, 12, 0, 0, 0}, winter = {2006, 1, 0, 3, 12, 0, 0, 0};
  FILETIME local;
  SystemTimeToFileTime(&summer, &local);
  job.record.creation = TimestampEntry{true, ToFileTimeValue(local)};
  SystemTimeToFileTime(&winter, &local);
  job.record.lastAccess = TimestampEntry{true, ToFileTimeValue(local)};
  job.record.lastWrite = TimestampEntry{false, ToFileTimeValue(local)};
  AppliedTimes times;
  PlanAppliedTimes(job.record, &times);
  ASSERT_NE(nullptr, times.creation);  // Wine keeps no creation time: checked here, not on disk
  EXPECT_EQ(Ticks(UtcTime(2006, 7, 1, 10, 0, 0)), Ticks(*times.creation));
  ASSERT_NE(nullptr, times.lastAccess);
  EXPECT_EQ(Ticks(UtcTime(2006, 1, 3, 11, 0, 0)), Ticks(*times.lastAccess));
  EXPECT_EQ(nullptr, times.lastWrite);
}

const long long kHour = 36000000000LL, kDay = 24 * kHour;

FILETIME FromTicks(long long ticks) {
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// Where one of an entry's new times comes from: one of its times before the job, moved by plus;
// from < 0 leaves it as it is.
struct Expected {
  int from;
  long long plus;
};

TimestampEntry OwnTime(TimeSlot source) {
  TimestampEntry entry = {true, {0, 0}};
  entry.kind = TIME_KIND_OWN;
  entry.source = source;
  return entry;
}

TimestampEntry ShiftBy(long long ticks) {
  TimestampEntry entry = {true, {0, 0}};
  entry.kind = TIME_KIND_SHIFT;
  entry.shift = ticks;
  return entry;
}

const TimestampEntry kOff = {false, {0, 0}};

// Own times and shifts over a folder tree, through the filter and down into folders as a date
// goes: every entry's new times come from the times it held when it was opened, so two times
// swap. What each write carried is checked for all three times (Wine keeps no creation time,
// and listing a folder moves its access time); the files' last-write and last-access times on
// disk too, and the last-write time of every entry.
TEST(RunJob, OwnTimesAndShiftsComeFromEachEntrysOwnTimesBeforeTheJob) {
  const struct {
    const char* what;
    TimestampEntry creation, lastWrite, lastAccess;
    Expected expected[TIME_SLOTS];  // creation, last write, last access
  } jobs[] = {
      {"last write 9 hours later, creation a day earlier", ShiftBy(-kDay), ShiftBy(9 * kHour),
       kOff, {{SLOT_CREATION, -kDay}, {SLOT_LAST_WRITE, 9 * kHour}, {-1, 0}}},
      {"creation from last write, last access from creation", OwnTime(SLOT_LAST_WRITE), kOff,
       OwnTime(SLOT_CREATION), {{SLOT_LAST_WRITE, 0}, {-1, 0}, {SLOT_CREATION, 0}}},
      {"last write and last access swapped", kOff, OwnTime(SLOT_LAST_ACCESS),
       OwnTime(SLOT_LAST_WRITE), {{-1, 0}, {SLOT_LAST_ACCESS, 0}, {SLOT_LAST_WRITE, 0}}},
  };
  // Relative to the target; c.doc is filtered out, folders are always changed.
  const struct {
    const char* name;
    bool folder;
    bool accepted;
  } entries[] = {{"", true, true},           {"a.txt", false, true}, {"c.doc", false, false},
                 {"Sub", true, true},        {"Sub\\b.txt", false, true}};
  for (const auto& job : jobs) {
    TempFolder folder;
    std::string target = folder.MakeFolder("T");
    for (const auto& e : entries)
      if (*e.name) e.folder ? folder.MakeFolder("T\\" + std::string(e.name))
                            : folder.MakeFile("T\\" + std::string(e.name));
    std::vector<EntryTimes> before;
    for (size_t i = 0; i < sizeof entries / sizeof entries[0]; ++i) {
      std::string path = *entries[i].name ? target + "\\" + entries[i].name : target;
      long long write = static_cast<long long>(Ticks(UtcTime(2006, 3, 1, 10, 0, 0))) + i * kDay;
      FILETIME writeTime = FromTicks(write), accessTime = FromTicks(write + kHour + i * 600000000LL);
      ASSERT_TRUE(WriteTimes(path, nullptr, &accessTime, &writeTime)) << path;
      FILETIME creation, access, written;
      ASSERT_TRUE(ReadTimes(path, &creation, &access, &written)) << path;
      before.push_back(EntryTimes{{static_cast<int64_t>(Ticks(creation)), write,
                                   static_cast<int64_t>(Ticks(accessTime))}});
    }
    Job job_;
    job_.Add(target);
    job_.record.orMask = 0;
    job_.record.recurse = true;
    job_.record.filterKind = FILTER_WILDCARD;
    lstrcpyA(job_.record.filterPattern, "*.txt");
    job_.record.creation = job.creation;
    job_.record.lastWrite = job.lastWrite;
    job_.record.lastAccess = job.lastAccess;
    RecordingCalls recording;
    RunJob(&job_.record);
    for (size_t i = 0; i < sizeof entries / sizeof entries[0]; ++i) {
      const auto& e = entries[i];
      std::string path = *e.name ? target + "\\" + e.name : target;
      std::string name = *e.name ? path.substr(path.rfind('\\') + 1) : "T";
      FILE_BASIC_INFO written = g_recorder.WrittenTo(name);
      const LARGE_INTEGER carried[TIME_SLOTS] = {written.CreationTime, written.LastWriteTime,
                                                 written.LastAccessTime};
      long long after[TIME_SLOTS];
      for (int slot = 0; slot < TIME_SLOTS; ++slot) {
        const Expected& x = job.expected[slot];
        long long expected = e.accepted && x.from >= 0 ? before[i].ticks[x.from] + x.plus : 0;
        EXPECT_EQ(expected, carried[slot].QuadPart) << job.what << ": " << name << ", slot " << slot;
        after[slot] = expected ? expected : before[i].ticks[slot];
      }
      FILETIME creation, access, write;
      ASSERT_TRUE(ReadTimes(path, &creation, &access, &write)) << path;
      EXPECT_EQ(after[SLOT_LAST_WRITE], static_cast<long long>(Ticks(write))) << job.what << ": " << name;
      if (!e.folder) {
        EXPECT_EQ(after[SLOT_LAST_ACCESS], static_cast<long long>(Ticks(access)))
            << job.what << ": " << name;
      }
    }
  }
}

// A time shifted past what a file can hold stays as it is and the entry is reported as not
// changed (the exit code then says so); its other time is written all the same, and an entry
// whose shift stays in range is changed. (Wine's disk holds no time before 1901: the shifted
// time that is written is checked in the write.)
TEST(RunJob, ATimeShiftedOutOfRangeIsLeftAndReported) {
  TempFolder folder;
  std::string early = folder.MakeFile("early.txt"), late = folder.MakeFile("late.txt");
  const FILETIME earlyTime = UtcTime(1910, 1, 1, 0, 0, 0), lateTime = UtcTime(2006, 1, 1, 0, 0, 0);
  ASSERT_TRUE(WriteTimes(early, nullptr, &lateTime, &earlyTime));
  ASSERT_TRUE(WriteTimes(late, nullptr, &lateTime, &lateTime));
  const long long back = 310 * 365 * kDay;  // before 1601 from 1910, not from 2006
  Job job;
  job.Add(folder.Path());
  job.record.orMask = 0;
  job.record.recurse = true;
  job.record.lastWrite = ShiftBy(-back);
  job.record.lastAccess = ShiftBy(kHour);
  JobReport report;
  StartJobReport(&report);
  job.record.report = &report;
  RecordingCalls recording;
  RunJob(&job.record);
  FILE_BASIC_INFO toEarly = g_recorder.WrittenTo("early.txt"), toLate = g_recorder.WrittenTo("late.txt");
  EXPECT_EQ(0, toEarly.LastWriteTime.QuadPart);
  EXPECT_EQ(static_cast<long long>(Ticks(lateTime)) - back, toLate.LastWriteTime.QuadPart);
  FILETIME creation, access, write;
  ASSERT_TRUE(ReadTimes(early, &creation, &access, &write));
  EXPECT_EQ(Ticks(earlyTime), Ticks(write));
  EXPECT_EQ(Ticks(lateTime) + kHour, Ticks(access));
  ASSERT_TRUE(ReadTimes(late, &creation, &access, &write));
  EXPECT_EQ(Ticks(lateTime) + kHour, Ticks(access));
  ASSERT_EQ(1u, NotChangedCount(report));
  ASSERT_EQ(1, report.listedCount);
  EXPECT_EQ(REASON_TIME_OUT_OF_RANGE, report.listed[0].reason);
  EXPECT_EQ(Lower(early), Lower(report.listed[0].path));
}

// a.txt, a.doc, Sub\B.LOG and Sub\c.doc under a folder target, the walk run over it.
struct FilterCase {
  int kind;
  const char* pattern;
  bool recurse;
  std::vector<std::string> hidden;  // relative to the target; "." is the target itself
};

TEST(RunJob, FilterPicksFilesAndAlwaysTakesFolders) {
  const std::vector<std::string> all = {".", "a.txt", "a.doc", "Sub", "Sub\\B.LOG", "Sub\\c.doc"};
  const FilterCase cases[] = {
      {FILTER_WILDCARD, "*.txt;*.log", true, {".", "a.txt", "Sub", "Sub\\B.LOG"}},
      {FILTER_WILDCARD, " ; ", true, all},
      {FILTER_NONE, "*.txt", true, all},
      {999, "*.txt", true, {".", "Sub"}},  // an unknown kind rejects every file
      {999, "", true, all},                // an empty pattern accepts under any kind
      {FILTER_NONE, "", false, {"."}},     // without recursion only the folder itself
  };
  for (const auto& c : cases) {
    TempFolder folder;
    for (const char* file : {"a.txt", "a.doc", "Sub\\B.LOG", "Sub\\c.doc"}) folder.MakeFile(file);
    Job job;
    job.Add(folder.Path());
    job.record.recurse = c.recurse;
    job.record.filterKind = c.kind;
    lstrcpyA(job.record.filterPattern, c.pattern);
    RunJob(&job.record);
    for (const std::string& entry : all) {
      bool expected = std::find(c.hidden.begin(), c.hidden.end(), entry) != c.hidden.end();
      std::string path = entry == "." ? folder.Path() : folder.Join(entry);
      EXPECT_EQ(expected, IsHidden(path)) << "pattern '" << c.pattern << "' kind " << c.kind
                                          << " entry " << entry;
    }
  }
}

// Targets A and B (B newest), each holding files and a folder Sub with files.
struct Tree {
  Tree() {
    for (const char* target : {"A", "B"}) {
      for (const char* file : {"f1", "f2", "f3"}) folder.MakeFile(std::string(target) + "\\" + file);
      for (const char* file : {"f1", "f2", "f3", "f4"})
        folder.MakeFile(std::string(target) + "\\Sub\\" + file);
      job.Add(folder.Join(target));
    }
    job.record.recurse = true;
  }
  TempFolder folder;
  Job job;
};

// The targets newest first, each folder before its contents; with a cancel, the entry in hand
// is finished and nothing after it is begun, at any depth, nor any further target.
TEST(RunJob, OrderAndTheCancelRule) {
  // Without a cancel: B, then its entries in the listing's order, Sub before Sub's own; then A.
  Tree whole;
  RecordingCalls recording;
  RunJob(&whole.job.record);
  std::vector<std::string> order = g_recorder.Opened();
  ASSERT_EQ(18u, order.size());
  EXPECT_EQ(whole.folder.Join("B"), order[0]);
  EXPECT_EQ(whole.folder.Join("A"), order[9]);
  for (std::size_t i = 0; i < order.size(); ++i) {
    std::size_t slash = order[i].rfind('\\');
    std::string parent = order[i].substr(0, slash);
    if (i == 0 || i == 9) continue;
    EXPECT_NE(order.begin() + i,
              std::find(order.begin(), order.begin() + i, parent)) << order[i] << " before its folder";
  }
  // Cancelled inside each open in turn.
  for (std::size_t stop = 0; stop < order.size(); ++stop) {
    Tree tree;
    RecordingCalls cancelling;
    cancelling.PauseAtOpen(static_cast<int>(stop));
    struct Worker {
      static DWORD WINAPI Run(LPVOID record) {
        RunJob(static_cast<JobSettings*>(record));
        return 0;
      }
    };
    HANDLE worker = CreateThread(nullptr, 0, Worker::Run, &tree.job.record, 0, nullptr);
    ASSERT_TRUE(cancelling.WaitForPause()) << stop;
    tree.job.record.cancelRequested.store(true);
    cancelling.Resume();
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(worker, 30000));
    CloseHandle(worker);
    std::vector<std::string> opened = g_recorder.Opened();
    ASSERT_LT(stop, opened.size());
    // Also a folder in hand when the cancel came shows none of its entries.
    EXPECT_EQ(stop + 1, opened.size()) << "stopped at " << order[stop];
    for (std::size_t i = 0; i < order.size(); ++i) {
      std::string path = tree.folder.Join(order[i].substr(whole.folder.Path().size() + 1));
      bool expected = std::find(opened.begin(), opened.end(), path) != opened.end();
      EXPECT_EQ(expected, IsHidden(path)) << path << ", stopped at " << order[stop];
    }
  }
}

// Every entry asked for is accounted for: changed, already as asked, filtered out, a link left
// alone, or not changed with its reason and one trace line. Wine lists a link to a folder as a
// reparse point, so the link is made from the Linux side; so is the file no call can change.
TEST(RunJob, EveryEntryIsAccountedFor) {
  TempFolder folder;
  std::string tree = folder.MakeFolder("T");
  std::string plain = folder.MakeFile("T\\plain.txt"), already = folder.MakeFile("T\\already.txt");
  std::string log = folder.MakeFile("T\\skip.log"), locked = folder.MakeFile("T\\locked.txt");
  std::string sub = folder.MakeFolder("T\\sub"), inner = folder.MakeFile("T\\sub\\inner.txt");
  std::string gone = folder.Join("gone.txt");
  SetAttributes(already, kHidden);
  ImmutableFile immutable(folder, locked);
  if (!immutable.made) GTEST_SKIP() << "no immutable files here (chattr +i needs root)";
  // To a folder of the test's own: removing the test's folder goes through the link too.
  std::string beyond = folder.MakeFile("beyond\\far.txt");
  ASSERT_TRUE(RunLinuxShell(folder, "ln -s ../beyond '" + UnixPath(tree) + "/link'"));
  Job job;
  job.Add(gone);
  job.Add(tree);
  job.record.recurse = true;
  job.record.filterKind = FILTER_WILDCARD;
  std::strcpy(job.record.filterPattern, "*.txt");
  JobReport report;
  StartJobReport(&report);
  job.record.report = &report;
  TraceLines trace;
  RunJob(&job.record);

  const struct {
    Outcome outcome;
    uint32_t count;
  } expected[] = {
      {OUTCOME_CHANGED, 4},  // T, plain.txt, sub, inner.txt
      {OUTCOME_ALREADY_AS_ASKED, 1},
      {OUTCOME_FILTERED_OUT, 1},
      {OUTCOME_LINK_LEFT_ALONE, 1},
      {OUTCOME_NOT_CHANGED, 2},
  };
  for (const auto& e : expected) EXPECT_EQ(e.count, report.counts[e.outcome]) << e.outcome;
  EXPECT_EQ(9u, report.entriesDone.load());
  ASSERT_EQ(2, report.listedCount);
  EXPECT_EQ(Lower(locked), Lower(report.listed[0].path));
  EXPECT_EQ(REASON_NO_ACCESS, report.listed[0].reason);
  EXPECT_NE(0u, report.listed[0].error);
  EXPECT_EQ(Lower(gone), Lower(report.listed[1].path));
  EXPECT_EQ(REASON_NOT_FOUND, report.listed[1].reason);
  EXPECT_EQ(static_cast<uint32_t>(ERROR_FILE_NOT_FOUND), report.listed[1].error);
  int told = 0;
  for (const std::string& line : trace.lines) {
    if (line.find(" => ") == std::string::npos) continue;
    ++told;
    EXPECT_TRUE(Lower(line).find(Lower(locked)) != std::string::npos ||
                Lower(line).find(Lower(gone)) != std::string::npos) << line;
  }
  EXPECT_EQ(2, told);
  for (const std::string& path : {tree, plain, sub, inner}) EXPECT_TRUE(IsHidden(path)) << path;
  EXPECT_FALSE(IsHidden(log));
  EXPECT_FALSE(IsHidden(locked));
  EXPECT_FALSE(IsHidden(beyond));
}

// A folder may be granted writing and not listing, or listing and not writing: what can be done
// is done, and what cannot is told.
TEST(RunJob, AFolderWrittenButNotListedOrListedButNotWritten) {
  const struct {
    DWORD refused;
    bool folderHidden, contentsHidden;
    NotChangedReason reason;
  } cases[] = {
      {FILE_LIST_DIRECTORY, true, false, REASON_NOT_LISTED},
      {FILE_WRITE_ATTRIBUTES, false, true, REASON_NO_ACCESS},
  };
  for (const auto& c : cases) {
    TempFolder folder;
    std::string sub = folder.MakeFolder("T\\sub"), inner = folder.MakeFile("T\\sub\\inner.txt");
    Job job;
    job.Add(folder.Join("T"));
    job.record.recurse = true;
    JobReport report;
    StartJobReport(&report);
    job.record.report = &report;
    RecordingCalls recording;
    g_refusedAccess = c.refused;
    g_refusedName = "sub";
    RunJob(&job.record);
    EXPECT_EQ(c.folderHidden, IsHidden(sub)) << c.refused;
    EXPECT_EQ(c.contentsHidden, IsHidden(inner)) << c.refused;
    ASSERT_EQ(1, report.listedCount) << c.refused;
    EXPECT_EQ(c.reason, report.listed[0].reason) << c.refused;
    EXPECT_EQ(Lower(sub), Lower(report.listed[0].path));
  }
}

// Below a target each entry is opened by its own name in the folder the walk holds: a folder on
// the way renamed and replaced by a link to another folder (from the Linux side, which no
// sharing mode stops) while the walk is inside it leads nowhere else, and the rest of the folder
// the walk holds is still changed.
TEST(RunJob, AFolderOnTheWayReplacedByALinkLeadsNowhereElse) {
  TempFolder folder;
  std::vector<std::string> inside, outside;
  for (int i = 0; i < 6; ++i) {
    inside.push_back(folder.MakeFile("T\\A\\B\\f" + std::to_string(i)));
    outside.push_back(folder.MakeFile("O\\B\\f" + std::to_string(i)));
  }
  std::string root = UnixPath(folder.Path());
  if (root.empty()) GTEST_SKIP() << "no Linux side to make links from";
  Job job;
  job.Add(folder.Join("T"));
  job.record.recurse = true;
  RecordingCalls recording;
  recording.PauseAtOpen(5);  // T, A, B, then inside the second file of B
  struct Worker {
    static DWORD WINAPI Run(LPVOID record) {
      RunJob(static_cast<JobSettings*>(record));
      return 0;
    }
  };
  HANDLE worker = CreateThread(nullptr, 0, Worker::Run, &job.record, 0, nullptr);
  ASSERT_TRUE(recording.WaitForPause());
  bool swapped = RunLinuxShell(folder, "cd '" + root + "/T' && mv A A.away && ln -s ../O A");
  recording.Resume();
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(worker, 30000));
  CloseHandle(worker);
  ASSERT_TRUE(swapped);
  for (const std::string& path : outside) EXPECT_FALSE(IsHidden(path)) << path;
  for (std::string path : inside) {
    path.replace(path.find("\\A\\"), 3, "\\A.away\\");
    EXPECT_TRUE(IsHidden(path)) << path;
  }
  // The link goes before the folder is removed: removal would go through it.
  RunLinuxShell(folder, "rm '" + root + "/T/A'");
}

// A real cancel from another thread while the worker is inside the 61st entry of 200: that
// entry is finished, none after it is begun, every entry is as it was or as asked.
TEST(RunJob, CancelledInTheMiddleLeavesEveryEntryBeforeOrAfter) {
  TempFolder folder;
  for (int i = 0; i < 200; ++i) SetAttributes(folder.MakeFile("f" + std::to_string(i)), kHidden | kSystem);
  Job job;
  job.Add(folder.Path());
  job.record.recurse = true;
  job.record.orMask = kReadOnly;
  job.record.andMask = ~kSystem;
  job.record.lastWrite = TimestampEntry{true, ToFileTimeValue(UtcTime(2006, 7, 1, 10, 0, 0))};
  RecordingCalls recording;
  recording.PauseAtOpen(61);  // the folder is open 0
  recording.ResumeOnceSet(&job.record.cancelRequested);
  struct Canceller {
    static DWORD WINAPI Run(LPVOID record) {
      if (WaitForSingleObject(g_recorder.paused, 30000) == WAIT_OBJECT_0)
        static_cast<JobSettings*>(record)->cancelRequested.store(true);
      return 0;
    }
  };
  HANDLE thread = CreateThread(nullptr, 0, Canceller::Run, &job.record, 0, nullptr);
  RunJob(&job.record);
  WaitForSingleObject(thread, 30000);
  CloseHandle(thread);
  int before = 0, after = 0;
  for (int i = 0; i < 200; ++i) {
    DWORD attributes = Attributes(folder.Join("f" + std::to_string(i)));
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes) << i;
    before += (attributes & 0x07) == (kHidden | kSystem);
    after += (attributes & 0x07) == (kHidden | kReadOnly);
  }
  EXPECT_EQ(200, before + after);
  EXPECT_EQ(61, after);
}

}  // namespace

// A log that stops taking lines (a full disk) stops the job: the entry whose line did not go out
// is left as it was and told, and no change follows it unrecorded.
TEST(RunJob, ALogThatStopsTakingLinesStopsTheJobBeforeTheNextChange) {
  TempFolder folder;
  std::vector<std::string> entries = {folder.MakeFolder("T"), folder.MakeFile("T\\a.txt"),
                                      folder.MakeFile("T\\b.txt")};
  ChangeLog log;
  DWORD error = 0;
  ASSERT_TRUE(OpenChangeLog(&log, folder.Join("job.tsv").c_str(), false, &error)) << error;
  // The same file, open for reading only: every write to it is refused from here on.
  HANDLE writable = log.file;
  log.file = CreateFileA(folder.Join("job.tsv").c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, log.file);
  Job job;
  job.Add(entries[0]);
  job.record.recurse = true;
  job.record.log = &log;
  JobReport report;
  StartJobReport(&report);
  job.record.report = &report;
  RunJob(&job.record);
  CloseChangeLog(&log);
  CloseHandle(writable);
  for (const std::string& entry : entries) EXPECT_FALSE(IsHidden(entry)) << entry;
  EXPECT_EQ(0u, report.counts[OUTCOME_CHANGED]);
  ASSERT_EQ(1, report.listedCount);
  EXPECT_EQ(REASON_NOT_LOGGED, report.listed[0].reason);
  EXPECT_EQ(Lower(entries[0]), Lower(report.listed[0].path));
}
