// Rules for the entries of a folder search (see entry_rules.h).
#include "app/entry_rules.h"

#include "text/chars.h"

namespace {

const uint32_t kReparsePointAttribute = 0x400;  // FILE_ATTRIBUTE_REPARSE_POINT
const uint32_t kNameSurrogateBit = 0x20000000;  // the platform's IsReparseTagNameSurrogate

}  // namespace

bool IsJoinableName(const char* name) {
  if (name[0] == 0 || StringEquals(name, ".") || StringEquals(name, "..")) return false;
  for (const char* position = name; *position; position = NextChar(position)) {
    unsigned code = CharCodeAt(position);
    if (code == '\\' || code == '/' || code == ':') return false;
  }
  return true;
}

bool StandsForAnotherName(uint32_t attributes, uint32_t reparseTag) {
  if ((attributes & kReparsePointAttribute) == 0) return false;
  return reparseTag == 0 || (reparseTag & kNameSurrogateBit) != 0;
}
