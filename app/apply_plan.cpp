// The operations for one entry (see apply_plan.h).
#include "app/apply_plan.h"

#include "app/job_settings.h"

ApplyPlan PlanApply(uint32_t current, bool writesTimes, uint32_t orMask, uint32_t andMask) {
  ApplyPlan plan = {};
  if (current == ATTR_INVALID) return plan;
  plan.open = writesTimes;
  plan.finalAttributes = ApplyAttributeMasks(current, orMask, andMask);
  plan.writeFinal = plan.finalAttributes != current;
  return plan;
}
