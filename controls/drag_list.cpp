// A list box whose items are reordered by dragging or with Alt+arrow keys.
#include "controls/drag_list.h"

#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "controls/common_controls.h"
#include "controls/subclass.h"
#include "controls/window_helpers.h"

const char DDLBPROP_DRAGINFO[] = "DDLBPROP_DRAGINFO";
const char DDLBPROP_ORIGINALPROC[] = "DDLBPROP_ORIGINALPROC";

namespace {

const UINT_PTR kAutoScrollTimer = 100;

void SetIdle(DragInfo* info) {
  info->fromIndex = -1;
  info->dragging = FALSE;
  info->markShown = FALSE;
  info->markEnd = POINT{-1, -1};
  info->markStart = POINT{-1, -1};
}

DragInfo* Info(HWND listBox) {
  return static_cast<DragInfo*>(GetPropA(listBox, DDLBPROP_DRAGINFO));
}

LRESULT PassOn(HWND listBox, UINT message, WPARAM wParam, LPARAM lParam) {
  return PassToOriginal(listBox, DDLBPROP_ORIGINALPROC, message, wParam, lParam);
}

// The mouse capture is part of the test: a drag whose capture went elsewhere is over.
bool IsDragging(HWND listBox) {
  DragInfo* info = Info(listBox);
  return info && info->dragging && GetCapture() == listBox;
}

int ItemCount(HWND listBox) {
  return static_cast<int>(SendMessageA(listBox, LB_GETCOUNT, 0, 0));
}

bool IsValidIndex(HWND listBox, int index) { return index >= 0 && index < ItemCount(listBox); }

int CurrentItem(HWND listBox) {
  return static_cast<int>(SendMessageA(listBox, LB_GETCURSEL, 0, 0));
}

void Select(HWND listBox, int index) { SendMessageA(listBox, LB_SETCURSEL, index, 0); }

POINT CursorPos() {
  POINT cursor = {0, 0};
  GetCursorPos(&cursor);
  return cursor;
}

int ItemUnderCursor(HWND listBox) {
  return ListItemFromPoint(listBox, CursorPos(), false);
}

LRESULT Notify(HWND listBox, UINT code, int item, WPARAM wParam, LPARAM lParam, int fromIndex,
               int toPosition) {
  DragListNotify record;
  std::memset(&record, 0, sizeof(record));
  InitNotifyHeader(&record.header, listBox, code);
  record.item = item;
  record.wParam = wParam;
  record.lParam = lParam;
  record.fromIndex = fromIndex;
  record.toPosition = toPosition;
  return SendNotify(listBox, &record.header);
}

LRESULT NotifyPlain(HWND listBox, UINT code) { return Notify(listBox, code, 0, 0, 0, 0, 0); }

// ---- Insertion position and mark ----

int ItemHeight(HWND listBox) {
  int height = static_cast<int>(SendMessageA(listBox, LB_GETITEMHEIGHT, 0, 0));
  return height > 0 ? height : 1;
}

int TopIndex(HWND listBox) {
  return static_cast<int>(SendMessageA(listBox, LB_GETTOPINDEX, 0, 0));
}

int InsertionPosition(HWND listBox, POINT screenPoint) {
  POINT client = screenPoint;
  ScreenToClient(listBox, &client);
  RECT area = {0, 0, 0, 0};
  GetClientRect(listBox, &area);
  if (!PtInRect(&area, client)) return -1;
  int position = TopIndex(listBox) + client.y / ItemHeight(listBox);
  int count = ItemCount(listBox);
  return position > count ? count : position;
}

// Inverts the pixels under the line, so drawing the same line again restores them.
bool DrawInvertedLine(HWND listBox, POINT start, POINT end) {
  HDC dc = GetDC(listBox);
  if (!dc) return false;
  int saved = SaveDC(dc);
  SelectObject(dc, GetStockObject(BLACK_PEN));
  SelectObject(dc, GetStockObject(BLACK_BRUSH));
  SetROP2(dc, R2_NOTXORPEN);
  MoveToEx(dc, start.x, start.y, nullptr);
  LineTo(dc, end.x, end.y);
  RestoreDC(dc, saved);
  ReleaseDC(listBox, dc);
  return true;
}

void DrawMark(HWND listBox, DragInfo* info, POINT screenPoint) {
  int position = InsertionPosition(listBox, screenPoint);
  if (position < 0 || position > ItemCount(listBox)) return;
  int y = (position - TopIndex(listBox)) * ItemHeight(listBox);
  POINT start = {0, y};
  POINT end = {GetClientWidth(listBox), y};
  if (!DrawInvertedLine(listBox, start, end)) return;
  info->markStart = start;
  info->markEnd = end;
  info->markShown = TRUE;
}

bool InsideWithEdges(const RECT& area, POINT point) {
  return point.x >= area.left && point.x <= area.right && point.y >= area.top &&
         point.y <= area.bottom;
}

void EraseMark(HWND listBox, DragInfo* info) {
  if (!info->markShown) return;
  RECT area = {0, 0, 0, 0};
  GetClientRect(listBox, &area);
  if (!InsideWithEdges(area, info->markStart) || !InsideWithEdges(area, info->markEnd)) return;
  if (DrawInvertedLine(listBox, info->markStart, info->markEnd)) info->markShown = FALSE;
}

// ---- Drag lifecycle ----

void CALLBACK AutoScrollTick(HWND listBox, UINT, UINT_PTR, DWORD) {
  DragInfo* info = Info(listBox);
  if (!info || !info->dragging) return;
  POINT cursor = CursorPos();
  // The mark is taken off before the items scroll and put back after, so it never moves
  // along with them.
  EraseMark(listBox, info);
  ListItemFromPoint(listBox, cursor, true);
  DrawMark(listBox, info, cursor);
}

void BeginDrag(HWND listBox, int item) {
  DragInfo* info = Info(listBox);
  if (!info) return;
  if (Notify(listBox, DDLBN_BEGINDRAG, item, 0, 0, 0, 0) != 0) return;
  SetIdle(info);
  info->fromIndex = item;
  info->dragging = TRUE;
  SetCapture(listBox);
  SetTimer(listBox, kAutoScrollTimer, 0, AutoScrollTick);
}

void EndDrag(HWND listBox) {
  DragInfo* info = Info(listBox);
  if (!info || !info->dragging) return;
  EraseMark(listBox, info);
  SetIdle(info);
  NotifyPlain(listBox, DDLBN_ENDDRAG);
}

void QueryCursor(HWND listBox, WPARAM wParam, LPARAM lParam) {
  int position = InsertionPosition(listBox, CursorPos());
  LRESULT cursor = Notify(listBox, DDLBN_QUERYCURSOR, 0, wParam, lParam, 0, position);
  if (cursor) SetCursor(reinterpret_cast<HCURSOR>(cursor));
}

// ---- Message handlers ----

LRESULT OnLButtonDown(HWND listBox, WPARAM wParam, LPARAM lParam) {
  int item = ItemUnderCursor(listBox);
  if (IsValidIndex(listBox, item)) BeginDrag(listBox, item);
  LRESULT result = PassOn(listBox, WM_LBUTTONDOWN, wParam, lParam);
  SendCommandToParent(listBox, LBN_SELCHANGE);
  return result;
}

LRESULT OnMouseMove(HWND listBox, WPARAM wParam, LPARAM lParam) {
  if (!IsDragging(listBox)) return PassOn(listBox, WM_MOUSEMOVE, wParam, lParam);
  DragInfo* info = Info(listBox);
  EraseMark(listBox, info);
  DrawMark(listBox, info, CursorPos());
  QueryCursor(listBox, wParam, lParam);
  return 0;
}

LRESULT OnLButtonUp(HWND listBox, WPARAM wParam, LPARAM lParam) {
  if (IsDragging(listBox)) {
    DragInfo* info = Info(listBox);
    int to = InsertionPosition(listBox, CursorPos());
    if (to != info->fromIndex && to >= 0 && to <= ItemCount(listBox)) {
      Notify(listBox, DDLBN_DROP, 0, 0, 0, info->fromIndex, to);
    }
    // Losing the capture is what ends the drag.
    if (GetCapture() == listBox) ReleaseCapture();
  }
  return PassOn(listBox, WM_LBUTTONUP, wParam, lParam);
}

LRESULT OnCaptureChanged(HWND listBox, WPARAM wParam, LPARAM lParam) {
  if (reinterpret_cast<HWND>(lParam) != listBox) {
    KillTimer(listBox, kAutoScrollTimer);
    EndDrag(listBox);
  }
  return PassOn(listBox, WM_CAPTURECHANGED, wParam, lParam);
}

LRESULT OnKillFocus(HWND listBox, WPARAM wParam, LPARAM lParam) {
  KillTimer(listBox, kAutoScrollTimer);
  if (GetCapture() == listBox) ReleaseCapture();
  return PassOn(listBox, WM_KILLFOCUS, wParam, lParam);
}

LRESULT OnSetCursor(HWND listBox, WPARAM wParam, LPARAM lParam) {
  if (IsDragging(listBox)) QueryCursor(listBox, wParam, lParam);
  return PassOn(listBox, WM_SETCURSOR, wParam, lParam);
}

LRESULT OnRButtonDown(HWND listBox, WPARAM wParam, LPARAM lParam) {
  if (IsDragging(listBox)) return 0;
  int item = ItemUnderCursor(listBox);
  if (IsValidIndex(listBox, item)) {
    Select(listBox, item);
    SendCommandToParent(listBox, LBN_SELCHANGE);
  }
  return PassOn(listBox, WM_RBUTTONDOWN, wParam, lParam);
}

LRESULT OnRButtonUp(HWND listBox, WPARAM wParam, LPARAM lParam) {
  if (IsDragging(listBox)) return 0;
  int item = ItemUnderCursor(listBox);
  if (IsValidIndex(listBox, item)) Notify(listBox, DDLBN_RBUTTONUP, item, 0, 0, 0, 0);
  return PassOn(listBox, WM_RBUTTONUP, wParam, lParam);
}

LRESULT OnKey(HWND listBox, UINT message, UINT code, WPARAM wParam, LPARAM lParam) {
  if (!IsDragging(listBox)) Notify(listBox, code, 0, wParam, lParam, 0, 0);
  return PassOn(listBox, message, wParam, lParam);
}

LRESULT OnDropFiles(HWND listBox, WPARAM wParam, LPARAM lParam) {
  Notify(listBox, DDLBN_DROPFILES, 0, wParam, lParam, 0, 0);
  return 0;
}

LRESULT OnDestroy(HWND listBox, WPARAM wParam, LPARAM lParam) {
  NotifyPlain(listBox, DDLBN_DESTROY);
  delete static_cast<DragInfo*>(RemovePropA(listBox, DDLBPROP_DRAGINFO));
  return RemoveSubclass(listBox, DDLBPROP_ORIGINALPROC, wParam, lParam);
}

// ---- Default reactions to reflected notifications ----

// Deletes the current item and selects the neighbour chosen from the old index and new count.
void DeleteCurrent(HWND listBox, int (*neighbour)(int current, int count)) {
  int current = CurrentItem(listBox);
  if (!IsValidIndex(listBox, current)) return;
  SendMessageA(listBox, LB_DELETESTRING, current, 0);
  int count = ItemCount(listBox);
  if (count > 0) Select(listBox, neighbour(current, count));
}

int AboveOrFirst(int current, int count) {
  int index = current - 1 < count - 1 ? current - 1 : count - 1;
  return index < 0 ? 0 : index;
}

int SameOrLast(int current, int count) { return current < count - 1 ? current : count - 1; }

// Alt+arrow: moves the current item one place up (step -1) or down (step +1).
void MoveCurrentBy(HWND listBox, int step) {
  int current = CurrentItem(listBox);
  if (!IsValidIndex(listBox, current) || !IsValidIndex(listBox, current + step)) return;
  if (Notify(listBox, DDLBN_BEGINDRAG, current, 0, 0, 0, 0) != 0) return;
  // Insertion positions count the moving item itself, so one place down is two positions on.
  int to = step < 0 ? current - 1 : current + 2;
  Select(listBox, MoveListItem(listBox, current, to));
}

LRESULT OnReflectedKeyDown(HWND listBox, const DragListNotify* record, WPARAM wParam,
                           LPARAM lParam) {
  switch (record->wParam) {
    case VK_BACK:
      DeleteCurrent(listBox, AboveOrFirst);
      return 0;
    case VK_DELETE:
      DeleteCurrent(listBox, SameOrLast);
      return 0;
    case VK_APPS:
      NotifyPlain(listBox, DDLBN_CONTEXTMENU);
      return 0;
    default:
      return PassOn(listBox, WM_NOTIFY, wParam, lParam);
  }
}

LRESULT OnReflectedSysKeyDown(HWND listBox, const DragListNotify* record, WPARAM wParam,
                              LPARAM lParam) {
  switch (record->wParam) {
    case VK_LEFT:
    case VK_UP:
      MoveCurrentBy(listBox, -1);
      return 0;
    case VK_RIGHT:
    case VK_DOWN:
      MoveCurrentBy(listBox, +1);
      return 0;
    default:
      return PassOn(listBox, WM_NOTIFY, wParam, lParam);
  }
}

LRESULT OnReflectedNotify(HWND listBox, WPARAM wParam, LPARAM lParam) {
  const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
  // Only our own records come back to us; anything else is none of the subclass's business.
  if (!header || header->hwndFrom != listBox) return PassOn(listBox, WM_NOTIFY, wParam, lParam);
  const DragListNotify* record = reinterpret_cast<const DragListNotify*>(header);
  switch (header->code) {
    case DDLBN_KEYDOWN:
      return OnReflectedKeyDown(listBox, record, wParam, lParam);
    case DDLBN_SYSKEYDOWN:
      return OnReflectedSysKeyDown(listBox, record, wParam, lParam);
    case DDLBN_DROP:
      Select(listBox, MoveListItem(listBox, record->fromIndex, record->toPosition));
      return 0;
    case DDLBN_RBUTTONUP:
      NotifyPlain(listBox, DDLBN_CONTEXTMENU);
      return 0;
    default:
      return PassOn(listBox, WM_NOTIFY, wParam, lParam);
  }
}

bool SwallowedDuringDrag(UINT message) {
  return message == WM_CHAR || message == WM_LBUTTONDBLCLK || message == WM_MOUSEWHEEL;
}

LRESULT CALLBACK DragListProc(HWND listBox, UINT message, WPARAM wParam, LPARAM lParam) {
  if (SwallowedDuringDrag(message) && IsDragging(listBox)) return 0;
  switch (message) {
    case WM_LBUTTONDOWN:
      return OnLButtonDown(listBox, wParam, lParam);
    case WM_MOUSEMOVE:
      return OnMouseMove(listBox, wParam, lParam);
    case WM_LBUTTONUP:
      return OnLButtonUp(listBox, wParam, lParam);
    case WM_CAPTURECHANGED:
      return OnCaptureChanged(listBox, wParam, lParam);
    case WM_KILLFOCUS:
      return OnKillFocus(listBox, wParam, lParam);
    case WM_SETCURSOR:
      return OnSetCursor(listBox, wParam, lParam);
    case WM_RBUTTONDOWN:
      return OnRButtonDown(listBox, wParam, lParam);
    case WM_RBUTTONUP:
      return OnRButtonUp(listBox, wParam, lParam);
    case WM_KEYDOWN:
      return OnKey(listBox, message, DDLBN_KEYDOWN, wParam, lParam);
    case WM_SYSKEYDOWN:
      return OnKey(listBox, message, DDLBN_SYSKEYDOWN, wParam, lParam);
    case WM_DROPFILES:
      return OnDropFiles(listBox, wParam, lParam);
    case WM_NOTIFY:
      return OnReflectedNotify(listBox, wParam, lParam);
    case WM_DESTROY:
      return OnDestroy(listBox, wParam, lParam);
    default:
      return PassOn(listBox, message, wParam, lParam);
  }
}

}  // namespace

bool SubclassDragListBox(HWND listBox) {
  if (!IsWindow(listBox)) return false;
  DragInfo* info = new (std::nothrow) DragInfo;
  if (!info) return false;
  SetIdle(info);
  if (!SetPropA(listBox, DDLBPROP_DRAGINFO, info)) {
    delete info;
    return false;
  }
  if (!InstallSubclass(listBox, DDLBPROP_ORIGINALPROC, DragListProc)) {
    RemovePropA(listBox, DDLBPROP_DRAGINFO);
    delete info;
    return false;
  }
  return true;
}

int MoveListItem(HWND listBox, int fromIndex, int toPosition) {
  int count = ItemCount(listBox);
  if (fromIndex < 0 || fromIndex >= count || toPosition < 0 || toPosition > count) return -1;
  LRESULT length = SendMessageA(listBox, LB_GETTEXTLEN, fromIndex, 0);
  if (length < 0) return -1;
  char* text = static_cast<char*>(std::malloc(static_cast<size_t>(length) + 1));
  if (!text) return -1;
  text[0] = '\0';
  SendMessageA(listBox, LB_GETTEXT, fromIndex, reinterpret_cast<LPARAM>(text));
  LRESULT data = SendMessageA(listBox, LB_GETITEMDATA, fromIndex, 0);
  SendMessageA(listBox, LB_DELETESTRING, fromIndex, 0);
  if (fromIndex < toPosition) --toPosition;
  LRESULT inserted =
      SendMessageA(listBox, LB_INSERTSTRING, toPosition, reinterpret_cast<LPARAM>(text));
  if (inserted >= 0 && data != 0) {
    SendMessageA(listBox, LB_SETITEMDATA, inserted, data);
  }
  std::free(text);
  return inserted >= 0 ? toPosition : -1;
}
