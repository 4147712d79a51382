// libFuzzer target over ParseAttributeLetters, the reader of the "/on:", "/off:" and "/nop:"
// values.
//
// Input: the control byte is ignored; the first text is the value. Checks beyond "no crash":
// only the four offered bits come back, and exactly those whose letter (s, r, a, h, either
// case) occurs as a one-byte character of the text; the second byte of a double-byte character
// is never a letter.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/command_line.h"
#include "fuzz_input.h"

namespace {

uint32_t PlainLetters(const std::string& text) {
  uint32_t bits = 0;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t length = FuzzCharLength(text, at);
    if (length == 1) {
      switch (text[at]) {
        case 's': case 'S': bits |= 0x04; break;
        case 'r': case 'R': bits |= 0x01; break;
        case 'a': case 'A': bits |= 0x20; break;
        case 'h': case 'H': bits |= 0x02; break;
        default: break;
      }
    }
    at += length;
  }
  return bits;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input;
  if (!ReadFuzzInput(data, size, &input)) return 0;
  const std::string& text = input.pattern;
  uint32_t bits = ParseAttributeLetters(text.c_str());
  Check((bits & ~0x27u) == 0);
  Check(bits == PlainLetters(text));
  // A text and its continuation: a letter added after a one-byte end adds its bit.
  if (text.empty() || FuzzCharLength(text + "h", text.size() - 1) == 1) {
    std::string more = text + "h";
    Check(ParseAttributeLetters(more.c_str()) == (bits | 0x02));
  }
  return 0;
}
