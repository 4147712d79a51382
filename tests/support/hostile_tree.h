// The names of the measured fault, made for real with the wide calls: under a folder T, entries
// whose names the code page cannot hold, beside the entries that their best-fit look-alikes
// name ("é.txt" beside "e.txt", "a¥b.txt" beside "a\b.txt", "..¥victim.txt" for "..\victim.txt"),
// and outside T the files those look-alikes would reach.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "support/temp_folder.h"

struct HostileTree {
  HostileTree();
  TempFolder folder;
  std::wstring parent, target;         // folder\P and folder\P\T
  std::vector<std::wstring> hostile;   // below T: names the code page cannot hold, and their contents
  std::vector<std::wstring> plain;     // below T: the entries their look-alikes name
  std::vector<std::wstring> outside;   // T's parent, files there and one level further up
  std::wstring Below(const std::wstring& relative) const { return target + L"\\" + relative; }
};

