// The job window in this process: it runs the job on its worker, removes itself when the job
// is done, and answers the tray icon's messages.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/job_settings.h"
#include "app/job_window.h"
#include "support/temp_folder.h"

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
  EXPECT_TRUE(Attributes(file) & FILE_ATTRIBUTE_HIDDEN);
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

TEST(JobWindow, TrayClicksPostOnlyForItsOwnIcon) {
  JobFixture job;
  // Without pumping messages the watch timer never fires, so the window stays for the test.
  HWND window = CreateJobWindow(GetModuleHandleA(nullptr), &job.settings);
  ASSERT_NE(nullptr, window);
  SendMessageA(window, WM_JOB_TRAYICON, TRAY_ICON_ID, WM_LBUTTONUP);
  SendMessageA(window, WM_JOB_TRAYICON, TRAY_ICON_ID + 1, WM_RBUTTONUP);
  MSG message;
  EXPECT_TRUE(PeekMessageA(&message, window, WM_JOB_TRAYCLICK, WM_JOB_TRAYCLICK, PM_REMOVE));
  EXPECT_FALSE(PeekMessageA(&message, window, WM_JOB_TRAYMENU, WM_JOB_TRAYMENU, PM_REMOVE));
  SendMessageA(window, WM_COMMAND, IDM_TRAY_CANCEL, 0);
  EXPECT_TRUE(job.settings.cancelRequested.load());
  DestroyWindow(window);
  EXPECT_TRUE(RunUntilQuit(5000));
}

}  // namespace
