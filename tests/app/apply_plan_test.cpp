// Which operations reach the file system for one entry: the plan, case by case.
#include <gtest/gtest.h>

#include "app/apply_plan.h"
#include "app/job_settings.h"

namespace {

const uint32_t R = ATTR_READONLY, H = ATTR_HIDDEN, S = ATTR_SYSTEM, A = ATTR_ARCHIVE,
               D = ATTR_DIRECTORY, KEEP = 0xFFFFFFFFu;

struct PlanCase {
  const char* what;
  uint32_t current;
  bool times;
  uint32_t orMask, andMask;
  // Expected: the operations and the value written.
  bool open;
  bool writeFinal;
  uint32_t finalAttributes;
};

const PlanCase kCases[] = {
    // Attribute-only jobs: no handle, one write, or none when nothing changes.
    {"attributes: set hidden", A, false, H, KEEP, false, true, A | H},
    {"attributes: clear hidden", A | H, false, 0, ~H, false, true, A},
    {"attributes: already final", A | H, false, H, KEEP, false, false, A | H},
    {"attributes: nothing asked", S | H, false, 0, KEEP, false, false, S | H},
    {"attributes: read-only set", 0x80, false, R, KEEP, false, true, 0x80 | R},
    {"attributes: read-only cleared in one write", R | H, false, 0, ~R, false, true, H},
    {"attributes: folder keeps its bit", D, false, H, KEEP, false, true, D | H},
    {"attributes: bits outside 0x27 kept", 0x2000 | A, false, S, ~A, false, true, 0x2000 | S},
    // Timestamp jobs: one open, and an attribute write only for a change the user asked for;
    // read-only entries are never written just to reach their times.
    {"times: hidden entry, attributes kept", H | S, true, 0, KEEP, true, false, H | S},
    {"times: read-only kept", R, true, 0, KEEP, true, false, R},
    {"times: read-only hidden system kept", R | H | S, true, 0, KEEP, true, false, R | H | S},
    {"times: read-only folder kept", D | R, true, 0, KEEP, true, false, D | R},
    {"times and set hidden", A, true, H, KEEP, true, true, A | H},
    {"times and clear read-only", R | H, true, 0, ~R, true, true, H},
    // A vanished entry: nothing at all.
    {"vanished", ATTR_INVALID, true, H, KEEP, false, false, 0},
    {"vanished, attributes only", ATTR_INVALID, false, H, KEEP, false, false, 0},
};

TEST(PlanApply, DecidesTheOperationsForOneEntry) {
  for (const PlanCase& c : kCases) {
    ApplyPlan plan = PlanApply(c.current, c.times, c.orMask, c.andMask);
    EXPECT_EQ(c.open, plan.open) << c.what;
    EXPECT_EQ(c.writeFinal, plan.writeFinal) << c.what;
    if (c.writeFinal) {
      EXPECT_EQ(c.finalAttributes, plan.finalAttributes) << c.what;
    }
  }
}

}  // namespace
