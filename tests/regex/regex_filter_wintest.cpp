// The regular-expression kind of the name filter through AcceptName, on the names the walk
// hands it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/job_settings.h"
#include "app/name_filter.h"
#include "app/regex_filter.h"
#include "text/trace.h"

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

bool Accept(const std::string& name, const char* pattern) {
  return AcceptName(name.c_str(), false, pattern, FILTER_REGEX);
}

TEST(RegexFilter, SearchesAnywhereIgnoringCase) {
  TraceCapture trace;
  EXPECT_TRUE(Accept("readme.TXT.bak", "txt"));
  EXPECT_FALSE(Accept("ba.txt", "^a"));
  EXPECT_TRUE(Accept("Alpha.TXT", "^a.*\\.txt$"));
  EXPECT_FALSE(Accept("alpha.txt.bak", "^a.*\\.txt$"));
  EXPECT_TRUE(trace.Lines().empty());
}

TEST(RegexFilter, MalformedPatternsAreReadLiterally) {
  EXPECT_TRUE(Accept("x(ab.txt", "(ab"));
  EXPECT_FALSE(Accept("ab.txt", "(ab"));
  // The pattern is not split at spaces or semicolons.
  EXPECT_TRUE(Accept("a b;c.txt", "a b;c"));
  EXPECT_FALSE(Accept("a.txt", "a b;c"));
}

TEST(RegexFilter, FoldersAndEmptyPatternsAreAccepted) {
  EXPECT_TRUE(AcceptName("sub", true, "^nothing$", FILTER_REGEX));
  EXPECT_TRUE(Accept("file.txt", ""));
}

TEST(RegexFilter, DoubleByteNames) {
  // "表" (0x95 0x5C): its second byte is a backslash, never matched as one.
  std::string name = "\x95\x5c.txt";
  EXPECT_TRUE(Accept(name, "^\x95\x5c\\.TXT$"));
  EXPECT_FALSE(Accept(name, "^\\\\"));
  // Full-width letters fold case among themselves under RXF_IGNORECASE.
  EXPECT_TRUE(Accept("\x82\x60.txt", "^\x82\x81"));
}

TEST(RegexFilter, CompileFailureRejectsAndTraces) {
  std::string name = "aaa.txt";
  TraceCapture trace;
  EXPECT_FALSE(Accept(name, "a{99999999}"));
  EXPECT_FALSE(Accept(name, "a{99999999}"));
  ASSERT_EQ(2u, trace.Lines().size());  // once per file tested
  EXPECT_EQ("! 正規表現エンジンを初期化できませんでした。\r\n", trace.Lines()[0]);
}

TEST(RegexFilter, StepBudgetRejectsAndTraces) {
  std::string name = std::string(200, 'a') + "!.txt";
  TraceCapture trace;
  DWORD start = GetTickCount();
  EXPECT_FALSE(Accept(name, "(a|a)*b"));
  EXPECT_LT(GetTickCount() - start, 1000u);
  ASSERT_EQ(1u, trace.Lines().size());
  EXPECT_EQ(0u, trace.Lines()[0].find("! "));
  EXPECT_EQ("\r\n", trace.Lines()[0].substr(trace.Lines()[0].size() - 2));
  // An ordinary pattern on the same name writes nothing.
  EXPECT_TRUE(Accept(name, "^a+!\\.txt$"));
  EXPECT_EQ(1u, trace.Lines().size());
}

TEST(RegexFilter, MatchRegexDirectly) {
  EXPECT_TRUE(MatchRegex("", ""));
  EXPECT_TRUE(MatchRegex("B", "abc"));
  EXPECT_FALSE(MatchRegex("$", "abc"));
}

}  // namespace
