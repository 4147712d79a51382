// The operations for one entry (see apply_plan.h).
#include "app/apply_plan.h"

#include "app/job_settings.h"

ApplyPlan PlanApply(uint32_t current, bool writesTimes, uint32_t orMask, uint32_t andMask) {
  ApplyPlan plan = {};
  if (current == ATTR_INVALID) return plan;
  plan.finalAttributes = ApplyAttributeMasks(current, orMask, andMask);
  // What the entry holds just before the final write.
  uint32_t held = current;
  if (writesTimes) {
    plan.open = true;
    plan.openLinkItself = (current & ATTR_REPARSE_POINT) != 0;
    if (current & ATTR_READONLY) {
      plan.unlock = true;
      plan.unlockAttributes = current & ~static_cast<uint32_t>(ATTR_READONLY);
      held = plan.unlockAttributes;
    }
  }
  plan.writeFinal = plan.finalAttributes != held;
  return plan;
}
