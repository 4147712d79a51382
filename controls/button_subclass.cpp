// A button or check box that asks its parent for a context menu instead of showing one itself.
#include "controls/button_subclass.h"

#include <cstring>

#include "controls/subclass.h"
#include "controls/window_helpers.h"

const char BTNPROP_ORIGINALPROC[] = "BTNPROP_ORIGINALPROC";

namespace {

LRESULT PassOn(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
  return PassToOriginal(button, BTNPROP_ORIGINALPROC, message, wParam, lParam);
}

void Notify(HWND button, UINT code, WPARAM first, LPARAM second) {
  ButtonNotify record;
  std::memset(&record, 0, sizeof(record));
  InitNotifyHeader(&record.header, button, code);
  record.first = first;
  record.second = second;
  SendNotify(button, &record.header);
}

// The point travels packed like WM_CONTEXTMENU's lParam, so that readers use the usual macros.
void RequestContextMenu(HWND button, POINT screenPoint) {
  LPARAM packed = MAKELPARAM(static_cast<WORD>(screenPoint.x), static_cast<WORD>(screenPoint.y));
  Notify(button, BTNN_CONTEXTMENU, reinterpret_cast<WPARAM>(button), packed);
}

LRESULT OnReflectedNotify(HWND button, WPARAM wParam, LPARAM lParam) {
  const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
  // Only our own records come back to us; anything else is none of the subclass's business.
  if (!header || header->hwndFrom != button) return PassOn(button, WM_NOTIFY, wParam, lParam);
  const ButtonNotify* record = reinterpret_cast<const ButtonNotify*>(header);
  if (header->code == BTNN_KEYDOWN && record->first == VK_APPS) {
    RequestContextMenu(button, GetWindowOrigin(button));
    return 0;
  }
  if (header->code == BTNN_RBUTTONUP) {
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    RequestContextMenu(button, cursor);
    return 0;
  }
  return PassOn(button, WM_NOTIFY, wParam, lParam);
}

LRESULT OnDestroy(HWND button, WPARAM wParam, LPARAM lParam) {
  Notify(button, BTNN_DESTROY, 0, 0);
  return RemoveSubclass(button, BTNPROP_ORIGINALPROC, wParam, lParam);
}

LRESULT CALLBACK ButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
      Notify(button, BTNN_KEYDOWN, wParam, lParam);
      return PassOn(button, message, wParam, lParam);
    case WM_RBUTTONDOWN:
      SetFocus(button);
      return PassOn(button, message, wParam, lParam);
    case WM_RBUTTONUP:
      Notify(button, BTNN_RBUTTONUP, 0, 0);
      return PassOn(button, message, wParam, lParam);
    case WM_NOTIFY:
      return OnReflectedNotify(button, wParam, lParam);
    case WM_DESTROY:
      return OnDestroy(button, wParam, lParam);
    default:
      return PassOn(button, message, wParam, lParam);
  }
}

}  // namespace

bool SubclassButton(HWND button) {
  if (!IsWindow(button)) return false;
  return InstallSubclass(button, BTNPROP_ORIGINALPROC, ButtonProc);
}
