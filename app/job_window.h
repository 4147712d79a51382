// The hidden job window: it starts the worker thread that runs the job, shows the tray icon
// with its cancel command, watches the worker and ends the message loop when the job is done.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <atomic>
#include <cstdint>

#include "app/job_settings.h"
#include "dialog/resource_ids.h"

enum : UINT {
  WM_JOB_TRAYICON = 0x8001,
  WM_JOB_TRAYMENU = 0x8003,
};

enum : UINT_PTR {
  JOB_WATCH_TIMER = 102,
  // Every half second while the job runs: the tray tip's count, and the icon added again while
  // no taskbar has taken it yet.
  JOB_TRAY_TIMER = 103,
};
enum : UINT { JOB_TRAY_INTERVAL = 500 };
// How long the end of the session waits for the worker to finish the entry in hand.
enum : DWORD { JOB_END_SESSION_WAIT = 5000 };
enum : UINT { TRAY_ICON_ID = 1 };

extern const char JOB_WINDOW_CLASS[];  // also the window's name
extern const char PROP_INFO[];
extern const char PROP_THREAD[];
extern const char PROP_WAITICON[];

struct WorkerThread {
  HANDLE thread;  // null when there is none; made suspended
  JobSettings* settings;
  bool started;             // resumed, once the job window exists
};

// The tray icon record, filled in its first form (see CreateTrayIcon).
struct TrayIcon {
  NOTIFYICONDATAA data;
  bool added;        // a taskbar has taken it
  int addAttempts;   // made so far
  uint32_t shownCount;  // the count the tip shows
};

// The tray tip: the program's busy text and the count of entries done, within the tip's size
// and never ending inside a double-byte character.
void FormatTrayTip(uint32_t entriesDone, char* tip, int size);

// Registers the class with the program file's two shell icons. False when the class exists
// already (it keeps its icons; none are fetched) or cannot be registered (none are kept).
bool RegisterWindowClass(HINSTANCE instance, const char* className, WNDPROC procedure, UINT style,
                         const char* menuName, int stockObject);
// Unregisters a class made by RegisterWindowClass and destroys its icons; false while a window
// of the class exists, or when there is no such class.
bool UnregisterWindowClass(HINSTANCE instance, const char* className);
// Registers the class, creates the job window for the record and starts its worker; null, with
// no file touched, when either cannot be had (the class is then unregistered again). The worker
// starts only once the window exists: creation can still fail after the window's WM_CREATE
// (measured under Wine without a usable display). After the message loop the main flow
// unregisters the class.
HWND CreateJobWindow(HINSTANCE instance, JobSettings* settings);
LRESULT CALLBACK JobWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The worker's record and its thread, made suspended: nothing runs until ResumeWorker.
WorkerThread* StartWorker(JobSettings* settings, LPTHREAD_START_ROUTINE threadFunction);
bool ResumeWorker(WorkerThread* worker);
// Asks the worker to stop, waits for it and frees its record; a worker never resumed runs only
// to see that it was stopped.
void StopWorker(WorkerThread* worker);
DWORD WINAPI WorkerMain(LPVOID worker);

// The record owns the icon: it is destroyed with the record at the end of the job, and at once
// when the record cannot be made (null is returned then). It is added once; where no taskbar
// takes it, the tray timer tries again while the job runs, which does not wait for it.
TrayIcon* CreateTrayIcon(HWND window, UINT iconId, UINT callbackMessage, HICON icon,
                         const char* tip);
void CALLBACK WatchTimerProc(HWND window, UINT message, UINT_PTR timerId, DWORD time);
