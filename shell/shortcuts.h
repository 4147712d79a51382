// Shortcut files and shell path parsing: what a shortcut stands for, and the form in which
// the shell writes a path. COM must be initialised on the calling thread.
#pragma once

#include <windows.h>

#include <shlobj.h>

IShellLinkA* ShellLinkCreate();
bool ResolveShortcut(char* target, const char* path, int size);
bool ResolveShortcutOrPath(char* result, const char* path, int size);
bool CanonicalizePath(char* result, const char* path, int size);
