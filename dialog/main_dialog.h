// The main dialog: the user edits a job record (attributes, timestamps, recursion, filter and
// targets) before the job runs; only OK writes the record back.
#pragma once

#include <windows.h>

#include "app/job_settings.h"
#include "shell/shell_open.h"

extern const char PROP_DIALOGPARAM[];
extern const char PROP_DIALOGTOOLTIPCTRL[];
// The attribute bits whose boxes the user changed since the dialog opened or the attributes
// were reset; and whether a folder joined the list by a drop (any value but null).
extern const char PROP_ATTRIBUTESCHANGED[];
extern const char PROP_FOLDERJOINED[];

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

// The attribute boxes in their starting states, except those the user changed: the record's
// summary, or once a folder joined the list by a drop, unchanged for every attribute, as for a
// folder named on the command line.
void ShowStartingAttributeStates(HWND dialog);
// The user's own choice for a box (a click, a key, its menu), which a folder's drop leaves be.
void NoteAttributeChangedByUser(HWND dialog, int controlId);
// The system menu's reset: every box back to its starting state, the user's choices forgotten.
void ResetAttributeStates(HWND dialog);
// Dropped entries included a folder, whose own attributes say nothing of what lies inside it.
void OnFolderJoinedList(HWND dialog);
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
