// The job window, its worker thread and its tray icon (see job_window.h).
#include "app/job_window.h"

#include <cstdlib>

#include "text/holders.h"
#include "app/job_walk.h"
#include "text/trace.h"
#include "controls/window_helpers.h"
#include "dialog/resource_ids.h"
#include "shell/program_icon.h"
#include "text/allocation.h"
#include "text/bounded.h"

const char JOB_WINDOW_CLASS[] = "Morvane";
const char PROP_INFO[] = "PROP_INFO";
const char PROP_THREAD[] = "PROP_THREAD";
const char PROP_WAITICON[] = "PROP_WAITICON";

namespace {

const char kTrayTip[] = "Morvane が作業中です";
// The first form of the record, understood by every shell: 88 bytes in the 32-bit build, 104 in
// the 64-bit one (a shell refuses the icon when the size does not fit its architecture).
const UINT kTrayIconRecordSize = NOTIFYICONDATAA_V1_SIZE;
// About ten seconds of tries, as long as a taskbar takes to come up after a logon.
const int kTrayAddAttempts = 21;
const int kTrayTipSize = 64;  // of the record's first form

// The shell broadcasts this message when its taskbar is created anew (after a restart of the
// shell); every icon in the notification area is gone by then and must be added again.
UINT TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageA("TaskbarCreated");
  return message;
}

// Waits for the worker's thread to end and lets go of it; the record stays. False when it is
// still running after the wait (the thread is kept then).
bool JoinWorker(WorkerThread* worker, DWORD wait = INFINITE) {
  if (worker == nullptr || worker->thread == nullptr) return true;
  if (WaitForSingleObject(worker->thread, wait) != WAIT_OBJECT_0) return false;
  CloseHandle(worker->thread);
  worker->thread = nullptr;
  return true;
}

// Asks the worker to stop and waits until it has finished its current entry; the record stays.
// A worker that was never resumed is let go now, and finds the job cancelled before it began.
bool FinishWorker(WorkerThread* worker, DWORD wait = INFINITE) {
  if (worker == nullptr) return true;
  if (worker->settings) worker->settings->cancelRequested.store(true);
  if (worker->thread && !worker->started &&
      ResumeThread(worker->thread) == static_cast<DWORD>(-1))
    TerminateThread(worker->thread, 0);  // it never ran a line, so it holds nothing
  return JoinWorker(worker, wait);
}

// The job is over (or never started): the window goes, and with it the program.
void CloseJobWindow(HWND window, WorkerThread* worker) {
  JoinWorker(worker);
  KillTimer(window, JOB_WATCH_TIMER);
  KillTimer(window, JOB_TRAY_TIMER);
  DestroyWindow(window);
}

WorkerThread* WorkerOf(HWND window) {
  return static_cast<WorkerThread*>(GetPropA(window, PROP_THREAD));
}

TrayIcon* TrayOf(HWND window) { return static_cast<TrayIcon*>(GetPropA(window, PROP_WAITICON)); }

void TryAddTrayIcon(TrayIcon* tray) {
  if (tray->added || tray->addAttempts >= kTrayAddAttempts) return;
  ++tray->addAttempts;
  tray->added = Shell_NotifyIconA(NIM_ADD, &tray->data) != FALSE;
}

// Half a second's news: the icon where it is still missing, and the count in its tip.
void CALLBACK TrayTimerProc(HWND window, UINT, UINT_PTR, DWORD) {
  TrayIcon* tray = TrayOf(window);
  if (tray == nullptr) return;
  TryAddTrayIcon(tray);
  WorkerThread* worker = WorkerOf(window);
  const JobReport* report = worker && worker->settings ? worker->settings->report : nullptr;
  if (report == nullptr || !tray->added) return;
  uint32_t done = report->entriesDone.load(std::memory_order_relaxed);
  if (done == tray->shownCount) return;
  tray->shownCount = done;
  FormatTrayTip(done, tray->data.szTip, kTrayTipSize);
  tray->data.uFlags = NIF_TIP;
  Shell_NotifyIconA(NIM_MODIFY, &tray->data);
  tray->data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
}


LRESULT OnCreate(HWND window, const CREATESTRUCTA* creation) {
  JobSettings* settings = static_cast<JobSettings*>(creation->lpCreateParams);
  SetPropA(window, PROP_INFO, settings);
  if (settings->showTrayIcon) {
    HICON icon = static_cast<HICON>(LoadImageA(creation->hInstance, MAKEINTRESOURCEA(IDI_MORVANE),
                                               IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    // The record owns the icon from here on, also when it cannot be made.
    TrayIcon* tray = CreateTrayIcon(window, TRAY_ICON_ID, WM_JOB_TRAYICON, icon, kTrayTip);
    if (tray) SetPropA(window, PROP_WAITICON, tray);
    if (tray && !SetTimer(window, JOB_TRAY_TIMER, JOB_TRAY_INTERVAL, TrayTimerProc))
      Trace("! %s\r\n", "通知領域のタイマーを開始できませんでした。");
  }
  WorkerThread* worker = StartWorker(settings, WorkerMain);
  if (worker == nullptr) {
    Trace("! %s\r\n", "メモリが足りないため、作業を始められませんでした。");
    return -1;  // no window: the job cannot start
  }
  SetPropA(window, PROP_THREAD, worker);
  if (worker->thread == nullptr) {
    Trace("! %s\r\n", "作業スレッドを作成できませんでした。");
    return -1;
  }
  // The one way the job's end is seen: without it the program would never end, so no job
  // starts.
  if (!SetTimer(window, JOB_WATCH_TIMER, 0, WatchTimerProc)) {
    Trace("! %s\r\n", "監視タイマーを開始できませんでした。");
    return -1;
  }
  return 0;
}

LRESULT OnDestroy(HWND window) {
  KillTimer(window, JOB_WATCH_TIMER);
  KillTimer(window, JOB_TRAY_TIMER);
  JobSettings* settings = static_cast<JobSettings*>(RemovePropA(window, PROP_INFO));
  WorkerThread* worker = static_cast<WorkerThread*>(RemovePropA(window, PROP_THREAD));
  // Only a job that ran ends a message loop; a window that failed to come about ends nothing.
  bool started = worker && worker->started;
  StopWorker(worker);
  if (settings && settings->showTrayIcon) {
    TrayIcon* tray = static_cast<TrayIcon*>(RemovePropA(window, PROP_WAITICON));
    if (tray) {
      Shell_NotifyIconA(NIM_DELETE, &tray->data);
      if (tray->data.hIcon) DestroyIcon(tray->data.hIcon);
      std::free(tray);
    }
  }
  if (started) PostQuitMessage(0);
  return 0;
}

// The session is ending (logoff, shutdown): the process may be ended as soon as this returns,
// so the worker is asked to stop and the entry it is changing is finished first. The wait has
// an end: a write that hangs (a share gone away) must not hold up the logoff; every write is one
// call, so an entry is never left half changed.
LRESULT OnEndSession(HWND window, WPARAM ending) {
  if (ending && !FinishWorker(WorkerOf(window), JOB_END_SESSION_WAIT))
    Trace("! %s\r\n", "作業が終わらないままセッションが終了します。");
  return 0;
}

// The shell has restarted: the icon, and with it the only cancel command, is added again.
LRESULT OnTaskbarCreated(HWND window) {
  TrayIcon* tray = TrayOf(window);
  if (tray) tray->added = Shell_NotifyIconA(NIM_ADD, &tray->data) != FALSE;
  return 0;
}

LRESULT OnCommand(HWND window, WPARAM wParam) {
  if (LOWORD(wParam) == IDM_TRAY_CANCEL) {
    WorkerThread* worker = WorkerOf(window);
    if (worker && worker->settings) worker->settings->cancelRequested.store(true);
  }
  return 0;
}

LRESULT OnTrayIcon(HWND window, WPARAM wParam, LPARAM lParam) {
  if (wParam == TRAY_ICON_ID && lParam == WM_RBUTTONUP) {
    PostMessageA(window, WM_JOB_TRAYMENU, 0, 0);
    return 0;
  }
  return DefWindowProcA(window, WM_JOB_TRAYICON, wParam, lParam);
}

LRESULT OnTrayMenu(HWND window) {
  ShowMenuResourceAtCursor(WindowInstance(window), IDM_TRAY_MENU, 0, window, TPM_RIGHTBUTTON | TPM_VERTICAL);
  // A menu opened for a notification icon needs a message to its owner after it closes, or
  // the next time it is opened it closes again at once.
  PostMessageA(window, WM_NULL, 0, 0);
  return 0;
}

}  // namespace

bool RegisterWindowClass(HINSTANCE instance, const char* className, WNDPROC procedure, UINT style,
                         const char* menuName, int stockObject) {
  // A class registered before keeps the icons it has; fetching two more would only leak them.
  WNDCLASSEXA existing = {};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(instance, className, &existing)) return false;
  WNDCLASSEXA windowClass;
  FillWindowClass(&windowClass, instance, procedure, className, menuName, style);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(stockObject));
  IconHolder large(ProgramShellIcon(SHGFI_LARGEICON));
  // Without a small icon the system would make one that it owns; a copy keeps both ours.
  HICON smallIcon = ProgramShellIcon(SHGFI_SMALLICON);
  if (smallIcon == nullptr && large.Get()) smallIcon = CopyIcon(large.Get());
  IconHolder small(smallIcon);
  windowClass.hIcon = large.Get();
  windowClass.hIconSm = small.Get();
  if (!RegisterClassExA(&windowClass)) return false;
  // The class holds them now; UnregisterWindowClass destroys them.
  large.Release();
  small.Release();
  return true;
}

bool UnregisterWindowClass(HINSTANCE instance, const char* className) {
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  if (!GetClassInfoExA(instance, className, &windowClass)) return false;
  // Fails while a window of the class exists; the icons stay with the class then. Both icons
  // were made by RegisterWindowClass.
  if (!UnregisterClassA(className, instance)) return false;
  if (windowClass.hIcon) DestroyIcon(windowClass.hIcon);
  if (windowClass.hIconSm && windowClass.hIconSm != windowClass.hIcon)
    DestroyIcon(windowClass.hIconSm);
  return true;
}

HWND CreateJobWindow(HINSTANCE instance, JobSettings* settings) {
  RegisterWindowClass(instance, JOB_WINDOW_CLASS, JobWindowProc, 0, "", NULL_BRUSH);
  HWND window = CreateWindowExA(0, JOB_WINDOW_CLASS, JOB_WINDOW_CLASS, WS_POPUP | WS_MINIMIZE,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                nullptr, nullptr, instance, settings);
  if (window == nullptr) Trace("! %s\r\n", "ジョブウィンドウを作成できませんでした。");
  if (window && !ResumeWorker(WorkerOf(window))) {
    Trace("! %s\r\n", "作業スレッドを開始できませんでした。");
    DestroyWindow(window);
    window = nullptr;
  }
  if (window == nullptr) UnregisterWindowClass(instance, JOB_WINDOW_CLASS);
  return window;
}

LRESULT CALLBACK JobWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate(window, reinterpret_cast<const CREATESTRUCTA*>(lParam));
    case WM_DESTROY:
      return OnDestroy(window);
    case WM_COMMAND:
      return OnCommand(window, wParam);
    case WM_JOB_TRAYICON:
      return OnTrayIcon(window, wParam, lParam);
    case WM_JOB_TRAYMENU:
      return OnTrayMenu(window);
    case WM_QUERYENDSESSION:
      return TRUE;  // the session may end; WM_ENDSESSION stops the job cleanly
    case WM_ENDSESSION:
      return OnEndSession(window, wParam);
    default:
      if (message != 0 && message == TaskbarCreatedMessage()) return OnTaskbarCreated(window);
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

WorkerThread* StartWorker(JobSettings* settings, LPTHREAD_START_ROUTINE threadFunction) {
  WorkerThread* worker = static_cast<WorkerThread*>(AllocateZeroed(1, sizeof(WorkerThread)));
  if (worker == nullptr) return nullptr;
  worker->settings = settings;
  settings->cancelRequested.store(false);
  DWORD threadId = 0;
  worker->thread = CreateThread(nullptr, 0, threadFunction, worker, CREATE_SUSPENDED, &threadId);
  return worker;
}

bool ResumeWorker(WorkerThread* worker) {
  if (worker == nullptr || worker->thread == nullptr) return false;
  if (ResumeThread(worker->thread) == static_cast<DWORD>(-1)) return false;
  worker->started = true;
  return true;
}

void StopWorker(WorkerThread* worker) {
  FinishWorker(worker);
  std::free(worker);
}

DWORD WINAPI WorkerMain(LPVOID parameter) {
  WorkerThread* worker = static_cast<WorkerThread*>(parameter);
  if (!worker->settings->cancelRequested.load()) {
    // The 32-bit program on 64-bit Windows changes the system folder the user named, not the
    // 32-bit stand-in; the job loads no library.
    FileSystemRedirectionOff redirection;
    RunJob(worker->settings);
  }
  return 0;
}

TrayIcon* CreateTrayIcon(HWND window, UINT iconId, UINT callbackMessage, HICON icon,
                         const char* tip) {
  TrayIcon* tray = static_cast<TrayIcon*>(AllocateZeroed(1, sizeof(TrayIcon)));
  if (tray == nullptr) {
    if (icon) DestroyIcon(icon);
    return nullptr;
  }
  tray->data.cbSize = kTrayIconRecordSize;
  tray->data.hWnd = window;
  tray->data.uID = iconId;
  tray->data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  tray->data.uCallbackMessage = callbackMessage;
  tray->data.hIcon = icon;
  CopyBounded(kTrayTipSize, tip, tray->data.szTip);
  TryAddTrayIcon(tray);
  return tray;
}

void FormatTrayTip(uint32_t entriesDone, char* tip, int size) {
  FormatBounded(tip, size, "%s (%u 件)", kTrayTip, static_cast<unsigned>(entriesDone));
}

void CALLBACK WatchTimerProc(HWND window, UINT, UINT_PTR, DWORD) {
  WorkerThread* worker = WorkerOf(window);
  if (worker && worker->thread && WaitForSingleObject(worker->thread, 0) != WAIT_OBJECT_0) return;
  CloseJobWindow(window, worker);
}
