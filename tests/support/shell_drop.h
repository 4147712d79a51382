// Drop handles as the shell passes them with WM_DROPFILES, for tests that drop files.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

// One DROPFILES block followed by the names, each ending in a zero byte, and a final zero byte.
// Whoever receives it finishes it with DragFinish.
HDROP MakeDrop(const std::vector<std::string>& names);
