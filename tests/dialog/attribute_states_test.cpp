// The attribute check boxes' reading of the job record's masks, both ways.
#include "dialog/attribute_states.h"

#include <gtest/gtest.h>

#include "app/job_settings.h"

namespace {

TEST(AttributeStates, SummaryMasksGiveEachBoxItsState) {
  const struct {
    uint32_t andMask, orMask;
    BoxState expected;
  } cases[] = {
      {ATTR_HIDDEN, ATTR_HIDDEN, BOX_CHECKED},  // every target has it
      {0, ATTR_HIDDEN, BOX_INDETERMINATE},      // some have it
      {0, 0, BOX_UNCHECKED},                    // none has it
      {ATTR_HIDDEN, 0, BOX_UNCHECKED},          // no target could be looked up
      {0xFFFFFFFFu, ~ATTR_HIDDEN, BOX_UNCHECKED},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.expected, BoxStateFromSummary(c.andMask, c.orMask, ATTR_HIDDEN))
        << c.andMask << " " << c.orMask;
}

TEST(AttributeStates, BoxesGiveApplyMasksThatLeaveOtherBitsAlone) {
  const struct {
    BoxState states[4];  // read-only, hidden, archive, system
    uint32_t andMask, orMask;
  } cases[] = {
      {{BOX_CHECKED, BOX_CHECKED, BOX_CHECKED, BOX_CHECKED}, 0xFFFFFFFFu, 0x27},
      {{BOX_INDETERMINATE, BOX_INDETERMINATE, BOX_INDETERMINATE, BOX_INDETERMINATE},
       0xFFFFFFFFu, 0},
      {{BOX_UNCHECKED, BOX_UNCHECKED, BOX_UNCHECKED, BOX_UNCHECKED}, 0xFFFFFFD8u, 0},
      {{BOX_CHECKED, BOX_UNCHECKED, BOX_INDETERMINATE, BOX_CHECKED}, ~ATTR_HIDDEN,
       ATTR_READONLY | ATTR_SYSTEM},
  };
  for (const auto& c : cases) {
    ApplyMasks masks = ApplyMasksFromBoxes(c.states);
    EXPECT_EQ(c.andMask, masks.andMask);
    EXPECT_EQ(c.orMask, masks.orMask);
    // A bit the dialog does not show (not content indexed) survives every combination.
    EXPECT_EQ(0x2000u, ApplyAttributeMasks(0x2000, masks.orMask, masks.andMask) & 0x2000u);
  }
}

}  // namespace
