// Which operations ApplyChanges makes for one entry, decided before any of them reaches the
// file system: from the attributes the entry holds, whether any timestamp is to be written and
// the masks in apply form. Platform-free, so that every case can be tested in a table.
//
// The order of the operations never leaves an entry with fewer attributes than it had before
// and will have after, except for the read-only bit, which must be off while the entry is
// opened for writing its times:
//   1. unlock: write unlockAttributes (the current ones without read-only)   [only if needed]
//   2. open:   open the entry, set its times, close it                      [only for times]
//   3. final:  write finalAttributes                                        [only if changed]
#pragma once

#include <cstdint>

// What the platform reports when an entry's attributes cannot be read (it has vanished).
enum : uint32_t { ATTR_INVALID = 0xFFFFFFFFu, ATTR_REPARSE_POINT = 0x400 };

struct ApplyPlan {
  bool unlock;                // step 1
  uint32_t unlockAttributes;  // the current attributes without the read-only bit
  bool open;                  // step 2
  bool openLinkItself;        // the entry is a link: open the link, not what it points to
  bool writeFinal;            // step 3
  uint32_t finalAttributes;   // (current OR orMask) AND andMask
};

// current is ATTR_INVALID for an entry that cannot be read: the plan then does nothing.
ApplyPlan PlanApply(uint32_t current, bool writesTimes, uint32_t orMask, uint32_t andMask);
