// Fitting a dialog to its texts when it opens: what each control's text needs is measured in the
// control's own font, and the controls and the dialog are moved and widened as fit_plan.h plans.
#pragma once

#include <windows.h>

#include "dialog/fit_plan.h"

// What a dialog says about some of its controls; the others take part as they are, so that
// whatever stands to the right of a growing control moves with it.
struct FitRule {
  int controlId;
  const char* shape;  // an edit field: the widest text it shows, '#' standing for any digit
  int column;         // as in FitItem
  FitAnchor anchor;
};

// Call before the dialog records or places its size.
void FitDialogToTexts(HWND dialog, const FitRule* rules, int ruleCount);
