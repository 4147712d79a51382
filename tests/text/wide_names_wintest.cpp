// The code page gate for names and paths from the platform, and the helpers built on it: the
// program's own path and the case rule of targets.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/temp_folder.h"
#include "support/trace_lines.h"
#include "text/file_queries.h"
#include "text/paths.h"
#include "text/wide_names.h"

namespace {

TEST(NameFromWide, TakesANameOnlyWhenTheCodePageHoldsItExactly) {
  const struct {
    const wchar_t* wide;
    int size;
    const char* text;  // null: refused
  } cases[] = {
      {L"\u8868\uff71.txt", 8, "\x95\x5c\xb1.txt"},  // 表 and half-width ｱ; exactly fits
      {L"\u8868\uff71.txt", 7, nullptr},            // one byte short
      {L"\u2225\uff5e", 5, "\x81\x61\x81\x60"},      // the code page's own parallel and tilde
      {L"\u00e9.txt", 64, nullptr},                  // best fit: e
      {L"a\u00a5b", 64, nullptr},                    // best fit: a backslash
      {L"a\u00a6b", 64, nullptr},                    // best fit: |
      {L"a\u2215b", 64, nullptr},                    // division slash
      {L"\u00ac", 64, nullptr},                      // best fit: the full-width not sign
      {L"x\U0001F600", 64, nullptr},
      {L"x\xD800y", 64, nullptr},                    // half a surrogate pair
      {L"", 1, ""},
  };
  for (const auto& c : cases) {
    char text[64] = "junk";
    EXPECT_EQ(c.text != nullptr, NameFromWide(c.wide, text, c.size)) << c.size;
    EXPECT_STREQ(c.text ? c.text : "", text) << c.size;
  }
}

TEST(PathFromWide, TakesTheShortPathOrRefusesWithATraceLine) {
  TempFolder folder;
  std::wstring accented = folder.MakeWideEntry(L"\u00e9.txt", false);
  std::wstring deep = folder.MakeWideEntry(L"d\u00a5\\\u00fc.txt", false);
  folder.MakeFile("e.txt");
  const struct {
    std::wstring path;
    std::string text;  // empty: refused
  } cases[] = {
      {Widen(folder.Join("e.txt")), folder.Join("e.txt")},
      {accented, ShortPathOf(accented)},
      {deep, ShortPathOf(deep)},
      {Widen(folder.Path()) + L"\\missing\u00e9.txt", ""},
  };
  for (const auto& c : cases) {
    TraceLines trace;
    char text[PATH_BUFFER_SIZE] = "junk";
    EXPECT_EQ(!c.text.empty(), PathFromWide(c.path.c_str(), text, sizeof text)) << c.text;
    EXPECT_EQ(c.text, text);
    // The refusal is said once, with the name shown without look-alikes.
    ASSERT_EQ(c.text.empty() ? 1u : 0u, trace.lines.size()) << c.text;
    if (c.text.empty()) {
      EXPECT_NE(std::string::npos, trace.lines[0].find("missing?.txt"));
    }
  }
  EXPECT_NE(std::string::npos, ShortPathOf(accented).find('~'));  // the file system made one
}

// The program file's own path, from a folder whose name the code page cannot hold: the probe
// tool, copied there, says how the program takes its own path.
TEST(GetProgramFilePath, IsTheShortPathWhereTheCodePageCannotHoldIt) {
  char own[MAX_PATH + 1] = "";
  GetModuleFileNameA(nullptr, own, sizeof own);
  char path[PATH_BUFFER_SIZE];
  ASSERT_TRUE(GetProgramFilePath(path, sizeof path));
  EXPECT_STREQ(own, path);

  TempFolder folder;
  std::wstring copy = folder.MakeWideEntry(L"d\u00e9\u00a5", true) + L"\\probe.exe";
  std::string probe = std::string(own).substr(0, std::string(own).rfind('\\')) + "\\morvane_probe.exe";
  ASSERT_TRUE(CopyFileW(Widen(probe).c_str(), copy.c_str(), FALSE));
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, &inherit, 0));
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  PROCESS_INFORMATION process = {};
  std::wstring commandLine = L"\"" + copy + L"\" self";
  ASSERT_TRUE(CreateProcessW(copy.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                             nullptr, &startup, &process));
  CloseHandle(writeEnd);
  std::string output;
  char buffer[512];
  DWORD read = 0;
  while (ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read > 0)
    output.append(buffer, read);
  WaitForSingleObject(process.hProcess, 30000);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  CloseHandle(readEnd);
  while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
  EXPECT_EQ(ShortPathOf(copy), output);
}

// Case twins can only be made from the Linux side: scripts/test puts Sel.txt and sel.txt, and
// folders Sub and sub, into MORVANE_LINK_FIXTURE\case.
TEST(FoldCaseOfSameEntry, FoldsOnlyWhereTheFoldedPathNamesTheSameEntry) {
  TempFolder folder;
  std::string mixed = folder.MakeFile("Mixed\\Case.TXT");
  std::vector<std::pair<std::string, std::string>> cases = {
      {mixed, Lower(mixed)},
      {folder.Join("Missing.txt"), folder.Join("Missing.txt")},
      {"C:\\", "c:\\"},
  };
  const char* fixture = std::getenv("MORVANE_LINK_FIXTURE");
  if (fixture && *fixture) {
    std::string root = std::string("Z:") + fixture + "/case";
    for (char& c : root)
      if (c == '/') c = '\\';
    for (const char* twin : {"\\Sel.txt", "\\Sub", "\\Sub\\f.txt"})
      cases.push_back({root + twin, root + twin});
  }
  for (const auto& c : cases) {
    char path[PATH_BUFFER_SIZE];
    lstrcpyA(path, c.first.c_str());
    FoldCaseOfSameEntry(path);
    EXPECT_EQ(c.second, path);
  }
  if (!fixture || !*fixture) GTEST_SKIP() << "MORVANE_LINK_FIXTURE is not set: no case twins";
}

}  // namespace
