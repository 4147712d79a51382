// The main dialog: the user edits a job record (attributes, timestamps, recursion, filter and
// targets) before the job runs; only OK writes the record back.
#pragma once

#include <windows.h>

#include "app/job_settings.h"
#include "shell/shell_open.h"

extern const char PROP_DIALOGPARAM[];
extern const char PROP_DIALOGTOOLTIPCTRL[];

enum : UINT_PTR { MAIN_DIALOG_CLOCK_TIMER = 1 };
enum : UINT { MAIN_DIALOG_CLOCK_INTERVAL = 999 };

// The filter kinds the combo box offers, in order, with the pattern field's help text.
struct FilterKindEntry {
  int32_t kind;
  const char* name;
  const char* help;
};
extern const FilterKindEntry kFilterKinds[3];
const FilterKindEntry* FilterKindEntryOf(int32_t kind);

// Modal; true exactly when the user pressed OK, which rewrote the record.
bool ShowMainDialog(HWND owner, JobSettings* record);
INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

void ShowAttributeStates(HWND dialog, uint32_t andMask, uint32_t orMask);
void CollectAttributeMasks(HWND dialog, JobSettings* record);

// Handlers of the dialog's commands, menus and system-menu items (main_dialog_commands.cpp).
INT_PTR OnMainDialogCommand(HWND dialog, int id, int notification);
INT_PTR OnMainDialogSysCommand(HWND dialog, int id);
INT_PTR OnMainDialogInitMenuPopup(HWND dialog, HMENU menu);
// What the About box's link and the shortcut commands hand their address or folder to; the
// shell by default. Tests pass their own, so that no browser or folder window opens.
void SetMainDialogOpener(ShellOpener opener);
// Opens the set/unchanged/clear or change/unchanged menu of a subclassed check box.
void OpenCheckBoxMenu(HWND dialog, int controlId, HWND button, LPARAM packedPoint);
