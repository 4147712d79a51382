// How the four attribute check boxes read the job record's masks: a box's state from the summary
// form, and the apply form from the boxes' states. The states have the values of the platform's
// three-state check box.
#pragma once

#include <cstdint>

enum BoxState : int { BOX_UNCHECKED = 0, BOX_CHECKED = 1, BOX_INDETERMINATE = 2 };

// The check boxes in order, with their attribute bits.
struct AttributeBox {
  int controlId;
  uint32_t bit;
};
extern const AttributeBox kAttributeBoxes[4];

// Summary form: in both masks set (checked), only in the or-mask unchanged (indeterminate),
// otherwise cleared (unchecked).
BoxState BoxStateFromSummary(uint32_t andMask, uint32_t orMask, uint32_t bit);

struct ApplyMasks {
  uint32_t andMask;
  uint32_t orMask;
};
// Apply form: checked bits go into the or-mask, unchecked ones out of the and-mask, and every
// other bit survives untouched.
ApplyMasks ApplyMasksFromBoxes(const BoxState states[4]);
