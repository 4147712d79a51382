// The words for a job's report: the reasons in Japanese, the trace line for each entry not
// changed, the line of counts at the end, and the one message box for the user in front of the
// dialog.
#pragma once

#include <windows.h>

#include "app/job_report.h"

const char* ReasonText(NotChangedReason reason);

// Counts the entry as not changed, keeps it for the message box and writes its trace line.
void ReportNotChanged(JobReport* report, const char* shownPath, NotChangedReason reason,
                      DWORD error);
// One line of counts, for the trace and the change log.
void FormatJobCounts(const JobReport& report, char* text, int size);
void TraceJobCounts(const JobReport& report);

enum NotChangedHeading { HEADING_JOB, HEADING_TARGETS };

// How many, the first ones with their reasons, and "…ほか N 件" for the rest; the text is cut
// at a character boundary to the buffer.
void FormatNotChangedMessage(const JobReport& report, NotChangedHeading heading, char* text,
                             int size);
// One message box (caption "Morvane") when anything was not changed; nothing otherwise.
void ShowNotChangedBox(HWND owner, const JobReport& report, NotChangedHeading heading);
