// Window procedure replacement for the custom controls (see subclass.h).
#include "controls/subclass.h"

static LRESULT CallOriginal(WNDPROC original, HWND window, UINT message, WPARAM wParam,
                            LPARAM lParam) {
  if (!original) return DefWindowProcA(window, message, wParam, lParam);
  return CallWindowProcA(original, window, message, wParam, lParam);
}

bool InstallSubclass(HWND window, const char* originalProperty, WNDPROC procedure) {
  // The property is in place before the first message can reach the new procedure.
  LONG_PTR previous = GetWindowLongPtrA(window, GWLP_WNDPROC);
  if (!SetPropA(window, originalProperty, reinterpret_cast<HANDLE>(previous))) return false;
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
  return true;
}

LRESULT PassToOriginal(HWND window, const char* originalProperty, UINT message, WPARAM wParam,
                       LPARAM lParam) {
  WNDPROC original = reinterpret_cast<WNDPROC>(GetPropA(window, originalProperty));
  return CallOriginal(original, window, message, wParam, lParam);
}

LRESULT RemoveSubclass(HWND window, const char* originalProperty, WPARAM wParam, LPARAM lParam) {
  WNDPROC original = reinterpret_cast<WNDPROC>(RemovePropA(window, originalProperty));
  if (original) SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
  return CallOriginal(original, window, WM_DESTROY, wParam, lParam);
}
