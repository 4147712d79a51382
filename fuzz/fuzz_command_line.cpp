// libFuzzer target over SplitCommandLine, the splitter of every command line the shell or a
// script hands the program.
//
// Input: the control byte is ignored; the first text is the command line. Checks beyond "no
// crash, no leak": the vector has count + 1 pointers, the last null, every argument inside the
// one block; read in order, the arguments are made only of bytes of the input, in their order;
// every input byte other than a quote, a backslash or a blank reaches some argument; every
// double-byte character of the input reaches one argument whole, its two bytes side by side; and
// the UTF-16 splitter, given the same text with one unit per character, splits it the same way.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "fuzz_input.h"

namespace {

// Bytes the splitter may drop: grouping quotes, halved backslashes, blanks between arguments.
bool MayBeDropped(unsigned char byte) {
  return byte == '"' || byte == '\\' || byte == ' ' || byte == '\t';
}

// The input's characters as the splitter must read them: 1 at the first byte of a
// double-byte character, 2 at its second byte, 0 elsewhere. Quotes, blanks and backslashes
// that are not second bytes are never lead bytes, so every argument starts on a boundary of
// this one reading from the start of the text.
std::vector<int> Kinds(const std::string& text) {
  std::vector<int> kinds(text.size(), 0);
  for (std::size_t i = 0; i < text.size();) {
    std::size_t length = FuzzCharLength(text, i);
    if (length == 2) {
      kinds[i] = 1;
      kinds[i + 1] = 2;
    }
    i += length;
  }
  return kinds;
}

// The text as the UTF-16 splitter would see it: one unit per character, a double-byte character
// as its code, which is never a quote, a backslash or a blank.
std::wstring ToUnits(const std::string& text) {
  std::wstring units;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t length = FuzzCharLength(text, i);
    unsigned code = static_cast<unsigned char>(text[i]);
    if (length == 2) code = code * 256 + static_cast<unsigned char>(text[i + 1]);
    units += static_cast<wchar_t>(code);
    i += length;
  }
  return units;
}

std::string FromUnits(const wchar_t* units) {
  std::string text;
  for (; *units; ++units) {
    if (*units > 0xFF) text += static_cast<char>(*units >> 8);
    text += static_cast<char>(*units & 0xFF);
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input;
  if (!ReadFuzzInput(data, size, &input)) return 0;
  const std::string& line = input.pattern;
  int count = -1;
  char** vector = SplitCommandLine(line.c_str(), &count);
  Check(vector != nullptr);
  Check(count >= 1);
  Check(vector[count] == nullptr);
  // One block: the texts follow the pointers, in order, without gaps.
  const char* expected = reinterpret_cast<const char*>(vector + count + 1);
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) {
    Check(vector[i] == expected);
    arguments.push_back(vector[i]);
    expected += arguments.back().size() + 1;
  }

  // Align the arguments with the input, byte by byte from the left: a byte that may be dropped
  // and is not the one wanted is passed over; any other byte must be the one wanted.
  const std::vector<int> kinds = Kinds(line);
  std::size_t at = 0;
  for (const std::string& argument : arguments) {
    for (std::size_t j = 0; j < argument.size();) {
      while (at < line.size() && kinds[at] == 0 &&
             MayBeDropped(static_cast<unsigned char>(line[at])) && line[at] != argument[j])
        ++at;
      Check(at < line.size());
      Check(kinds[at] != 2);  // never half a character
      Check(line[at] == argument[j]);
      if (kinds[at] == 1) {
        // The whole character, in the same argument.
        Check(j + 1 < argument.size());
        Check(argument[j + 1] == line[at + 1]);
        at += 2;
        j += 2;
      } else {
        ++at;
        ++j;
      }
    }
  }
  for (; at < line.size(); ++at)
    Check(kinds[at] == 0 && MayBeDropped(static_cast<unsigned char>(line[at])));

  // The same text splits the same way again.
  int again = -1;
  char** second = SplitCommandLine(line.c_str(), &again);
  Check(second != nullptr && again == count);
  for (int i = 0; i < count; ++i) Check(std::strcmp(second[i], vector[i]) == 0);
  std::free(second);

  int wideCount = -1;
  wchar_t** wide = SplitWideCommandLine(ToUnits(line).c_str(), &wideCount);
  Check(wide != nullptr && wideCount == count && wide[count] == nullptr);
  for (int i = 0; i < count; ++i) Check(FromUnits(wide[i]) == arguments[i]);
  std::free(wide);
  std::free(vector);
  return 0;
}
