// Drop handles for the tests (see shell_drop.h).
#include "support/shell_drop.h"

#include <shlobj.h>

#include <cstring>

namespace {

template <typename Text>
HDROP MakeDropOf(const std::vector<Text>& names, BOOL wide) {
  using Unit = typename Text::value_type;
  size_t size = sizeof(DROPFILES) + sizeof(Unit);
  for (const Text& name : names) size += (name.size() + 1) * sizeof(Unit);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  if (!memory) return nullptr;
  DROPFILES* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = wide;
  char* at = reinterpret_cast<char*>(drop) + sizeof(DROPFILES);
  for (const Text& name : names) {
    std::memcpy(at, name.c_str(), (name.size() + 1) * sizeof(Unit));
    at += (name.size() + 1) * sizeof(Unit);
  }
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

}  // namespace

HDROP MakeDrop(const std::vector<std::string>& names) { return MakeDropOf(names, FALSE); }

HDROP MakeDrop(const std::vector<std::wstring>& names) { return MakeDropOf(names, TRUE); }
