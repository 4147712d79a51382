// Names and paths that the platform hands out in UTF-16, taken into the program's code page
// exactly or not at all. The ANSI functions would map a character the code page lacks to a
// look-alike ("best fit"), and a look-alike may be another file's name or even a separator, so
// every name that comes from the system passes here instead.
#pragma once

#include <windows.h>

// The gate: the name in the code page, when every character has its own code there and the text
// converts back to exactly the same UTF-16, within size bytes with its terminator. Otherwise
// false with an empty text.
bool NameFromWide(const WCHAR* wide, char* text, int size);

// A path through the gate, or else its short (8.3) form through the gate; when neither passes,
// false with an empty text and a trace line.
bool PathFromWide(const WCHAR* path, char* text, int size);

// A code page path as UTF-16 for the wide functions; false for broken double-byte characters,
// which would otherwise become some other name.
bool WideFromPath(const char* path, WCHAR* wide, int wideSize);

// A code page path made absolute by the platform, in UTF-16: a bare drive ("c:") stands for
// that drive's current folder and a relative path for an entry of the current folder, as for
// every other call, and never for what joining it to another folder would make of it. False for
// broken double-byte characters or a result that does not fit wideSize units.
bool WideFullPath(const char* path, WCHAR* wide, int wideSize);
// The same through the gate, into size bytes (see PathFromWide).
bool FullPathOf(const char* path, char* full, int size);

// The program file's own path as PathFromWide gives it; false (with a trace line) when it cannot
// be had or written in the code page.
bool GetProgramFilePath(char* path, int size);

// An entry's name as the filter and the trace see it, never as a name to open: every character
// the code page lacks (a surrogate pair counts as one) shows as '?', which no file name holds,
// so the text can never be read as another entry's name. units is the name's length in UTF-16
// units (a folder listing does not terminate its names). Cut at a character boundary when it
// does not fit; a buffer of NAME_BUFFER_SIZE (text/paths.h) takes any name whole.
void ShownNameFromWide(const WCHAR* name, int units, char* text, int size);
