// What a target names (see target_identity.h).
#include "app/target_identity.h"

#include "app/entry_rules.h"
#include "text/holders.h"
#include "text/paths.h"
#include "text/wide_names.h"

namespace {

const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The handle's volume and id; the attributes and reparse tag where asked.
bool ReadEntryId(HANDLE handle, EntryId* id, FILE_ATTRIBUTE_TAG_INFO* tag) {
  BY_HANDLE_FILE_INFORMATION information;
  if (!GetFileInformationByHandle(handle, &information)) return false;
  id->volume = information.dwVolumeSerialNumber;
  id->fileId = (static_cast<uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
  return tag == nullptr ||
         GetFileInformationByHandleEx(handle, FileAttributeTagInfo, tag, sizeof *tag);
}

HANDLE OpenForIdentity(const WCHAR* path, DWORD flags) {
  // Reading the attributes only: the entry's contents and its last-access time stay as they are.
  return CreateFileW(path, FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
}

}  // namespace

bool ReadTargetIdentity(const WCHAR* path, TargetIdentity* identity) {
  *identity = TargetIdentity{false, false, {0, 0}, {0, 0}};
  HandleHolder entry(OpenForIdentity(path, FILE_FLAG_OPEN_REPARSE_POINT));
  FILE_ATTRIBUTE_TAG_INFO tag = {};
  if (!entry.Valid() || !ReadEntryId(entry.Get(), &identity->entry, &tag)) return false;
  identity->known = true;
  identity->isLink = StandsForAnotherName(tag.FileAttributes, tag.ReparseTag);
  if (identity->isLink) {
    // A link that points nowhere keeps a pointee of none, and must do so again at the job.
    HandleHolder pointee(OpenForIdentity(path, 0));
    if (pointee.Valid()) ReadEntryId(pointee.Get(), &identity->pointee, nullptr);
  }
  return true;
}

bool ReadTargetIdentity(const char* path, TargetIdentity* identity) {
  *identity = TargetIdentity{false, false, {0, 0}, {0, 0}};
  WCHAR wide[PATH_BUFFER_SIZE];
  return WideFromPath(path, wide, PATH_BUFFER_SIZE) && ReadTargetIdentity(wide, identity);
}
