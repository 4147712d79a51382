// What a target names at one moment: the entry itself (a link as the link) and, for a link,
// what it points to. Read when a target is taken and again when the job reaches it, so that a
// target swapped for something else in between (renamed away and a link put in its place while
// the dialog was open) is left alone.
#pragma once

#include <windows.h>

#include "app/job_settings.h"

// False, with nothing known, when the path cannot be opened to read it.
bool ReadTargetIdentity(const WCHAR* path, TargetIdentity* identity);
bool ReadTargetIdentity(const char* path, TargetIdentity* identity);
