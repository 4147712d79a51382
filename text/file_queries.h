// Questions to the file system about one path.
#pragma once

#include <windows.h>

bool PathExists(const char* path);
bool IsDirectory(const char* path);
// The entry's attributes and times, the link itself where the path names one. Asked by its path,
// not searched for: a search reads the path as a pattern (a folder written with its trailing
// separator, or a drive's root, finds nothing) and hands out names in best-fit look-alikes.
bool FindEntry(const char* path, WIN32_FILE_ATTRIBUTE_DATA* data);
// Whether both paths name one existing entry (the same file id on the same volume).
bool NameSameEntry(const char* a, const char* b);

// Folds the path's ASCII letters to lower case, as targets are kept, but only when the folded
// path names the very entry the path names. In a case-sensitive folder (every folder under
// Wine, folders so marked on Windows) "sel" and "Sel" may be two entries, and the user chose
// one of them: then the path stays as given.
void FoldCaseOfSameEntry(char* path);
