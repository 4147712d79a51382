// Making room for texts: growth by what a text lacks, rows pushed to the right, columns kept
// aligned, frames widened, the dialog widened by the most any row gained, and nothing moved
// where every text fits.
#include <gtest/gtest.h>

#include <vector>

#include "dialog/fit_plan.h"

namespace {

// A small dialog in the main dialog's manner: a label and two field columns with a button in
// two rows, a list and a button reaching the right margin (60), a frame with an item inside and
// one beside it.
enum { LABEL, DATE1, TIME1, BUTTON1, DATE2, TIME2, LIST, OK, FRAME, INSIDE, BESIDE, ITEMS };
std::vector<FitItem> Dialog(int labelNeed, int date1Need, int time2Need, int insideNeed) {
  std::vector<FitItem> items(ITEMS);
  items[LABEL] = {0, 0, 10, 10, labelNeed, 0, false, FIT_ANCHOR_NONE};
  items[DATE1] = {12, 0, 30, 10, date1Need, 1, false, FIT_ANCHOR_NONE};
  items[TIME1] = {32, 0, 50, 10, 10, 2, false, FIT_ANCHOR_NONE};
  items[BUTTON1] = {52, 0, 58, 10, 0, 0, false, FIT_ANCHOR_NONE};
  items[DATE2] = {12, 20, 30, 30, 10, 1, false, FIT_ANCHOR_NONE};
  items[TIME2] = {32, 20, 50, 30, time2Need, 2, false, FIT_ANCHOR_NONE};
  items[LIST] = {0, 40, 60, 50, 0, 0, false, FIT_ANCHOR_STRETCH};
  items[OK] = {40, 60, 60, 70, 8, 0, false, FIT_ANCHOR_FOLLOW};
  items[FRAME] = {0, 80, 30, 100, 0, 0, true, FIT_ANCHOR_NONE};
  items[INSIDE] = {2, 85, 20, 95, insideNeed, 0, false, FIT_ANCHOR_NONE};
  items[BESIDE] = {32, 85, 40, 95, 0, 0, false, FIT_ANCHOR_NONE};
  return items;
}

struct Expected {
  int item, dx, grow;
};

TEST(PlanTextFit, MakesRoomRowByRowAndKeepsColumnsAligned) {
  struct Case {
    const char* what;
    std::vector<FitItem> items;
    int growth;
    std::vector<Expected> moved;  // every other item stays as it is
  } const cases[] = {
      {"every text fits: nothing moves", Dialog(10, 18, 5, 18), 0, {}},
      {"a field grows: its row moves, its column grows along, the margin items follow",
       Dialog(0, 22, 0, 0),
       4,
       {{DATE1, 0, 4}, {DATE2, 0, 4}, {TIME1, 4, 0}, {TIME2, 4, 0}, {BUTTON1, 4, 0},
        {LIST, 0, 4}, {OK, 4, 0}}},
      {"growths of two columns add up",
       Dialog(0, 22, 21, 0),
       7,
       {{DATE1, 0, 4}, {DATE2, 0, 4}, {TIME1, 4, 3}, {TIME2, 4, 3}, {BUTTON1, 7, 0},
        {LIST, 0, 7}, {OK, 7, 0}}},
      {"a label pushes its row, and the column of the next row moves with it",
       Dialog(13, 0, 0, 0),
       3,
       {{LABEL, 0, 3}, {DATE1, 3, 0}, {DATE2, 3, 0}, {TIME1, 3, 0}, {TIME2, 3, 0},
        {BUTTON1, 3, 0}, {LIST, 0, 3}, {OK, 3, 0}}},
      {"an item in a frame widens the frame, which pushes its row",
       Dialog(0, 0, 0, 24),
       6,
       {{INSIDE, 0, 6}, {FRAME, 0, 6}, {BESIDE, 6, 0}, {LIST, 0, 6}, {OK, 6, 0}}},
  };
  for (const Case& c : cases) {
    std::vector<FitPlacement> placements(c.items.size(), FitPlacement{-1, -1});
    EXPECT_EQ(c.growth, PlanTextFit(c.items.data(), static_cast<int>(c.items.size()),
                                    placements.data()))
        << c.what;
    for (int item = 0; item < ITEMS; ++item) {
      Expected expected = {item, 0, 0};
      for (const Expected& moved : c.moved)
        if (moved.item == item) expected = moved;
      EXPECT_EQ(expected.dx, placements[item].dx) << c.what << ", item " << item;
      EXPECT_EQ(expected.grow, placements[item].grow) << c.what << ", item " << item;
    }
  }
}

}  // namespace
