// desktop_keeper: holds one hidden top-level window while the Wine tests run. Wine's desktop
// process ends a few seconds after its last window is gone, and every later test process then
// waits about a second for a new one to start; one lasting window keeps it alive.
#include <windows.h>

static LRESULT CALLBACK KeeperProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = KeeperProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "MorvaneDesktopKeeper";
  if (!RegisterClassA(&windowClass)) return 1;
  // Never shown, so it takes no focus and covers no pixel that a test reads.
  if (!CreateWindowExA(WS_EX_TOOLWINDOW, windowClass.lpszClassName, "", WS_POPUP, 0, 0, 1, 1,
                       nullptr, nullptr, instance, nullptr))
    return 1;
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}
