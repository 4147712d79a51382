// The regular-expression kind of the name filter: FILTER_REGEX (101).
#pragma once

// True when the pattern, compiled with RXF_IGNORECASE, is found anywhere in the name. A pattern
// that cannot be compiled rejects the name and writes a "! " trace line, and so does a search
// that runs out of the engine's step budget (the name is then not changed).
bool MatchRegex(const char* pattern, const char* name);
