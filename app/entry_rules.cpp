// Rules for the entries of a folder listing (see entry_rules.h).
#include "app/entry_rules.h"

namespace {

const uint32_t kReparsePointAttribute = 0x400;  // FILE_ATTRIBUTE_REPARSE_POINT
const uint32_t kNameSurrogateBit = 0x20000000;  // the platform's IsReparseTagNameSurrogate

}  // namespace

bool StandsForAnotherName(uint32_t attributes, uint32_t reparseTag) {
  if ((attributes & kReparsePointAttribute) == 0) return false;
  return reparseTag == 0 || (reparseTag & kNameSurrogateBit) != 0;
}

bool IsListedEntry(const EntryIdentity& listed, const EntryIdentity& opened) {
  const uint32_t kFolderAttribute = 0x10;  // FILE_ATTRIBUTE_DIRECTORY
  if ((opened.attributes & kFolderAttribute) != (listed.attributes & kFolderAttribute)) return false;
  if ((opened.attributes & kReparsePointAttribute) && !(listed.attributes & kReparsePointAttribute))
    return false;
  if (listed.fileId == 0 || listed.fileId == ~uint64_t{0}) return true;
  return opened.fileId == listed.fileId;
}
