// The doubly linked list behind the target list (see string_list.h).
#include "text/string_list.h"

#include <cstdlib>

#include "text/allocation.h"

StringList* ListCreate() {
  return static_cast<StringList*>(AllocateZeroed(1, sizeof(StringList)));
}

int ListPushFront(StringList* list, void* item) {
  StringListNode* node = static_cast<StringListNode*>(std::calloc(1, sizeof(StringListNode)));
  if (node == nullptr) return -1;
  node->item = item;
  node->next = list->first;
  if (list->first) list->first->previous = node;
  list->first = node;
  if (list->last == nullptr) list->last = node;
  return ++list->count;
}

void* ListItemAt(const StringList* list, int index) {
  if (index < 0) return nullptr;
  StringListNode* node = list->first;
  for (int i = 0; node && i < index; ++i) node = node->next;
  return node ? node->item : nullptr;
}

StringListNode* ListUnlink(StringList* list, StringListNode* node) {
  if (node->previous) node->previous->next = node->next;
  if (node->next) node->next->previous = node->previous;
  if (list->first == node) list->first = node->next;
  if (list->last == node) list->last = node->previous;
  node->previous = nullptr;
  node->next = nullptr;
  --list->count;
  return node;
}

int ListRemoveIf(StringList* list, ListVisitor callback, void* context) {
  int index = 0;
  for (StringListNode* node = list->first; node;) {
    StringListNode* following = node->next;
    if (callback(node->item, index, context) == 0) {
      ListFree(ListUnlink(list, node));
    } else {
      ++index;
    }
    node = following;
  }
  return list->count;
}

void ListFree(StringList* list) {
  if (list == nullptr) return;
  list->count = 0;
  list->first = nullptr;
  list->last = nullptr;
  std::free(list);
}

void ListFree(StringListNode* node) {
  if (node == nullptr) return;
  node->item = nullptr;
  node->previous = nullptr;
  node->next = nullptr;
  std::free(node);
}
