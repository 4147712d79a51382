// The About box's layout decision (see about_layout.h).
#include "about/about_layout.h"

AboutLayoutPlan PlanAboutLayout(const AboutLayoutInput* input) {
  AboutLayoutPlan plan = {};
  for (int label = 0; label < ABOUT_LABEL_COUNT; ++label) {
    int growth = input->textWidths[label] - input->labelWidths[label];
    plan.labelGrowth[label] = growth > 0 ? growth : 0;
    if (plan.labelGrowth[label] > plan.dialogGrowth) plan.dialogGrowth = plan.labelGrowth[label];
  }
  if (plan.dialogGrowth > 0) {
    plan.moveButton = true;
    plan.buttonLeft = (input->dialogWidth + plan.dialogGrowth - input->buttonWidth) / 2;
  }
  return plan;
}
