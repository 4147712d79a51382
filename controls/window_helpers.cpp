// Thin layer over the window manager shared by every window of the program.
#include "controls/window_helpers.h"

#include <commctrl.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>

// The first-version tool record (no lParam) is what the program hands to the tooltip control,
// so it works with every version of the common controls.
// It ends after lpszText: 40 bytes in the 32-bit build, 56 in the 64-bit one.
const UINT kToolInfoV1Size = TTTOOLINFOA_V1_SIZE;

// ---- Notifications ----

void InitNotifyHeader(NMHDR* header, HWND control, UINT code) {
  std::memset(header, 0, sizeof(*header));
  header->hwndFrom = control;
  header->idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(control));
  header->code = code;
}

LRESULT SendNotify(HWND control, NMHDR* record) {
  return SendMessageA(GetParent(control), WM_NOTIFY, record->idFrom,
                      reinterpret_cast<LPARAM>(record));
}

LRESULT SendCommandToParent(HWND control, UINT code) {
  WPARAM wParam = MAKEWPARAM(GetDlgCtrlID(control) & 0xFFFF, code & 0xFFFF);
  return SendMessageA(GetParent(control), WM_COMMAND, wParam, reinterpret_cast<LPARAM>(control));
}

LRESULT ReflectNotify(const NMHDR* record) {
  return SendMessageA(record->hwndFrom, WM_NOTIFY, record->idFrom,
                      reinterpret_cast<LPARAM>(record));
}

// ---- Tooltips ----

HWND CreateTooltip(HWND owner, HINSTANCE instance, DWORD style, DWORD exStyle) {
  return CreateWindowExA(exStyle, "tooltips_class32", nullptr, style, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, instance,
                         nullptr);
}

void RemoveTool(HWND tooltip, UINT flags, HWND owner, HWND control) {
  TOOLINFOA tool;
  std::memset(&tool, 0, sizeof(tool));
  tool.cbSize = kToolInfoV1Size;
  tool.uFlags = flags;
  tool.hwnd = owner;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  SendMessageA(tooltip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

bool AddTool(UINT flags, HWND tooltip, HWND owner, HWND control, const char* text) {
  TOOLINFOA tool;
  std::memset(&tool, 0, sizeof(tool));
  tool.cbSize = kToolInfoV1Size;
  tool.uFlags = flags | TTF_IDISHWND;
  tool.hwnd = owner;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = const_cast<char*>(text);
  return SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
}

bool AddDialogItemTool(HWND tooltip, UINT flags, HWND owner, HWND dialog, int itemId,
                       const char* text) {
  return AddTool(flags, tooltip, owner, GetDlgItem(dialog, itemId), text);
}

LRESULT SetTooltipMaxWidth(HWND tooltip, int width) {
  return SendMessageA(tooltip, TTM_SETMAXTIPWIDTH, 0, width);
}

// ---- Menus ----

bool ShowPopupMenu(POINT point, HWND owner, HMENU menu, UINT flags, const RECT* exclude) {
  // Without the foreground switch the menu would not close when the user clicks elsewhere.
  SetForegroundWindow(owner);
  TPMPARAMS params;
  TPMPARAMS* paramsOrNone = nullptr;
  if (exclude) {
    std::memset(&params, 0, sizeof(params));
    params.cbSize = sizeof(params);
    params.rcExclude = *exclude;
    paramsOrNone = &params;
  }
  return TrackPopupMenuEx(menu, flags, point.x, point.y, owner, paramsOrNone) != FALSE;
}

bool ShowMenuResource(POINT point, HINSTANCE instance, int menuResource, int submenuIndex,
                      HWND owner, UINT flags, const RECT* exclude) {
  HMENU loaded = LoadMenuA(instance, MAKEINTRESOURCEA(menuResource));
  if (!loaded) return false;
  bool shown = false;
  HMENU popup = GetSubMenu(loaded, submenuIndex);
  if (popup) shown = ShowPopupMenu(point, owner, popup, flags, exclude);
  DestroyMenu(loaded);
  return shown;
}

bool ShowMenuResourceAtCursor(HINSTANCE instance, int menuResource, int submenuIndex,
                              HWND owner, UINT flags) {
  POINT cursor;
  if (!GetCursorPos(&cursor)) return false;
  return ShowMenuResource(cursor, instance, menuResource, submenuIndex, owner, flags, nullptr);
}

int FindMenuItemPosition(HMENU menu, UINT commandId) {
  int count = GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    if (GetMenuItemID(menu, position) == commandId) return position;
  }
  return -1;
}

void CheckMenuItemIf(bool checked, HMENU menu, UINT item, UINT flags) {
  CheckMenuItem(menu, item, flags | (checked ? MF_CHECKED : 0u));
}

bool InsertMenuSeparator(UINT flags, HMENU menu, UINT position) {
  return InsertMenuA(menu, position, flags | MF_SEPARATOR, 0, "") != FALSE;
}

// ---- Window placement and size ----

POINT GetWindowOrigin(HWND window) {
  RECT rect = {0, 0, 0, 0};
  GetWindowRect(window, &rect);
  return POINT{rect.left, rect.top};
}

SIZE GetWindowSize(HWND window) {
  RECT rect = {0, 0, 0, 0};
  GetWindowRect(window, &rect);
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

int GetWindowWidth(HWND window) { return GetWindowSize(window).cx; }


SIZE GetClientSize(HWND window) {
  RECT rect = {0, 0, 0, 0};
  GetClientRect(window, &rect);
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

int GetClientWidth(HWND window) { return GetClientSize(window).cx; }

void OffsetFromWindow(POINT* point, HWND window) {
  POINT origin = GetWindowOrigin(window);
  point->x -= origin.x;
  point->y -= origin.y;
}

bool MoveWindowTo(HWND window, int x, int y) {
  return SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOZORDER | SWP_NOSIZE) != FALSE;
}

// A child's position is given to SetWindowPos in its parent's client coordinates.
static void ToParentClient(HWND window, POINT* point) {
  HWND parent = GetParent(window);
  if (parent && IsChild(parent, window)) ScreenToClient(parent, point);
}

bool MoveWindowBy(HWND window, int dx, int dy) {
  POINT origin = GetWindowOrigin(window);
  ToParentClient(window, &origin);
  return MoveWindowTo(window, origin.x + dx, origin.y + dy);
}

bool ResizeWindowTo(HWND window, int width, int height) {
  return SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOMOVE) != FALSE;
}

bool GrowWindowBy(HWND window, int dx, int dy) {
  SIZE size = GetWindowSize(window);
  return ResizeWindowTo(window, size.cx + dx, size.cy + dy);
}

bool GrowDialogItemBy(HWND dialog, int itemId, int dx, int dy) {
  return GrowWindowBy(GetDlgItem(dialog, itemId), dx, dy);
}

void SetTopmost(HWND window, bool on) {
  const UINT flags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW | SWP_NOACTIVATE | SWP_NOCOPYBITS |
                     SWP_NOSENDCHANGING;
  static_assert(flags == 0x51B, "topmost switch flags");
  SetWindowPos(window, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, flags);
}

bool IsTopmost(HWND window) {
  return (GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// Pulls one coordinate back so that [start, start + extent) lies inside [low, high); when the
// extent is larger than the range, the low edge wins.
static int ClampIntoRange(int start, int extent, int low, int high) {
  if (start + extent > high) start = high - extent;
  if (start < low) start = low;
  return start;
}

void PlaceWindowAtCursor(HWND window) {
  SIZE size = GetWindowSize(window);
  POINT cursor = {0, 0};
  GetCursorPos(&cursor);
  POINT place = {cursor.x + size.cx / -2, cursor.y + size.cy / -2};
  RECT work;
  // When the work area cannot be read the window is left centred on the pointer, unclamped.
  if (SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) {
    place.x = ClampIntoRange(place.x, size.cx, work.left, work.right);
    place.y = ClampIntoRange(place.y, size.cy, work.top, work.bottom);
  }
  ToParentClient(window, &place);
  MoveWindowTo(window, place.x, place.y);
}

// ---- Other wrappers ----

HINSTANCE WindowInstance(HWND window) {
  return reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
}

bool EnableDialogItem(HWND dialog, int itemId, bool on) {
  return EnableWindow(GetDlgItem(dialog, itemId), on ? TRUE : FALSE) != FALSE;
}

int GetDialogItemTextLength(HWND dialog, int itemId) {
  return GetWindowTextLengthA(GetDlgItem(dialog, itemId));
}

void FocusDialogItem(HWND dialog, int itemId) { SetFocus(GetDlgItem(dialog, itemId)); }

void SetWindowIcon(HWND window, WPARAM which, HICON icon) {
  SendMessageA(window, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
}

bool InvalidateWindow(HWND window, bool erase) {
  return InvalidateRect(window, nullptr, erase ? TRUE : FALSE) != FALSE;
}

bool GetCursorClientPos(HWND window, POINT* point) {
  GetCursorPos(point);
  return ScreenToClient(window, point) != FALSE;
}

bool IsCursorInClient(HWND window) {
  RECT client = {0, 0, 0, 0};
  GetClientRect(window, &client);
  POINT point = {0, 0};
  if (!GetCursorClientPos(window, &point)) return false;
  return PtInRect(&client, point) != FALSE;
}

char* GetWindowTextCopy(HWND window) {
  int length = GetWindowTextLengthA(window);
  if (length < 0) return nullptr;
  char* text = static_cast<char*>(std::malloc(static_cast<size_t>(length) + 1));
  if (!text) return nullptr;
  text[0] = '\0';
  if (GetWindowTextA(window, text, length + 1) < 0) {
    std::free(text);
    return nullptr;
  }
  return text;
}

void FreeWindowTextCopy(char* text) { std::free(text); }

bool GetWindowFontInfo(HWND window, LOGFONTW* font) {
  HFONT handle = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
  if (!handle) return false;
  return GetObjectW(handle, sizeof(LOGFONTW), font) == static_cast<int>(sizeof(LOGFONTW));
}

void FillWindowClass(WNDCLASSEXA* record, HINSTANCE instance, WNDPROC procedure,
                     const char* className, const char* menuName, UINT style) {
  std::memset(record, 0, sizeof(*record));
  record->cbSize = sizeof(*record);
  record->style = style;
  record->lpfnWndProc = procedure;
  record->hInstance = instance;
  record->lpszMenuName = menuName;
  record->lpszClassName = className;
}
