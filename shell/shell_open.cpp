// Showing something to the user through the shell (see shell_open.h).
#include "shell/shell_open.h"

#include <windows.h>

#include <shellapi.h>

void OpenInShell(const char* verb, const char* target) {
  ShellExecuteA(nullptr, verb, target, nullptr, nullptr, SW_SHOWNORMAL);
}
