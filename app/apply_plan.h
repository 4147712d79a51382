// Which operations ApplyChanges makes for one entry, decided before any of them reaches the
// file system: from the attributes the entry holds, whether any timestamp is to be written and
// the masks in apply form. Platform-free, so that every case can be tested in a table.
//
// At most two operations, each of which leaves the entry in a state the user asked for or had:
//   1. open:  open the entry for its attributes only, set its times, close it   [only for times]
//   2. final: write finalAttributes                                             [only if changed]
// Opening for the attributes only is granted on read-only entries and on files that other
// programs hold open, so no attribute is ever taken away to get at the times.
#pragma once

#include <cstdint>

// What the platform reports when an entry's attributes cannot be read (it has vanished).
enum : uint32_t { ATTR_INVALID = 0xFFFFFFFFu };

struct ApplyPlan {
  bool open;                 // step 1
  bool writeFinal;           // step 2
  uint32_t finalAttributes;  // (current OR orMask) AND andMask
};

// current is ATTR_INVALID for an entry that cannot be read: the plan then does nothing.
ApplyPlan PlanApply(uint32_t current, bool writesTimes, uint32_t orMask, uint32_t andMask);
