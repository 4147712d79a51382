// Replacing a standard control's window procedure: the one mechanism behind every custom
// control. The previous procedure lives in a window property named by the control kind, so
// that it can be called for every message the control does not consume and put back on
// WM_DESTROY.
#pragma once

#include <windows.h>

// Stores the current procedure in the property, then installs the new one. False, with the
// window unchanged, when the property cannot be stored.
bool InstallSubclass(HWND window, const char* originalProperty, WNDPROC procedure);

// Hands a message to the procedure that was replaced (the default one if none is known).
LRESULT PassToOriginal(HWND window, const char* originalProperty, UINT message, WPARAM wParam,
                       LPARAM lParam);

// Puts the replaced procedure back, removes the property and hands WM_DESTROY on to it.
LRESULT RemoveSubclass(HWND window, const char* originalProperty, WPARAM wParam, LPARAM lParam);
