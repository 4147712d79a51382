// Showing something to the user through the shell: a folder in a folder window, an address in
// the browser. Callers take the opener as a parameter, so that what would be opened can be
// checked without opening windows.
#pragma once

// verb null: the target's default verb.
using ShellOpener = void (*)(const char* verb, const char* target);

// ShellExecuteA with no owner, parameters or directory, shown normally; nothing is reported.
void OpenInShell(const char* verb, const char* target);
