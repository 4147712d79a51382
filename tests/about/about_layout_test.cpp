// The About box's layout: labels grow to their texts and never shrink; the dialog grows by the
// largest growth and only then is the button centred again.
#include <gtest/gtest.h>

#include "about/about_layout.h"

namespace {

TEST(PlanAboutLayout, GrowsToTheWidestTextAndCentresTheButton) {
  struct Case {
    const char* what;
    AboutLayoutInput input;
    AboutLayoutPlan plan;
  } const cases[] = {
      {"every text fits: nothing moves", {{10, 0, 5}, {20, 20, 20}, 100, 40}, {{0, 0, 0}, 0, false, 0}},
      {"widest growth wins, narrower texts do not shrink",
       {{90, 45, 0}, {2, 2, 2}, 100, 40}, {{88, 43, 0}, 88, true, 74}},
      {"odd remainder is cut", {{4, 0, 0}, {1, 1, 1}, 60, 44}, {{3, 0, 0}, 3, true, 9}},
  };
  for (const Case& c : cases) {
    AboutLayoutPlan plan = PlanAboutLayout(&c.input);
    for (int label = 0; label < ABOUT_LABEL_COUNT; ++label)
      EXPECT_EQ(c.plan.labelGrowth[label], plan.labelGrowth[label]) << c.what << ", label " << label;
    EXPECT_EQ(c.plan.dialogGrowth, plan.dialogGrowth) << c.what;
    EXPECT_EQ(c.plan.moveButton, plan.moveButton) << c.what;
    if (c.plan.moveButton) {
      EXPECT_EQ(c.plan.buttonLeft, plan.buttonLeft) << c.what;
    }
  }
}

}  // namespace
