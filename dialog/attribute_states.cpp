// Attribute check box states (see attribute_states.h).
#include "dialog/attribute_states.h"

#include "app/job_settings.h"
#include "dialog/dialog_ids.h"

const AttributeBox kAttributeBoxes[4] = {
    {IDC_READONLY, ATTR_READONLY},
    {IDC_HIDDEN, ATTR_HIDDEN},
    {IDC_ARCHIVE, ATTR_ARCHIVE},
    {IDC_SYSTEM, ATTR_SYSTEM},
};

BoxState BoxStateFromSummary(uint32_t andMask, uint32_t orMask, uint32_t bit) {
  if ((orMask & bit) == 0) return BOX_UNCHECKED;
  return (andMask & bit) ? BOX_CHECKED : BOX_INDETERMINATE;
}

ApplyMasks ApplyMasksFromBoxes(const BoxState states[4]) {
  ApplyMasks masks = {0xFFFFFFFFu, 0};
  for (int i = 0; i < 4; ++i) {
    if (states[i] == BOX_CHECKED) masks.orMask |= kAttributeBoxes[i].bit;
    if (states[i] == BOX_UNCHECKED) masks.andMask &= ~kAttributeBoxes[i].bit;
  }
  return masks;
}
