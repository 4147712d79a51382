// The tree of hostile names (see hostile_tree.h).
#include "support/hostile_tree.h"

namespace {

struct Entry {
  const wchar_t* relative;
  bool folder;
  bool hostile;
};

// In creation order: a folder before its contents.
const Entry kEntries[] = {
    {L"e.txt", false, false},
    {L"\u00e9.txt", false, true},
    {L"a", true, false},
    {L"a\\b.txt", false, false},
    {L"a\u00a5b.txt", false, true},
    {L"..\u00a5victim.txt", false, true},
    {L"..\u00a5..\u00a5x", false, true},
    {L"\u00fc.txt", false, true},
    {L"x\U0001F600.txt", false, true},
    {L"a\u2215b.txt", false, true},
    {L"p\u00a6q.txt", false, true},
    {L"d\U0001F600", true, true},
    {L"d\U0001F600\\in.txt", false, true},
    {L"..\u00a5", true, true},
    {L"..\u00a5\\inner.txt", false, true},
};

}  // namespace

HostileTree::HostileTree() {
  parent = folder.MakeWideEntry(L"P", true);
  target = folder.MakeWideEntry(L"P\\T", true);
  for (const Entry& entry : kEntries) {
    std::wstring path = folder.MakeWideEntry(L"P\\T\\" + std::wstring(entry.relative), entry.folder);
    (entry.hostile ? hostile : plain).push_back(path);
  }
  outside = {parent, folder.MakeWideEntry(L"P\\victim.txt", false),
             folder.MakeWideEntry(L"P\\inner.txt", false), folder.MakeWideEntry(L"x", false)};
}
