// libFuzzer target over SplitUtf16CommandLine, the splitter the program runs on the UTF-16
// command line the shell or a script hands it.
//
// Input: the control byte is ignored; the bytes after it are the command line as little-endian
// UTF-16 units, up to the first zero unit (an odd last byte is dropped), so that every unit the
// platform can pass, lone surrogates and units whose low byte is a quote included, reaches the
// splitter. Checks beyond "no crash, no leak": the vector has count + 1 pointers, the last null,
// every argument inside the one block; read in order, the arguments are made only of units of
// the input, in their order; every unit other than a quote, a backslash or a blank reaches some
// argument; and the arguments are exactly those of a plain reading of the rules, written here
// over std::u16string.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "fuzz_input.h"

namespace {

// Units the splitter may drop: grouping quotes, halved backslashes, blanks between arguments.
bool MayBeDropped(char16_t unit) {
  return unit == u'"' || unit == u'\\' || unit == u' ' || unit == u'\t';
}

std::u16string ReadUnits(const uint8_t* data, size_t size) {
  std::u16string units;
  for (size_t i = 0; i + 1 < size; i += 2) {
    char16_t unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (unit == 0) break;
    units += unit;
  }
  return units;
}

// The rules as a user reads them: the program name runs to the next quote when it starts with
// one, else to the first blank, and knows no escapes. Every later argument runs to a blank
// outside quotes; a quote switches quoting; inside quotes, two quotes give one and end the
// quoting; backslashes are literal unless a quote follows them, then each pair gives one and an
// odd last one makes the quote literal.
std::vector<std::u16string> PlainSplit(const std::u16string& line) {
  const std::size_t end = line.size();
  const std::u16string blanks = u" \t";
  std::vector<std::u16string> arguments;
  std::size_t i;
  if (!line.empty() && line[0] == u'"') {
    std::size_t close = line.find(u'"', 1);
    arguments.push_back(line.substr(1, close == std::u16string::npos ? end : close - 1));
    i = close == std::u16string::npos ? end : close + 1;
  } else {
    i = std::min(line.find_first_of(blanks), end);
    arguments.push_back(line.substr(0, i));
  }
  for (;;) {
    i = line.find_first_not_of(blanks, i);
    if (i == std::u16string::npos) break;
    std::u16string argument;
    bool quoted = false;
    while (i < end) {
      if (line[i] == u'\\') {
        std::size_t after = std::min(line.find_first_not_of(u'\\', i), end);
        std::size_t run = after - i;
        bool quoteFollows = after < end && line[after] == u'"';
        argument.append(quoteFollows ? run / 2 : run, u'\\');
        i = after;
        if (quoteFollows && run % 2 == 1) {
          argument += u'"';
          ++i;
        }
      } else if (line[i] == u'"') {
        bool doubled = quoted && i + 1 < end && line[i + 1] == u'"';
        if (doubled) argument += u'"';
        i += doubled ? 2 : 1;
        quoted = !quoted;
      } else if (!quoted && blanks.find(line[i]) != std::u16string::npos) {
        break;
      } else {
        argument += line[i++];
      }
    }
    arguments.push_back(argument);
  }
  return arguments;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::u16string line = ReadUnits(data + 1, size - 1);
  int count = -1;
  char16_t** vector = SplitUtf16CommandLine(line.c_str(), &count);
  Check(vector != nullptr);
  Check(count >= 1);
  Check(vector[count] == nullptr);
  // One block: the texts follow the pointers, in order, without gaps.
  const char16_t* expected = reinterpret_cast<const char16_t*>(vector + count + 1);
  std::vector<std::u16string> arguments;
  for (int i = 0; i < count; ++i) {
    Check(vector[i] == expected);
    arguments.push_back(vector[i]);
    expected += arguments.back().size() + 1;
  }
  std::free(vector);

  // Align the arguments with the input, unit by unit from the left: a unit that may be dropped
  // and is not the one wanted is passed over; any other unit must be the one wanted.
  std::size_t at = 0;
  for (const std::u16string& argument : arguments) {
    for (char16_t wanted : argument) {
      while (at < line.size() && MayBeDropped(line[at]) && line[at] != wanted) ++at;
      Check(at < line.size());
      Check(line[at] == wanted);
      ++at;
    }
  }
  for (; at < line.size(); ++at) Check(MayBeDropped(line[at]));

  Check(arguments == PlainSplit(line));
  return 0;
}
