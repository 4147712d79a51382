// Thin layer over the window manager shared by every window of the program: the notification
// protocol of the custom controls, tooltips, popup menus from resources, topmost switching,
// placement at the mouse pointer, and small move/size/query wrappers.
#pragma once

#include <windows.h>

// Notifications. A custom control zero-fills its record, fills the header with InitNotifyHeader
// and sends it with SendNotify; the parent either handles it or reflects it back unchanged.
void InitNotifyHeader(NMHDR* header, HWND control, UINT code);
LRESULT SendNotify(HWND control, NMHDR* record);
LRESULT SendCommandToParent(HWND control, UINT code);
// What a parent does to hand a notification back for the control's default reaction.
LRESULT ReflectNotify(const NMHDR* record);

// Tooltips.
HWND CreateTooltip(HWND owner, HINSTANCE instance, DWORD style, DWORD exStyle);
bool AddTool(UINT flags, HWND tooltip, HWND owner, HWND control, const char* text);
bool AddDialogItemTool(HWND tooltip, UINT flags, HWND owner, HWND dialog, int itemId,
                       const char* text);
void RemoveTool(HWND tooltip, UINT flags, HWND owner, HWND control);
LRESULT SetTooltipMaxWidth(HWND tooltip, int width);

// Menus. The chosen command reaches the owner as WM_COMMAND.
bool ShowPopupMenu(POINT point, HWND owner, HMENU menu, UINT flags, const RECT* exclude);
bool ShowMenuResource(POINT point, HINSTANCE instance, int menuResource, int submenuIndex,
                      HWND owner, UINT flags, const RECT* exclude);
bool ShowMenuResourceAtCursor(HINSTANCE instance, int menuResource, int submenuIndex,
                              HWND owner, UINT flags);
int FindMenuItemPosition(HMENU menu, UINT commandId);
void CheckMenuItemIf(bool checked, HMENU menu, UINT item, UINT flags);
bool InsertMenuSeparator(UINT flags, HMENU menu, UINT position);

// Window placement and size, in screen coordinates unless said otherwise.
POINT GetWindowOrigin(HWND window);
SIZE GetWindowSize(HWND window);
int GetWindowWidth(HWND window);
SIZE GetClientSize(HWND window);
int GetClientWidth(HWND window);
void OffsetFromWindow(POINT* point, HWND window);
bool MoveWindowTo(HWND window, int x, int y);
// Works for child windows too: the origin is taken in the parent's client coordinates.
bool MoveWindowBy(HWND window, int dx, int dy);
bool ResizeWindowTo(HWND window, int width, int height);
bool GrowWindowBy(HWND window, int dx, int dy);
bool GrowDialogItemBy(HWND dialog, int itemId, int dx, int dy);
void SetTopmost(HWND window, bool on);
bool IsTopmost(HWND window);
// Centres the window on the mouse pointer, kept entirely inside the work area.
void PlaceWindowAtCursor(HWND window);

// Other wrappers.
HINSTANCE WindowInstance(HWND window);
bool EnableDialogItem(HWND dialog, int itemId, bool on);
int GetDialogItemTextLength(HWND dialog, int itemId);
void FocusDialogItem(HWND dialog, int itemId);
void SetWindowIcon(HWND window, WPARAM which, HICON icon);
bool InvalidateWindow(HWND window, bool erase);
bool GetCursorClientPos(HWND window, POINT* point);
bool IsCursorInClient(HWND window);
// A copy of the window text, freed by the caller with FreeWindowTextCopy; null on failure.
char* GetWindowTextCopy(HWND window);
void FreeWindowTextCopy(char* text);
bool GetWindowFontInfo(HWND window, LOGFONTW* font);
void FillWindowClass(WNDCLASSEXA* record, HINSTANCE instance, WNDPROC procedure,
                     const char* className, const char* menuName, UINT style);
