// Popup menus read and answered for the tests (see menu_probe.h).
#include "support/menu_probe.h"

namespace {

struct ProbeState {
  WORD accessKey;
  bool closed;
  SeenMenu menu;
};
ProbeState gProbe;

HWND FindPopupMenu() {
  HWND popup = FindWindowA("#32768", nullptr);
  return popup && IsWindowVisible(popup) ? popup : nullptr;
}

void ReadMenu(HWND popup) {
  gProbe.menu.shown = true;
  GetWindowRect(popup, &gProbe.menu.frame);
  HMENU menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
  int count = menu ? GetMenuItemCount(menu) : 0;
  for (int i = 0; i < count; ++i) {
    char text[128] = "";
    GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
    UINT state = GetMenuState(menu, i, MF_BYPOSITION);
    gProbe.menu.items.push_back(
        SeenMenuItem{GetMenuItemID(menu, i), text, (state & MF_CHECKED) != 0});
  }
}

void CALLBACK ProbeTick(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND popup = FindPopupMenu();
  if (!popup || gProbe.closed) return;
  KillTimer(nullptr, timer);
  ReadMenu(popup);
  gProbe.closed = true;
  PressKey(gProbe.accessKey ? gProbe.accessKey : VK_ESCAPE);
}

}  // namespace

MenuProbe::MenuProbe(WORD accessKey) {
  gProbe = ProbeState{accessKey, false, SeenMenu()};
  timer_ = SetTimer(nullptr, 0, 30, ProbeTick);
}

MenuProbe::~MenuProbe() {
  if (!gProbe.closed) KillTimer(nullptr, timer_);
  // A menu that is still open would swallow the next test's input.
  if (FindPopupMenu()) EndMenu();
}

const SeenMenu& MenuProbe::Wait(DWORD timeout) {
  DWORD start = GetTickCount();
  while (!gProbe.closed && GetTickCount() - start < timeout) PumpFor(20);
  PumpFor(100);  // the chosen command arrives as a posted message
  return gProbe.menu;
}

void PressKey(WORD key) {
  INPUT inputs[2] = {};
  inputs[0].type = INPUT_KEYBOARD;
  inputs[0].ki.wVk = key;
  inputs[1] = inputs[0];
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, inputs, sizeof(INPUT));
}

namespace {

void ClickAt(POINT screenPoint, DWORD down, DWORD up) {
  SetCursorPos(screenPoint.x, screenPoint.y);
  INPUT inputs[2] = {};
  inputs[0].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = down;
  inputs[1] = inputs[0];
  inputs[1].mi.dwFlags = up;
  SendInput(2, inputs, sizeof(INPUT));
}

}  // namespace

void RightClickAt(POINT screenPoint) {
  ClickAt(screenPoint, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
}

void LeftClickAt(POINT screenPoint) { ClickAt(screenPoint, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP); }

void PumpFor(DWORD milliseconds) {
  DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        // Left for the caller's own loop, which waits for it.
        PostQuitMessage(static_cast<int>(message.wParam));
        return;
      }
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (GetTickCount() - start < milliseconds);
}
