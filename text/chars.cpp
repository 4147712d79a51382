// Code page 932 character handling (see chars.h).
#include "text/chars.h"

#include <cstring>

bool IsLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool IsTrailByte(unsigned char byte) {
  return byte >= 0x40 && byte <= 0xFC && byte != 0x7F;
}

int ByteKindAt(const char* text, int index) {
  if (text == nullptr || index < 0) return BYTE_SINGLE;
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
  for (int i = 0;;) {
    unsigned char byte = bytes[i];
    if (byte == 0) return BYTE_SINGLE;  // index lies at or beyond the terminator
    if (!IsLeadByte(byte)) {
      if (i == index) return BYTE_SINGLE;
      ++i;
      continue;
    }
    if (i == index) return BYTE_LEAD;
    unsigned char next = bytes[i + 1];
    if (next == 0) return BYTE_SINGLE;
    if (i + 1 == index) return IsTrailByte(next) ? BYTE_TRAIL : BYTE_SINGLE;
    // A byte that cannot pair with the lead is a character of its own, even in a lead range.
    i += 2;
  }
}

bool IsSeparatorAt(const char* text, int index) {
  return text[index] == '\\' && ByteKindAt(text, index) == BYTE_SINGLE;
}

// The one rule for a broken double-byte character, shared with ByteKindAt, CopyBounded and the
// command-line splitter: a lead byte pairs only with a valid second byte; otherwise it is a
// character of its own and the byte after it is read normally.
bool IsDoubleByteAt(const char* position) {
  unsigned char byte = static_cast<unsigned char>(position[0]);
  return IsLeadByte(byte) && IsTrailByte(static_cast<unsigned char>(position[1]));
}

unsigned CharCodeAt(const char* position) {
  unsigned char byte = static_cast<unsigned char>(position[0]);
  if (IsDoubleByteAt(position)) return byte * 256u + static_cast<unsigned char>(position[1]);
  return byte;
}

const char* NextChar(const char* position) {
  if (*position == 0) return position;
  return position + (IsDoubleByteAt(position) ? 2 : 1);
}

char* NextChar(char* position) {
  return const_cast<char*>(NextChar(static_cast<const char*>(position)));
}

char FoldAsciiLower(char byte) {
  return (byte >= 'A' && byte <= 'Z') ? static_cast<char>(byte - 'A' + 'a') : byte;
}

char* FoldLowerCase(char* text) {
  char* position = text;
  while (*position) {
    *position = FoldAsciiLower(*position);
    position = NextChar(position);
  }
  return position;
}

static bool EqualIgnoreCaseN(const char* a, const char* b, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (FoldAsciiLower(a[i]) != FoldAsciiLower(b[i])) return false;
    if (a[i] == 0) return true;
  }
  return true;
}

bool StartsWithIgnoreCase(const char* text, const char* prefix) {
  return EqualIgnoreCaseN(text, prefix, std::strlen(prefix));
}

bool StartsWith(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

bool StringEquals(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

bool StringEqualsIgnoreCase(const char* a, const char* b) {
  std::size_t length = std::strlen(a);
  return length == std::strlen(b) && EqualIgnoreCaseN(a, b, length);
}
