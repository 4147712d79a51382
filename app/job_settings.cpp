// The job record and its mask forms (see job_settings.h).
#include "app/job_settings.h"

#include <cstdlib>
#include <cstring>


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
}

int AddTarget(TargetList* list, const char* path) {
  std::size_t size = std::strlen(path) + 1;
  char* copy = static_cast<char*>(std::malloc(size));
  if (copy == nullptr) return -1;
  std::memcpy(copy, path, size);
  int count = ListPushFront(list, copy);
  if (count < 0) std::free(copy);
  return count;
}

const char* TargetAt(const TargetList* list, int index) {
  return static_cast<const char*>(ListItemAt(list, index));
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
