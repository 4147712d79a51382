// What the job writes to one entry, decided before anything reaches the file system: from the
// attributes the entry holds at that moment, whether any timestamp is to be written and the masks
// in apply form. Platform-free, so that every case can be tested in a table.
//
// At most one write, through a handle opened for the entry's attributes only: its times and its
// new attributes in one call. Such a handle is granted on read-only entries and on files that
// other programs hold open, so no attribute is ever taken away to get at the times, and a job
// ended at any moment leaves each entry as it was or as asked.
#pragma once

#include <cstdint>

// What the platform reports when an entry's attributes cannot be read (it has vanished).
enum : uint32_t { ATTR_INVALID = 0xFFFFFFFFu };

struct ApplyPlan {
  bool write;                // anything to write at all
  bool changesAttributes;    // finalAttributes differ from the current ones
  uint32_t finalAttributes;  // (current OR orMask) AND andMask
  // The attributes field of the write: 0 leaves the attributes as they are, so an entry that
  // is to have none gets the platform's "normal" value instead; the folder bit is the entry's
  // kind, never written.
  uint32_t writtenAttributes;
};

// current is ATTR_INVALID for an entry that cannot be read: the plan then does nothing.
ApplyPlan PlanApply(uint32_t current, bool writesTimes, uint32_t orMask, uint32_t andMask);
