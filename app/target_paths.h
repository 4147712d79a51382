// What a path the user names becomes as a target: the entry the platform itself reads it as,
// never one that joining it somewhere else, or the platform's rewriting of it, would name.
#pragma once

// The target's full path: made absolute by the platform (a bare drive stands for its current
// folder, a relative name for the current folder's entry, whatever the caller does with it later)
// and taken through the name gate, within size bytes. False, with a trace line, for a path the
// platform would read as another entry's name or a device's (PlatformRewritesPath: "x." would
// name "x"), and for one that cannot be had in the code page.
bool TargetPathOf(const char* given, char* target, int size);
