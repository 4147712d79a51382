// The refusal to run under another code page, through the code page it is handed: what the box
// and the trace say, and that code page 932 passes without either.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/code_page_guard.h"
#include "support/message_box_closer.h"
#include "support/trace_lines.h"

namespace {

TEST(CodePageGuard, RefusesEveryCodePageButItsOwnAndSaysWhyInBothLanguages) {
  for (UINT codePage : {932u, 1252u, 65001u}) {
    TraceLines trace;
    std::vector<SeenMessageBox> boxes;
    bool refused;
    {
      MessageBoxCloser closer(nullptr);
      refused = RefuseForeignCodePage(codePage);
      boxes = closer.Seen();
    }
    const std::string number = std::to_string(codePage);
    if (codePage == 932) {
      EXPECT_FALSE(refused);
      EXPECT_TRUE(trace.lines.empty());
      EXPECT_TRUE(boxes.empty());
      continue;
    }
    EXPECT_TRUE(refused) << number;
    ASSERT_EQ(1u, trace.lines.size()) << number;
    EXPECT_EQ(0u, trace.lines[0].find("! ")) << trace.lines[0];
    EXPECT_NE(std::string::npos, trace.lines[0].find("not code page 932 (" + number + ")"));
    ASSERT_EQ(1u, boxes.size()) << number;
    EXPECT_EQ("Morvane", boxes[0].caption);
    for (const std::string& part :
         {std::string("日本語のコードページ (932)"), "コードページは " + number + " です",
          std::string("[システム ロケールの変更]"), std::string("Japanese code page (932)"),
          "it was given code page " + number, std::string("Change system locale")})
      EXPECT_NE(std::string::npos, boxes[0].text.find(part)) << part;
  }
}

}  // namespace
