// A folder's entries read through a handle to it, many per call, so that the listing is of the
// very folder the walk opened and checked, whatever its path names by then.
#pragma once

#include <windows.h>

#include <cstdint>

#include "app/file_calls.h"

struct ListedEntry {
  const WCHAR* name;  // not terminated; valid until the next call
  int nameUnits;
  uint32_t attributes;
  uint32_t reparseTag;  // for a reparse point; 0 where the listing reports none
  uint64_t fileId;      // 0 or all ones where the file system reports none
};

struct FolderListing {
  HANDLE folder;  // not owned
  BYTE* buffer;   // not owned, FOLDER_LISTING_BYTES, aligned as the allocator aligns
  DWORD next;     // offset of the next record in the buffer
  bool filled;    // the buffer holds records not yet handed out
  bool ended;
  // Why the listing ended before its last entry (a share that dropped, a record the platform
  // cannot have written); 0 when it ran to its end.
  DWORD failure;
};

// Room for at least a dozen entries of the longest name per call.
enum { FOLDER_LISTING_BYTES = 8192 };

void StartListing(FolderListing* listing, HANDLE folder, BYTE* buffer);
// The next entry, "." and ".." included; false at the end or when the folder cannot be read
// further (failure then says why).
bool NextListedEntry(const FileCalls& calls, FolderListing* listing, ListedEntry* entry);
