// How the About box makes room for its texts: labels grow to their texts (never shrink), the
// dialog grows by the largest growth, and the OK button is centred again. Pixels throughout.
#pragma once

enum { ABOUT_LABEL_COUNT = 3 };

struct AboutLayoutInput {
  int textWidths[ABOUT_LABEL_COUNT];   // each label's text as drawn in its font
  int labelWidths[ABOUT_LABEL_COUNT];  // each label's window width
  int dialogWidth;                     // window widths, frame included
  int buttonWidth;
};

struct AboutLayoutPlan {
  int labelGrowth[ABOUT_LABEL_COUNT];
  int dialogGrowth;
  bool moveButton;  // only when the dialog grows
  int buttonLeft;   // from the dialog window's left edge
};

AboutLayoutPlan PlanAboutLayout(const AboutLayoutInput* input);
