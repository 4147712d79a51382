// The kinds of the timestamp rows (see row_kinds.h).
#include "dialog/row_kinds.h"

#include <initializer_list>

#include "controls/window_helpers.h"
#include "dialog/dialog_ids.h"
#include "text/bounded.h"

const char kShiftDaysShape[] = "+#######日";
const char kShiftDaysUnit[] = "日";

const CopyButton kCopyButtons[9] = {
    {IDC_CREATION_FROM_NOW, IDC_CREATION_DATE, IDC_CREATION_TIME, IDC_NOW_DATE, IDC_NOW_TIME},
    {IDC_LASTWRITE_FROM_NOW, IDC_LASTWRITE_DATE, IDC_LASTWRITE_TIME, IDC_NOW_DATE, IDC_NOW_TIME},
    {IDC_LASTACCESS_FROM_NOW, IDC_LASTACCESS_DATE, IDC_LASTACCESS_TIME, IDC_NOW_DATE,
     IDC_NOW_TIME},
    {IDC_CREATION_FROM_CREATION, IDC_CREATION_DATE, IDC_CREATION_TIME, IDC_CREATION_DATE,
     IDC_CREATION_TIME},
    {IDC_LASTWRITE_FROM_CREATION, IDC_LASTWRITE_DATE, IDC_LASTWRITE_TIME, IDC_CREATION_DATE,
     IDC_CREATION_TIME},
    {IDC_LASTACCESS_FROM_CREATION, IDC_LASTACCESS_DATE, IDC_LASTACCESS_TIME, IDC_CREATION_DATE,
     IDC_CREATION_TIME},
    {IDC_CREATION_FROM_LASTWRITE, IDC_CREATION_DATE, IDC_CREATION_TIME, IDC_LASTWRITE_DATE,
     IDC_LASTWRITE_TIME},
    {IDC_LASTWRITE_FROM_LASTWRITE, IDC_LASTWRITE_DATE, IDC_LASTWRITE_TIME, IDC_LASTWRITE_DATE,
     IDC_LASTWRITE_TIME},
    {IDC_LASTACCESS_FROM_LASTWRITE, IDC_LASTACCESS_DATE, IDC_LASTACCESS_TIME, IDC_LASTWRITE_DATE,
     IDC_LASTWRITE_TIME},
};

namespace {

// The lists' items, in their order; a row leaves out its own time, which would leave each
// entry's time as it is. The item data is the index here.
const struct {
  RowChoice choice;
  const char* text;
} kKindItems[] = {
    {{TIME_KIND_DATE, SLOT_CREATION}, "日時指定"},
    {{TIME_KIND_OWN, SLOT_CREATION}, "←作成日時"},
    {{TIME_KIND_OWN, SLOT_LAST_WRITE}, "←更新日時"},
    {{TIME_KIND_OWN, SLOT_LAST_ACCESS}, "←ｱｸｾｽ日時"},
    {{TIME_KIND_SHIFT, SLOT_CREATION}, "ずらす"},
};
const int kKindItemCount = sizeof kKindItems / sizeof kKindItems[0];

// Which of a row's fields each kind shows; the others are hidden.
const struct {
  TimeKind kind;
  bool dateFields, shiftFields, ownLabel;
} kKindLooks[] = {
    {TIME_KIND_DATE, true, false, false},
    {TIME_KIND_OWN, false, false, true},
    {TIME_KIND_SHIFT, false, true, false},
};

bool SameChoice(const RowChoice& a, const RowChoice& b) {
  return a.kind == b.kind && (a.kind != TIME_KIND_OWN || a.source == b.source);
}

// An own time of the row's own slot leaves each time as it is, as a zero shift does: it is
// shown as one.
RowChoice ChoiceOfEntry(const TimestampRow& row, const TimestampEntry& entry) {
  if (entry.kind == TIME_KIND_OWN && entry.source == row.slot)
    return RowChoice{TIME_KIND_SHIFT, SLOT_CREATION};
  return RowChoice{entry.kind, entry.source};
}

// The row whose date field this is; null for the clock.
const TimestampRow* RowOfDate(int dateId) {
  for (const TimestampRow& row : kTimestampRows)
    if (row.dateId == dateId) return &row;
  return nullptr;
}

void ShowItem(HWND dialog, int id, bool shown) {
  HWND item = GetDlgItem(dialog, id);
  // A field that goes while it has the focus hands it to its row's list, not to nobody.
  if (!shown && GetFocus() == item) {
    for (const TimestampRow& row : kTimestampRows) {
      for (int field : {row.dateId, row.timeId, row.shiftDaysId, row.shiftTimeId})
        if (field == id) FocusDialogItem(dialog, row.kindId);
    }
  }
  ShowWindow(item, shown ? SW_SHOWNA : SW_HIDE);
}

void ShowRowFields(HWND dialog, const TimestampRow& row, const RowChoice& choice) {
  for (const auto& look : kKindLooks) {
    if (look.kind != choice.kind) continue;
    ShowItem(dialog, row.dateId, look.dateFields);
    ShowItem(dialog, row.timeId, look.dateFields);
    ShowItem(dialog, row.shiftDaysId, look.shiftFields);
    ShowItem(dialog, row.shiftTimeId, look.shiftFields);
    ShowItem(dialog, row.ownLabelId, look.ownLabel);
  }
  for (const TimestampRow& source : kTimestampRows) {
    if (choice.kind != TIME_KIND_OWN || source.slot != choice.source) continue;
    char label[64];
    FormatBounded(label, sizeof label, "各ﾌｧｲﾙの%s", source.label);
    SetTextIfChanged(GetDlgItem(dialog, row.ownLabelId), label);
  }
}

}  // namespace

void FillRowKinds(HWND dialog) {
  for (const TimestampRow& row : kTimestampRows) {
    HWND list = GetDlgItem(dialog, row.kindId);
    if (SendMessageA(list, CB_GETCOUNT, 0, 0) > 0) continue;
    for (int i = 0; i < kKindItemCount; ++i) {
      const RowChoice& choice = kKindItems[i].choice;
      if (choice.kind == TIME_KIND_OWN && choice.source == row.slot) continue;
      LRESULT index =
          SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kKindItems[i].text));
      if (index >= 0) SendMessageA(list, CB_SETITEMDATA, static_cast<WPARAM>(index), i);
    }
    SendMessageA(list, CB_SETCURSEL, 0, 0);
  }
}

void LoadRowKind(HWND dialog, const TimestampRow& row, const TimestampEntry& entry) {
  RowChoice wanted = ChoiceOfEntry(row, entry);
  HWND list = GetDlgItem(dialog, row.kindId);
  int count = static_cast<int>(SendMessageA(list, CB_GETCOUNT, 0, 0));
  for (int index = 0; index < count; ++index) {
    LRESULT data = SendMessageA(list, CB_GETITEMDATA, index, 0);
    if (data >= 0 && data < kKindItemCount && SameChoice(kKindItems[data].choice, wanted))
      SendMessageA(list, CB_SETCURSEL, index, 0);
  }
  char days[SHIFT_TEXT_SIZE], clock[SHIFT_TEXT_SIZE];
  bool shifted = wanted.kind == TIME_KIND_SHIFT && entry.kind == TIME_KIND_SHIFT;
  FormatShiftParts(shifted ? entry.shift : 0, days, clock);
  char shown[SHIFT_TEXT_SIZE + 4];
  FormatBounded(shown, sizeof shown, "%s%s", days, kShiftDaysUnit);
  SetTextIfChanged(GetDlgItem(dialog, row.shiftDaysId), shown);
  SetTextIfChanged(GetDlgItem(dialog, row.shiftTimeId), clock);
}

RowChoice ChosenRowKind(HWND dialog, const TimestampRow& row) {
  HWND list = GetDlgItem(dialog, row.kindId);
  LRESULT selection = SendMessageA(list, CB_GETCURSEL, 0, 0);
  LRESULT data = selection < 0 ? CB_ERR : SendMessageA(list, CB_GETITEMDATA, selection, 0);
  if (data < 0 || data >= kKindItemCount) return kKindItems[0].choice;
  return kKindItems[data].choice;
}

void ShowRowKinds(HWND dialog) {
  TimeKind kinds[TIME_SLOTS];
  for (const TimestampRow& row : kTimestampRows) {
    RowChoice choice = ChosenRowKind(dialog, row);
    kinds[row.slot] = choice.kind;
    ShowRowFields(dialog, row, choice);
  }
  for (const CopyButton& button : kCopyButtons) {
    const TimestampRow* to = RowOfDate(button.toDate);
    const TimestampRow* from = RowOfDate(button.fromDate);
    bool works = to && to != from && kinds[to->slot] == TIME_KIND_DATE &&
                 (from == nullptr || kinds[from->slot] == TIME_KIND_DATE);
    EnableDialogItem(dialog, button.buttonId, works);
  }
}
