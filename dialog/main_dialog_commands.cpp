// What the main dialog does in answer to the user: OK and Cancel, the copy buttons, the row
// switches, the filter kind and pattern, the check boxes' menus and their check marks, and the
// items it added to the system menu. Every command is a row of a table.
#include "dialog/main_dialog.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstring>

#include "about/about_dialog.h"
#include "about/support_site.h"

#include "controls/window_helpers.h"
#include "dialog/attribute_states.h"
#include "dialog/dialog_ids.h"
#include "dialog/file_list.h"
#include "dialog/log_files.h"
#include "dialog/resource_ids.h"
#include "dialog/row_kinds.h"
#include "dialog/timestamp_rows.h"
#include "shell/program_shortcut.h"
#include "text/bounded.h"

namespace {

// What the system-menu commands hand folders and addresses to.
ShellOpener gOpener = OpenInShell;

// One command of a check box's menu: the box it sets and the state it sets it to. For the rows'
// switches the state is checked (row on) or unchecked (row off).
struct MenuCommand {
  int commandId;
  int controlId;
  int state;
};
const MenuCommand kAttributeCommands[] = {
    {40040, IDC_ARCHIVE, BST_CHECKED},   {40041, IDC_ARCHIVE, BST_INDETERMINATE},
    {40042, IDC_ARCHIVE, BST_UNCHECKED}, {40043, IDC_HIDDEN, BST_CHECKED},
    {40044, IDC_HIDDEN, BST_INDETERMINATE}, {40045, IDC_HIDDEN, BST_UNCHECKED},
    {40046, IDC_SYSTEM, BST_CHECKED},    {40047, IDC_SYSTEM, BST_INDETERMINATE},
    {40048, IDC_SYSTEM, BST_UNCHECKED},  {40049, IDC_READONLY, BST_CHECKED},
    {40050, IDC_READONLY, BST_INDETERMINATE}, {40051, IDC_READONLY, BST_UNCHECKED},
};
const MenuCommand kRowCommands[] = {
    {40060, IDC_CREATION_ON, BST_CHECKED},   {40061, IDC_CREATION_ON, BST_UNCHECKED},
    {40062, IDC_LASTWRITE_ON, BST_CHECKED},  {40063, IDC_LASTWRITE_ON, BST_UNCHECKED},
    {40064, IDC_LASTACCESS_ON, BST_CHECKED}, {40065, IDC_LASTACCESS_ON, BST_UNCHECKED},
};

// Which submenu of the check box menus belongs to which box.
struct CheckBoxMenu {
  int controlId;
  int submenu;
};
const CheckBoxMenu kCheckBoxMenus[] = {
    {IDC_ARCHIVE, 0},     {IDC_HIDDEN, 1},       {IDC_SYSTEM, 2},        {IDC_READONLY, 3},
    {IDC_CREATION_ON, 4}, {IDC_LASTWRITE_ON, 5}, {IDC_LASTACCESS_ON, 6},
};

template <typename Row, size_t N>
const Row* FindById(const Row (&rows)[N], int Row::*field, int id) {
  for (const Row& row : rows)
    if (row.*field == id) return &row;
  return nullptr;
}

JobSettings* RecordOf(HWND dialog) {
  return static_cast<JobSettings*>(GetPropA(dialog, PROP_DIALOGPARAM));
}

int32_t SelectedFilterKind(HWND dialog) {
  HWND combo = GetDlgItem(dialog, IDC_FILTER_KIND);
  LRESULT selection = SendMessageA(combo, CB_GETCURSEL, 0, 0);
  return static_cast<int32_t>(SendMessageA(combo, CB_GETITEMDATA, selection, 0));
}

void CopyTimestampRow(HWND dialog, int toDate, int toTime, int fromDate, int fromTime) {
  char text[1024];
  GetDlgItemTextA(dialog, fromDate, text, sizeof text);
  SetTextIfChanged(GetDlgItem(dialog, toDate), text);
  GetDlgItemTextA(dialog, fromTime, text, sizeof text);
  SetTextIfChanged(GetDlgItem(dialog, toTime), text);
}

// ---- Handlers of the command table ----

INT_PTR OnOk(HWND dialog, int, int) {
  JobSettings* old = RecordOf(dialog);
  if (old == nullptr) return FALSE;
  JobSettings fresh{};
  fresh.recurse = IsDlgButtonChecked(dialog, IDC_RECURSE) == BST_CHECKED;
  // An unreadable row has been reported; the old record stays exactly as it was.
  if (!CollectTimestampRows(dialog, &fresh)) return FALSE;
  CollectAttributeMasks(dialog, &fresh);
  fresh.targets = ListCreate();
  if (fresh.targets == nullptr) return FALSE;
  CollectFileList(GetDlgItem(dialog, IDC_FILE_LIST), fresh.targets);
  GetDlgItemTextA(dialog, IDC_FILTER_PATTERN, fresh.filterPattern, sizeof fresh.filterPattern);
  fresh.filterKind = SelectedFilterKind(dialog);
  fresh.showDialog = old->showDialog;
  fresh.showTrayIcon = old->showTrayIcon;
  std::memcpy(fresh.logPath, old->logPath, sizeof fresh.logPath);
  fresh.replaceLog = old->replaceLog;
  TargetList* oldTargets = old->targets;
  CopyJobSettings(old, &fresh);
  DestroyTargetList(oldTargets);
  EndDialog(dialog, 1);
  return TRUE;
}

INT_PTR OnCancel(HWND dialog, int, int) {
  EndDialog(dialog, 2);
  return TRUE;
}

INT_PTR OnRowSwitch(HWND dialog, int, int) {
  UpdateRowEditability(dialog);
  return TRUE;
}

INT_PTR OnRowKind(HWND dialog, int, int notification) {
  if (notification != CBN_SELCHANGE) return FALSE;
  ShowRowKinds(dialog);
  return TRUE;
}

INT_PTR OnCopyButton(HWND dialog, int id, int) {
  const CopyButton* copy = FindById(kCopyButtons, &CopyButton::buttonId, id);
  if (copy == nullptr) return TRUE;
  CopyTimestampRow(dialog, copy->toDate, copy->toTime, copy->fromDate, copy->fromTime);
  CopyTimeSource(dialog, copy->toDate, copy->fromDate);
  return TRUE;
}

INT_PTR OnFilterKind(HWND dialog, int, int notification) {
  if (notification != CBN_SELCHANGE) return FALSE;
  HWND tooltip = static_cast<HWND>(GetPropA(dialog, PROP_DIALOGTOOLTIPCTRL));
  HWND pattern = GetDlgItem(dialog, IDC_FILTER_PATTERN);
  if (tooltip) RemoveTool(tooltip, TTF_IDISHWND | TTF_SUBCLASS, dialog, pattern);
  const FilterKindEntry* entry = FilterKindEntryOf(SelectedFilterKind(dialog));
  if (entry == nullptr) return TRUE;  // no such kind: the field keeps its state, without help
  EnableDialogItem(dialog, IDC_FILTER_PATTERN, entry->kind != FILTER_NONE);
  if (tooltip)
    AddDialogItemTool(tooltip, TTF_SUBCLASS, dialog, dialog, IDC_FILTER_PATTERN, entry->help);
  return TRUE;
}

// The field's limit counts characters, and a double-byte one takes two of the record's bytes: a
// longer text is cut back at a character boundary where the user sees it, not on OK.
void KeepPatternWithinRecord(HWND dialog) {
  HWND field = GetDlgItem(dialog, IDC_FILTER_PATTERN);
  char text[2 * FILTER_PATTERN_SIZE];
  GetWindowTextA(field, text, sizeof text);
  if (std::strlen(text) < FILTER_PATTERN_SIZE) return;
  char kept[FILTER_PATTERN_SIZE];
  CopyBounded(sizeof kept, text, kept);
  SetWindowTextA(field, kept);
  LPARAM end = static_cast<LPARAM>(std::strlen(kept));
  SendMessageA(field, EM_SETSEL, static_cast<WPARAM>(end), end);
}

INT_PTR OnFilterPattern(HWND dialog, int, int notification) {
  if (notification != EN_CHANGE) return FALSE;
  KeepPatternWithinRecord(dialog);
  EnableDialogItem(dialog, IDC_FILTER_LABEL,
                   GetDialogItemTextLength(dialog, IDC_FILTER_PATTERN) > 0);
  return TRUE;
}

INT_PTR OnDeleteEntries(HWND dialog, int, int) {
  DeleteSelectedEntries(dialog);
  return TRUE;
}

INT_PTR OnAttributeCommand(HWND dialog, int id, int) {
  const MenuCommand* command = FindById(kAttributeCommands, &MenuCommand::commandId, id);
  if (command == nullptr) return TRUE;
  CheckDlgButton(dialog, command->controlId, command->state);
  NoteAttributeChangedByUser(dialog, command->controlId);
  return TRUE;
}

// A click, Space or the box's access key; a state the dialog sets itself sends no notification.
INT_PTR OnAttributeBox(HWND dialog, int id, int notification) {
  if (notification != BN_CLICKED) return FALSE;
  NoteAttributeChangedByUser(dialog, id);
  return TRUE;
}

INT_PTR OnRowCommand(HWND dialog, int id, int) {
  const MenuCommand* command = FindById(kRowCommands, &MenuCommand::commandId, id);
  if (command) SetTimestampRowEnabled(dialog, command->controlId, command->state == BST_CHECKED);
  return TRUE;
}

struct CommandRow {
  int firstId;
  int lastId;
  INT_PTR (*handler)(HWND dialog, int id, int notification);
};
const CommandRow kCommands[] = {
    {IDOK, IDOK, OnOk},
    {IDCANCEL, IDCANCEL, OnCancel},
    {IDC_ARCHIVE, IDC_READONLY, OnAttributeBox},
    {IDC_CREATION_ON, IDC_LASTACCESS_ON, OnRowSwitch},
    {IDC_CREATION_KIND, IDC_LASTACCESS_KIND, OnRowKind},
    {IDC_COPY_FIRST, IDC_COPY_LAST, OnCopyButton},
    {IDC_FILTER_KIND, IDC_FILTER_KIND, OnFilterKind},
    {IDC_FILTER_PATTERN, IDC_FILTER_PATTERN, OnFilterPattern},
    {IDM_DELETE_ENTRIES, IDM_DELETE_ENTRIES, OnDeleteEntries},
    {IDM_ATTRIBUTE_FIRST, IDM_ATTRIBUTE_LAST, OnAttributeCommand},
    {IDM_ROW_FIRST, IDM_ROW_LAST, OnRowCommand},
};

// ---- System-menu items ----

INT_PTR OnTopmost(HWND dialog) {
  SetTopmost(dialog, !IsTopmost(dialog));
  return TRUE;
}

INT_PTR OnResetAttributes(HWND dialog) {
  ResetAttributeStates(dialog);
  return TRUE;
}

INT_PTR OnResetTimestamps(HWND dialog) {
  if (const JobSettings* record = RecordOf(dialog)) LoadTimestampRows(dialog, record);
  return TRUE;
}

INT_PTR OnAbout(HWND dialog) {
  RunAboutBox(dialog, &kSupportSiteAddress, gOpener);
  return TRUE;
}

INT_PTR OnRegisterSendTo(HWND dialog) {
  RegisterProgramShortcut(dialog, CSIDL_SENDTO, gOpener);
  return TRUE;
}

INT_PTR OnRegisterDesktop(HWND dialog) {
  RegisterProgramShortcut(dialog, CSIDL_DESKTOP, gOpener);
  return TRUE;
}

// The log is the one choice kept in the record before OK: no control shows it, and OK takes it
// from there.
INT_PTR OnWriteLog(HWND dialog) {
  JobSettings* record = RecordOf(dialog);
  char path[PATH_BUFFER_SIZE];
  if (record && ChooseLogFile(dialog, LOG_FILE_TO_WRITE, record->logPath, path, sizeof path)) {
    CopyBounded(sizeof record->logPath, path, record->logPath);
    record->replaceLog = true;  // the save dialog has asked
  }
  return TRUE;
}

// The undo runs as the job in place of the one the dialog shows, which is left as it was.
INT_PTR OnUndoFromLog(HWND dialog) {
  JobSettings* record = RecordOf(dialog);
  char path[PATH_BUFFER_SIZE];
  if (record && ChooseLogFile(dialog, LOG_FILE_TO_UNDO, "", path, sizeof path)) {
    CopyBounded(sizeof record->undoPath, path, record->undoPath);
    EndDialog(dialog, 1);
  }
  return TRUE;
}

struct SysCommandRow {
  int id;
  INT_PTR (*handler)(HWND dialog);
};
const SysCommandRow kSysCommands[] = {
    {IDM_ABOUT, OnAbout},
    {IDM_TOPMOST, OnTopmost},
    {IDM_RESET_ATTRIBUTES, OnResetAttributes},
    {IDM_RESET_TIMESTAMPS, OnResetTimestamps},
    {IDM_WRITE_LOG, OnWriteLog},
    {IDM_UNDO_FROM_LOG, OnUndoFromLog},
    {IDM_REGISTER_SENDTO, OnRegisterSendTo},
    {IDM_REGISTER_DESKTOP, OnRegisterDesktop},
};

void CheckMenuCommands(HWND dialog, HMENU menu, const MenuCommand* commands, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    bool checked = static_cast<int>(IsDlgButtonChecked(dialog, commands[i].controlId)) ==
                   commands[i].state;
    CheckMenuItemIf(checked, menu, commands[i].commandId, MF_BYCOMMAND);
  }
}

}  // namespace

void SetMainDialogOpener(ShellOpener opener) { gOpener = opener ? opener : OpenInShell; }

INT_PTR OnMainDialogCommand(HWND dialog, int id, int notification) {
  for (const CommandRow& row : kCommands)
    if (id >= row.firstId && id <= row.lastId) return row.handler(dialog, id, notification);
  return FALSE;
}

INT_PTR OnMainDialogSysCommand(HWND dialog, int id) {
  for (const SysCommandRow& row : kSysCommands)
    if (row.id == id) return row.handler(dialog);
  return FALSE;
}

INT_PTR OnMainDialogInitMenuPopup(HWND dialog, HMENU menu) {
  CheckMenuCommands(dialog, menu, kAttributeCommands,
                    sizeof kAttributeCommands / sizeof kAttributeCommands[0]);
  CheckMenuCommands(dialog, menu, kRowCommands, sizeof kRowCommands / sizeof kRowCommands[0]);
  CheckMenuItemIf(IsTopmost(dialog), menu, IDM_TOPMOST, MF_BYCOMMAND);
  const JobSettings* record = RecordOf(dialog);
  CheckMenuItemIf(record && record->logPath[0] != 0, menu, IDM_WRITE_LOG, MF_BYCOMMAND);
  return TRUE;
}

void OpenCheckBoxMenu(HWND dialog, int controlId, HWND button, LPARAM packedPoint) {
  const CheckBoxMenu* entry = FindById(kCheckBoxMenus, &CheckBoxMenu::controlId, controlId);
  if (entry == nullptr) return;
  POINT point = {static_cast<short>(LOWORD(packedPoint)), static_cast<short>(HIWORD(packedPoint))};
  RECT exclude;
  GetWindowRect(button, &exclude);
  ShowMenuResource(point, WindowInstance(dialog), IDM_ATTRIBUTE_MENU, entry->submenu, dialog,
                   TPM_RIGHTBUTTON | TPM_VERTICAL, &exclude);
}
