// Listing a folder through its handle (see folder_listing.h).
#include "app/folder_listing.h"

#include <cstddef>

namespace {

const DWORD kNameOffset = offsetof(FILE_ID_BOTH_DIR_INFO, FileName);

// The record at offset, when it lies wholly inside the bytes the platform wrote.
const FILE_ID_BOTH_DIR_INFO* RecordAt(const BYTE* buffer, DWORD offset) {
  if (offset % 8 != 0 || offset > FOLDER_LISTING_BYTES - kNameOffset) return nullptr;
  const FILE_ID_BOTH_DIR_INFO* record = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer + offset);
  if (record->FileNameLength % 2 != 0 ||
      record->FileNameLength > FOLDER_LISTING_BYTES - offset - kNameOffset)
    return nullptr;
  return record;
}

}  // namespace

void StartListing(FolderListing* listing, HANDLE folder, BYTE* buffer) {
  listing->folder = folder;
  listing->buffer = buffer;
  listing->next = 0;
  listing->filled = false;
  listing->ended = false;
  listing->failure = 0;
}

bool NextListedEntry(const FileCalls& calls, FolderListing* listing, ListedEntry* entry) {
  if (listing->ended) return false;
  if (!listing->filled) {
    if (!calls.readInformation(listing->folder, FileIdBothDirectoryInfo, listing->buffer,
                          FOLDER_LISTING_BYTES)) {
      DWORD error = GetLastError();
      listing->ended = true;
      // The end of a listing is an error code too; so is an empty one (a drive's root has no
      // "." entry to list).
      if (error != ERROR_NO_MORE_FILES && error != ERROR_FILE_NOT_FOUND)
        listing->failure = error ? error : ERROR_READ_FAULT;
      return false;
    }
    listing->filled = true;
    listing->next = 0;
  }
  const FILE_ID_BOTH_DIR_INFO* record = RecordAt(listing->buffer, listing->next);
  if (record == nullptr) {
    // A record the platform cannot have written: nothing after it can be trusted either.
    listing->ended = true;
    listing->failure = ERROR_INVALID_DATA;
    return false;
  }
  entry->name = record->FileName;
  entry->nameUnits = static_cast<int>(record->FileNameLength / 2);
  entry->attributes = record->FileAttributes;
  // For a reparse point the field that holds the size of extended attributes holds its tag.
  entry->reparseTag = (record->FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? record->EaSize : 0;
  entry->fileId = static_cast<uint64_t>(record->FileId.QuadPart);
  if (record->NextEntryOffset == 0) {
    listing->filled = false;
  } else {
    listing->next += record->NextEntryOffset;
  }
  return true;
}
