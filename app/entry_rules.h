// What the walk may do with an entry a folder listing returned: whether its name may be joined to
// the folder's path, and whether it is a link that stands for another name.
#pragma once

#include <cstdint>

// "." and "..", the folder itself and its parent, which every listing holds.
template <typename Unit>
bool IsDotName(const Unit* name, int units) {
  return units > 0 && name[0] == '.' && (units == 1 || (units == 2 && name[1] == '.'));
}

// False for a name that, joined to a folder, would name something else: empty, "." or "..",
// or holding a separator, a drive or stream colon, or a zero that would end the path early.
// The name is in UTF-16 units of any 16-bit type, units long (a listing does not terminate it).
template <typename Unit>
bool IsJoinableName(const Unit* name, int units) {
  if (units <= 0 || IsDotName(name, units)) return false;
  for (int i = 0; i < units; ++i) {
    if (name[i] == 0 || name[i] == '\\' || name[i] == '/' || name[i] == ':') return false;
  }
  return true;
}

// True for a reparse point whose tag marks it as standing for another name (symbolic links,
// junctions and their kind), and for one whose tag the listing did not report (0, which no
// reparse point carries; Wine reports its links so). Other reparse points (deduplicated files,
// cloud placeholders) are the entries themselves.
bool StandsForAnotherName(uint32_t attributes, uint32_t reparseTag);

// What the walk knows of an entry from its folder's listing, and what the handle it then opened
// reports. An id of 0 or all ones means the file system gave none.
struct EntryIdentity {
  uint32_t attributes;
  uint64_t fileId;
};

// Whether the opened handle is the entry the listing showed: the same file id, the same kind,
// and no link where the listing showed none. Where the listing gave no id, the kind and the
// link test must do. The volume is not asked: the walk holds every folder from the target down,
// and a path through held folders reaches another volume only through a link in its last name,
// which the link test refuses (the system opens the link itself there); under Wine, which follows
// links even so, the id differs. Asking each entry's volume would cost more than the rest of the
// walk there (measured: 0.4 to 0.8 ms a call).
bool IsListedEntry(const EntryIdentity& listed, const EntryIdentity& opened);
