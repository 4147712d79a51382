// What reaches the file system for one entry: the plan, case by case.
#include <gtest/gtest.h>

#include "app/apply_plan.h"
#include "app/job_settings.h"

namespace {

const uint32_t R = ATTR_READONLY, H = ATTR_HIDDEN, S = ATTR_SYSTEM, A = ATTR_ARCHIVE,
               D = ATTR_DIRECTORY, N = 0x80, KEEP = 0xFFFFFFFFu;

struct PlanCase {
  const char* what;
  uint32_t current;
  bool times;
  uint32_t orMask, andMask;
  bool write;
  uint32_t written;  // 0: the attributes are left as they are
};

const PlanCase kCases[] = {
    {"attributes: set hidden", A, false, H, KEEP, true, A | H},
    {"attributes: clear hidden", A | H, false, 0, ~H, true, A},
    {"attributes: already final, nothing written", A | H, false, H, KEEP, false, 0},
    {"attributes: nothing asked", S | H, false, 0, KEEP, false, 0},
    {"attributes: a plain file gets read-only, not 'normal' beside it", N, false, R, KEEP, true, R},
    {"attributes: the last one cleared writes 'normal', never 0", H, false, 0, ~H, true, N},
    {"attributes: a folder's last one cleared", D | H, false, 0, ~H, true, N},
    {"attributes: the folder bit is never written", D, false, H, KEEP, true, H},
    {"attributes: bits outside 0x27 kept", 0x2000 | A, false, S, ~A, true, 0x2000 | S},
    {"times only: attributes left as they are", R | H | S, true, 0, KEEP, true, 0},
    {"times only: a read-only folder", D | R, true, 0, KEEP, true, 0},
    {"times and set hidden, in one write", A, true, H, KEEP, true, A | H},
    {"times and clear read-only, in one write", R | H, true, 0, ~R, true, H},
    {"vanished", ATTR_INVALID, true, H, KEEP, false, 0},
};

TEST(PlanApply, DecidesTheOneWriteForAnEntry) {
  for (const PlanCase& c : kCases) {
    ApplyPlan plan = PlanApply(c.current, c.times, c.orMask, c.andMask);
    EXPECT_EQ(c.write, plan.write) << c.what;
    EXPECT_EQ(c.written, plan.writtenAttributes) << c.what;
    EXPECT_EQ(c.written != 0, plan.changesAttributes) << c.what;
  }
}

}  // namespace
