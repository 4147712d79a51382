// A static text control that behaves as a hyperlink: underlined blue text, red while the pointer
// is over it (when the parent reflects the hover notifications), a hand cursor, and a click
// notification.
#pragma once

#include <windows.h>

// Notification codes of a link label, sent with WM_NOTIFY to its parent.
enum : UINT {
  LLN_CLICK = WM_USER + 1,  // released inside after a press on the label
  LLN_MOUSELEAVE,           // the pointer has left the label
  LLN_MOUSEMOVE,            // wParam, lParam of the WM_MOUSEMOVE inside the label
};

struct LinkLabelNotify {
  NMHDR header;
  WPARAM wParam;
  LPARAM lParam;
};

extern const char LLPROP_ORIGINALPROC[];
extern const char LLPROP_CONTROLSTATE[];  // bit 0: hot
extern const char LLPROP_CURSOR[];
extern const char LLPROP_FONT[];

const UINT_PTR LLSTATE_HOT = 1;

// Installs the subclass on a static control that has a font; false, with the control unchanged,
// when it has none or the font or cursor cannot be made.
bool SubclassLinkLabel(HWND label);

// The pointing-hand cursor the label shows; the caller destroys it.
HCURSOR CreateHandCursor(HINSTANCE instance);
