// How a dialog makes room for texts that its font draws wider than the template allows: an item
// grows by what its text lacks; whatever stands to its right in its row (any item it overlaps
// vertically) moves by that much, a frame around it grows with it, and the dialog grows by the
// most that any row gained, so that every row keeps its distance to the right edge. Items of one
// column grow and move as one, so that columns stay aligned. Where every text fits, nothing
// moves. Pixels throughout.
#pragma once

enum FitAnchor {
  FIT_ANCHOR_NONE,     // stays unless a row pushes it
  FIT_ANCHOR_FOLLOW,   // stands at the right edge: moves as far as the dialog grows
  FIT_ANCHOR_STRETCH,  // reaches the right edge: widens as far as the dialog grows
};

struct FitItem {
  int left, top, right, bottom;  // the item's window, in the dialog's client coordinates
  int needed;                    // the width its text needs; 0 when it has none to fit
  int column;                    // items with one non-zero number form a column
  bool frame;                    // a group frame: grows to keep the items inside it framed
  FitAnchor anchor;
};

struct FitPlacement {
  int dx;    // moved right by
  int grow;  // widened by
};

// Fills placements[i] for items[i] and returns how much wider the dialog becomes (0 or more).
int PlanTextFit(const FitItem* items, int count, FitPlacement* placements);
