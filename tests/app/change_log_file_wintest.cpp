// Opening the logs of a job: the log an undo reads is never the file its own log replaces.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/change_log_file.h"
#include "support/temp_folder.h"

namespace {

// Where the user agreed to replace a file (the save dialog asked), the log to undo named again,
// or through a link, as the log to write is refused: replacing it would empty it unread. (Wine
// shows a Linux link to a file as that file, so the link's own case is not told apart here.)
TEST(OpenLogsForJob, NeverReplacesTheLogItIsToUndo) {
  TempFolder folder;
  const std::string undo = folder.Join("job.tsv");
  ChangeLog first;
  DWORD error = 0;
  ASSERT_TRUE(OpenChangeLog(&first, undo.c_str(), false, &error)) << error;
  CloseChangeLog(&first);
  const std::string unix = UnixPath(folder.Path());
  const bool linked = !unix.empty() && RunLinuxShell(folder, "ln -s job.tsv '" + unix + "/link.tsv'");
  for (const std::string& named : {undo, folder.Join("link.tsv")}) {
    if (named != undo && !linked) continue;
    JobSettings record;
    ASSERT_TRUE(InitJobSettings(&record));
    record.showDialog = false;
    std::strcpy(record.undoPath, undo.c_str());
    std::strcpy(record.logPath, named.c_str());
    record.replaceLog = true;
    ChangeLog log;
    EXPECT_FALSE(OpenLogsForJob(&record, &log)) << named;
    EXPECT_EQ(nullptr, record.log);
    EXPECT_TRUE(CheckUndoLog(undo.c_str(), &error)) << named << " emptied the log to undo";
    DestroyTargetList(record.targets);
  }
  if (!linked) GTEST_SKIP() << "no link made from the Linux side; the same name alone was tried";
  RunLinuxShell(folder, "rm '" + unix + "/link.tsv'");
}

}  // namespace
