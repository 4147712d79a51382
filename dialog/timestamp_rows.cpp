// Timestamp rows of the main dialog (see timestamp_rows.h). The dialog shows and reads local
// wall-clock time: the record already holds local times. The one conversion here is the
// clock's, from the UTC moment it shows, which a copy button may hand on to a row.
#include "dialog/timestamp_rows.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "app/build_settings.h"
#include "app/local_time.h"
#include "controls/window_helpers.h"
#include "dialog/date_text.h"
#include "dialog/dialog_ids.h"
#include "dialog/row_kinds.h"
#include "text/allocation.h"
#include "text/bounded.h"
#include "text/chars.h"

const TimestampRow kTimestampRows[3] = {
    {TIMESTAMP_LABELS[SLOT_CREATION], IDC_CREATION_ON, IDC_CREATION_DATE, IDC_CREATION_TIME, &JobSettings::creation,
     SLOT_CREATION, IDC_CREATION_KIND, IDC_CREATION_SHIFT_DAYS, IDC_CREATION_SHIFT_TIME,
     IDC_CREATION_OWN},
    {TIMESTAMP_LABELS[SLOT_LAST_WRITE], IDC_LASTWRITE_ON, IDC_LASTWRITE_DATE, IDC_LASTWRITE_TIME,
     &JobSettings::lastWrite, SLOT_LAST_WRITE, IDC_LASTWRITE_KIND, IDC_LASTWRITE_SHIFT_DAYS,
     IDC_LASTWRITE_SHIFT_TIME, IDC_LASTWRITE_OWN},
    {TIMESTAMP_LABELS[SLOT_LAST_ACCESS], IDC_LASTACCESS_ON, IDC_LASTACCESS_DATE, IDC_LASTACCESS_TIME,
     &JobSettings::lastAccess, SLOT_LAST_ACCESS, IDC_LASTACCESS_KIND, IDC_LASTACCESS_SHIFT_DAYS,
     IDC_LASTACCESS_SHIFT_TIME, IDC_LASTACCESS_OWN},
};

const char PROP_TIMESOURCES[] = "PROP_TIMESOURCES";

namespace {

struct TimeSource {
  bool known;
  FILETIME utc;
  FILETIME local;  // what the fields show, to the second
};

// The clock first, then the rows in table order.
struct TimeSources {
  TimeSource fields[4];
};

const int kFieldTextSize = 1024;
const UINT kMessageIconBits = 0x70;

const TimestampRow* RowOfCheckBox(int checkBoxId) {
  for (const TimestampRow& row : kTimestampRows)
    if (row.checkBoxId == checkBoxId) return &row;
  return nullptr;
}

CalendarParts PartsOf(const SYSTEMTIME& time) {
  return CalendarParts{time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
}

bool ScanField(HWND dialog, int id, char separator, int16_t numbers[3]) {
  char text[DATE_TEXT_SIZE] = "";
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return ScanThreeNumbers(text, separator, numbers);
}

TimeSource* SourceOf(HWND dialog, int dateId) {
  TimeSources* sources = static_cast<TimeSources*>(GetPropA(dialog, PROP_TIMESOURCES));
  if (sources == nullptr) return nullptr;
  if (dateId == IDC_NOW_DATE) return &sources->fields[0];
  for (int i = 0; i < 3; ++i)
    if (kTimestampRows[i].dateId == dateId) return &sources->fields[i + 1];
  return nullptr;
}

void NoteSource(HWND dialog, int dateId, bool known, const FILETIME& utc, const FILETIME& local) {
  if (TimeSource* source = SourceOf(dialog, dateId)) *source = TimeSource{known, utc, local};
}

// Without memory for the record every row is read from its text, as if edited.
void MakeTimeSources(HWND dialog) {
  if (GetPropA(dialog, PROP_TIMESOURCES)) return;
  void* sources = AllocateZeroed(1, sizeof(TimeSources));
  if (sources && !SetPropA(dialog, PROP_TIMESOURCES, sources)) std::free(sources);
}

// The days field and the time field joined as the command line writes a shift; the days' unit
// may be there or not, a days field without a sign counts forward, one without a number is no
// day.
bool ReadShiftFields(HWND dialog, const TimestampRow& row, int64_t* ticks) {
  char days[kFieldTextSize] = "", clock[kFieldTextSize] = "", text[2 * kFieldTextSize + 2];
  GetDlgItemTextA(dialog, row.shiftDaysId, days, sizeof days);
  GetDlgItemTextA(dialog, row.shiftTimeId, clock, sizeof clock);
  size_t length = std::strlen(days), unit = std::strlen(kShiftDaysUnit);
  if (length >= unit && std::strcmp(days + length - unit, kShiftDaysUnit) == 0 &&
      ByteKindAt(days, static_cast<int>(length - unit)) != BYTE_TRAIL)
    days[length - unit] = 0;
  bool signed_ = days[0] == '+' || days[0] == '-';
  const char* number = signed_ ? days + 1 : days;
  FormatBounded(text, sizeof text, "%c%s.%s", signed_ ? days[0] : '+', *number ? number : "0",
                clock);
  return ParseShiftText(text, ticks);
}

void ReportRowError(HWND dialog, const char* label, const char* form) {
  char caption[35];
  char text[256];
  FormatBounded(caption, sizeof caption, "項目 [%s] の読み込みエラー", label);
  FormatBounded(text, sizeof text, "項目 [%s] を読み込むことができませんでした。\n%s", label, form);
  ShowMessageBox(dialog, caption, text, MB_OK);
}

// Whether the fields read as the source's instant: they show whole seconds.
bool ReadsAsSource(const TimeSource* source, const FILETIME& read) {
  if (source == nullptr || !source->known) return false;
  ULONGLONG shown = FileTimeTicks(source->local);
  return shown - shown % kTicksPerSecond == FileTimeTicks(read);
}

}  // namespace

void SetTextIfChanged(HWND control, const char* text) {
  char current[kFieldTextSize] = "";
  GetWindowTextA(control, current, sizeof current);
  if (std::strcmp(current, text) != 0) SetWindowTextA(control, text);
}

void ShowSystemTime(HWND dialog, int dateId, int timeId, const SYSTEMTIME& time) {
  char date[DATE_TEXT_SIZE];
  char clock[DATE_TEXT_SIZE];
  FormatDateText(date, PartsOf(time));
  FormatTimeText(clock, PartsOf(time));
  SetTextIfChanged(GetDlgItem(dialog, dateId), date);
  SetTextIfChanged(GetDlgItem(dialog, timeId), clock);
}

void ShowFileTime(HWND dialog, int dateId, int timeId, const FILETIME& time) {
  // A time the kernel cannot convert shows as the clamped zero value, never as stack garbage.
  SYSTEMTIME parts = {};
  FileTimeToSystemTime(&time, &parts);
  ShowSystemTime(dialog, dateId, timeId, parts);
}

void ShowNowTime(HWND dialog, int dateId, int timeId) {
  FILETIME utc, local;
  GetSystemTimeAsFileTime(&utc);
  if (UtcToLocalFileTime(utc, &local)) {
    ShowFileTime(dialog, dateId, timeId, local);
    NoteSource(dialog, dateId, true, utc, local);
    return;
  }
  SYSTEMTIME now;
  GetLocalTime(&now);
  ShowSystemTime(dialog, dateId, timeId, now);
  NoteSource(dialog, dateId, false, utc, utc);
}

bool ParseDateTimeFields(HWND dialog, int dateId, int timeId, SYSTEMTIME* time) {
  std::memset(time, 0, sizeof *time);
  int16_t date[3];
  int16_t clock[3];
  if (!ScanField(dialog, dateId, '-', date) || !ScanField(dialog, timeId, ':', clock))
    return false;
  time->wYear = static_cast<WORD>(date[0]);
  time->wMonth = static_cast<WORD>(date[1]);
  time->wDay = static_cast<WORD>(date[2]);
  time->wHour = static_cast<WORD>(clock[0]);
  time->wMinute = static_cast<WORD>(clock[1]);
  time->wSecond = static_cast<WORD>(clock[2]);
  return true;
}

bool SetTimestampRowEnabled(HWND dialog, int checkBoxId, bool on) {
  const TimestampRow* row = RowOfCheckBox(checkBoxId);
  if (row == nullptr) return false;
  CheckDlgButton(dialog, row->checkBoxId, on ? BST_CHECKED : BST_UNCHECKED);
  UpdateRowEditability(dialog);
  return true;
}

void UpdateRowEditability(HWND dialog) {
  for (const TimestampRow& row : kTimestampRows) {
    bool readOnly = IsDlgButtonChecked(dialog, row.checkBoxId) != BST_CHECKED;
    for (int id : {row.dateId, row.timeId, row.shiftDaysId, row.shiftTimeId})
      SendDlgItemMessageA(dialog, id, EM_SETREADONLY, readOnly, 0);
  }
}

void LoadTimestampRows(HWND dialog, const JobSettings* record) {
  MakeTimeSources(dialog);
  ShowNowTime(dialog, IDC_NOW_DATE, IDC_NOW_TIME);
  for (const TimestampRow& row : kTimestampRows) {
    const TimestampEntry& entry = record->*row.entry;
    SetTimestampRowEnabled(dialog, row.checkBoxId, entry.enabled);
    ShowFileTime(dialog, row.dateId, row.timeId, ToFileTime(entry.time));
    NoteSource(dialog, row.dateId, entry.exact, ToFileTime(entry.utc), ToFileTime(entry.time));
    LoadRowKind(dialog, row, entry);
  }
  ShowRowKinds(dialog);
}

bool CollectTimestampRows(HWND dialog, JobSettings* record) {
  for (const TimestampRow& row : kTimestampRows) {
    TimestampEntry& entry = record->*row.entry;
    entry.enabled = IsDlgButtonChecked(dialog, row.checkBoxId) == BST_CHECKED;
    if (!entry.enabled) continue;
    RowChoice choice = ChosenRowKind(dialog, row);
    if (choice.kind == TIME_KIND_OWN) {
      entry.kind = TIME_KIND_OWN;
      entry.source = choice.source;
      continue;
    }
    if (choice.kind == TIME_KIND_SHIFT) {
      if (!ReadShiftFields(dialog, row, &entry.shift)) {
        // The text stays for the user to mend: a zero shift put in its place would read.
        ReportShiftError(dialog, row.label);
        FocusDialogItem(dialog, row.shiftDaysId);
        return false;
      }
      entry.kind = TIME_KIND_SHIFT;
      continue;
    }
    SYSTEMTIME parts;
    FILETIME time;
    if (ParseDateTimeFields(dialog, row.dateId, row.timeId, &parts) &&
        SystemTimeToFileTime(&parts, &time)) {
      const TimeSource* source = SourceOf(dialog, row.dateId);
      if (ReadsAsSource(source, time)) {
        entry.time = ToFileTimeValue(time);
        entry.exact = true;
        entry.utc = ToFileTimeValue(source->utc);
        continue;
      }
      // A local time with no UTC instant (1601-01-01 00:00:00 east of UTC) could not be applied.
      FILETIME utc;
      if (LocalToUtcFileTime(time, &utc)) {
        entry.time = ToFileTimeValue(time);
        continue;
      }
    }
    ReportDateTimeError(dialog, row.label);
    ShowFileTime(dialog, row.dateId, row.timeId, ToFileTime(entry.time));
    FocusDialogItem(dialog, row.dateId);
    return false;
  }
  return true;
}

void ReportDateTimeError(HWND dialog, const char* label) {
  ReportRowError(dialog, label, "日時は \"yyyy-mm-dd HH:MM:SS\" 形式で指定してください。");
}

void ReportShiftError(HWND dialog, const char* label) {
  ReportRowError(dialog, label,
                 "ずらす時間は、日数を \"+1\" や \"-0\" のように符号を付けて、"
                 "時間を \"HH:MM:SS\" 形式で指定してください。");
}

int ShowMessageBox(HWND owner, const char* caption, const char* text, UINT type) {
  // The sound of the box's icon: the warning, error, question and information bits.
  MessageBeep(type & kMessageIconBits);
  return MessageBoxA(owner, text, caption, type);
}

void CopyTimeSource(HWND dialog, int toDateId, int fromDateId) {
  TimeSource* to = SourceOf(dialog, toDateId);
  const TimeSource* from = SourceOf(dialog, fromDateId);
  if (to && from) *to = *from;
}

void ReleaseTimeSources(HWND dialog) { std::free(RemovePropA(dialog, PROP_TIMESOURCES)); }
