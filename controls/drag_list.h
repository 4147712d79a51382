// A list box whose items the user reorders by dragging or with Alt+arrow keys, that deletes the
// current item with Backspace or Delete, asks for a context menu, and hands shell drops to its
// parent. Every default reaction waits for the parent to reflect the notification.
#pragma once

#include <windows.h>

// Notification codes of a drag-reorder list box, sent with WM_NOTIFY to its parent.
enum : UINT {
  DDLBN_KEYDOWN = WM_USER + 1,  // wParam, lParam: the key; not during a drag
  DDLBN_BEGINDRAG,              // item: the item to move; a non-zero answer refuses
  DDLBN_DROP,                   // fromIndex, toPosition
  DDLBN_ENDDRAG,                // no fields
  DDLBN_QUERYCURSOR,            // wParam, lParam of the mouse message; toPosition under the pointer;
                                // the answer is a cursor to show, or 0
  DDLBN_DROPFILES,              // wParam: the shell's drop handle, which the parent finishes
  DDLBN_RBUTTONUP,              // item under the pointer
  DDLBN_CONTEXTMENU,            // no fields
  DDLBN_SYSKEYDOWN,             // wParam, lParam: the key; not during a drag
  DDLBN_DESTROY,                // no fields; the list box still exists
};

// The drag state of one list box.
struct DragInfo {
  int fromIndex;
  BYTE dragging;
  BYTE markShown;
  POINT markEnd;    // right end of the drawn insertion mark, client coordinates
  POINT markStart;  // left end
};

struct DragListNotify {
  NMHDR header;
  int item;
  WPARAM wParam;  // pointer-sized: it may carry a handle, such as the drop handle
  LPARAM lParam;
  int fromIndex;
  int toPosition;  // 0 to item count, or -1 outside the list box
};

extern const char DDLBPROP_DRAGINFO[];
extern const char DDLBPROP_ORIGINALPROC[];

// Installs the subclass on a list box with items of one fixed height; false, with nothing
// changed, when its state cannot be allocated. Call once per list box.
bool SubclassDragListBox(HWND listBox);

// Moves item fromIndex to the insertion position toPosition (counted before the item is taken
// out), keeping its text and item data. Returns the item's new index, or -1 when nothing moved.
int MoveListItem(HWND listBox, int fromIndex, int toPosition);
