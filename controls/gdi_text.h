// Text drawn and measured through GDI. The program's text is in the process's code page, which
// its manifest makes 932 even where the system's is another; GDI's ANSI text functions convert
// with the system's, so that text would come out as question marks or mojibake. It is turned
// into UTF-16 here, from the process's code page, and handed to the wide functions.
#pragma once

#include <windows.h>

// TextOutW of the whole text at (x, y), as one line.
bool DrawTextLine(HDC dc, int x, int y, const char* text);
// DrawTextW with DT_CALCRECT added to format: the bounds the text needs.
bool MeasureText(HDC dc, const char* text, UINT format, RECT* bounds);
// GetTextExtentPoint32W of the whole text.
bool GetTextExtent(HDC dc, const char* text, SIZE* extent);
