// The standard save and open dialogs through which the user chooses a change log: the file the
// next job writes its log to, or the log an undo puts the entries back from.
#pragma once

#include <windows.h>

enum LogFileUse { LOG_FILE_TO_WRITE, LOG_FILE_TO_UNDO };

// The chosen file's path in the code page (the name taken from the dialog in UTF-16 through the
// gate), into size bytes; false when the user cancels, or for a name the code page cannot hold,
// which a message box then tells. For LOG_FILE_TO_WRITE the dialog has asked before naming a
// file that exists, and current is where it starts (may be empty).
bool ChooseLogFile(HWND owner, LogFileUse use, const char* current, char* path, int size);
