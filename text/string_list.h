// A doubly linked list of opaque item pointers; new items always go to the front.
#pragma once

struct StringListNode {
  void* item;
  StringListNode* previous;  // towards the front
  StringListNode* next;      // towards the back
};

struct StringList {
  int count;
  StringListNode* first;
  StringListNode* last;
};

// Return 0 from the callback to unlink and free the node; the item stays the callback's business.
using ListVisitor = int (*)(void* item, int index, void* context);

StringList* ListCreate();
int ListPushFront(StringList* list, void* item);
void* ListItemAt(const StringList* list, int index);
int ListRemoveIf(StringList* list, ListVisitor callback, void* context);
StringListNode* ListUnlink(StringList* list, StringListNode* node);
void ListFree(StringList* list);
void ListFree(StringListNode* node);
