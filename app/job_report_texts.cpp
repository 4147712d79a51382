// The words for a job's report (see job_report_texts.h).
#include "app/job_report_texts.h"

#include <cstdarg>
#include <cstring>

#include "text/bounded.h"
#include "text/trace.h"

namespace {

const char* const kReasonTexts[REASON_KINDS] = {
    "見つかりません",
    "アクセスが拒否されました",
    "ほかのプログラムが使用中です",
    "フォルダの中を読み取れませんでした",
    "作業中に別のものに入れ替わりました",
    "書き込めませんでした",
    "対象にできない名前です",
    "メモリが足りません",
    "日時が範囲外です",
    "記録に書き込めないため変更しませんでした",
    "記録の後に変更されています",
    "記録の行を読み取れません",
};

const char* const kHeadings[] = {
    "%u 件を変更できませんでした。",
    "次の %u 件は対象にできませんでした。",
};

const int kMessageSize = 8192;

// Appends at the end of what text holds, cut at a character boundary.
void Append(char* text, int size, const char* format, ...) __attribute__((format(printf, 3, 4)));
void Append(char* text, int size, const char* format, ...) {
  int used = static_cast<int>(std::strlen(text));
  if (used >= size - 1) return;
  va_list arguments;
  va_start(arguments, format);
  FormatBoundedV(text + used, size - used, format, arguments);
  va_end(arguments);
}

}  // namespace

const char* ReasonText(NotChangedReason reason) {
  return reason < REASON_KINDS ? kReasonTexts[reason] : kReasonTexts[REASON_NOT_WRITTEN];
}

void ReportNotChanged(JobReport* report, const char* shownPath, NotChangedReason reason,
                      DWORD error) {
  Trace("! %s: %s (%lu)\r\n => %s\r\n", "変更できませんでした", ReasonText(reason),
        static_cast<unsigned long>(error), shownPath);
  if (report) NoteNotChanged(report, shownPath, reason, error);
}

void FormatJobCounts(const JobReport& report, char* text, int size) {
  FormatBounded(text, size, "変更 %u 件、変更不要 %u 件、フィルタで除外 %u 件、リンク %u 件、変更できず %u 件",
                report.counts[OUTCOME_CHANGED], report.counts[OUTCOME_ALREADY_AS_ASKED],
                report.counts[OUTCOME_FILTERED_OUT], report.counts[OUTCOME_LINK_LEFT_ALONE],
                report.counts[OUTCOME_NOT_CHANGED]);
}

void TraceJobCounts(const JobReport& report) {
  char counts[256];
  FormatJobCounts(report, counts, sizeof counts);
  Trace("%s\r\n", counts);
}

void FormatNotChangedMessage(const JobReport& report, NotChangedHeading heading, char* text,
                             int size) {
  if (size <= 0) return;
  text[0] = 0;
  uint32_t total = NotChangedCount(report);
  Append(text, size, kHeadings[heading], total);
  Append(text, size, "\r\n");
  for (int i = 0; i < report.listedCount; ++i) {
    const NotChangedItem& item = report.listed[i];
    Append(text, size, "\r\n%s\r\n    %s (%lu)", item.path, ReasonText(item.reason),
           static_cast<unsigned long>(item.error));
  }
  if (total > static_cast<uint32_t>(report.listedCount))
    Append(text, size, "\r\n\r\n…ほか %u 件", total - static_cast<uint32_t>(report.listedCount));
}

void ShowNotChangedBox(HWND owner, const JobReport& report, NotChangedHeading heading) {
  if (NotChangedCount(report) == 0) return;
  static char text[kMessageSize];
  FormatNotChangedMessage(report, heading, text, sizeof text);
  MessageBoxA(owner, text, "Morvane", MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
}
