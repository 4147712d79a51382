// The regular-expression kind of the name filter through AcceptName, on real files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/job_settings.h"
#include "app/name_filter.h"
#include "app/regex_filter.h"
#include "text/trace.h"
#include "support/temp_folder.h"

namespace {

class TraceCapture {
 public:
  TraceCapture() { SetTraceHook(&TraceCapture::Hook, this); }
  ~TraceCapture() { SetTraceHook(nullptr, nullptr); }
  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  static void Hook(const char* line, void* context) {
    static_cast<TraceCapture*>(context)->lines_.push_back(line);
  }
  std::vector<std::string> lines_;
};

bool Accept(const std::string& path, const char* pattern) {
  return AcceptName(path.c_str(), pattern, FILTER_REGEX);
}

TEST(RegexFilter, SearchesAnywhereIgnoringCase) {
  TempFolder folder;
  TraceCapture trace;
  EXPECT_TRUE(Accept(folder.MakeFile("readme.TXT.bak"), "txt"));
  EXPECT_FALSE(Accept(folder.MakeFile("ba.txt"), "^a"));
  EXPECT_TRUE(Accept(folder.MakeFile("Alpha.TXT"), "^a.*\\.txt$"));
  EXPECT_FALSE(Accept(folder.MakeFile("alpha.txt.bak"), "^a.*\\.txt$"));
  EXPECT_TRUE(trace.Lines().empty());
}

TEST(RegexFilter, LooksAtTheNamePartOnly) {
  TempFolder folder;
  std::string path = folder.MakeFile("abc\\inner.dat");
  EXPECT_TRUE(Accept(path, "^inner"));
  EXPECT_FALSE(Accept(path, "abc"));
}

TEST(RegexFilter, MalformedPatternsAreReadLiterally) {
  TempFolder folder;
  EXPECT_TRUE(Accept(folder.MakeFile("x(ab.txt"), "(ab"));
  EXPECT_FALSE(Accept(folder.MakeFile("ab.txt"), "(ab"));
  // The pattern is not split at spaces or semicolons.
  EXPECT_TRUE(Accept(folder.MakeFile("a b;c.txt"), "a b;c"));
  EXPECT_FALSE(Accept(folder.MakeFile("a.txt"), "a b;c"));
}

TEST(RegexFilter, FoldersAndEmptyPatternsAreAccepted) {
  TempFolder folder;
  std::string sub = folder.MakeFolder("sub");
  EXPECT_TRUE(Accept(sub, "^nothing$"));
  EXPECT_TRUE(Accept(folder.MakeFile("file.txt"), ""));
}

TEST(RegexFilter, DoubleByteNames) {
  TempFolder folder;
  // "表" (0x95 0x5C): its second byte is a backslash, and the name part must not be cut there.
  std::string path = folder.MakeFile("\x95\x5c.txt");
  EXPECT_TRUE(Accept(path, "^\x95\x5c\\.TXT$"));
  EXPECT_FALSE(Accept(path, "^\\\\"));
  // Full-width letters fold case among themselves under RXF_IGNORECASE.
  EXPECT_TRUE(Accept(folder.MakeFile("\x82\x60.txt"), "^\x82\x81"));
}

TEST(RegexFilter, CompileFailureRejectsAndTraces) {
  TempFolder folder;
  std::string path = folder.MakeFile("aaa.txt");
  TraceCapture trace;
  EXPECT_FALSE(Accept(path, "a{99999999}"));
  EXPECT_FALSE(Accept(path, "a{99999999}"));
  ASSERT_EQ(2u, trace.Lines().size());  // once per file tested
  EXPECT_EQ("! 正規表現エンジンを初期化できませんでした。\r\n", trace.Lines()[0]);
}

TEST(RegexFilter, StepBudgetRejectsAndTraces) {
  TempFolder folder;
  std::string path = folder.MakeFile(std::string(200, 'a') + "!.txt");
  TraceCapture trace;
  DWORD start = GetTickCount();
  EXPECT_FALSE(Accept(path, "(a|a)*b"));
  EXPECT_LT(GetTickCount() - start, 1000u);
  ASSERT_EQ(1u, trace.Lines().size());
  EXPECT_EQ(0u, trace.Lines()[0].find("! "));
  EXPECT_EQ("\r\n", trace.Lines()[0].substr(trace.Lines()[0].size() - 2));
  // An ordinary pattern on the same name writes nothing.
  EXPECT_TRUE(Accept(path, "^a+!\\.txt$"));
  EXPECT_EQ(1u, trace.Lines().size());
}

TEST(RegexFilter, MatchRegexDirectly) {
  EXPECT_TRUE(MatchRegex("", ""));
  EXPECT_TRUE(MatchRegex("B", "abc"));
  EXPECT_FALSE(MatchRegex("$", "abc"));
}

}  // namespace
