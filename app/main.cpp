// Entry and main flow: split the command line, trace it, build the job record and hand it on.
#include "app/main.h"

#include <objbase.h>

#include <cstdlib>

#include "app/build_settings.h"
#include "app/change_log_file.h"
#include "app/code_page_guard.h"
#include "app/job_report_texts.h"
#include "app/job_settings.h"
#include "app/job_window.h"
#include "app/wide_arguments.h"
#include "controls/common_controls.h"
#include "dialog/main_dialog.h"
#include "text/system_libraries.h"
#include "text/trace.h"

static void RunMessageLoop() {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

int RunApplication(HINSTANCE instance, int count, char** vector, JobReport* refusedTargets) {
  JobSettings record;
  int unreadable = 0;
  switch (BuildJobSettings(&record, count, vector, refusedTargets, &unreadable)) {
    case BUILD_NO_MEMORY:
      Trace("! %s\r\n", "メモリが足りないため、何も変更しませんでした。");
      return EXIT_JOB_NOT_STARTED;
    case BUILD_UNREADABLE:
      Trace("! %s\r\n", "コマンドラインを読み取れないため、何も変更しませんでした。");
      // Where the dialog would have opened, a user is there to be told; a script has the code.
      if (record.showDialog) ShowUnreadableArgumentBox(vector[unreadable]);
      DestroyTargetList(record.targets);
      return EXIT_BAD_COMMAND_LINE;
    case BUILD_READ:
      break;
  }
  bool start = true;
  int exitCode = EXIT_DONE;
  // An undo has nothing for the dialog to show: what it puts back is in its log.
  if (record.showDialog && record.undoPath[0] == 0) {
    ShowNotChangedBox(nullptr, *refusedTargets, HEADING_TARGETS);
    start = ShowMainDialog(nullptr, &record);  // OK rewrites the record in its apply form
  } else {
    MakeApplyMasks(&record);
  }
  ChangeLog log;
  if (start && !OpenLogsForJob(&record, &log)) {
    start = false;
    exitCode = EXIT_JOB_NOT_STARTED;
  }
  if (start) {
    JobReport report;
    StartJobReport(&report);
    record.report = &report;
    if (CreateJobWindow(instance, &record)) {
      RunMessageLoop();
      UnregisterWindowClass(instance, JOB_WINDOW_CLASS);
      TraceJobCounts(report);
      // A target the user named and the job never saw is as much not changed as an entry the
      // job could not change.
      if (NotChangedCount(report) > 0 || NotChangedCount(*refusedTargets) > 0)
        exitCode = EXIT_NOT_ALL_CHANGED;
      // The user who pressed OK is still there to be told; a script has the exit code.
      if (record.showDialog) ShowNotChangedBox(nullptr, report, HEADING_JOB);
    } else {
      Trace("! %s\r\n", "作業を始められなかったため、何も変更しませんでした。");
      // A job that could not run at all must not look like success to a script or scheduler.
      exitCode = EXIT_JOB_NOT_STARTED;
    }
    if (record.log) CloseChangeLog(record.log);
  }
  DestroyTargetList(record.targets);
  return exitCode;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  KeepLibrarySearchInSystemFolder();
  // Before any name is read or any text shown: all of them are code page 932.
  if (RefuseForeignCodePage(GetACP())) return EXIT_JOB_NOT_STARTED;
  int count = 0;
  // Targets that cannot be taken, from here on: a name the code page cannot hold is already
  // one.
  JobReport refusedTargets;
  StartJobReport(&refusedTargets);
  // The UTF-16 line: the ANSI one has already turned characters the code page lacks into
  // look-alikes, a separator or a quote among them.
  char** vector = CodePageArguments(GetCommandLineW(), &count, &refusedTargets);
  if (vector == nullptr) return EXIT_BAD_COMMAND_LINE;
  for (int i = 0; i < count; ++i) Trace("argv[%2d]=%s\r\n", i, vector[i]);
  StartCommonControls();
  CoInitialize(nullptr);
  int result = RunApplication(instance, count, vector, &refusedTargets);
  CoUninitialize();
  std::free(vector);
  return result;
}
