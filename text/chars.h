// Code page 932 character handling: which bytes pair up into one character, and the
// comparisons that must never treat the second byte of a double-byte character on its own.
#pragma once

#include <cstddef>

// Byte kinds reported by ByteKindAt.
enum { BYTE_SINGLE = 0, BYTE_LEAD = 1, BYTE_TRAIL = 2 };

bool IsLeadByte(unsigned char byte);
bool IsTrailByte(unsigned char byte);

// True when position holds a lead byte followed by a valid second byte: one double-byte
// character. Every function here reads broken text by this one rule.
bool IsDoubleByteAt(const char* position);

int ByteKindAt(const char* text, int index);
bool IsSeparatorAt(const char* text, int index);
unsigned CharCodeAt(const char* position);
const char* NextChar(const char* position);
char* NextChar(char* position);

char* FoldLowerCase(char* text);
char FoldAsciiLower(char byte);
bool StartsWithIgnoreCase(const char* text, const char* prefix);
bool StartsWith(const char* text, const char* prefix);
bool StringEquals(const char* a, const char* b);
bool StringEqualsIgnoreCase(const char* a, const char* b);
