// The program's own shortcut in the user's Send To folder or on the desktop, so that files can
// be sent to the program or dropped on its icon; the folder is opened afterwards so that the
// user sees the new shortcut.
#pragma once

#include <windows.h>

#include "shell/shell_open.h"

// A shortcut file holding exactly a target, a working folder and a show command; an existing
// file of that name is replaced. True when the file was written.
bool CreateShellShortcut(const char* shortcutPath, const char* target, const char* workingFolder,
                         int showCommand);
// The program's shortcut in the folder (see shortcut_paths.h for its name).
bool CreateProgramShortcut(const char* programPath, const char* folder);
// A special folder (CSIDL_SENDTO, CSIDL_DESKTOP) into a buffer of PATH_BUFFER_SIZE bytes.
bool GetSpecialFolderPath(HWND owner, int folderId, char* path);
// The program file's path in lower case; false when it is unknown or did not fit.
bool GetProgramPath(char* buffer, int size);

// The system-menu command: creates or replaces the shortcut in the special folder and opens the
// folder. Nothing is created or opened when the folder cannot be found; nothing is reported.
void RegisterProgramShortcut(HWND dialog, int folderId, ShellOpener opener = OpenInShell);
// The same for a folder already found.
void RegisterProgramShortcutInFolder(const char* folder, ShellOpener opener);
