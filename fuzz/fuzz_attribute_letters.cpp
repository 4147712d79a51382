// libFuzzer target over ParseAttributeLetters, the reader of the "/on:", "/off:" and "/nop:"
// values.
//
// Input: the control byte is ignored; the first text is the value. Checks beyond "no crash":
// the value is read exactly when every character is one of the letters s, r, a, h (either
// case) as a one-byte character, and then only the four offered bits of those letters come
// back; the second byte of a double-byte character is never a letter. A refused value gives no
// bits.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/command_line.h"
#include "fuzz_input.h"

namespace {

uint32_t LetterBit(char letter) {
  switch (letter) {
    case 's': case 'S': return 0x04;
    case 'r': case 'R': return 0x01;
    case 'a': case 'A': return 0x20;
    case 'h': case 'H': return 0x02;
    default: return 0;
  }
}

// The bits of the letters, or false (no bits) when any character is not one of them.
bool PlainLetters(const std::string& text, uint32_t* bits) {
  uint32_t found = 0;
  for (std::size_t at = 0; at < text.size(); at += FuzzCharLength(text, at)) {
    uint32_t bit = FuzzCharLength(text, at) == 1 ? LetterBit(text[at]) : 0;
    if (bit == 0) {
      *bits = 0;
      return false;
    }
    found |= bit;
  }
  *bits = found;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input;
  if (!ReadFuzzInput(data, size, &input)) return 0;
  const std::string& text = input.pattern;
  uint32_t bits = 0xFFFF, expected = 0;
  bool read = ParseAttributeLetters(text.c_str(), &bits);
  Check(read == PlainLetters(text, &expected));
  Check(bits == expected);
  Check((bits & ~0x27u) == 0);
  // A text and its continuation: a letter added after a one-byte end adds its bit.
  if (text.empty() || FuzzCharLength(text + "h", text.size() - 1) == 1) {
    std::string more = text + "h";
    uint32_t moreBits = 0;
    Check(ParseAttributeLetters(more.c_str(), &moreBits) == read);
    Check(moreBits == (read ? (bits | 0x02) : 0));
  }
  return 0;
}
