// The input layout every fuzz target reads: a control byte, the first text up to the first zero
// byte, then the second text up to the next one. The regex targets take bits 1 and 2 of the
// control byte as their flags (RXF_IGNORECASE, RXF_IGNOREWIDTH), the pattern as the first text
// and the searched text as the second; the others say in their own header what they read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "regex/regex.h"

struct FuzzInput {
  int control;  // the first byte as it is
  int flags;    // its regex flag bits
  std::string pattern;
  std::string text;
};

inline bool ReadFuzzInput(const uint8_t* data, size_t size, FuzzInput* input) {
  if (size == 0) return false;
  input->control = data[0];
  input->flags = data[0] & (RXF_IGNORECASE | RXF_IGNOREWIDTH);
  std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
  std::size_t split = rest.find('\0');
  input->pattern = rest.substr(0, split);
  std::string text = split == std::string::npos ? std::string() : rest.substr(split + 1);
  input->text = text.c_str();  // up to its own first zero byte
  return true;
}

inline void Check(bool condition) {
  if (!condition) std::abort();
}

// Code page 932 by the string utilities' rule, written out again here so that the targets do not
// check the text utilities with themselves: a lead byte and a valid second byte form one
// character; a lead byte before any other byte stands alone.
inline bool FuzzIsLead(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}
inline bool FuzzIsTrail(unsigned char byte) { return byte >= 0x40 && byte <= 0xFC && byte != 0x7F; }
// The length (1 or 2) of the character at index i of text, which must not be at its end.
inline std::size_t FuzzCharLength(const std::string& text, std::size_t i) {
  return (FuzzIsLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size() &&
          FuzzIsTrail(static_cast<unsigned char>(text[i + 1])))
             ? 2
             : 1;
}
