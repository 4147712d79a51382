// The input layout both regex fuzz targets read: a flags byte (bits 1 and 2: RXF_IGNORECASE,
// RXF_IGNOREWIDTH), the pattern up to the first zero byte, then the text up to the next one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "regex/regex.h"

struct FuzzInput {
  int flags;
  std::string pattern;
  std::string text;
};

inline bool ReadFuzzInput(const uint8_t* data, size_t size, FuzzInput* input) {
  if (size == 0) return false;
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
