// The system's common controls library (tooltips, the list item under a point), loaded at run
// time rather than imported by name: the program's manifest names version 6 of it, which the
// loader then takes from the system's side-by-side store, never from the program's folder.
#pragma once

#include <windows.h>

// Loads the library once and registers its window classes; false when it cannot be had, and
// then tooltips are missing and ListItemFromPoint finds nothing. User-interface thread only.
bool StartCommonControls();

// The loaded library, or null. A test seam: the tests check that it is the system's own copy.
HMODULE CommonControlsLibrary();

// The item of a list box under a point in screen coordinates, or -1; with autoScroll, a point
// above or below the list scrolls it by one item.
int ListItemFromPoint(HWND listBox, POINT screenPoint, bool autoScroll);
