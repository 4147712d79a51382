// What a job did (see job_report.h).
#include "app/job_report.h"

#include <cstring>

#include "text/bounded.h"

namespace {

// The platform's error codes that name a reason of their own.
const struct {
  uint32_t error;
  NotChangedReason reason;
} kErrorReasons[] = {
    {2, REASON_NOT_FOUND},     // ERROR_FILE_NOT_FOUND
    {3, REASON_NOT_FOUND},     // ERROR_PATH_NOT_FOUND
    {5, REASON_NO_ACCESS},     // ERROR_ACCESS_DENIED
    {8, REASON_NO_MEMORY},     // ERROR_NOT_ENOUGH_MEMORY
    {14, REASON_NO_MEMORY},    // ERROR_OUTOFMEMORY
    {19, REASON_NO_ACCESS},    // ERROR_WRITE_PROTECT
    {32, REASON_IN_USE},       // ERROR_SHARING_VIOLATION
    {33, REASON_IN_USE},       // ERROR_LOCK_VIOLATION
    {53, REASON_NOT_FOUND},    // ERROR_BAD_NETPATH
    {67, REASON_NOT_FOUND},    // ERROR_BAD_NET_NAME
    {123, REASON_NOT_A_TARGET},  // ERROR_INVALID_NAME
    {161, REASON_NOT_FOUND},   // ERROR_BAD_PATHNAME
    {1920, REASON_NO_ACCESS},  // ERROR_CANT_ACCESS_FILE
};

}  // namespace

NotChangedReason ReasonFromError(uint32_t error, NotChangedReason otherwise) {
  for (const auto& entry : kErrorReasons)
    if (entry.error == error) return entry.reason;
  return otherwise;
}

void StartJobReport(JobReport* report) {
  std::memset(report->counts, 0, sizeof report->counts);
  std::memset(report->listed, 0, sizeof report->listed);
  report->listedCount = 0;
  report->entriesDone.store(0);
}

void CountOutcome(JobReport* report, Outcome outcome) {
  ++report->counts[outcome];
  report->entriesDone.fetch_add(1, std::memory_order_relaxed);
}

void NoteNotChanged(JobReport* report, const char* shownPath, NotChangedReason reason,
                    uint32_t error) {
  CountOutcome(report, OUTCOME_NOT_CHANGED);
  if (report->listedCount >= REPORT_LISTED_ITEMS) return;
  NotChangedItem& item = report->listed[report->listedCount++];
  CopyBounded(sizeof item.path, shownPath ? shownPath : "", item.path);
  item.reason = reason;
  item.error = error;
}

uint32_t NotChangedCount(const JobReport& report) { return report.counts[OUTCOME_NOT_CHANGED]; }
