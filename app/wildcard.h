// The wildcard kind of the name filter: tokens with "?" (one character), "*" (any run) and
// "#" (one digit), separated by spaces and semicolons, each matched against the whole name.
#pragma once

enum { PATTERN_TOKEN_SIZE = 1025 };

// Reads the next token into a buffer of PATTERN_TOKEN_SIZE bytes, folded to lower case. Returns
// the separator that ends it, or null when the token runs to the end of the text.
const char* NextPatternToken(char* token, const char* text);

// Whole-name match, exact bytes; double-byte characters are single characters.
bool MatchWildcard(const char* token, const char* name);

// True when any token of the list matches the name, or when the list has no token at all.
// The caller folds the name; tokens are folded here.
bool MatchWildcardList(const char* pattern, const char* name);
