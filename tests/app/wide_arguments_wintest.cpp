// The program's arguments from its UTF-16 command line: split there, then each one through the
// code page gate, with the short path of an existing entry as the fallback.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/job_report.h"
#include "app/wide_arguments.h"
#include "support/temp_folder.h"
#include "support/trace_lines.h"

namespace {

std::vector<std::string> Arguments(const std::wstring& line, JobReport* refused) {
  int count = -1;
  char** vector = CodePageArguments(line.c_str(), &count, refused);
  std::vector<std::string> result;
  if (vector == nullptr) return result;
  for (int i = 0; i < count; ++i) result.push_back(vector[i]);
  EXPECT_EQ(nullptr, vector[count]);
  std::free(vector);
  return result;
}

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

TEST(CodePageArguments, SplitOnTheUtf16LineThenEachTakenExactly) {
  TempFolder folder;
  std::wstring accented = folder.MakeWideEntry(L"\u00e9.txt", false);
  std::wstring yenFolder = folder.MakeWideEntry(L"a\u00a5", true);
  std::wstring prefix = Widen(folder.Path()) + L"\\";
  const struct {
    std::wstring line;
    std::vector<std::string> arguments;
    int traced;
    std::vector<std::string> refused;  // as the report names them, past the folder
  } cases[] = {
      // Split on the UTF-16 line, then each argument converted whole: the second byte of 表 in
      // the code page is a backslash, and still the quote after it closes.
      {L"prog /on:h \"/write:2006\u5e7401\u670803\u65e5 12:34:56\" a\\\\\"b c\" x\u8868\\ "
       L"\"/\u8868\" /sub:1",
       {"prog", "/on:h", "/write:2006年01月03日 12:34:56", "a\\b c", "x表\\", "/表", "/sub:1"}, 0,
       {}},
      // A folder ending in U+00A5 keeps its closing quote, so the next target stays its own.
      {L"prog " + Quoted(yenFolder) + L" " + Quoted(accented) + L" /dlg:0",
       {"prog", ShortPathOf(yenFolder), ShortPathOf(accented), "/dlg:0"}, 0, {}},
      // No entry, no short path: the target is left out, with a line, and counted as refused.
      {L"prog " + Quoted(prefix + L"missing\u00e9.txt") + L" /tray:0 x\U0001F600",
       {"prog", "/tray:0"}, 4, {"missing?.txt", "x?"}},
      // An option stays, with '?' for what the code page lacks, for its reader to refuse.
      {L"prog /on:h\u00e9 /dlg:0\U0001F600", {"prog", "/on:h?", "/dlg:0?"}, 2, {}},
      // The program name keeps its place, empty when it cannot be held.
      {Quoted(prefix + L"\u00fc\\prog.exe") + L" /sub:1", {"", "/sub:1"}, 1, {}},
  };
  for (const auto& c : cases) {
    TraceLines trace;
    JobReport refused;
    StartJobReport(&refused);
    EXPECT_EQ(c.arguments, Arguments(c.line, &refused));
    EXPECT_EQ(c.traced, static_cast<int>(trace.lines.size()));
    std::vector<std::string> names;
    for (int i = 0; i < refused.listedCount; ++i) {
      std::string path = refused.listed[i].path;
      names.push_back(path.substr(path.rfind('\\') + 1));
      EXPECT_EQ(REASON_NOT_FOUND, refused.listed[i].reason) << path;
    }
    EXPECT_EQ(c.refused, names);
  }
}

}  // namespace
