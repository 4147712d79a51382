// The job record built from a command line over real files, folders and shortcuts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/build_settings.h"
#include "app/job_report.h"
#include "app/job_walk.h"
#include "app/local_time.h"
#include "text/trace.h"
#include "support/temp_folder.h"
#include "support/trace_lines.h"
#include "text/allocation.h"
#include "text/paths.h"

namespace {

// A record built from "prog" and the given arguments, with its target list released after.
struct Built {
  explicit Built(std::vector<std::string> arguments) : texts(std::move(arguments)) {
    texts.insert(texts.begin(), "prog");
    for (auto& text : texts) pointers.push_back(&text[0]);
    pointers.push_back(nullptr);
    StartJobReport(&refused);
    result = BuildJobSettings(&record, static_cast<int>(texts.size()), pointers.data(), &refused,
                              &unreadable);
  }
  ~Built() { DestroyTargetList(record.targets); }
  std::vector<std::string> Targets() const {
    std::vector<std::string> result;
    for (int i = 0; i < record.targets->count; ++i) result.push_back(TargetAt(record.targets, i));
    return result;
  }
  // The reasons of the targets refused, in the order met.
  std::vector<NotChangedReason> Refused() const {
    std::vector<NotChangedReason> reasons;
    for (int i = 0; i < refused.listedCount; ++i) reasons.push_back(refused.listed[i].reason);
    return reasons;
  }
  std::vector<std::string> texts;
  std::vector<char*> pointers;
  JobSettings record;
  JobReport refused;
  BuildResult result;
  int unreadable = -1;
};

unsigned long long UtcTicks(const TimestampEntry& entry) {
  EXPECT_TRUE(entry.exact);
  return Ticks(ToFileTime(entry.utc));
}

unsigned long long LocalTicks(const TimestampEntry& entry) { return Ticks(ToFileTime(entry.time)); }

TEST(BuildJobSettings, OnlyTheProgramNameKeepsTheDefaults) {
  Built built({});
  const JobSettings& r = built.record;
  EXPECT_TRUE(r.showDialog && r.showTrayIcon);
  EXPECT_FALSE(r.recurse || r.cancelRequested.load());
  EXPECT_EQ(0u, r.andMask | r.orMask);
  for (const TimestampEntry* entry : {&r.creation, &r.lastWrite, &r.lastAccess}) {
    EXPECT_FALSE(entry->enabled);
    EXPECT_EQ(0u, entry->time.low | entry->time.high);
  }
  EXPECT_EQ(0, r.targets->count);
  EXPECT_EQ(FILTER_NONE, r.filterKind);
  EXPECT_STREQ("", r.filterPattern);
}

void* FailingAllocator(size_t, size_t) { return nullptr; }

// Without memory for the target list no job can be described: the record says so before any
// target would be added to a list that does not exist.
TEST(BuildJobSettings, WithoutMemoryForTheTargetListItFails) {
  TempFolder folder;
  std::string file = folder.MakeFile("a.txt");
  std::vector<char*> arguments = {const_cast<char*>("prog"), &file[0], nullptr};
  JobSettings record;
  int unreadable = -1;
  SetAllocatorForTests(FailingAllocator);
  BuildResult built = BuildJobSettings(&record, 2, arguments.data(), nullptr, &unreadable);
  SetAllocatorForTests(nullptr);
  EXPECT_EQ(BUILD_NO_MEMORY, built);
  EXPECT_EQ(nullptr, record.targets);
  EXPECT_EQ(BUILD_READ, BuildJobSettings(&record, 2, arguments.data(), nullptr, &unreadable));
  EXPECT_EQ(1, record.targets->count);
  DestroyTargetList(record.targets);
}

TEST(BuildJobSettings, SummarisesTheTargetsAttributes) {
  TempFolder folder;
  std::string hidden = folder.MakeFile("Hidden.txt"), readOnly = folder.MakeFile("ro.txt");
  SetAttributes(hidden, FILE_ATTRIBUTE_HIDDEN);
  SetAttributes(readOnly, FILE_ATTRIBUTE_READONLY);
  Built built({hidden, readOnly});
  JobSettings& r = built.record;
  EXPECT_EQ(0x03u, r.orMask & 0x03);
  EXPECT_EQ(0u, r.andMask & 0x07);
  EXPECT_FALSE(r.recurse);
  MakeApplyMasks(&r);
  EXPECT_EQ(0u, r.orMask & 0x07);      // neither hidden nor read-only is set on every target
  EXPECT_EQ(0x03u, r.andMask & 0x07);  // both are kept where they are; system is cleared
}

// Each time is kept as the instant it is (to the tick) and shown as local time.
TEST(BuildJobSettings, FirstTargetFoundSuppliesTheTimes) {
  if (!ZoneIsCentralEurope()) GTEST_SKIP() << kNeedsCentralEurope;
  TempFolder folder;
  std::string a = folder.MakeFile("A.txt"), b = folder.MakeFile("B.txt");
  FILETIME aWrite = UtcTime(2005, 6, 15, 10, 0, 0), aAccess = UtcTime(2005, 6, 20, 8, 0, 0);
  FILETIME bWrite = UtcTime(2004, 3, 1, 9, 0, 0), bAccess = UtcTime(2004, 3, 2, 9, 0, 0);
  ASSERT_TRUE(WriteTimes(a, nullptr, &aAccess, &aWrite));
  ASSERT_TRUE(WriteTimes(b, nullptr, &bAccess, &bWrite));
  FILETIME aCreation, ignored;
  ASSERT_TRUE(ReadTimes(a, &aCreation, &ignored, &ignored));

  Built built({folder.Join("missing.txt"), a, b});
  EXPECT_EQ((std::vector<std::string>{Lower(b), Lower(a)}), built.Targets());
  EXPECT_EQ(std::vector<NotChangedReason>{REASON_NOT_FOUND}, built.Refused());
  const JobSettings& r = built.record;
  EXPECT_EQ(Ticks(aWrite), UtcTicks(r.lastWrite));
  EXPECT_EQ(Ticks(aAccess), UtcTicks(r.lastAccess));
  EXPECT_EQ(Ticks(aCreation), UtcTicks(r.creation));
  EXPECT_EQ(Ticks(CentralEuropeanLocal(aWrite)), LocalTicks(r.lastWrite));
  EXPECT_EQ(Ticks(CentralEuropeanLocal(aAccess)), LocalTicks(r.lastAccess));
  EXPECT_EQ(Ticks(CentralEuropeanLocal(aCreation)), LocalTicks(r.creation));
  EXPECT_FALSE(r.creation.enabled || r.lastWrite.enabled || r.lastAccess.enabled);
}

TEST(BuildJobSettings, ResolvesTargetsAndTurnsRecursionOnForFolders) {
  TempFolder folder;
  std::string sub = folder.MakeFolder("Sub"), file = folder.MakeFile("File.txt");
  std::string gone = folder.MakeFile("Gone.txt");
  std::string toSub = folder.Join("ToSub.lnk"), toGone = folder.Join("ToGone.lnk");
  ASSERT_TRUE(MakeShortcut(toSub, sub));
  ASSERT_TRUE(MakeShortcut(toGone, gone));
  ASSERT_TRUE(DeleteFileA(gone.c_str()));
  // A shortcut to a name the system reads as another ("x." would be "x") is taken by the rules of
  // every target: refused, and neither entry is taken for it.
  folder.MakeFile("x");
  std::wstring dotted = folder.MakeWideEntry(L"x.", false);
  std::string toDotted = folder.Join("ToDotted.lnk");
  ASSERT_TRUE(MakeShortcut(toDotted, dotted));
  const struct {
    std::string argument;
    std::vector<std::string> targets;
    bool recurse;
    uint32_t refused;
  } cases[] = {
      {file, {Lower(file)}, false, 0},
      {sub, {Lower(sub)}, true, 0},
      {sub + "\\", {Lower(sub) + "\\"}, true, 0},  // written as a folder: still looked up
      {toSub, {Lower(sub)}, true, 0},         // a shortcut stands for its target
      {toGone, {Lower(toGone)}, false, 0},    // ... unless the target is gone
      {gone, {}, false, 1},                   // a missing path is no target, and is accounted for
      {toDotted, {}, false, 1},
      {"/sub:1", {}, true, 0},
  };
  for (const auto& c : cases) {
    Built built({c.argument});
    EXPECT_EQ(c.targets, built.Targets()) << c.argument;
    EXPECT_EQ(c.recurse, built.record.recurse) << c.argument;
    EXPECT_EQ(c.refused, NotChangedCount(built.refused)) << c.argument;
  }
}

// An entry under a name the plain path functions would rewrite ("x." for "x"), as other systems'
// disks can hold them; made through the literal form of the path.
void MakeLiteralFile(const std::string& path) {
  HANDLE file = CreateFileW((L"\\\\?\\" + Widen(path)).c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
  CloseHandle(file);
}

// A target is the entry the platform reads the argument as, made absolute where it is read: a
// relative name is the working folder's entry and a bare drive that drive's current folder (a
// later join would make "c:" the drive's root). A name the platform rewrites names another
// entry or a device and is refused, with a trace line.
TEST(BuildJobSettings, TargetsAreWhatThePlatformReadsThemAs) {
  TempFolder folder;
  std::string file = folder.MakeFile("File.txt");
  folder.MakeFolder("Sub");
  for (const char* name : {"x", "y"}) folder.MakeFile(name);
  for (const char* name : {"x.", "y ", "nul", "com1.txt"}) MakeLiteralFile(folder.Join(name));
  char previous[MAX_PATH + 1] = "";
  GetCurrentDirectoryA(sizeof previous, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(folder.Path().c_str()));
  const std::string drive = folder.Path().substr(0, 2);
  const struct {
    std::string argument;
    std::vector<std::string> targets;
  } cases[] = {
      {"File.txt", {Lower(file)}},
      {"Sub\\..\\File.txt", {Lower(file)}},
      {drive, {Lower(folder.Path())}},
      {"x.", {}},
      {folder.Join("y "), {}},
      {folder.Join("nul"), {}},
      {"com1.txt", {}},
  };
  for (const auto& c : cases) {
    TraceLines trace;
    Built built({c.argument});
    std::vector<std::string> targets = built.Targets();
    // Wine writes a drive's current folder with a closing backslash, Windows without one.
    for (std::string& target : targets)
      if (target.size() > 3 && target.back() == '\\') target.pop_back();
    EXPECT_EQ(c.targets, targets) << c.argument;
    std::vector<std::string> refusal;
    if (c.targets.empty())
      refusal = {"! 別の項目かデバイスを指す名前のため対象にしません。\r\n => " + c.argument + "\r\n",
                 "! 変更できませんでした: 対象にできない名前です (0)\r\n => " + c.argument + "\r\n"};
    EXPECT_EQ(refusal, trace.lines) << c.argument;
    EXPECT_EQ(refusal.size() / 2, NotChangedCount(built.refused)) << c.argument;
  }
  SetCurrentDirectoryA(previous);
}

TEST(BuildJobSettings, ArgumentOverPathLimitIsNoTarget) {
  // Greek letters are two bytes in code page 932 but one UTF-16 unit, so the platform still
  // finds this path although it is longer than 260 bytes. Cut at 260 bytes it would name the
  // other file, which the user did not give.
  TempFolder folder;
  const std::string alpha = "\x83\xbf";
  std::size_t prefix = folder.Path().size() + 1, fitting = (MAX_PATH_BYTES - prefix) / 2;
  std::string longName, cutName;
  for (std::size_t i = 0; i < fitting; ++i) cutName += alpha;
  longName = cutName + alpha;
  std::string longPath = folder.MakeFile(longName), cutPath = folder.MakeFile(cutName);
  ASSERT_GT(longPath.size(), 260u);
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, Attributes(longPath));
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, Attributes(cutPath));

  Built built({longPath, folder.Join(longName + "x")});
  EXPECT_EQ(0, built.record.targets->count);
  EXPECT_EQ((std::vector<NotChangedReason>{REASON_NOT_A_TARGET, REASON_NOT_FOUND}),
            built.Refused());
}

TEST(BuildJobSettings, AttributeOptionsLaterOneWins) {
  const struct {
    std::vector<std::string> arguments;
    uint32_t orBits, andBits;  // within 0x07
  } cases[] = {
      {{"/on:RH"}, 0x03, 0x07},
      {{"/ON:rh"}, 0x03, 0x07},
      {{"/on:"}, 0x00, 0x07},
      {{"/on:r", "/off:r"}, 0x00, 0x06},
      {{"/off:r", "/on:r"}, 0x01, 0x07},
      {{"/on:s", "/nop:s"}, 0x04, 0x03},
      {{"/nop:h", "/off:s"}, 0x02, 0x01},
  };
  for (const auto& c : cases) {
    Built built(c.arguments);
    EXPECT_EQ(c.orBits, built.record.orMask & 0x07) << c.arguments.back();
    EXPECT_EQ(c.andBits, built.record.andMask & 0x07) << c.arguments.back();
  }
}

TEST(BuildJobSettings, NowIsOneInstantForAllOptions) {
  SYSTEMTIME fields;
  FILETIME before, after;
  GetSystemTime(&fields);
  SystemTimeToFileTime(&fields, &before);
  Built built({"/create:now", "/write:NOW", "/access:Now"});
  GetSystemTime(&fields);
  SystemTimeToFileTime(&fields, &after);
  const JobSettings& r = built.record;
  EXPECT_TRUE(r.creation.enabled && r.lastWrite.enabled && r.lastAccess.enabled);
  EXPECT_EQ(UtcTicks(r.creation), UtcTicks(r.lastWrite));
  EXPECT_EQ(UtcTicks(r.creation), UtcTicks(r.lastAccess));
  EXPECT_GE(UtcTicks(r.creation), Ticks(before));
  EXPECT_LE(UtcTicks(r.creation), Ticks(after));
  if (ZoneIsCentralEurope()) {
    EXPECT_EQ(Ticks(CentralEuropeanLocal(ToFileTime(r.creation.utc))), LocalTicks(r.creation));
  }
}

// An argument that begins with '/' is an option and nothing else. One that is no option, or
// whose value cannot be read, refuses the whole line before any target is looked at; every
// option is still read, so that /dlg:0 anywhere says that nobody is there to be told.
TEST(BuildJobSettings, AnOptionThatCannotBeReadRefusesTheLine) {
  TempFolder folder;
  const std::string file = folder.MakeFile("f.txt"), missing = folder.Join("missing.txt");
  const struct {
    std::vector<std::string> arguments;
    int unreadable;  // 0: the line is read
    bool showDialog;
  } cases[] = {
      {{"/of:h", file}, 1, true},
      {{file, "/acess:now"}, 2, true},
      {{"/on:x", missing}, 1, true},
      {{"/off:hx", "/dlg:0"}, 1, false},
      {{"/dlg:1", "/sub:1 "}, 1, true},
      {{"/", file}, 1, true},
      {{"/Tray:0", "/SUB:1", "/ON:rash", "/create:NOW", file}, 0, true},
  };
  for (const auto& c : cases) {
    Built built(c.arguments);
    const std::string line = c.arguments.front() + " ...";
    EXPECT_EQ(c.unreadable ? BUILD_UNREADABLE : BUILD_READ, built.result) << line;
    EXPECT_EQ(c.unreadable, built.unreadable) << line;
    EXPECT_EQ(c.showDialog, built.record.showDialog) << line;
    if (c.unreadable) {
      EXPECT_EQ(0, built.record.targets->count) << line;
      EXPECT_EQ(0u, NotChangedCount(built.refused)) << "no target looked at: " << line;
    }
  }
}

TEST(BuildJobSettings, EachUnreadableArgumentHasItsTraceLines) {
  TraceLines trace;
  Built built({"/write:now", "/write:2006//01/03 12:34:56", "/access:2006/01/03 12:34", "/of:h",
               "/on:hx"});
  const std::vector<std::string> expected = {
      "! argv[ 2] : 更新日時の指定が読み込めませんでした。\r\n",
      " => /write:2006//01/03 12:34:56\r\n",
      "! argv[ 3] : ｱｸｾｽ日時の指定が読み込めませんでした。\r\n",
      " => /access:2006/01/03 12:34\r\n",
      "! argv[ 4] : 不明なオプションです。\r\n",
      " => /of:h\r\n",
      "! argv[ 5] : 属性の指定が読み込めませんでした。\r\n",
      " => /on:hx\r\n",
  };
  EXPECT_EQ(expected, trace.lines);
  EXPECT_EQ(2, built.unreadable);
}

// Own times and shifts reach the job as rules for each entry, in their own slots; the later
// option of a time replaces the earlier one; a malformed one refuses the command line as an
// unreadable date does, with its two trace lines. The record keeps the first target's own time
// for the dialog's date fields to show.
TEST(BuildJobSettings, OwnTimesAndShiftsBecomeRulesForEachEntry) {
  const long long hour = 36000000000LL;
  const TimeRule off = {false, TIME_KIND_DATE, SLOT_CREATION, 0};
  const TimeRule date = {true, TIME_KIND_DATE, SLOT_CREATION, 0};  // a fixed time instead
  const struct {
    std::vector<std::string> options;
    TimeRule rules[TIME_SLOTS];  // creation, last write, last access
    size_t traceLines;
  } cases[] = {
      {{"/write:+9:00:00"}, {off, {true, TIME_KIND_SHIFT, SLOT_CREATION, 9 * hour}, off}, 0},
      {{"/create:-1.00:00:00"}, {{true, TIME_KIND_SHIFT, SLOT_CREATION, -24 * hour}, off, off}, 0},
      {{"/write:access", "/ACCESS:Write"},
       {off, {true, TIME_KIND_OWN, SLOT_LAST_ACCESS, 0}, {true, TIME_KIND_OWN, SLOT_LAST_WRITE, 0}},
       0},
      {{"/create:write"}, {{true, TIME_KIND_OWN, SLOT_LAST_WRITE, 0}, off, off}, 0},
      {{"/write:+9:00:00", "/write:2006-01-03 12:00:00"}, {off, date, off}, 0},
      {{"/write:2006-01-03 12:00:00", "/write:create"},
       {off, {true, TIME_KIND_OWN, SLOT_CREATION, 0}, off}, 0},
      {{"/access:create", "/access:+9:0:00"}, {off, off, off}, 2},
      {{"/create:modified", "/write:+24:00:00", "/access:-1.2:00"}, {off, off, off}, 6},
  };
  TempFolder folder;
  std::string file = folder.MakeFile("a.txt");
  const FILETIME write = UtcTime(2005, 6, 15, 10, 0, 0);  // Wine reads creation back as it
  ASSERT_TRUE(WriteTimes(file, nullptr, nullptr, &write));
  FILETIME creation, ignored;
  ASSERT_TRUE(ReadTimes(file, &creation, &ignored, &ignored));
  for (const auto& c : cases) {
    std::vector<std::string> arguments = c.options;
    arguments.push_back(file);
    TraceLines trace;
    Built built(arguments);
    const std::string what = c.options.back();
    EXPECT_EQ(c.traceLines, trace.lines.size()) << what;
    if (c.traceLines > 0) {
      EXPECT_EQ(BUILD_UNREADABLE, built.result) << what;
      continue;
    }
    EXPECT_EQ(Ticks(creation), UtcTicks(built.record.creation)) << what;  // no date given it
    AppliedTimes times;
    PlanAppliedTimes(built.record, &times);
    const FILETIME* fixed[TIME_SLOTS] = {times.creation, times.lastWrite, times.lastAccess};
    for (int slot = 0; slot < TIME_SLOTS; ++slot) {
      const TimeRule& expected = c.rules[slot];
      const TimeRule& rule = times.fromEntry.slots[slot];
      bool isDate = expected.on && expected.kind == TIME_KIND_DATE;
      EXPECT_EQ(isDate, fixed[slot] != nullptr) << what << ", slot " << slot;
      EXPECT_EQ(expected.on && !isDate, rule.on) << what << ", slot " << slot;
      if (!rule.on) continue;
      EXPECT_EQ(expected.kind, rule.kind) << what << ", slot " << slot;
      EXPECT_EQ(expected.source, rule.source) << what << ", slot " << slot;
      EXPECT_EQ(expected.ticks, rule.ticks) << what << ", slot " << slot;
    }
  }
}

TEST(BuildJobSettings, DateTextIsLocalTimeOfItsOwnDate) {
  // Europe/Berlin: two hours ahead of UTC in summer, one in winter, whatever the date today.
  if (!ZoneIsCentralEurope()) GTEST_SKIP() << kNeedsCentralEurope;
  const struct {
    const char* argument;
    FILETIME utc;
  } cases[] = {
      {"/write:2006-07-01 12:00:00", UtcTime(2006, 7, 1, 10, 0, 0)},
      {"/write:2006-01-03 12:00:00", UtcTime(2006, 1, 3, 11, 0, 0)},
      {"/write:2006年07月01日12時00分00", UtcTime(2006, 7, 1, 10, 0, 0)},
  };
  for (const auto& c : cases) {
    Built built({c.argument});
    AppliedTimes times;
    PlanAppliedTimes(built.record, &times);
    ASSERT_NE(nullptr, times.lastWrite) << c.argument;
    EXPECT_EQ(Ticks(c.utc), Ticks(*times.lastWrite)) << c.argument;
    EXPECT_EQ(nullptr, times.creation);
    EXPECT_EQ(nullptr, times.lastAccess);
  }
}

// A target is the entry the user chose: renamed away and replaced by a link to another folder
// between its taking and the job, it is left alone and told; the other folder is never changed.
// A link chosen as a target still passes the job on to what it pointed to when chosen.
TEST(BuildJobSettings, ATargetSwappedAfterItWasTakenIsLeftAlone) {
  TempFolder folder;
  std::string own = folder.MakeFile("T\\own.txt"), other = folder.MakeFile("O\\other.txt");
  std::string root = UnixPath(folder.Path());
  if (root.empty()) GTEST_SKIP() << "no Linux side to make links from";
  ASSERT_TRUE(RunLinuxShell(folder, "cd '" + root + "' && ln -s O L"));
  Built built({"/dlg:0", "/on:h", folder.Join("T"), folder.Join("L")});
  ASSERT_EQ(2, built.record.targets->count);
  ASSERT_TRUE(RunLinuxShell(folder, "cd '" + root + "' && mv T T.away && ln -s O T"));
  MakeApplyMasks(&built.record);
  JobReport report;
  StartJobReport(&report);
  built.record.report = &report;
  TraceLines trace;
  RunJob(&built.record);
  EXPECT_FALSE(HasAttribute(folder.Join("T.away\\own.txt"), FILE_ATTRIBUTE_HIDDEN));
  EXPECT_TRUE(HasAttribute(other, FILE_ATTRIBUTE_HIDDEN)) << "through the link chosen";
  ASSERT_EQ(1, report.listedCount);
  EXPECT_EQ(REASON_CHANGED_UNDER_JOB, report.listed[0].reason);
  EXPECT_EQ(Lower(folder.Join("T")), Lower(report.listed[0].path));
  // Only what L pointed to when chosen: pointed elsewhere by the job, it is left alone too.
  SetAttributes(other, 0);
  ASSERT_TRUE(RunLinuxShell(folder, "cd '" + root + "' && rm T && mv T.away T && rm L && ln -s T L"));
  Built again({"/dlg:0", "/on:h", folder.Join("L")});
  ASSERT_TRUE(RunLinuxShell(folder, "cd '" + root + "' && rm L && ln -s O L"));
  MakeApplyMasks(&again.record);
  RunJob(&again.record);
  EXPECT_FALSE(HasAttribute(other, FILE_ATTRIBUTE_HIDDEN));
  EXPECT_FALSE(HasAttribute(own, FILE_ATTRIBUTE_HIDDEN));
  RunLinuxShell(folder, "rm '" + root + "/L'");
}

}  // namespace
