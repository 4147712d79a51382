// A button or check box that asks its parent for a context menu (right click or the Menu key)
// instead of showing one itself; the parent decides everything through notifications.
#pragma once

#include <windows.h>

// Notification codes of a subclassed button, sent with WM_NOTIFY to its parent.
enum : UINT {
  BTNN_KEYDOWN = WM_USER + 1,  // first: virtual key, second: key data
  BTNN_RBUTTONUP,              // no fields
  BTNN_CONTEXTMENU,            // first: the button, second: screen point packed as in WM_CONTEXTMENU
  BTNN_DESTROY,                // no fields; the button still exists
};

struct ButtonNotify {
  NMHDR header;
  WPARAM first;   // pointer-sized: it may carry the button's handle
  LPARAM second;
};

extern const char BTNPROP_ORIGINALPROC[];

// Installs the subclass; it removes itself when the button is destroyed. Call once per button.
bool SubclassButton(HWND button);
