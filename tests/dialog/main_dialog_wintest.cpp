// The real main dialog, opened modeless from the program's own template and procedure: what it
// shows of a record, its window behaviour, the timestamp fields and the file list.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/job_settings.h"
#include "app/job_walk.h"
#include "app/local_time.h"
#include "controls/button_subclass.h"
#include "controls/drag_list.h"
#include "dialog/dialog_ids.h"
#include "dialog/file_list.h"
#include "dialog/main_dialog.h"
#include "dialog/resource_ids.h"
#include "dialog/timestamp_rows.h"
#include "support/message_box_closer.h"
#include "support/shell_drop.h"
#include "support/temp_folder.h"
#include "tests/dialog/dialog_test_support.h"
#include "text/allocation.h"
#include "text/paths.h"

namespace {

using dialogtest::DialogFixture;
using dialogtest::LocalValue;

const int kAttributeIds[4] = {IDC_ARCHIVE, IDC_HIDDEN, IDC_SYSTEM, IDC_READONLY};

class MainDialogTest : public DialogFixture {};

TEST_F(MainDialogTest, ShowsTheRecordItWasGiven) {
  const struct {
    uint32_t andMask, orMask;
    int32_t filterKind;
    bool recurse;
    UINT boxes[4];  // archive, hidden, system, read-only
    const char* kind;
  } cases[] = {
      {0, 0, FILTER_NONE, false, {BST_UNCHECKED, BST_UNCHECKED, BST_UNCHECKED, BST_UNCHECKED},
       "なし"},
      {0x27, 0x27, FILTER_WILDCARD, true, {BST_CHECKED, BST_CHECKED, BST_CHECKED, BST_CHECKED},
       "ワイルドカード"},
      {0x21, 0x27, FILTER_REGEX, false,
       {BST_CHECKED, BST_INDETERMINATE, BST_INDETERMINATE, BST_CHECKED}, "正規表現"},
      {0x02, 0x00, 12345, true, {BST_UNCHECKED, BST_UNCHECKED, BST_UNCHECKED, BST_UNCHECKED},
       "なし"},
  };
  for (const auto& c : cases) {
    record_.andMask = c.andMask;
    record_.orMask = c.orMask;
    record_.filterKind = c.filterKind;
    record_.recurse = c.recurse;
    std::strcpy(record_.filterPattern, "*.txt");
    Open();
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(c.boxes[i], IsDlgButtonChecked(dialog_, kAttributeIds[i])) << c.kind << " " << i;
    EXPECT_EQ(c.recurse ? BST_CHECKED : BST_UNCHECKED, IsDlgButtonChecked(dialog_, IDC_RECURSE));
    EXPECT_EQ(c.kind, ComboText(IDC_FILTER_KIND));
    // The pattern is not shown, and field and label wait for a change of kind or pattern.
    EXPECT_EQ("", Text(IDC_FILTER_PATTERN));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_FILTER_PATTERN)));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_FILTER_LABEL)));
    Close();
  }
}

TEST_F(MainDialogTest, TimestampRowsShowLocalTimesAndRoundTrip) {
  record_.creation = TimestampEntry{true, LocalValue(2006, 1, 2, 3, 4, 5)};
  record_.lastWrite = TimestampEntry{false, LocalValue(1999, 12, 31, 23, 59, 58)};
  record_.lastAccess = TimestampEntry{true, {0, 0}};
  Open();
  const struct {
    int check, date, time;
    UINT checked;
    const char* dateText;
    const char* timeText;
  } rows[] = {
      {IDC_CREATION_ON, IDC_CREATION_DATE, IDC_CREATION_TIME, BST_CHECKED, "2006-01-02",
       "03:04:05"},
      {IDC_LASTWRITE_ON, IDC_LASTWRITE_DATE, IDC_LASTWRITE_TIME, BST_UNCHECKED, "1999-12-31",
       "23:59:58"},
      {IDC_LASTACCESS_ON, IDC_LASTACCESS_DATE, IDC_LASTACCESS_TIME, BST_CHECKED, "1601-01-01",
       "00:00:00"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(row.checked, IsDlgButtonChecked(dialog_, row.check)) << row.dateText;
    EXPECT_EQ(row.dateText, Text(row.date));
    EXPECT_EQ(row.timeText, Text(row.time));
    EXPECT_EQ(row.checked != BST_CHECKED, ReadOnly(row.date)) << row.dateText;
    EXPECT_EQ(row.checked != BST_CHECKED, ReadOnly(row.time)) << row.dateText;
  }
  // Whatever the kernel hands back, the fields show parts within their ranges.
  SYSTEMTIME wild = {};
  wild.wYear = 65535;
  wild.wMonth = 0;
  wild.wDay = 40;
  wild.wHour = 99;
  ShowSystemTime(dialog_, IDC_LASTACCESS_DATE, IDC_LASTACCESS_TIME, wild);
  EXPECT_EQ("9999-01-31", Text(IDC_LASTACCESS_DATE));
  EXPECT_EQ("23:00:00", Text(IDC_LASTACCESS_TIME));
  // A time the kernel cannot convert shows the zero value, clamped into the fields' ranges.
  ShowFileTime(dialog_, IDC_LASTACCESS_DATE, IDC_LASTACCESS_TIME, FILETIME{0, 0x80000000u});
  EXPECT_EQ("1600-01-01", Text(IDC_LASTACCESS_DATE));
  EXPECT_EQ("00:00:00", Text(IDC_LASTACCESS_TIME));

  JobSettings collected{};
  // (1601-01-01 00:00:00 itself has no UTC instant east of UTC: DateFieldsFollowTheScanRules.)
  SetDlgItemTextA(dialog_, IDC_LASTACCESS_DATE, "1601-01-02");
  SetDlgItemTextA(dialog_, IDC_LASTACCESS_TIME, "00:00:00");
  ASSERT_TRUE(CollectTimestampRows(dialog_, &collected));
  EXPECT_TRUE(collected.creation.enabled);
  EXPECT_EQ(record_.creation.time.low, collected.creation.time.low);
  EXPECT_EQ(record_.creation.time.high, collected.creation.time.high);
  EXPECT_FALSE(collected.lastWrite.enabled);  // a row that is off is never read
  EXPECT_EQ(0u, collected.lastWrite.time.low | collected.lastWrite.time.high);
}

FILETIME PlusTicks(const FILETIME& time, unsigned long long ticks) {
  unsigned long long sum = Ticks(time) + ticks;
  return FILETIME{static_cast<DWORD>(sum), static_cast<DWORD>(sum >> 32)};
}

// A row as the command line leaves it: the local time shown, and the instant it came from.
TimestampEntry FromInstant(const FILETIME& utc) {
  TimestampEntry entry;
  entry.enabled = false;
  entry.time = ToFileTimeValue(CentralEuropeanLocal(utc));
  entry.exact = true;
  entry.utc = ToFileTimeValue(utc);
  return entry;
}

// In the hour that repeats when the clocks go back, one local time stands for two instants. A
// row whose text still reads as the instant it came from (a target's own time, the clock, a copy
// of either) hands on that instant, to the tick; a row the user edited is read as local time.
TEST_F(MainDialogTest, UneditedRowsAndCopiesKeepTheirExactInstants) {
  if (!ZoneIsCentralEurope()) GTEST_SKIP() << kNeedsCentralEurope;
  const FILETIME early = UtcTime(2006, 10, 29, 0, 30, 0);  // 02:30 summer time
  const FILETIME late = PlusTicks(UtcTime(2006, 10, 29, 1, 30, 0), 1234567);  // 02:30 again
  record_.creation = FromInstant(early);
  record_.lastWrite = FromInstant(late);
  FILETIME before, after;
  GetSystemTimeAsFileTime(&before);
  Open();
  for (int id : {IDC_CREATION_DATE, IDC_LASTWRITE_DATE}) EXPECT_EQ("2006-10-29", Text(id));
  for (int id : {IDC_CREATION_TIME, IDC_LASTWRITE_TIME}) EXPECT_EQ("02:30:00", Text(id));
  for (int id : {IDC_CREATION_ON, IDC_LASTWRITE_ON, IDC_LASTACCESS_ON})
    SetTimestampRowEnabled(dialog_, id, true);
  auto press = [this](int id) {
    SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Item(id)));
  };
  press(IDC_LASTACCESS_FROM_CREATION);
  JobSettings collected{};
  ASSERT_TRUE(CollectTimestampRows(dialog_, &collected));
  AppliedTimes times;
  PlanAppliedTimes(collected, &times);
  ASSERT_TRUE(times.creation && times.lastWrite && times.lastAccess);
  EXPECT_EQ(Ticks(early), Ticks(*times.creation));
  EXPECT_EQ(Ticks(late), Ticks(*times.lastWrite));
  EXPECT_EQ(Ticks(early), Ticks(*times.lastAccess));

  // The clock's moment through its copy button; an edited row is local time again, and the
  // same text typed anew stands for the instant it still reads as.
  press(IDC_CREATION_FROM_NOW);
  GetSystemTimeAsFileTime(&after);
  SetDlgItemTextA(dialog_, IDC_LASTWRITE_TIME, "02:30:01");
  SetDlgItemTextA(dialog_, IDC_LASTACCESS_TIME, "2:30:00");
  JobSettings again{};
  ASSERT_TRUE(CollectTimestampRows(dialog_, &again));
  PlanAppliedTimes(again, &times);
  ASSERT_TRUE(times.creation && times.lastWrite && times.lastAccess);
  EXPECT_GE(Ticks(*times.creation), Ticks(before));
  EXPECT_LE(Ticks(*times.creation), Ticks(after));
  EXPECT_FALSE(again.lastWrite.exact);
  const unsigned long long second = 10000000;
  EXPECT_TRUE(Ticks(*times.lastWrite) == Ticks(early) + second ||
              Ticks(*times.lastWrite) == Ticks(UtcTime(2006, 10, 29, 1, 30, 1)));
  EXPECT_EQ(Ticks(early), Ticks(*times.lastAccess));
}

TimestampEntry KindEntry(bool on, TimeKind kind, TimeSlot source, long long shift) {
  TimestampEntry entry = {on, LocalValue(2006, 1, 2, 3, 4, 5)};
  entry.kind = kind;
  entry.source = source;
  entry.shift = shift;
  return entry;
}

const long long kSecond = 10000000, kHour = 3600 * kSecond, kDay = 24 * kHour;

class RowKindsTest : public MainDialogTest {
 protected:
  void Choose(int listId, const char* text) {
    LRESULT index = SendMessageA(Item(listId), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(text));
    ASSERT_GE(index, 0) << text;
    SendMessageA(Item(listId), CB_SETCURSEL, index, 0);
    SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(listId, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Item(listId)));
  }
  bool Shown(int id) const { return IsWindowVisible(Item(id)) != FALSE; }
  bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
};

// Each row shows its kind as the record holds it, with that kind's fields alone (an own time of
// the row's own slot is a zero shift), reachable by the keyboard; copy buttons work only from a
// date into a date; collecting gives the kinds back; the reset puts them back after a change.
TEST_F(RowKindsTest, TheRecordsKindsShowAndComeBack) {
  record_.creation = KindEntry(true, TIME_KIND_SHIFT, SLOT_CREATION, -(kDay + 9 * kHour + 1800 * kSecond));
  record_.lastWrite = KindEntry(true, TIME_KIND_OWN, SLOT_LAST_ACCESS, 0);
  record_.lastAccess = KindEntry(false, TIME_KIND_OWN, SLOT_LAST_ACCESS, 5 * kHour);
  Open();
  const struct {
    int list;
    const char* kind;
    int shown[2];  // of the date, shift and own fields, the ones shown
    const char* texts[2];
  } rows[] = {
      {IDC_CREATION_KIND, "ずらす", {IDC_CREATION_SHIFT_DAYS, IDC_CREATION_SHIFT_TIME},
       {"-1日", "09:30:00"}},
      {IDC_LASTWRITE_KIND, "←ｱｸｾｽ日時", {IDC_LASTWRITE_OWN, 0}, {"各ﾌｧｲﾙのｱｸｾｽ日時", ""}},
      {IDC_LASTACCESS_KIND, "ずらす", {IDC_LASTACCESS_SHIFT_DAYS, IDC_LASTACCESS_SHIFT_TIME},
       {"+0日", "00:00:00"}},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(row.kind, ComboText(row.list));
    int first = row.list - IDC_CREATION_KIND;  // the row's index
    const int fields[] = {IDC_CREATION_DATE + 2 * first, IDC_CREATION_TIME + 2 * first,
                          IDC_CREATION_SHIFT_DAYS + 2 * first, IDC_CREATION_SHIFT_TIME + 2 * first,
                          IDC_CREATION_OWN + first};
    for (int field : fields) {
      bool expected = field == row.shown[0] || field == row.shown[1];
      EXPECT_EQ(expected, Shown(field)) << row.kind << " " << field;
    }
    for (int i = 0; i < 2; ++i) {
      if (row.shown[i] != 0) {
        EXPECT_EQ(row.texts[i], Text(row.shown[i]));
      }
    }
  }
  // The switch, its list, then the fields shown.
  EXPECT_EQ(Item(IDC_CREATION_KIND), GetNextDlgTabItem(dialog_, Item(IDC_CREATION_ON), FALSE));
  EXPECT_EQ(Item(IDC_CREATION_SHIFT_DAYS),
            GetNextDlgTabItem(dialog_, Item(IDC_CREATION_KIND), FALSE));
  for (int id = IDC_COPY_FIRST; id <= IDC_COPY_LAST; ++id) EXPECT_FALSE(Enabled(id)) << id;

  JobSettings collected{};
  ASSERT_TRUE(CollectTimestampRows(dialog_, &collected));
  EXPECT_EQ(TIME_KIND_SHIFT, collected.creation.kind);
  EXPECT_EQ(record_.creation.shift, collected.creation.shift);
  EXPECT_EQ(TIME_KIND_OWN, collected.lastWrite.kind);
  EXPECT_EQ(SLOT_LAST_ACCESS, collected.lastWrite.source);
  EXPECT_FALSE(collected.lastAccess.enabled);

  // The last-write row back to a date: its fields and the copy buttons between dates return.
  Choose(IDC_LASTWRITE_KIND, "日時指定");
  EXPECT_TRUE(Shown(IDC_LASTWRITE_DATE) && Shown(IDC_LASTWRITE_TIME));
  EXPECT_FALSE(Shown(IDC_LASTWRITE_OWN));
  EXPECT_EQ("2006-01-02", Text(IDC_LASTWRITE_DATE));
  EXPECT_TRUE(Enabled(IDC_LASTWRITE_FROM_NOW));
  EXPECT_FALSE(Enabled(IDC_LASTWRITE_FROM_CREATION));   // the creation row shows a shift
  EXPECT_FALSE(Enabled(IDC_LASTACCESS_FROM_LASTWRITE));  // into a shift
  EXPECT_FALSE(Enabled(IDC_LASTWRITE_FROM_LASTWRITE));   // onto itself, ever
  Choose(IDC_CREATION_KIND, "日時指定");
  EXPECT_TRUE(Enabled(IDC_LASTWRITE_FROM_CREATION));
  EXPECT_TRUE(Enabled(IDC_CREATION_FROM_LASTWRITE));
  EXPECT_FALSE(Enabled(IDC_CREATION_FROM_CREATION));
  SendMessageA(dialog_, WM_SYSCOMMAND, IDM_RESET_TIMESTAMPS, 0);
  EXPECT_EQ("ずらす", ComboText(IDC_CREATION_KIND));
  EXPECT_EQ("←ｱｸｾｽ日時", ComboText(IDC_LASTWRITE_KIND));
  EXPECT_TRUE(Shown(IDC_LASTWRITE_OWN));
  EXPECT_FALSE(Enabled(IDC_LASTWRITE_FROM_NOW));
}

// What the last-write row collects for each kind chosen and each shift typed; a shift that
// cannot be read is refused on OK with the row's message, its text kept, the focus on it.
TEST_F(RowKindsTest, ChosenKindsAndTypedShiftsAreCollected) {
  const struct {
    const char* kind;
    const char* days;
    const char* time;
    bool accepted;
    TimeKind collected = TIME_KIND_DATE;
    TimeSlot source = SLOT_CREATION;
    long long shift = 0;
  } cases[] = {
      {"ずらす", "+1日", "09:00:00", true, TIME_KIND_SHIFT, SLOT_CREATION, kDay + 9 * kHour},
      {"ずらす", "-0日", "9:00:00", true, TIME_KIND_SHIFT, SLOT_CREATION, -9 * kHour},
      {"ずらす", "2", "00:00:01", true, TIME_KIND_SHIFT, SLOT_CREATION, 2 * kDay + kSecond},
      {"ずらす", "", "23:59:59", true, TIME_KIND_SHIFT, SLOT_CREATION, kDay - kSecond},
      {"ずらす", "-", "1:00:00", true, TIME_KIND_SHIFT, SLOT_CREATION, -kHour},
      {"ずらす", "+1日", "9:0:00", false},
      {"ずらす", "1.5", "00:00:00", false},
      {"ずらす", "+1日日", "00:00:00", false},
      {"ずらす", "+1 日", "00:00:00", false},
      {"ずらす", "+1日", "24:00:00", false},
      {"←作成日時", "x", "x", true, TIME_KIND_OWN, SLOT_CREATION, 0},
      {"←ｱｸｾｽ日時", "", "", true, TIME_KIND_OWN, SLOT_LAST_ACCESS, 0},
  };
  Open();
  SetTimestampRowEnabled(dialog_, IDC_LASTWRITE_ON, true);
  for (const auto& c : cases) {
    Choose(IDC_LASTWRITE_KIND, c.kind);
    SetDlgItemTextA(dialog_, IDC_LASTWRITE_SHIFT_DAYS, c.days);
    SetDlgItemTextA(dialog_, IDC_LASTWRITE_SHIFT_TIME, c.time);
    JobSettings collected{};
    std::vector<SeenMessageBox> seen;
    {
      MessageBoxCloser closer(dialog_);
      EXPECT_EQ(c.accepted, CollectTimestampRows(dialog_, &collected)) << c.days << " " << c.time;
      seen = closer.Seen();
    }
    if (!c.accepted) {
      ASSERT_EQ(1u, seen.size()) << c.days << " " << c.time;
      EXPECT_EQ("項目 [更新日時] の読み込みエラー", seen[0].caption);
      EXPECT_NE(std::string::npos, seen[0].text.find("ずらす時間は")) << seen[0].text;
      EXPECT_EQ(Item(IDC_LASTWRITE_SHIFT_DAYS), GetFocus());
      EXPECT_EQ(c.days, Text(IDC_LASTWRITE_SHIFT_DAYS));
      continue;
    }
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(c.collected, collected.lastWrite.kind) << c.days << " " << c.time;
    if (c.collected == TIME_KIND_OWN) {
      EXPECT_EQ(c.source, collected.lastWrite.source) << c.kind;
    }
    if (c.collected == TIME_KIND_SHIFT) {
      EXPECT_EQ(c.shift, collected.lastWrite.shift) << c.days << " " << c.time;
    }
  }
}

std::vector<int> gDestroyNotices;
HWND gNoticedDialog = nullptr;

LRESULT CALLBACK NoteDestroyNotices(int code, WPARAM wParam, LPARAM lParam) {
  const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && call->message == WM_NOTIFY && call->hwnd == gNoticedDialog) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(call->lParam);
    bool button = header->code == BTNN_DESTROY && GetPropA(header->hwndFrom, BTNPROP_ORIGINALPROC);
    bool list = header->code == DDLBN_DESTROY && GetPropA(header->hwndFrom, DDLBPROP_ORIGINALPROC);
    if (button || list) gDestroyNotices.push_back(static_cast<int>(header->idFrom));
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Every control the dialog subclasses sits directly on its class's own procedure, below any
// hook a tooltip puts on it: a tooltip takes its hook off when it goes, which it does before
// the controls, and would otherwise put back what it found and cut the subclass out of the
// chain. (Wine 8 leaves such hooks on, measured, so the order does not show at destruction
// there.) And each one says that it is being destroyed.
TEST_F(MainDialogTest, EverySubclassedControlIsFirstAndReportsItsDestruction) {
  const struct {
    int id;
    const char* property;
  } controls[] = {
      {IDC_ARCHIVE, BTNPROP_ORIGINALPROC},       {IDC_HIDDEN, BTNPROP_ORIGINALPROC},
      {IDC_SYSTEM, BTNPROP_ORIGINALPROC},        {IDC_READONLY, BTNPROP_ORIGINALPROC},
      {IDC_CREATION_ON, BTNPROP_ORIGINALPROC},   {IDC_LASTWRITE_ON, BTNPROP_ORIGINALPROC},
      {IDC_LASTACCESS_ON, BTNPROP_ORIGINALPROC}, {IDC_FILE_LIST, DDLBPROP_ORIGINALPROC},
  };
  Open();
  std::vector<int> expected;
  for (const auto& c : controls) {
    EXPECT_EQ(GetClassLongPtrA(Item(c.id), GCLP_WNDPROC),
              reinterpret_cast<LONG_PTR>(GetPropA(Item(c.id), c.property)))
        << c.id;
    expected.push_back(c.id);
  }
  gDestroyNotices.clear();
  gNoticedDialog = dialog_;
  HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, NoteDestroyNotices, nullptr, GetCurrentThreadId());
  ASSERT_NE(nullptr, hook);
  Close();
  UnhookWindowsHookEx(hook);
  std::sort(gDestroyNotices.begin(), gDestroyNotices.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(expected, gDestroyNotices);
}

TEST_F(MainDialogTest, DateFieldsFollowTheScanRulesAndTheCalendar) {
  TIME_ZONE_INFORMATION zone;
  GetTimeZoneInformation(&zone);
  // The first moment a file time holds is 1601-01-01 00:00:00 UTC: east of UTC that local time
  // comes before it and has no file time, which the job could not apply.
  bool eastOfUtc = zone.Bias < 0;
  Open();
  SetTimestampRowEnabled(dialog_, IDC_CREATION_ON, true);
  const struct {
    const char* date;
    const char* time;
    bool accepted;
    FileTimeValue value;
  } cases[] = {
      {"2006-1-2", "3:4:5", true, LocalValue(2006, 1, 2, 3, 4, 5)},
      {" 2006-01-02", "23:59:59", true, LocalValue(2006, 1, 2, 23, 59, 59)},
      {"2006-01-02 12:00", "00:00:00", true, LocalValue(2006, 1, 2, 0, 0, 0)},
      {"2004-02-29", "00:00:00", true, LocalValue(2004, 2, 29, 0, 0, 0)},
      {"2006/01/02", "00:00:00", false, {}},
      {"2006-01", "00:00:00", false, {}},
      {"2006-02-30", "00:00:00", false, {}},
      {"1600-01-01", "00:00:00", false, {}},  // the lowest year the fields show
      {"1601-01-01", "00:00:00", !eastOfUtc, LocalValue(1601, 1, 1, 0, 0, 0)},
      {"1601-01-01", "23:59:59", true, LocalValue(1601, 1, 1, 23, 59, 59)},
      {"2006-04-31", "00:00:00", false, {}},
      {"2006-13-01", "00:00:00", false, {}},
      {"2006-01-02", "24:00:00", false, {}},
      {"2006-01-02", "65536:0:0", false, {}},
  };
  MessageBoxCloser closer(dialog_);
  size_t reported = 0;
  for (const auto& c : cases) {
    SetDlgItemTextA(dialog_, IDC_CREATION_DATE, c.date);
    SetDlgItemTextA(dialog_, IDC_CREATION_TIME, c.time);
    JobSettings collected{};
    EXPECT_EQ(c.accepted, CollectTimestampRows(dialog_, &collected)) << c.date << " " << c.time;
    if (c.accepted) {
      EXPECT_EQ(c.value.low, collected.creation.time.low) << c.date;
      EXPECT_EQ(c.value.high, collected.creation.time.high) << c.date;
    } else {
      ++reported;
    }
  }
  EXPECT_EQ(reported, closer.Seen().size());
}

TEST_F(MainDialogTest, AnUnreadableRowIsReportedResetAndFocused) {
  Open();
  SetTimestampRowEnabled(dialog_, IDC_CREATION_ON, true);
  SetTimestampRowEnabled(dialog_, IDC_LASTACCESS_ON, true);
  SetDlgItemTextA(dialog_, IDC_CREATION_DATE, "2006-02-30");
  SetDlgItemTextA(dialog_, IDC_LASTACCESS_DATE, "later row");
  JobSettings collected{};
  std::vector<SeenMessageBox> seen;
  {
    MessageBoxCloser closer(dialog_);
    EXPECT_FALSE(CollectTimestampRows(dialog_, &collected));
    seen = closer.Seen();
  }
  ASSERT_EQ(1u, seen.size());
  EXPECT_EQ("項目 [作成日時] の読み込みエラー", seen[0].caption);
  EXPECT_EQ("項目 [作成日時] を読み込むことができませんでした。\n"
            "日時は \"yyyy-mm-dd HH:MM:SS\" 形式で指定してください。",
            seen[0].text);
  EXPECT_EQ("1601-01-01", Text(IDC_CREATION_DATE));
  EXPECT_EQ("00:00:00", Text(IDC_CREATION_TIME));
  EXPECT_EQ(Item(IDC_CREATION_DATE), GetFocus());
  EXPECT_EQ("later row", Text(IDC_LASTACCESS_DATE));
}

TEST_F(MainDialogTest, ClockShowsTheLocalTimeAndUnchangedTextIsNotRewritten) {
  Open();
  // The second may turn between reading the clock and the tick: try until both agree.
  bool agreed = false;
  for (int attempt = 0; attempt < 5 && !agreed; ++attempt) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    SendMessageA(dialog_, WM_TIMER, MAIN_DIALOG_CLOCK_TIMER, 0);
    char date[16], time[16];
    wsprintfA(date, "%04d-%02d-%02d", now.wYear, now.wMonth, now.wDay);
    wsprintfA(time, "%02d:%02d:%02d", now.wHour, now.wMinute, now.wSecond);
    agreed = Text(IDC_NOW_DATE) == date && Text(IDC_NOW_TIME) == time;
  }
  EXPECT_TRUE(agreed);

  HWND field = Item(IDC_CREATION_DATE);
  SetWindowTextA(field, "2006-01-02");
  SendMessageA(field, EM_SETSEL, 2, 5);
  SetTextIfChanged(field, "2006-01-02");
  DWORD start = 0, end = 0;
  SendMessageA(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(2u, start);
  EXPECT_EQ(5u, end);
  SetTextIfChanged(field, "2007-01-02");
  EXPECT_EQ("2007-01-02", Text(IDC_CREATION_DATE));
}

TEST_F(MainDialogTest, MovesByItsClientAreaAndResizesOnlyVertically) {
  Open();
  RECT frame;
  GetWindowRect(dialog_, &frame);
  RECT client;
  GetClientRect(dialog_, &client);
  POINT origin = {0, 0};
  ClientToScreen(dialog_, &origin);
  int midX = (frame.left + frame.right) / 2;
  int midY = (frame.top + frame.bottom) / 2;
  const struct {
    POINT point;
    LRESULT expected;
  } cases[] = {
      {{origin.x + 2, origin.y + client.bottom - 2}, HTCAPTION},  // bare client area
      {{frame.left, midY}, HTBORDER},
      {{frame.right - 1, midY}, HTBORDER},
      {{frame.left, frame.top}, HTTOP},
      {{frame.right - 1, frame.top}, HTTOP},
      {{frame.left, frame.bottom - 1}, HTBOTTOM},
      {{frame.right - 1, frame.bottom - 1}, HTBOTTOM},
      {{midX, frame.bottom - 1}, HTBOTTOM},  // not in the table: the platform's own answer
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.expected, SendMessageA(dialog_, WM_NCHITTEST, 0,
                                       MAKELPARAM(c.point.x, c.point.y)))
        << c.point.x << "," << c.point.y;

  int width = frame.right - frame.left;
  int height = frame.bottom - frame.top;
  MINMAXINFO limits = {};
  limits.ptMaxTrackSize = {5000, 5000};
  SendMessageA(dialog_, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  EXPECT_EQ(width, limits.ptMinTrackSize.x);
  EXPECT_EQ(height, limits.ptMinTrackSize.y);
  EXPECT_EQ(width, limits.ptMaxTrackSize.x);
  EXPECT_EQ(5000, limits.ptMaxTrackSize.y);

  int listHeight = Height(Item(IDC_FILE_LIST));
  SetWindowPos(dialog_, nullptr, 0, 0, width, height + 60, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(listHeight + 60, Height(Item(IDC_FILE_LIST)));
  ShowWindow(dialog_, SW_MINIMIZE);
  ShowWindow(dialog_, SW_RESTORE);
  EXPECT_EQ(listHeight + 60, Height(Item(IDC_FILE_LIST)));
  SetWindowPos(dialog_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(listHeight, Height(Item(IDC_FILE_LIST)));
}

// A row's copy from its own time would change nothing: it can be neither clicked nor reached.
TEST_F(MainDialogTest, SelfCopyButtonsAreOffAndTheFirstBoxHasTheFocus) {
  Open();
  for (int id : {IDC_CREATION_FROM_CREATION, IDC_LASTWRITE_FROM_LASTWRITE}) {
    EXPECT_FALSE(IsWindowEnabled(Item(id))) << id;
    EXPECT_FALSE(GetWindowLongPtrA(Item(id), GWL_STYLE) & WS_TABSTOP) << id;
  }
  // The first tab stop takes the focus.
  EXPECT_EQ(Item(IDC_ARCHIVE), GetFocus());
}

class FileListTest : public DialogFixture {
 protected:
  TempFolder folder_;
};

std::vector<int> Selected(HWND list) {
  int count = 0;
  int* indices = GetSelectedEntries(list, &count);
  std::vector<int> result(indices, indices + count);
  std::free(indices);
  return result;
}

void* FailingAllocator(size_t, size_t) { return nullptr; }

// A folder path of exactly 260 bytes (double-byte letters, each one unit to the platform) has
// no room for the trailing backslash: it is listed without one, and collected back.
TEST_F(FileListTest, AFolderOfTheFullPathLengthIsListedWithoutItsBackslash) {
  const std::string alpha = "\x83\xbf";  // a Greek letter in code page 932
  std::size_t room = MAX_PATH_BYTES - folder_.Path().size() - 1;
  std::string name(room % 2, 'x');
  while (name.size() < room) name += alpha;
  std::string sub = folder_.MakeFolder(name);
  ASSERT_EQ(static_cast<std::size_t>(MAX_PATH_BYTES), sub.size());
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, Attributes(sub));
  std::string file = folder_.MakeFile("a.txt");
  AddTarget(record_.targets, sub.c_str());
  AddTarget(record_.targets, file.c_str());
  Open();
  EXPECT_EQ(dialogtest::Lower(std::vector<std::string>{FILE_LIST_HEADER, file, sub}),
            dialogtest::Lower(Entries()));
  TargetList* collected = ListCreate();
  CollectFileList(Item(IDC_FILE_LIST), collected);
  ASSERT_EQ(2, collected->count);
  EXPECT_EQ(dialogtest::Lower(sub), TargetAt(collected, 0));
  DestroyTargetList(collected);
}

TEST_F(FileListTest, FilledFromTheTargetsWithTheHeaderFirst) {
  std::string file = folder_.MakeFile("B file.txt");
  std::string sub = folder_.MakeFolder("A Sub");
  std::string relative = folder_.MakeFile("C relative.txt");
  AddTarget(record_.targets, file.c_str());
  AddTarget(record_.targets, sub.c_str());
  AddTarget(record_.targets, folder_.Join("missing.txt").c_str());
  AddTarget(record_.targets, file.c_str());  // twice in the record, once in the list
  // A relative name is the working folder's entry, not one parsed from the desktop folder.
  AddTarget(record_.targets, "C relative.txt");
  char previous[MAX_PATH + 1] = "";
  GetCurrentDirectoryA(sizeof previous, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(folder_.Path().c_str()));
  Open();
  SetCurrentDirectoryA(previous);
  EXPECT_EQ(dialogtest::Lower(
                std::vector<std::string>{FILE_LIST_HEADER, sub + "\\", file, relative}),
            dialogtest::Lower(Entries()));
  // The shell's form of the path, not the record's lower-case copy.
  EXPECT_NE(std::string::npos, Entries()[2].find("B file.txt")) << Entries()[2];
}

TEST_F(FileListTest, DropsAddFilesFoldersAndShortcutTargetsOnce) {
  std::string file = folder_.MakeFile("Plain.txt");
  std::string sub = folder_.MakeFolder("Folder");
  std::string target = folder_.MakeFile("Target.txt");
  std::string gone = folder_.MakeFile("Gone.txt");
  std::string toTarget = folder_.Join("to target.lnk");
  std::string toGone = folder_.Join("to gone.lnk");
  ASSERT_TRUE(MakeShortcut(toTarget, target));
  ASSERT_TRUE(MakeShortcut(toGone, gone));
  DeleteFileA(gone.c_str());
  // A name the plain path would read as another file's ("Other.txt."), as other systems' disks
  // hold them: never listed, and never listed as that other file.
  folder_.MakeFile("Other.txt");
  std::string dotted = folder_.Join("Other.txt.");
  HANDLE literal = CreateFileW((L"\\\\?\\" + Widen(dotted)).c_str(), GENERIC_WRITE, 0, nullptr,
                               CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, literal);
  CloseHandle(literal);
  Open();
  std::string upper = file;
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  HDROP drop =
      MakeDrop({file, sub, toTarget, toGone, upper, folder_.Join("missing.txt"), dotted});
  ASSERT_EQ(7u, DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0));
  SendMessageA(Item(IDC_FILE_LIST), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
  EXPECT_EQ(dialogtest::Lower(
                std::vector<std::string>{FILE_LIST_HEADER, sub + "\\", file, target, toGone}),
            dialogtest::Lower(Entries()));
  // A second drop of the same names in any letter case adds nothing.
  SendMessageA(Item(IDC_FILE_LIST), WM_DROPFILES,
               reinterpret_cast<WPARAM>(MakeDrop({upper, toTarget, dotted})), 0);
  EXPECT_EQ(5u, Entries().size());
}

// Case twins can only be made from the Linux side (scripts/wine-tests): in a case-sensitive folder
// Sel.txt and sel.txt are two files, and both dropped are both listed and both collected.
TEST_F(FileListTest, CaseTwinsFromACaseSensitiveFolderStayTwoEntries) {
  const char* fixture = std::getenv("MORVANE_LINK_FIXTURE");
  if (fixture == nullptr || *fixture == 0) GTEST_SKIP() << "MORVANE_LINK_FIXTURE is not set";
  std::string root = std::string("Z:") + fixture + "/case";
  for (char& c : root)
    if (c == '/') c = '\\';
  Open();
  const std::string upper = root + "\\Sel.txt", lower = root + "\\sel.txt";
  for (int drop = 0; drop < 2; ++drop)
    SendMessageA(Item(IDC_FILE_LIST), WM_DROPFILES,
                 reinterpret_cast<WPARAM>(MakeDrop({upper, lower})), 0);
  std::vector<std::string> entries = Entries();
  ASSERT_EQ(3u, entries.size());
  EXPECT_EQ(dialogtest::Lower(upper), dialogtest::Lower(entries[1]));
  EXPECT_EQ(dialogtest::Lower(lower), dialogtest::Lower(entries[2]));
  EXPECT_NE(entries[1], entries[2]);
  TargetList* collected = ListCreate();
  CollectFileList(Item(IDC_FILE_LIST), collected);
  std::vector<std::string> paths;
  for (int i = 0; i < collected->count; ++i) paths.push_back(TargetAt(collected, i));
  DestroyTargetList(collected);
  std::sort(paths.begin(), paths.end());
  // Folded where the folded path names the same entry, as every target is kept.
  EXPECT_EQ((std::vector<std::string>{upper, dialogtest::Lower(lower)}), paths);
}

// The shell drops UTF-16 names: one the code page cannot hold is listed by its short path, never
// as the look-alike that names another file; one without a short path is left out.
TEST_F(FileListTest, DroppedNamesTheCodePageCannotHoldAreListedByTheirShortPaths) {
  folder_.MakeFile("e.txt");
  folder_.MakeFile("a\\b.txt");
  std::wstring accented = folder_.MakeWideEntry(L"\u00e9.txt", false);
  std::wstring yen = folder_.MakeWideEntry(L"a\u00a5b.txt", false);
  Open();
  SendMessageA(Item(IDC_FILE_LIST), WM_DROPFILES,
               reinterpret_cast<WPARAM>(MakeDrop(std::vector<std::wstring>{
                   accented, yen, Widen(folder_.Path()) + L"\\missing\u00fc.txt"})),
               0);
  std::vector<std::string> expected = dialogtest::Lower(
      std::vector<std::string>{FILE_LIST_HEADER, ShortPathOf(accented), ShortPathOf(yen)});
  std::vector<std::string> entries = dialogtest::Lower(Entries());
  ASSERT_EQ(3u, entries.size());
  std::sort(expected.begin() + 1, expected.end());
  std::sort(entries.begin() + 1, entries.end());
  EXPECT_EQ(expected, entries);
}

TEST_F(FileListTest, DeleteRemovesSelectedPathsButNeverTheHeader) {
  for (const char* name : {"a.txt", "b.txt", "c.txt"})
    AddTarget(record_.targets, folder_.MakeFile(name).c_str());
  Open();
  HWND list = Item(IDC_FILE_LIST);
  auto selectOnly = [list](std::vector<int> indices) {
    SendMessageA(list, LB_SETSEL, FALSE, -1);
    for (int index : indices) SendMessageA(list, LB_SETSEL, TRUE, index);
  };
  auto press = [list](WPARAM key) {
    SendMessageA(list, WM_KEYDOWN, key, 0);
    SendMessageA(list, WM_KEYUP, key, 0);
  };
  selectOnly({0});
  press(VK_DELETE);
  EXPECT_EQ(4u, Entries().size());
  selectOnly({1});
  press(VK_BACK);  // the list's own Backspace deletion never runs here
  EXPECT_EQ(4u, Entries().size());
  EXPECT_EQ((std::vector<int>{1}), Selected(list));
  selectOnly({0, 1, 3});
  EXPECT_EQ((std::vector<int>{1, 3}), Selected(list));
  // Without memory for the indices nothing is deleted, and nothing throws through the dialog.
  SetAllocatorForTests(FailingAllocator);
  press(VK_DELETE);
  SetAllocatorForTests(nullptr);
  EXPECT_EQ(4u, Entries().size());
  press(VK_DELETE);
  EXPECT_EQ(dialogtest::Lower(std::vector<std::string>{FILE_LIST_HEADER, folder_.Join("b.txt")}),
            dialogtest::Lower(Entries()));
  // Neither Alt+arrow nor a drag moves an entry in the sorted list.
  SendMessageA(list, LB_SETCURSEL, 1, 0);
  SendMessageA(list, WM_SYSKEYDOWN, VK_UP, 0x20000000);
  EXPECT_EQ(FILE_LIST_HEADER, Entries()[0]);
}

TEST_F(FileListTest, CollectedInReverseSortedOrderWithoutVanishedEntries) {
  std::string b = folder_.MakeFile("B.txt");
  std::string a = folder_.MakeFile("a.txt");
  std::string c = folder_.MakeFile("c.txt");
  std::string sub = folder_.MakeFolder("D");
  for (const std::string& path : {b, a, c, sub}) AddTarget(record_.targets, path.c_str());
  Open();
  DeleteFileA(c.c_str());
  TargetList* collected = ListCreate();
  CollectFileList(Item(IDC_FILE_LIST), collected);
  std::vector<std::string> paths;
  for (int i = 0; i < collected->count; ++i) paths.push_back(TargetAt(collected, i));
  DestroyTargetList(collected);
  EXPECT_EQ((std::vector<std::string>{dialogtest::Lower(sub) + "\\", dialogtest::Lower(b),
                                      dialogtest::Lower(a)}),
            paths);
}

}  // namespace
