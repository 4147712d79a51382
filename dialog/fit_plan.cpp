// Making room for texts (see fit_plan.h).
#include "dialog/fit_plan.h"

namespace {

int Max(int a, int b) { return a > b ? a : b; }

bool Inside(const FitItem& frame, const FitItem& item) {
  return frame.frame && frame.left <= item.left && item.right <= frame.right &&
         frame.top <= item.top && item.bottom <= frame.bottom;
}

// Stands to the right of another item in the same row.
bool RightOf(const FitItem& item, const FitItem& other) {
  return other.right <= item.left && item.top < other.bottom && other.top < item.bottom;
}

// One round: every item moved as far as its row and its frames push it, columns evened out,
// frames widened to what they hold. True when anything changed.
bool Settle(const FitItem* items, int count, FitPlacement* placements) {
  bool changed = false;
  for (int i = 0; i < count; ++i) {
    int dx = placements[i].dx;
    for (int j = 0; j < count; ++j) {
      if (j == i) continue;
      if (Inside(items[j], items[i])) dx = Max(dx, placements[j].dx);
      else if (RightOf(items[i], items[j])) dx = Max(dx, placements[j].dx + placements[j].grow);
    }
    for (int j = 0; j < count; ++j) {
      if (j != i && items[i].column != 0 && items[j].column == items[i].column) {
        dx = Max(dx, placements[j].dx);
      }
    }
    if (dx != placements[i].dx) changed = true;
    placements[i].dx = dx;
  }
  for (int frame = 0; frame < count; ++frame) {
    for (int i = 0; i < count; ++i) {
      if (i == frame || !Inside(items[frame], items[i])) continue;
      int grow = placements[i].dx + placements[i].grow - placements[frame].dx;
      if (grow > placements[frame].grow) {
        placements[frame].grow = grow;
        changed = true;
      }
    }
  }
  return changed;
}

}  // namespace

int PlanTextFit(const FitItem* items, int count, FitPlacement* placements) {
  for (int i = 0; i < count; ++i) {
    int width = items[i].right - items[i].left;
    placements[i].dx = 0;
    placements[i].grow = items[i].needed > width ? items[i].needed - width : 0;
  }
  for (int i = 0; i < count; ++i) {
    for (int j = 0; j < count; ++j) {
      if (items[i].column != 0 && items[j].column == items[i].column)
        placements[i].grow = Max(placements[i].grow, placements[j].grow);
    }
  }
  // Rounds only ever move items further right, each step taken from a neighbour's growth; a
  // round per item is more than enough to settle.
  for (int round = 0; round <= count; ++round)
    if (!Settle(items, count, placements)) break;
  // Every row keeps its distance to the right edge, so the dialog grows by the most that any
  // item was moved and widened, and what stands at the edge goes along.
  int growth = 0;
  for (int i = 0; i < count; ++i) growth = Max(growth, placements[i].dx + placements[i].grow);
  for (int i = 0; i < count; ++i) {
    if (items[i].anchor == FIT_ANCHOR_FOLLOW) placements[i].dx = Max(placements[i].dx, growth);
    if (items[i].anchor == FIT_ANCHOR_STRETCH)
      placements[i].grow = Max(placements[i].grow, growth - placements[i].dx);
  }
  return growth;
}
