// Drop handles as the shell passes them with WM_DROPFILES, for tests that drop files.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

// One DROPFILES block followed by the names, each ending in a zero, and a final zero; code page
// names, or UTF-16 names as the shell drops them. Whoever receives it finishes it with DragFinish.
HDROP MakeDrop(const std::vector<std::string>& names);
HDROP MakeDrop(const std::vector<std::wstring>& names);
