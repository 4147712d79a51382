// The name filter: which files the job changes. Folders are always changed.
#pragma once

// name is the entry's own name (no folder part), as the walk shows it; it may be longer than a
// path of the code page, up to MAX_NAME_BYTES (text/paths.h).
bool AcceptName(const char* name, bool isFolder, const char* pattern, int kind);
