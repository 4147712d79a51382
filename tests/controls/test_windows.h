// Real windows for the control tests: a parent that records every WM_NOTIFY and WM_COMMAND it
// gets and either reflects the notification or answers it itself, and a pump for the queue.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "controls/window_helpers.h"

namespace testwin {

struct SeenNotify {
  HWND from;
  UINT_PTR id;
  WPARAM wParam;
  UINT code;
  const NMHDR* record;  // Valid only while the notification is being delivered.
  LRESULT result;
};

struct SeenCommand {
  WPARAM wParam;
  LPARAM lParam;
};

// Decides what the parent does with one notification: return true and set *result to handle it
// (no reflection), false to reflect it back to the control.
using NotifyHandler = std::function<bool(const NMHDR* record, LRESULT* result)>;
// Called while the record is still alive, for tests that copy the control's fields.
using NotifyInspector = std::function<void(const NMHDR* record)>;

struct ParentState {
  std::vector<SeenNotify> notifies;
  std::vector<SeenCommand> commands;
  NotifyHandler handler;
  NotifyInspector inspector;
};

inline ParentState& Parent() {
  static ParentState state;
  return state;
}

// Records the notification before acting on it, so that the list shows the order in which the
// parent received them, with nested ones after the one that caused them.
inline LRESULT OnParentNotify(WPARAM wParam, const NMHDR* record) {
  ParentState& state = Parent();
  size_t at = state.notifies.size();
  state.notifies.push_back(
      SeenNotify{record->hwndFrom, record->idFrom, wParam, record->code, record, 0});
  if (state.inspector) state.inspector(record);
  LRESULT result = 0;
  bool handled = state.handler && state.handler(record, &result);
  if (!handled) result = ReflectNotify(record);
  state.notifies[at].result = result;
  return result;
}

inline LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NOTIFY:
      return OnParentNotify(wParam, reinterpret_cast<const NMHDR*>(lParam));
    case WM_COMMAND:
      Parent().commands.push_back(SeenCommand{wParam, lParam});
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

inline const char* ParentClassName() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXA record;
    FillWindowClass(&record, GetModuleHandleA(nullptr), ParentProc, "MorvaneTestParent", nullptr,
                    0);
    record.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    record.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    registered = RegisterClassExA(&record) != 0;
  }
  return "MorvaneTestParent";
}

// A visible top-level parent without frame, so that client and window rectangles coincide.
inline HWND MakeParent(int x = 100, int y = 100, int width = 300, int height = 240) {
  Parent() = ParentState();
  HWND window = CreateWindowExA(0, ParentClassName(), "parent", WS_POPUP | WS_VISIBLE, x, y,
                                width, height, nullptr, nullptr, GetModuleHandleA(nullptr),
                                nullptr);
  if (window) {
    SetForegroundWindow(window);
    UpdateWindow(window);
  }
  return window;
}

inline HWND MakeChild(HWND parent, const char* className, const char* text, DWORD style, int id,
                      int x, int y, int width, int height) {
  return CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                         parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleA(nullptr), nullptr);
}

// Delivers everything queued for this thread, including timers that are already due.
inline void Pump(int rounds = 3) {
  for (int round = 0; round < rounds; ++round) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (round + 1 < rounds) Sleep(10);
  }
}

// Watches a control from below a subclass: installed before the subclass, it sees WM_DESTROY
// after the subclass has handled it, and records what is left on the window at that moment.
// Properties the window had before the probe (the platform's own, such as its visual theme's)
// do not count as left.
struct DestroyProbe {
  WNDPROC classProc = nullptr;
  std::vector<std::string> before;
  bool sawDestroy = false;
  int propertiesLeft = -1;
  bool procRestored = false;
};

inline DestroyProbe& Probe() {
  static DestroyProbe probe;
  return probe;
}

inline BOOL CALLBACK ListProperty(HWND, LPSTR name, HANDLE, ULONG_PTR names) {
  // Properties named by an atom have no text; their number stands for them.
  ULONG_PTR atom = reinterpret_cast<ULONG_PTR>(name);
  reinterpret_cast<std::vector<std::string>*>(names)->push_back(
      atom > 0xFFFF ? std::string(name) : "#" + std::to_string(atom));
  return TRUE;
}

inline std::vector<std::string> PropertyNames(HWND window) {
  std::vector<std::string> names;
  EnumPropsExA(window, ListProperty, reinterpret_cast<LPARAM>(&names));
  return names;
}

inline LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DestroyProbe& probe = Probe();
  if (message == WM_DESTROY) {
    probe.sawDestroy = true;
    probe.propertiesLeft = 0;
    for (const std::string& name : PropertyNames(window))
      if (std::find(probe.before.begin(), probe.before.end(), name) == probe.before.end())
        ++probe.propertiesLeft;
    probe.procRestored =
        GetWindowLongPtrA(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(ProbeProc);
  }
  return CallWindowProcA(probe.classProc, window, message, wParam, lParam);
}

inline void InstallDestroyProbe(HWND window) {
  Probe() = DestroyProbe();
  Probe().before = PropertyNames(window);
  Probe().classProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ProbeProc)));
}

// Reads a pixel of a window's client area back from the window's own surface.
inline COLORREF WindowPixel(HWND window, int x, int y) {
  HDC dc = GetDC(window);
  COLORREF colour = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return colour;
}

// Reads a pixel of a window's client area from the screen, after giving the platform time to
// bring the window's drawing to the display.
inline COLORREF ScreenPixel(HWND window, int x, int y) {
  POINT point = {x, y};
  ClientToScreen(window, &point);
  GdiFlush();
  Sleep(50);
  HDC screen = GetDC(nullptr);
  COLORREF colour = GetPixel(screen, point.x, point.y);
  ReleaseDC(nullptr, screen);
  return colour;
}

inline POINT ClientToScreenPoint(HWND window, int x, int y) {
  POINT point = {x, y};
  ClientToScreen(window, &point);
  return point;
}

inline std::vector<UINT> Codes(UINT_PTR id) {
  std::vector<UINT> codes;
  for (const SeenNotify& seen : Parent().notifies) {
    if (seen.id == id) codes.push_back(seen.code);
  }
  return codes;
}

inline LPARAM PointParam(int x, int y) {
  return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

}  // namespace testwin
