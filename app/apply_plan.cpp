// What the job writes to one entry (see apply_plan.h).
#include "app/apply_plan.h"

#include "app/job_settings.h"

namespace {

const uint32_t kNormalAttribute = 0x80;  // FILE_ATTRIBUTE_NORMAL: "no other attribute"

}  // namespace

ApplyPlan PlanApply(uint32_t current, bool writesTimes, uint32_t orMask, uint32_t andMask) {
  ApplyPlan plan = {};
  if (current == ATTR_INVALID) return plan;
  plan.finalAttributes = ApplyAttributeMasks(current, orMask, andMask);
  plan.changesAttributes = plan.finalAttributes != current;
  plan.write = writesTimes || plan.changesAttributes;
  if (plan.changesAttributes) {
    plan.writtenAttributes = plan.finalAttributes & ~(ATTR_DIRECTORY | kNormalAttribute);
    if (plan.writtenAttributes == 0) plan.writtenAttributes = kNormalAttribute;
  }
  return plan;
}
