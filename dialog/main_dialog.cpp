// The main dialog's window: initialisation from the record, moving and vertical-only resizing,
// the clock, the system-menu additions, and the dispatch of notifications (see main_dialog.h).
#include "dialog/main_dialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include "controls/button_subclass.h"
#include "controls/drag_list.h"
#include "controls/window_helpers.h"
#include "dialog/attribute_states.h"
#include "dialog/date_text.h"
#include "dialog/dialog_ids.h"
#include "dialog/file_list.h"
#include "dialog/fit_texts.h"
#include "dialog/resource_ids.h"
#include "dialog/row_kinds.h"
#include "dialog/timestamp_rows.h"
#include "shell/program_icon.h"
#include "text/paths.h"

const char PROP_DIALOGPARAM[] = "PROP_DIALOGPARAM";
const char PROP_DIALOGTOOLTIPCTRL[] = "PROP_DIALOGTOOLTIPCTRL";
const char PROP_ATTRIBUTESCHANGED[] = "PROP_ATTRIBUTESCHANGED";
const char PROP_FOLDERJOINED[] = "PROP_FOLDERJOINED";

const FilterKindEntry kFilterKinds[3] = {
    {FILTER_NONE, "なし", ""},
    {FILTER_WILDCARD, "ワイルドカード",
     "ワイルドカードによる一致で絞り込みます。\r\n"
     "　? => 任意の 1 文字\r\n"
     "　* => 0 文字以上の文字の並び\r\n"
     "　# => 任意の10進数字 1 文字"},
    {FILTER_REGEX, "正規表現",
     "正規表現による検索で絞り込みます。\r\n"
     "完全一致するファイル名のみを対象としたい場合は\r\n"
     "正規表現を行頭指定 ^ と行末指定 $ で挟みます。"},
};

const FilterKindEntry* FilterKindEntryOf(int32_t kind) {
  for (const FilterKindEntry& entry : kFilterKinds)
    if (entry.kind == kind) return &entry;
  return nullptr;
}

namespace {

struct DialogTool {
  int controlId;
  const char* text;
};

const char kRowKindHelp[] =
    "日時の決め方を選択してください\r\n"
    "　日時指定 => 入力した日時\r\n"
    "　←作成日時など => 各ﾌｧｲﾙのその日時\r\n"
    "　ずらす => 各ﾌｧｲﾙのこの日時を前後にずらす";
const char kShiftDaysHelp[] = "ずらす日数\r\n　+ => 後へ\r\n　- => 前へ";
const char kShiftTimeHelp[] = "ずらす時間 (時:分:秒)";

const DialogTool kDialogTools[] = {
    {IDC_CREATION_ON, "作成日時を変更する"},
    {IDC_LASTWRITE_ON, "更新日時を変更する"},
    {IDC_LASTACCESS_ON, "アクセス日時を変更する"},
    {IDC_CREATION_FROM_NOW, "現在日時に合わせる"},
    {IDC_LASTWRITE_FROM_NOW, "現在日時に合わせる"},
    {IDC_LASTACCESS_FROM_NOW, "現在日時に合わせる"},
    {IDC_CREATION_FROM_CREATION, "作成日時に合わせる"},
    {IDC_LASTWRITE_FROM_CREATION, "作成日時に合わせる"},
    {IDC_LASTACCESS_FROM_CREATION, "作成日時に合わせる"},
    {IDC_CREATION_FROM_LASTWRITE, "更新日時に合わせる"},
    {IDC_LASTWRITE_FROM_LASTWRITE, "更新日時に合わせる"},
    {IDC_LASTACCESS_FROM_LASTWRITE, "更新日時に合わせる"},
    {IDC_CREATION_KIND, kRowKindHelp},
    {IDC_LASTWRITE_KIND, kRowKindHelp},
    {IDC_LASTACCESS_KIND, kRowKindHelp},
    {IDC_CREATION_SHIFT_DAYS, kShiftDaysHelp},
    {IDC_LASTWRITE_SHIFT_DAYS, kShiftDaysHelp},
    {IDC_LASTACCESS_SHIFT_DAYS, kShiftDaysHelp},
    {IDC_CREATION_SHIFT_TIME, kShiftTimeHelp},
    {IDC_LASTWRITE_SHIFT_TIME, kShiftTimeHelp},
    {IDC_LASTACCESS_SHIFT_TIME, kShiftTimeHelp},
    {IDC_FILTER_KIND, "フィルタの種類を選択してください"},
    {IDC_FILTER_PATTERN,
     "変更の対象とするファイルの名前\r\n"
     "　? => 任意の 1 文字\r\n"
     "　* => 0 文字以上の文字の並び\r\n"
     "　# => 任意の10進数字 1 文字"},
};

// Client area drags the dialog; side edges and corners resize it vertically only.
struct HitTestMapping {
  LRESULT real;
  LRESULT replacement;
};
const HitTestMapping kHitTestMappings[] = {
    {HTCLIENT, HTCAPTION}, {HTLEFT, HTBORDER},         {HTRIGHT, HTBORDER},
    {HTTOPLEFT, HTTOP},    {HTTOPRIGHT, HTTOP},        {HTBOTTOMLEFT, HTBOTTOM},
    {HTBOTTOMRIGHT, HTBOTTOM},
};

// System-menu additions, each inserted right after the maximise item, so that the last row
// ends up on top.
enum SystemMenuRowKind { SYSTEM_MENU_ITEM, SYSTEM_MENU_SEPARATOR, SYSTEM_MENU_SHORTCUTS };
struct SystemMenuRow {
  SystemMenuRowKind kind;
  UINT id;
  const char* text;
};
const SystemMenuRow kSystemMenuRows[] = {
    {SYSTEM_MENU_ITEM, IDM_ABOUT, "About(&A)"},
    {SYSTEM_MENU_SEPARATOR, 0, nullptr},
    {SYSTEM_MENU_SHORTCUTS, 0, "ショートカットの登録(&L)"},
    {SYSTEM_MENU_SEPARATOR, 0, nullptr},
    {SYSTEM_MENU_ITEM, IDM_UNDO_FROM_LOG, "記録から元に戻す..."},
    {SYSTEM_MENU_ITEM, IDM_WRITE_LOG, "変更を記録する..."},
    {SYSTEM_MENU_SEPARATOR, 0, nullptr},
    {SYSTEM_MENU_ITEM, IDM_RESET_TIMESTAMPS, "日時指定を初期値に戻す(&D)"},
    {SYSTEM_MENU_ITEM, IDM_RESET_ATTRIBUTES, "属性指定を初期値に戻す(&B)"},
    {SYSTEM_MENU_SEPARATOR, 0, nullptr},
    {SYSTEM_MENU_ITEM, IDM_TOPMOST, "常に最前面に表示(&T)"},
};

const int kTimestampCheckBoxes[] = {IDC_CREATION_ON, IDC_LASTWRITE_ON, IDC_LASTACCESS_ON};

// Where the dialog font needs more room than the template gives: the date and time fields are
// made wide enough for any date and time, each column of the timestamp rows as one; the buttons
// at the right edge move with it and the fields there reach it again.
enum FitColumn { FIT_SWITCHES = 1, FIT_DATES, FIT_TIMES, FIT_FROM_NOW, FIT_FROM_CREATION,
                 FIT_FROM_LASTWRITE, FIT_KINDS };
const FitRule kFitRules[] = {
    {IDC_CREATION_ON, nullptr, FIT_SWITCHES, FIT_ANCHOR_NONE},
    {IDC_LASTWRITE_ON, nullptr, FIT_SWITCHES, FIT_ANCHOR_NONE},
    {IDC_LASTACCESS_ON, nullptr, FIT_SWITCHES, FIT_ANCHOR_NONE},
    {IDC_CREATION_KIND, nullptr, FIT_KINDS, FIT_ANCHOR_NONE},
    {IDC_LASTWRITE_KIND, nullptr, FIT_KINDS, FIT_ANCHOR_NONE},
    {IDC_LASTACCESS_KIND, nullptr, FIT_KINDS, FIT_ANCHOR_NONE},
    {IDC_CREATION_SHIFT_DAYS, kShiftDaysShape, FIT_DATES, FIT_ANCHOR_NONE},
    {IDC_LASTWRITE_SHIFT_DAYS, kShiftDaysShape, FIT_DATES, FIT_ANCHOR_NONE},
    {IDC_LASTACCESS_SHIFT_DAYS, kShiftDaysShape, FIT_DATES, FIT_ANCHOR_NONE},
    {IDC_CREATION_SHIFT_TIME, kTimeTextShape, FIT_TIMES, FIT_ANCHOR_NONE},
    {IDC_LASTWRITE_SHIFT_TIME, kTimeTextShape, FIT_TIMES, FIT_ANCHOR_NONE},
    {IDC_LASTACCESS_SHIFT_TIME, kTimeTextShape, FIT_TIMES, FIT_ANCHOR_NONE},
    {IDC_NOW_DATE, kDateTextShape, FIT_DATES, FIT_ANCHOR_NONE},
    {IDC_CREATION_DATE, kDateTextShape, FIT_DATES, FIT_ANCHOR_NONE},
    {IDC_LASTWRITE_DATE, kDateTextShape, FIT_DATES, FIT_ANCHOR_NONE},
    {IDC_LASTACCESS_DATE, kDateTextShape, FIT_DATES, FIT_ANCHOR_NONE},
    {IDC_NOW_TIME, kTimeTextShape, FIT_TIMES, FIT_ANCHOR_NONE},
    {IDC_CREATION_TIME, kTimeTextShape, FIT_TIMES, FIT_ANCHOR_NONE},
    {IDC_LASTWRITE_TIME, kTimeTextShape, FIT_TIMES, FIT_ANCHOR_NONE},
    {IDC_LASTACCESS_TIME, kTimeTextShape, FIT_TIMES, FIT_ANCHOR_NONE},
    {IDC_CREATION_FROM_NOW, nullptr, FIT_FROM_NOW, FIT_ANCHOR_NONE},
    {IDC_LASTWRITE_FROM_NOW, nullptr, FIT_FROM_NOW, FIT_ANCHOR_NONE},
    {IDC_LASTACCESS_FROM_NOW, nullptr, FIT_FROM_NOW, FIT_ANCHOR_NONE},
    {IDC_CREATION_FROM_CREATION, nullptr, FIT_FROM_CREATION, FIT_ANCHOR_NONE},
    {IDC_LASTWRITE_FROM_CREATION, nullptr, FIT_FROM_CREATION, FIT_ANCHOR_NONE},
    {IDC_LASTACCESS_FROM_CREATION, nullptr, FIT_FROM_CREATION, FIT_ANCHOR_NONE},
    {IDC_CREATION_FROM_LASTWRITE, nullptr, FIT_FROM_LASTWRITE, FIT_ANCHOR_NONE},
    {IDC_LASTWRITE_FROM_LASTWRITE, nullptr, FIT_FROM_LASTWRITE, FIT_ANCHOR_NONE},
    {IDC_LASTACCESS_FROM_LASTWRITE, nullptr, FIT_FROM_LASTWRITE, FIT_ANCHOR_NONE},
    {IDOK, nullptr, 0, FIT_ANCHOR_FOLLOW},
    {IDCANCEL, nullptr, 0, FIT_ANCHOR_FOLLOW},
    {IDC_FILTER_PATTERN, nullptr, 0, FIT_ANCHOR_STRETCH},
    {IDC_FILE_LIST, nullptr, 0, FIT_ANCHOR_STRETCH},
};

// The one main dialog's sizes, recorded when it opens: it may grow taller, nothing else.
struct DialogSizes {
  SIZE window;
  int clientHeight;
};
DialogSizes gSizes = {{0, 0}, 0};

INT_PTR Answer(HWND dialog, LRESULT result) {
  SetWindowLongPtrA(dialog, DWLP_MSGRESULT, result);
  return TRUE;
}

// The shell hands out a new icon each time; the window does not own what it is given.
void ReleaseWindowIcon(HWND dialog, WPARAM which) {
  HICON icon = reinterpret_cast<HICON>(SendMessageA(dialog, WM_SETICON, which, 0));
  if (icon) DestroyIcon(icon);
}

HMENU TakeShortcutSubmenu(HINSTANCE instance) {
  HMENU loaded = LoadMenuA(instance, MAKEINTRESOURCEA(IDM_SHORTCUT_MENU));
  if (!loaded) return nullptr;
  HMENU submenu = GetSubMenu(loaded, 1);
  // Detached first, so that destroying the loaded menu leaves the submenu to the system menu.
  if (submenu) RemoveMenu(loaded, 1, MF_BYPOSITION);
  DestroyMenu(loaded);
  return submenu;
}

void ExtendSystemMenu(HWND dialog) {
  HMENU system = GetSystemMenu(dialog, FALSE);
  int maximize = system ? FindMenuItemPosition(system, SC_MAXIMIZE) : -1;
  if (maximize < 0) return;
  UINT at = static_cast<UINT>(maximize + 1);
  for (const SystemMenuRow& row : kSystemMenuRows) {
    switch (row.kind) {
      case SYSTEM_MENU_ITEM:
        InsertMenuA(system, at, MF_BYPOSITION | MF_STRING, row.id, row.text);
        break;
      case SYSTEM_MENU_SEPARATOR:
        InsertMenuSeparator(MF_BYPOSITION, system, at);
        break;
      case SYSTEM_MENU_SHORTCUTS:
        if (HMENU submenu = TakeShortcutSubmenu(WindowInstance(dialog))) {
          if (!InsertMenuA(system, at, MF_BYPOSITION | MF_POPUP,
                           reinterpret_cast<UINT_PTR>(submenu), row.text))
            DestroyMenu(submenu);
        }
        break;
    }
  }
}

void AddDialogTools(HWND dialog) {
  HWND tooltip = CreateTooltip(dialog, WindowInstance(dialog), TTS_ALWAYSTIP, 0);
  if (!tooltip) return;
  SetTooltipMaxWidth(tooltip, 0xFFFF);  // texts with line breaks show on several lines
  for (const DialogTool& tool : kDialogTools)
    AddDialogItemTool(tooltip, TTF_SUBCLASS, dialog, dialog, tool.controlId, tool.text);
  SetPropA(dialog, PROP_DIALOGTOOLTIPCTRL, tooltip);
}

void FillFilterKinds(HWND dialog, int32_t selectedKind) {
  HWND combo = GetDlgItem(dialog, IDC_FILTER_KIND);
  for (const FilterKindEntry& entry : kFilterKinds) {
    LRESULT index = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.name));
    if (index >= 0) SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), entry.kind);
  }
  SendMessageA(combo, CB_SETCURSEL, 0, 0);
  int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
  for (int index = 0; index < count; ++index)
    if (SendMessageA(combo, CB_GETITEMDATA, index, 0) == selectedKind)
      SendMessageA(combo, CB_SETCURSEL, index, 0);
}

INT_PTR OnInitDialog(HWND dialog, JobSettings* record) {
  gSizes = DialogSizes{{0, 0}, 0};  // until recorded below, sizing is left to the platform
  SetPropA(dialog, PROP_DIALOGPARAM, record);
  SetWindowIcon(dialog, ICON_BIG, ProgramShellIcon(SHGFI_LARGEICON));
  SetWindowIcon(dialog, ICON_SMALL, ProgramShellIcon(SHGFI_SMALLICON));
  FillRowKinds(dialog);  // their texts take part in the fitting
  // Fitted first, so that the dialog is placed and its size recorded as it will stay.
  FitDialogToTexts(dialog, kFitRules, sizeof kFitRules / sizeof kFitRules[0]);
  PlaceWindowAtCursor(dialog);
  SetTimer(dialog, MAIN_DIALOG_CLOCK_TIMER, MAIN_DIALOG_CLOCK_INTERVAL, nullptr);
  gSizes.window = GetWindowSize(dialog);
  gSizes.clientHeight = GetClientSize(dialog).cy;
  ExtendSystemMenu(dialog);
  for (const AttributeBox& box : kAttributeBoxes) SubclassButton(GetDlgItem(dialog, box.controlId));
  ShowStartingAttributeStates(dialog);
  for (int id : kTimestampCheckBoxes) SubclassButton(GetDlgItem(dialog, id));
  // After the buttons' own subclass: the tooltip, which goes first when the dialog is
  // destroyed, then takes its hook off above theirs instead of cutting them out of the chain
  // before they could report their end.
  AddDialogTools(dialog);
  LoadTimestampRows(dialog, record);
  CheckDlgButton(dialog, IDC_RECURSE, record->recurse ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemTextA(dialog, IDC_FILTER_PATTERN, "");
  // No more than the record holds, so that OK never cuts the pattern into another one. The
  // limit counts characters; OnFilterPattern keeps double-byte text within the bytes too.
  SendDlgItemMessageA(dialog, IDC_FILTER_PATTERN, EM_LIMITTEXT, FILTER_PATTERN_SIZE - 1, 0);
  FillFilterKinds(dialog, record->filterKind);
  // Both stay disabled until the kind or the pattern changes, whatever kind the record holds.
  EnableDialogItem(dialog, IDC_FILTER_PATTERN, false);
  EnableDialogItem(dialog, IDC_FILTER_LABEL, false);
  HWND list = GetDlgItem(dialog, IDC_FILE_LIST);
  SubclassDragListBox(list);
  FillFileList(list, record->targets);
  DragAcceptFiles(list, TRUE);
  return TRUE;
}

INT_PTR OnDestroy(HWND dialog) {
  KillTimer(dialog, MAIN_DIALOG_CLOCK_TIMER);
  RemovePropA(dialog, PROP_DIALOGPARAM);
  RemovePropA(dialog, PROP_DIALOGTOOLTIPCTRL);
  RemovePropA(dialog, PROP_ATTRIBUTESCHANGED);
  RemovePropA(dialog, PROP_FOLDERJOINED);
  ReleaseTimeSources(dialog);
  ReleaseFileList(GetDlgItem(dialog, IDC_FILE_LIST));
  ReleaseWindowIcon(dialog, ICON_BIG);
  ReleaseWindowIcon(dialog, ICON_SMALL);
  return TRUE;
}

INT_PTR OnSize(HWND dialog, WPARAM sizeType, LPARAM size) {
  // Skipping the minimised state keeps the recorded height right across minimise and restore.
  if (sizeType == SIZE_MINIMIZED) return TRUE;
  // The dialog grows to its texts before it records its size; that is no resize by the user.
  if (gSizes.window.cx <= 0) return TRUE;
  int height = HIWORD(size);
  GrowDialogItemBy(dialog, IDC_FILE_LIST, 0, height - gSizes.clientHeight);
  gSizes.clientHeight = height;
  return TRUE;
}

INT_PTR OnGetMinMaxInfo(MINMAXINFO* limits) {
  // Asked before the dialog has recorded its size, too: nothing to limit yet.
  if (gSizes.window.cx <= 0) return FALSE;
  limits->ptMinTrackSize.x = gSizes.window.cx;
  limits->ptMinTrackSize.y = gSizes.window.cy;
  limits->ptMaxTrackSize.x = gSizes.window.cx;
  return TRUE;
}

INT_PTR OnNcHitTest(HWND dialog, WPARAM wParam, LPARAM lParam) {
  LRESULT real = DefWindowProcA(dialog, WM_NCHITTEST, wParam, lParam);
  for (const HitTestMapping& mapping : kHitTestMappings)
    if (mapping.real == real) return Answer(dialog, mapping.replacement);
  return FALSE;
}

bool IsSubclassedCheckBox(int id) {
  for (const AttributeBox& box : kAttributeBoxes)
    if (box.controlId == id) return true;
  for (int checkBox : kTimestampCheckBoxes)
    if (checkBox == id) return true;
  return false;
}

INT_PTR OnNotify(HWND dialog, int id, const NMHDR* header) {
  if (header == nullptr) return FALSE;
  if (IsSubclassedCheckBox(id)) {
    if (header->code != BTNN_CONTEXTMENU) return Answer(dialog, ReflectNotify(header));
    const ButtonNotify* notify = reinterpret_cast<const ButtonNotify*>(header);
    OpenCheckBoxMenu(dialog, id, header->hwndFrom, notify->second);
    return TRUE;
  }
  if (id == IDC_FILE_LIST) {
    LRESULT result = 0;
    if (HandleFileListNotify(dialog, reinterpret_cast<const DragListNotify*>(header), &result))
      return Answer(dialog, result);
  }
  return FALSE;
}

}  // namespace

bool ShowMainDialog(HWND owner, JobSettings* record) {
  return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), owner,
                         MainDialogProc, reinterpret_cast<LPARAM>(record)) == 1;
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog(dialog, reinterpret_cast<JobSettings*>(lParam));
    case WM_DESTROY:
      return OnDestroy(dialog);
    case WM_SIZE:
      return OnSize(dialog, wParam, lParam);
    case WM_GETMINMAXINFO:
      return OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
    case WM_NCHITTEST:
      return OnNcHitTest(dialog, wParam, lParam);
    case WM_TIMER:
      ShowNowTime(dialog, IDC_NOW_DATE, IDC_NOW_TIME);
      return TRUE;
    case WM_COMMAND:
      return OnMainDialogCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_SYSCOMMAND:
      return OnMainDialogSysCommand(dialog, LOWORD(wParam));
    case WM_NOTIFY:
      return OnNotify(dialog, static_cast<int>(wParam), reinterpret_cast<const NMHDR*>(lParam));
    case WM_INITMENUPOPUP:
      return OnMainDialogInitMenuPopup(dialog, reinterpret_cast<HMENU>(wParam));
    default:
      return FALSE;
  }
}

namespace {

uint32_t ChangedByUser(HWND dialog) {
  HANDLE bits = GetPropA(dialog, PROP_ATTRIBUTESCHANGED);
  return static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(bits));
}

void SetChangedByUser(HWND dialog, uint32_t bits) {
  SetPropA(dialog, PROP_ATTRIBUTESCHANGED, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(bits)));
}

}  // namespace

void ShowStartingAttributeStates(HWND dialog) {
  const JobSettings* record = static_cast<const JobSettings*>(GetPropA(dialog, PROP_DIALOGPARAM));
  if (record == nullptr) return;
  uint32_t andMask = record->andMask, orMask = record->orMask;
  if (GetPropA(dialog, PROP_FOLDERJOINED)) LeaveOfferedAttributesUnchanged(&andMask, &orMask);
  uint32_t keep = ChangedByUser(dialog);
  for (const AttributeBox& box : kAttributeBoxes) {
    if ((keep & box.bit) == 0)
      CheckDlgButton(dialog, box.controlId, BoxStateFromSummary(andMask, orMask, box.bit));
  }
}

void NoteAttributeChangedByUser(HWND dialog, int controlId) {
  for (const AttributeBox& box : kAttributeBoxes)
    if (box.controlId == controlId) SetChangedByUser(dialog, ChangedByUser(dialog) | box.bit);
}

void ResetAttributeStates(HWND dialog) {
  SetChangedByUser(dialog, 0);
  ShowStartingAttributeStates(dialog);
}

void OnFolderJoinedList(HWND dialog) {
  SetPropA(dialog, PROP_FOLDERJOINED, reinterpret_cast<HANDLE>(1));
  ShowStartingAttributeStates(dialog);
}

void CollectAttributeMasks(HWND dialog, JobSettings* record) {
  BoxState states[4];
  for (int i = 0; i < 4; ++i)
    states[i] = static_cast<BoxState>(IsDlgButtonChecked(dialog, kAttributeBoxes[i].controlId));
  ApplyMasks masks = ApplyMasksFromBoxes(states);
  record->andMask = masks.andMask;
  record->orMask = masks.orMask;
}
