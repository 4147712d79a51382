// The job record and its mask forms (see job_settings.h).
#include "app/job_settings.h"

#include <cstdlib>
#include <cstring>

#include "text/bounded.h"


bool InitJobSettings(JobSettings* record) {
  record->cancelRequested.store(false);
  record->showDialog = true;
  record->showTrayIcon = true;
  record->recurse = false;
  record->andMask = 0;
  record->orMask = 0;
  record->creation = TimestampEntry{false, {0, 0}};
  record->lastWrite = TimestampEntry{false, {0, 0}};
  record->lastAccess = TimestampEntry{false, {0, 0}};
  record->targets = ListCreate();
  record->filterKind = FILTER_NONE;
  std::memset(record->filterPattern, 0, sizeof record->filterPattern);
  record->report = nullptr;
  std::memset(record->logPath, 0, sizeof record->logPath);
  record->replaceLog = false;
  std::memset(record->undoPath, 0, sizeof record->undoPath);
  record->log = nullptr;
  return record->targets != nullptr;
}

void LeaveOfferedAttributesUnchanged(uint32_t* andMask, uint32_t* orMask) {
  *orMask |= ATTR_OFFERED;
  *andMask &= ~static_cast<uint32_t>(ATTR_OFFERED);
}

void MakeApplyMasks(JobSettings* record) {
  const uint32_t offered = ATTR_OFFERED;
  uint32_t orMask = record->orMask;
  uint32_t andMask = record->andMask;
  record->orMask = orMask & andMask & offered;
  record->andMask = ((orMask | andMask) & offered) | ~offered;
}

uint32_t ApplyAttributeMasks(uint32_t attributes, uint32_t orMask, uint32_t andMask) {
  return (attributes | orMask) & andMask;
}

void CopyJobSettings(JobSettings* destination, const JobSettings* source) {
  destination->cancelRequested.store(source->cancelRequested.load());
  destination->showDialog = source->showDialog;
  destination->showTrayIcon = source->showTrayIcon;
  destination->recurse = source->recurse;
  destination->andMask = source->andMask;
  destination->orMask = source->orMask;
  destination->creation = source->creation;
  destination->lastWrite = source->lastWrite;
  destination->lastAccess = source->lastAccess;
  destination->targets = source->targets;
  destination->filterKind = source->filterKind;
  std::memcpy(destination->filterPattern, source->filterPattern, sizeof source->filterPattern);
  destination->report = source->report;
  std::memcpy(destination->logPath, source->logPath, sizeof source->logPath);
  destination->replaceLog = source->replaceLog;
  std::memcpy(destination->undoPath, source->undoPath, sizeof source->undoPath);
  destination->log = source->log;
}

int AddTarget(TargetList* list, const char* path, const TargetIdentity& identity) {
  TargetEntry* entry = static_cast<TargetEntry*>(std::malloc(sizeof(TargetEntry)));
  if (entry == nullptr) return -1;
  entry->identity = identity;
  CopyBounded(sizeof entry->path, path, entry->path);
  int count = ListPushFront(list, entry);
  if (count < 0) std::free(entry);
  return count;
}

int AddTarget(TargetList* list, const char* path) {
  return AddTarget(list, path, TargetIdentity{false, false, {0, 0}, {0, 0}});
}

const TargetEntry* TargetOf(const StringListNode* node) {
  return static_cast<const TargetEntry*>(node->item);
}

const char* TargetAt(const TargetList* list, int index) {
  const TargetEntry* entry = static_cast<const TargetEntry*>(ListItemAt(list, index));
  return entry ? entry->path : nullptr;
}

namespace {

bool SameEntry(const EntryId& one, const EntryId& other) {
  return one.volume == other.volume && one.fileId == other.fileId;
}

}  // namespace

bool SameTarget(const TargetIdentity& taken, const TargetIdentity& now) {
  if (!taken.known) return true;
  if (!now.known || taken.isLink != now.isLink || !SameEntry(taken.entry, now.entry)) return false;
  return !taken.isLink || SameEntry(taken.pointee, now.pointee);
}

uint64_t ExpectedFileId(const TargetIdentity& identity) {
  if (!identity.known) return 0;
  return identity.isLink ? identity.pointee.fileId : identity.entry.fileId;
}

static int FreeTargetItem(void* item, int, void*) {
  std::free(item);
  return 0;
}

void DestroyTargetList(TargetList* list) {
  if (list == nullptr) return;
  ListRemoveIf(list, FreeTargetItem, nullptr);
  ListFree(list);
}
