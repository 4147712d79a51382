// The job window in this process: it runs the job on its worker, removes itself when the job
// is done, and answers the tray icon's messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/job_settings.h"
#include "app/job_window.h"
#include "app/local_time.h"
#include "support/menu_probe.h"
#include "support/recording_calls.h"
#include "support/temp_folder.h"
#include "text/allocation.h"
#include "text/paths.h"

namespace {

// Runs the message loop until the job window posts its quit message; false on time-out.
bool RunUntilQuit(DWORD timeout) {
  DWORD start = GetTickCount();
  MSG message;
  for (;;) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return true;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (GetTickCount() - start > timeout) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
}

void* FailingAllocator(size_t, size_t) { return nullptr; }

struct JobFixture {
  JobSettings settings;
  JobFixture() {
    InitJobSettings(&settings);
    settings.showDialog = false;
    settings.showTrayIcon = false;
    settings.orMask = FILE_ATTRIBUTE_HIDDEN;
    settings.andMask = 0xFFFFFFFFu;
  }
  ~JobFixture() { DestroyTargetList(settings.targets); }
};

// The job runs and the loop ends, at the watch timer's first tick after the worker's end.
TEST(JobWindow, RunsTheJobAndEndsTheLoop) {
  TempFolder folder;
  std::string file = folder.MakeFile("job.txt");
  JobFixture job;
  AddTarget(job.settings.targets, file.c_str());
  HWND window = CreateJobWindow(GetModuleHandleA(nullptr), &job.settings);
  ASSERT_NE(nullptr, window);
  EXPECT_EQ(&job.settings, GetPropA(window, PROP_INFO));
  ASSERT_TRUE(RunUntilQuit(20000));
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(HasAttribute(file, FILE_ATTRIBUTE_HIDDEN));
}

TEST(JobWindow, AnEmptyJobEndsAtTheFirstTick) {
  JobFixture job;
  job.settings.showTrayIcon = true;
  HWND window = CreateJobWindow(GetModuleHandleA(nullptr), &job.settings);
  ASSERT_NE(nullptr, window);
  TrayIcon* tray = static_cast<TrayIcon*>(GetPropA(window, PROP_WAITICON));
  ASSERT_NE(nullptr, tray);
  // The shell holds the icon: it accepts a change to it, and refuses one to an icon it never
  // added (as when the record's size does not fit the build's architecture).
  NOTIFYICONDATAA change = tray->data;
  EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &change));
  change.uID = TRAY_ICON_ID + 1;
  EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &change));
  ASSERT_TRUE(RunUntilQuit(20000));
  EXPECT_FALSE(IsWindow(window));
}

// The measured fault: under Wine without a usable display, window creation failed after the
// window's WM_CREATE had started the worker, and the program reported a job that never ran
// while files had been changed. The hook fails the creation at that very moment, and sees
// whether the worker is running by then.
int gWorkerSuspendCount = -1;
LRESULT CALLBACK FailAfterCreate(int code, WPARAM wParam, LPARAM lParam) {
  const CWPRETSTRUCT* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  char name[16] = "";
  if (code == HC_ACTION && call->message == WM_CREATE &&
      GetClassNameA(call->hwnd, name, sizeof name) && std::string(name) == JOB_WINDOW_CLASS) {
    WorkerThread* worker = static_cast<WorkerThread*>(GetPropA(call->hwnd, PROP_THREAD));
    if (worker && worker->thread) {
      gWorkerSuspendCount = static_cast<int>(SuspendThread(worker->thread));
      ResumeThread(worker->thread);
    }
    DestroyWindow(call->hwnd);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A job whose window or worker cannot be had changes nothing, and leaves no window and no
// message that would end the next message loop.
TEST(JobWindow, NoFileIsTouchedUnlessTheWindowAndItsWorkerExist) {
  for (bool workerRecord : {false, true}) {
    TempFolder folder;
    std::string file = folder.MakeFile("job.txt");
    JobFixture job;
    AddTarget(job.settings.targets, file.c_str());
    gWorkerSuspendCount = -1;
    HHOOK hook = nullptr;
    if (workerRecord) {
      hook = SetWindowsHookExA(WH_CALLWNDPROCRET, FailAfterCreate, nullptr, GetCurrentThreadId());
      ASSERT_NE(nullptr, hook);
    } else {
      SetAllocatorForTests(FailingAllocator);
    }
    HWND window = CreateJobWindow(GetModuleHandleA(nullptr), &job.settings);
    SetAllocatorForTests(nullptr);
    if (hook) UnhookWindowsHookEx(hook);
    EXPECT_EQ(nullptr, window) << "worker record " << workerRecord;
    if (workerRecord) {
      EXPECT_EQ(1, gWorkerSuspendCount) << "the worker ran before the window existed";
    }
    EXPECT_EQ(nullptr, FindWindowA(JOB_WINDOW_CLASS, JOB_WINDOW_CLASS));
    EXPECT_FALSE(RunUntilQuit(200)) << "worker record " << workerRecord;
    EXPECT_FALSE(HasAttribute(file, FILE_ATTRIBUTE_HIDDEN)) << "worker record " << workerRecord;
  }
}

// The watch timer's ticks end nothing while the worker runs.
TEST(JobWindow, OnlyTheWorkersEndEndsTheJob) {
  JobFixture job;
  RecordingCalls recording;
  recording.PauseAtOpen(0);
  TempFolder folder;
  AddTarget(job.settings.targets, folder.MakeFile("slow.txt").c_str());
  job.settings.lastWrite = TimestampEntry{true, {0, 0x01c60000u}};
  HWND window = CreateJobWindow(GetModuleHandleA(nullptr), &job.settings);
  ASSERT_NE(nullptr, window);
  ASSERT_TRUE(recording.WaitForPause());
  EXPECT_FALSE(RunUntilQuit(300));
  EXPECT_TRUE(IsWindow(window));
  recording.Resume();
  EXPECT_TRUE(RunUntilQuit(20000));
}

// The window's messages as the thread retrieves them, for the tray menu's closing message.
std::vector<UINT> gRetrieved;
HWND gWatched = nullptr;

LRESULT CALLBACK NoteRetrieved(int code, WPARAM wParam, LPARAM lParam) {
  const MSG* message = reinterpret_cast<const MSG*>(lParam);
  if (code == HC_ACTION && wParam == PM_REMOVE && message->hwnd == gWatched)
    gRetrieved.push_back(message->message);
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A right click on the icon opens the one-item menu; choosing its item cancels the job, which
// then ends. After the menu, the window is sent the message that lets the menu open again.
TEST(JobWindow, TrayMenuCancelsTheJob) {
  TempFolder folder;
  std::vector<std::string> files;
  for (int i = 0; i < 4; ++i) files.push_back(folder.MakeFile("f" + std::to_string(i)));
  JobFixture job;
  job.settings.showTrayIcon = true;
  AddTarget(job.settings.targets, folder.Path().c_str());
  job.settings.recurse = true;
  job.settings.lastWrite = TimestampEntry{true, {0, 0x01c60000u}};
  RecordingCalls recording;
  recording.PauseAtOpen(1);  // inside the first file, until the menu has cancelled the job
  recording.ResumeOnceSet(&job.settings.cancelRequested);
  HWND window = CreateJobWindow(GetModuleHandleA(nullptr), &job.settings);
  ASSERT_NE(nullptr, window);
  ASSERT_TRUE(recording.WaitForPause());
  gRetrieved.clear();
  gWatched = window;
  HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, NoteRetrieved, nullptr, GetCurrentThreadId());
  ASSERT_NE(nullptr, hook);
  SeenMenu seen;
  {
    MenuProbe probe('C');
    SendMessageA(window, WM_JOB_TRAYICON, TRAY_ICON_ID, WM_RBUTTONUP);
    seen = probe.Wait();
  }
  ASSERT_EQ(1u, seen.items.size());
  EXPECT_EQ(static_cast<UINT>(IDM_TRAY_CANCEL), seen.items[0].id);
  EXPECT_TRUE(job.settings.cancelRequested.load());
  EXPECT_TRUE(RunUntilQuit(20000));
  UnhookWindowsHookEx(hook);
  auto menuAt = std::find(gRetrieved.begin(), gRetrieved.end(), WM_JOB_TRAYMENU);
  ASSERT_NE(gRetrieved.end(), menuAt);
  EXPECT_NE(gRetrieved.end(), std::find(menuAt, gRetrieved.end(), static_cast<UINT>(WM_NULL)));
  int changed = 0;
  for (const std::string& file : files) changed += HasAttribute(file, FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(1, changed);  // the entry being changed was finished; no further one was begun
}

// Only a right click on its own icon opens the menu.
TEST(JobWindow, TrayClicksPostOnlyForItsOwnIcon) {
  JobFixture job;
  // Without pumping messages the watch timer never fires, so the window stays for the test.
  HWND window = CreateJobWindow(GetModuleHandleA(nullptr), &job.settings);
  ASSERT_NE(nullptr, window);
  SendMessageA(window, WM_JOB_TRAYICON, TRAY_ICON_ID, WM_LBUTTONUP);
  SendMessageA(window, WM_JOB_TRAYICON, TRAY_ICON_ID + 1, WM_RBUTTONUP);
  MSG message;
  EXPECT_FALSE(PeekMessageA(&message, window, WM_JOB_TRAYMENU, WM_JOB_TRAYMENU, PM_REMOVE));
  SendMessageA(window, WM_JOB_TRAYICON, TRAY_ICON_ID, WM_RBUTTONUP);
  EXPECT_TRUE(PeekMessageA(&message, window, WM_JOB_TRAYMENU, WM_JOB_TRAYMENU, PM_REMOVE));
  SendMessageA(window, WM_COMMAND, IDM_TRAY_CANCEL, 0);
  EXPECT_TRUE(job.settings.cancelRequested.load());
  DestroyWindow(window);
  EXPECT_TRUE(RunUntilQuit(5000));
}

TEST(JobWindow, AllowsTheSessionToEnd) {
  JobFixture job;
  HWND window = CreateJobWindow(GetModuleHandleA(nullptr), &job.settings);
  ASSERT_NE(nullptr, window);
  EXPECT_EQ(TRUE, SendMessageA(window, WM_QUERYENDSESSION, 0, 0));
  // A session that does not end after all changes nothing.
  SendMessageA(window, WM_ENDSESSION, FALSE, 0);
  EXPECT_FALSE(job.settings.cancelRequested.load());
  DestroyWindow(window);
  EXPECT_TRUE(RunUntilQuit(5000));
}

// At logoff or shutdown the process may be ended as soon as WM_ENDSESSION returns: by then the
// worker has been asked to stop and has finished the entry it was changing.
TEST(JobWindow, EndOfSessionFinishesTheCurrentEntryFirst) {
  TempFolder folder;
  std::vector<std::string> files;
  for (int i = 0; i < 8; ++i) files.push_back(folder.MakeFile("f" + std::to_string(i)));
  const FILETIME old = UtcTime(2001, 2, 3, 4, 5, 6), wanted = UtcTime(2006, 7, 1, 10, 0, 0);
  for (const std::string& file : files) WriteTimes(file, nullptr, &old, &old);
  JobFixture job;
  AddTarget(job.settings.targets, folder.Path().c_str());
  job.settings.recurse = true;
  FILETIME local;
  ASSERT_TRUE(UtcToLocalFileTime(wanted, &local));
  job.settings.lastWrite = TimestampEntry{true, ToFileTimeValue(local)};

  RecordingCalls recording;
  recording.PauseAtOpen(3);  // the folder is opened first, then its files
  // The window asks the worker to stop and waits for it: the worker goes on once it is asked.
  recording.ResumeOnceSet(&job.settings.cancelRequested);
  HWND window = CreateJobWindow(GetModuleHandleA(nullptr), &job.settings);
  ASSERT_NE(nullptr, window);
  WorkerThread* worker = static_cast<WorkerThread*>(GetPropA(window, PROP_THREAD));
  ASSERT_NE(nullptr, worker);
  HANDLE thread = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), worker->thread, GetCurrentProcess(), &thread,
                              0, FALSE, DUPLICATE_SAME_ACCESS));
  ASSERT_TRUE(recording.WaitForPause());

  // The worker is inside an entry, between its open and its times.
  EXPECT_EQ(0, SendMessageA(window, WM_ENDSESSION, TRUE, 0));
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 0));
  EXPECT_TRUE(job.settings.cancelRequested.load());
  std::string paused = g_recorder.pausedName;
  int changed = 0;
  for (const std::string& file : files) {
    FILETIME creation, access, write;
    ASSERT_TRUE(ReadTimes(file, &creation, &access, &write));
    bool hidden = HasAttribute(file, FILE_ATTRIBUTE_HIDDEN);
    bool newTime = Ticks(write) == Ticks(wanted);
    EXPECT_EQ(hidden, newTime) << file << ": every entry is either done or untouched";
    changed += hidden;
    if (lstrcmpiA(FileNamePart(file.c_str()), paused.c_str()) == 0) {
      EXPECT_TRUE(hidden) << "the paused entry";
    }
  }
  EXPECT_EQ(3, changed);  // the paused one and the two before it; no further entry
  CloseHandle(thread);
  DestroyWindow(window);
  EXPECT_TRUE(RunUntilQuit(5000));
}

// Pumps the thread's messages (the window's timers) for a while.
void PumpFor(DWORD milliseconds) {
  DWORD start = GetTickCount();
  MSG message;
  while (GetTickCount() - start < milliseconds) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

// A job over a slow share: the tray tip says how many entries are done; and a logoff does not
// wait for the worker for ever, while the worker still finishes its entry when it can.
TEST(JobWindow, TheTrayTipCountsAndTheEndOfTheSessionWaitsABoundedTime) {
  TempFolder folder;
  for (int i = 0; i < 6; ++i) folder.MakeFile("f" + std::to_string(i));
  JobFixture job;
  job.settings.showTrayIcon = true;
  AddTarget(job.settings.targets, folder.Path().c_str());
  job.settings.recurse = true;
  JobReport report;
  StartJobReport(&report);
  job.settings.report = &report;
  RecordingCalls recording;
  recording.PauseAtOpen(4);  // the folder, three files done, inside the fourth
  HWND window = CreateJobWindow(GetModuleHandleA(nullptr), &job.settings);
  ASSERT_NE(nullptr, window);
  ASSERT_TRUE(recording.WaitForPause());
  PumpFor(3 * JOB_TRAY_INTERVAL);
  TrayIcon* tray = static_cast<TrayIcon*>(GetPropA(window, PROP_WAITICON));
  ASSERT_NE(nullptr, tray);
  EXPECT_STREQ("Morvane が作業中です (4 件)", tray->data.szTip);

  WorkerThread* worker = static_cast<WorkerThread*>(GetPropA(window, PROP_THREAD));
  ASSERT_NE(nullptr, worker);
  HANDLE thread = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), worker->thread, GetCurrentProcess(), &thread,
                              0, FALSE, DUPLICATE_SAME_ACCESS));
  EXPECT_EQ(0, SendMessageA(window, WM_ENDSESSION, TRUE, 0));
  EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(thread, 0))
      << "returned only once the worker had ended";
  recording.Resume();
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 20000));
  CloseHandle(thread);
  EXPECT_EQ(5u, report.counts[OUTCOME_CHANGED]);  // the entry in hand was finished, no other
  DestroyWindow(window);
  EXPECT_TRUE(RunUntilQuit(5000));
}

// The shell restarted during the job: the icon it held is gone, and the window adds it again
// when the new taskbar announces itself.
TEST(JobWindow, AddsItsIconAgainWhenTheTaskbarIsCreated) {
  JobFixture job;
  job.settings.showTrayIcon = true;
  HWND window = CreateJobWindow(GetModuleHandleA(nullptr), &job.settings);
  ASSERT_NE(nullptr, window);
  TrayIcon* tray = static_cast<TrayIcon*>(GetPropA(window, PROP_WAITICON));
  ASSERT_NE(nullptr, tray);
  NOTIFYICONDATAA probe = tray->data;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &probe));
  // Behind the window's back, as a shell restart does.
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &probe));
  EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &probe));
  UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
  ASSERT_NE(0u, taskbarCreated);
  SendMessageA(window, taskbarCreated, 0, 0);
  EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &probe));
  DestroyWindow(window);
  EXPECT_TRUE(RunUntilQuit(5000));
  EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &probe));  // removed at the end of the job
}

bool IconIsAlive(HICON icon) {
  ICONINFO info = {};
  if (!GetIconInfo(icon, &info)) return false;
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  return true;
}

TEST(TrayIcon, TheRecordOwnsTheIconAlsoWhenItCannotBeMade) {
  HICON icon = static_cast<HICON>(LoadImageA(nullptr, MAKEINTRESOURCEA(32512), IMAGE_ICON, 16, 16,
                                             LR_SHARED));
  ASSERT_NE(nullptr, icon);
  // A private copy, so that destroying it means something.
  HICON copy = CopyIcon(icon);
  ASSERT_TRUE(IconIsAlive(copy));
  SetAllocatorForTests(FailingAllocator);
  EXPECT_EQ(nullptr, CreateTrayIcon(nullptr, 7, WM_JOB_TRAYICON, copy, "tip"));
  SetAllocatorForTests(nullptr);
  EXPECT_FALSE(IconIsAlive(copy));
}

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(WindowClass, FetchesItsIconsOnceAndDestroysThemWhenUnregistered) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  const char name[] = "MorvaneIconTest";
  ASSERT_TRUE(RegisterWindowClass(instance, name, PlainProc, 0, "", NULL_BRUSH));
  WNDCLASSEXA first = {};
  first.cbSize = sizeof first;
  ASSERT_TRUE(GetClassInfoExA(instance, name, &first));
  ASSERT_NE(nullptr, first.hIcon);
  ASSERT_NE(nullptr, first.hIconSm);
  EXPECT_TRUE(IconIsAlive(first.hIcon));
  // A second registration fetches nothing and leaves the class as it was.
  EXPECT_FALSE(RegisterWindowClass(instance, name, PlainProc, 0, "", NULL_BRUSH));
  WNDCLASSEXA second = {};
  second.cbSize = sizeof second;
  ASSERT_TRUE(GetClassInfoExA(instance, name, &second));
  EXPECT_EQ(first.hIcon, second.hIcon);
  EXPECT_EQ(first.hIconSm, second.hIconSm);
  // Not while a window of the class exists.
  HWND window = CreateWindowExA(0, name, name, WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, instance,
                                nullptr);
  ASSERT_NE(nullptr, window);
  EXPECT_FALSE(UnregisterWindowClass(instance, name));
  EXPECT_TRUE(IconIsAlive(first.hIcon));
  DestroyWindow(window);
  EXPECT_TRUE(UnregisterWindowClass(instance, name));
  EXPECT_FALSE(IconIsAlive(first.hIcon));
  EXPECT_FALSE(IconIsAlive(first.hIconSm));
  EXPECT_FALSE(UnregisterWindowClass(instance, name));
}

}  // namespace
