// The About box: the program's icon, its name and version from its own version resource, a
// link that opens the support site, and the free system resources where the system reports
// them. Modal, built in memory, one at a time; the labels and the dialog grow to their texts.
#pragma once

#include <windows.h>

#include "shell/shell_open.h"

extern const char PROP_ABOUTDIALOGDATA[];

// siteRef refers to the support site's address, a string the caller keeps (see support_site.h).
// Always true; while an About box is open it is only brought forward.
bool ShowAboutBox(HWND parent, const char* const* siteRef);

// The same, with the opener that a click on the link hands the address to. The dialog's result:
// 1 for OK or the link, 2 for Cancel; 0 when no new dialog was shown, -1 when the platform
// refused the template.
INT_PTR RunAboutBox(HWND parent, const char* const* siteRef, ShellOpener opener);

// The About box that is open, or null. A test seam: the tests find the box they opened by it.
HWND OpenAboutBox();

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
