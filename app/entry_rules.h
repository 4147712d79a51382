// What the walk may do with an entry a folder search returned: whether its name may be joined to
// the folder's path, and whether it is a link that stands for another name.
#pragma once

#include <cstdint>

// False for a name that, joined to a folder, would name something else: empty, "." or "..",
// or holding a separator or a drive or stream colon (a one-byte '\', '/' or ':'; the second byte
// of a double-byte character is no separator).
bool IsJoinableName(const char* name);

// True for a reparse point whose tag marks it as standing for another name (symbolic links,
// junctions and their kind), and for one whose tag the search did not report (0, which no
// reparse point carries; Wine reports its links so). Other reparse points (deduplicated files,
// cloud placeholders) are the entries themselves.
bool StandsForAnotherName(uint32_t attributes, uint32_t reparseTag);
