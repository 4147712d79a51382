// The report's message box text: how many, the first ones with their reasons, the rest counted;
// cut to its buffer without splitting a character.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/job_report_texts.h"
#include "text/chars.h"

namespace {

TEST(JobReport, TheBoxNamesTheFirstTenAndCountsTheRest) {
  JobReport report;
  StartJobReport(&report);
  for (int i = 0; i < 12; ++i) {
    std::string path = "C:\\t\\f" + std::to_string(i) + ".txt";
    NoteNotChanged(&report, path.c_str(), i == 0 ? REASON_IN_USE : REASON_NO_ACCESS, 32);
  }
  CountOutcome(&report, OUTCOME_CHANGED);
  EXPECT_EQ(12u, NotChangedCount(report));
  EXPECT_EQ(13u, report.entriesDone.load());
  char text[4096];
  FormatNotChangedMessage(report, HEADING_JOB, text, sizeof text);
  std::string shown = text;
  EXPECT_EQ(0u, shown.find("12 件を変更できませんでした。"));
  EXPECT_NE(std::string::npos, shown.find("C:\\t\\f0.txt\r\n    ほかのプログラムが使用中です (32)"));
  EXPECT_NE(std::string::npos, shown.find("C:\\t\\f9.txt"));
  EXPECT_EQ(std::string::npos, shown.find("C:\\t\\f10.txt"));
  EXPECT_NE(std::string::npos, shown.find("…ほか 2 件"));
  // Cut anywhere, the text never ends in half a character.
  for (int size = 1; size < static_cast<int>(shown.size()); size += 7) {
    char cut[4096];
    FormatNotChangedMessage(report, HEADING_JOB, cut, size);
    int length = static_cast<int>(std::strlen(cut));
    ASSERT_LT(length, size);
    for (const char* at = cut; *at; at = NextChar(at))
      ASSERT_LE(at + (IsDoubleByteAt(at) ? 2 : 1), cut + length) << size;
  }
}

TEST(JobReport, ErrorCodesNameTheirReasons) {
  const struct {
    uint32_t error;
    NotChangedReason reason;
  } cases[] = {{2, REASON_NOT_FOUND}, {3, REASON_NOT_FOUND}, {5, REASON_NO_ACCESS},
               {19, REASON_NO_ACCESS}, {32, REASON_IN_USE}, {33, REASON_IN_USE},
               {1117, REASON_NOT_WRITTEN}};
  for (const auto& c : cases)
    EXPECT_EQ(c.reason, ReasonFromError(c.error, REASON_NOT_WRITTEN)) << c.error;
}

}  // namespace
