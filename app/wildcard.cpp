// Wildcard tokens (see wildcard.h).
#include "app/wildcard.h"

#include <cstring>

#include "text/bounded.h"
#include "text/chars.h"

static bool IsPatternSeparator(char byte) { return byte == ' ' || byte == ';'; }

const char* NextPatternToken(char* token, const char* text) {
  while (IsPatternSeparator(*text)) ++text;
  // Neither separator byte can be the second byte of a double-byte character.
  const char* end = text;
  while (*end && !IsPatternSeparator(*end)) ++end;
  std::size_t length = static_cast<std::size_t>(end - text);
  if (length > PATTERN_TOKEN_SIZE - 1) length = PATTERN_TOKEN_SIZE - 1;
  // Never keep half a character when a long token is cut.
  if (length == PATTERN_TOKEN_SIZE - 1 && static_cast<std::size_t>(end - text) > length &&
      ByteKindAt(text, static_cast<int>(length)) == BYTE_TRAIL)
    --length;
  std::memcpy(token, text, length);
  token[length] = 0;
  FoldLowerCase(token);
  return *end ? end : nullptr;
}

static bool MatchOne(const char* token, const char* name) {
  if (*name == 0) return false;
  if (*token == '?') return true;
  if (*token == '#') return *name >= '0' && *name <= '9';
  return CharCodeAt(token) == CharCodeAt(name);
}

// Every element but "*" consumes exactly one character, so remembering only the latest star and
// retrying it one character further decides the same match as full backtracking, without the
// exponential cost a hostile "*a*a*a..." token would otherwise have.
bool MatchWildcard(const char* token, const char* name) {
  const char* starToken = nullptr;
  const char* starName = nullptr;
  while (*name) {
    if (*token == '*') {
      starToken = ++token;
      starName = name;
      continue;
    }
    if (*token && MatchOne(token, name)) {
      token = NextChar(token);
      name = NextChar(name);
      continue;
    }
    if (starToken == nullptr) return false;
    starName = NextChar(starName);
    name = starName;
    token = starToken;
  }
  while (*token == '*') ++token;
  return *token == 0;
}

bool MatchWildcardList(const char* pattern, const char* name) {
  char token[PATTERN_TOKEN_SIZE];
  NextPatternToken(token, pattern);
  if (token[0] == 0) return true;
  const char* rest = pattern;
  for (;;) {
    const char* separator = NextPatternToken(token, rest);
    if (MatchWildcard(token, name)) return true;
    if (separator == nullptr) return false;
    rest = separator;
  }
}
