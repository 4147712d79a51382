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
  // Expected: the operations, in order, and the values written.
  bool unlock;
  uint32_t unlockAttributes;
  bool open;
  bool writeFinal;
  uint32_t finalAttributes;
};

const PlanCase kCases[] = {
    // Attribute-only jobs: no handle, one write, or none when nothing changes.
    {"attributes: set hidden", A, false, H, KEEP, false, 0, false, true, A | H},
    {"attributes: clear hidden", A | H, false, 0, ~H, false, 0, false, true, A},
    {"attributes: already final", A | H, false, H, KEEP, false, 0, false, false, A | H},
    {"attributes: nothing asked", S | H, false, 0, KEEP, false, 0, false, false, S | H},
    {"attributes: read-only set, never unlocked", 0x80, false, R, KEEP, false, 0, false, true, 0x80 | R},
    {"attributes: read-only cleared in one write", R | H, false, 0, ~R, false, 0, false, true, H},
    {"attributes: folder keeps its bit", D, false, H, KEEP, false, 0, false, true, D | H},
    {"attributes: bits outside 0x27 kept", 0x2000 | A, false, S, ~A, false, 0, false, true, 0x2000 | S},
    // Timestamp jobs on entries without read-only: never written before the open.
    {"times: hidden entry, attributes kept", H | S, true, 0, KEEP, false, 0, true, false, H | S},
    {"times: plain entry", A, true, 0, KEEP, false, 0, true, false, A},
    {"times and set hidden", A, true, H, KEEP, false, 0, true, true, A | H},
    {"times and clear hidden", A | H, true, 0, ~H, false, 0, true, true, A},
    // Timestamp jobs on read-only entries: only the read-only bit comes off, then back.
    {"times: read-only kept", R, true, 0, KEEP, true, 0, true, true, R},
    {"times: read-only hidden kept", R | H | S, true, 0, KEEP, true, H | S, true, true, R | H | S},
    {"times: read-only cleared", R | H, true, 0, ~R, true, H, true, false, H},
    {"times: read-only cleared, hidden set", R, true, H, ~R, true, 0, true, true, H},
    {"times: read-only folder", D | R, true, 0, KEEP, true, D, true, true, D | R},
    // A vanished entry: nothing at all.
    {"vanished", ATTR_INVALID, true, H, KEEP, false, 0, false, false, 0},
    {"vanished, attributes only", ATTR_INVALID, false, H, KEEP, false, 0, false, false, 0},
};

TEST(PlanApply, DecidesTheOperationsForOneEntry) {
  for (const PlanCase& c : kCases) {
    ApplyPlan plan = PlanApply(c.current, c.times, c.orMask, c.andMask);
    EXPECT_EQ(c.unlock, plan.unlock) << c.what;
    if (c.unlock) {
      EXPECT_EQ(c.unlockAttributes, plan.unlockAttributes) << c.what;
    }
    EXPECT_EQ(c.open, plan.open) << c.what;
    EXPECT_EQ(c.writeFinal, plan.writeFinal) << c.what;
    if (c.writeFinal) {
      EXPECT_EQ(c.finalAttributes, plan.finalAttributes) << c.what;
    }
    EXPECT_FALSE(plan.openLinkItself) << c.what;
  }
}

TEST(PlanApply, OpensALinkItself) {
  ApplyPlan plan = PlanApply(ATTR_REPARSE_POINT | D, true, H, KEEP);
  EXPECT_TRUE(plan.open);
  EXPECT_TRUE(plan.openLinkItself);
  EXPECT_FALSE(PlanApply(ATTR_REPARSE_POINT, false, H, KEEP).open);
}

// Every attribute value an entry passes through, for every entry and job: each is a superset of
// what the entry had before or of what it has after, less at most the read-only bit, and that
// only while it is opened for its times. So a job ended after any write leaves no hidden or
// system bit lost that the user asked to keep.
TEST(PlanApply, NoWriteTakesAnAttributeTheJobKeeps) {
  const uint32_t offered[] = {0, R, H, S, A, R | H, H | S, R | H | S | A};
  for (uint32_t current : offered) {
    for (uint32_t set = 0; set < 16; ++set) {
      for (uint32_t clear = 0; clear < 16; ++clear) {
        auto bits = [](uint32_t n) {
          return ((n & 1) ? R : 0) | ((n & 2) ? H : 0) | ((n & 4) ? S : 0) | ((n & 8) ? A : 0);
        };
        uint32_t orMask = bits(set) & ~bits(clear), andMask = ~bits(clear);
        for (bool times : {false, true}) {
          ApplyPlan plan = PlanApply(current, times, orMask, andMask);
          uint32_t after = ApplyAttributeMasks(current, orMask, andMask);
          uint32_t kept = current & after;  // what both the before and the after state hold
          if (plan.unlock) {
            EXPECT_TRUE(times);
            EXPECT_EQ(kept & ~R, plan.unlockAttributes & kept) << current << " " << orMask;
            EXPECT_EQ(current & ~R, plan.unlockAttributes);
          }
          // The last state is exactly what the masks ask for.
          uint32_t last = plan.writeFinal ? plan.finalAttributes
                                          : (plan.unlock ? plan.unlockAttributes : current);
          EXPECT_EQ(after, last) << current << " " << orMask << " " << andMask;
          EXPECT_EQ(times, plan.open);
        }
      }
    }
  }
}

}  // namespace
