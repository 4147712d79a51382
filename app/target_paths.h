// What a path the user names becomes as a target: the entry the platform itself reads it as,
// never one that joining it somewhere else, or the platform's rewriting of it, would name.
#pragma once

#include <windows.h>

#include "app/job_report.h"
#include "app/job_settings.h"

// The target's full path: made absolute by the platform (a bare drive stands for its current
// folder, a relative name for the current folder's entry, whatever the caller does with it later)
// and taken through the name gate, within size bytes. False, with a trace line, for a path the
// platform would read as another entry's name or a device's (PlatformRewritesPath: "x." would
// name "x"), and for one that cannot be had in the code page.
bool TargetPathOf(const char* given, char* target, int size);

// A target the user gives (on the command line, by a drop), taken the one way: its path by
// TargetPathOf, refused with its reason where no entry exists, the name is one the platform
// rewrites, or it is too long. False, with the reason and the system's error code (0 for none).
bool TakeTargetPath(const char* given, char* target, int size, NotChangedReason* reason,
                    DWORD* error);
// The entry a target path stands for: a shortcut its own target, under the same rules (a
// shortcut to "x." would hand the job "x"), anything else itself; and what it names now.
bool ResolveTakenTarget(const char* target, TargetEntry* taken, NotChangedReason* reason,
                        DWORD* error);
