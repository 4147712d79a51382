// libFuzzer target over MatchWildcardList, the wildcard kind of the name filter.
//
// Input: bit 0 of the control byte folds the name to lower case first, as AcceptName does; the
// first text is the pattern list, the second the file name. Checks beyond "no crash, no hang":
// on short inputs the result agrees with a plain recursive reading of the wildcard rules (tokens
// separated by spaces and semicolons, "?" one character, "*" any run, "#" one digit, a list
// without any token accepts everything, a list ending in a separator has a final empty token).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/wildcard.h"
#include "fuzz_input.h"
#include "text/chars.h"

namespace {

bool IsSeparator(char byte) { return byte == ' ' || byte == ';'; }

std::string PlainFold(const std::string& text) {
  std::string out = text;
  for (std::size_t at = 0; at < out.size();) {
    std::size_t length = FuzzCharLength(out, at);
    if (length == 1 && out[at] >= 'A' && out[at] <= 'Z') out[at] = static_cast<char>(out[at] + 32);
    at += length;
  }
  return out;
}

// The character at t[i] as a code, and its length.
unsigned Code(const std::string& t, std::size_t i, std::size_t* length) {
  *length = FuzzCharLength(t, i);
  unsigned char first = static_cast<unsigned char>(t[i]);
  return *length == 2 ? first * 256u + static_cast<unsigned char>(t[i + 1]) : first;
}

bool PlainMatch(const std::string& t, std::size_t i, const std::string& n, std::size_t j) {
  if (i == t.size()) return j == n.size();
  std::size_t tokenLength = 0, nameLength = 0;
  unsigned tokenCode = Code(t, i, &tokenLength);
  unsigned nameCode = j < n.size() ? Code(n, j, &nameLength) : 0;
  if (tokenCode == '#')
    return j < n.size() && n[j] >= '0' && n[j] <= '9' && PlainMatch(t, i + 1, n, j + nameLength);
  if (tokenCode == '*')
    return PlainMatch(t, i + 1, n, j) || (j < n.size() && PlainMatch(t, i, n, j + nameLength));
  if (tokenCode == '?') return j < n.size() && PlainMatch(t, i + 1, n, j + nameLength);
  return j < n.size() && tokenCode == nameCode && PlainMatch(t, i + tokenLength, n, j + nameLength);
}

bool PlainList(const std::string& pattern, const std::string& name) {
  std::vector<std::string> tokens;
  std::string current;
  for (char byte : pattern) {
    if (IsSeparator(byte)) {
      if (!current.empty()) tokens.push_back(current);
      current.clear();
    } else {
      current += byte;
    }
  }
  if (!current.empty()) tokens.push_back(current);
  if (tokens.empty()) return true;
  if (IsSeparator(pattern.back())) tokens.push_back("");
  for (const std::string& token : tokens)
    if (PlainMatch(PlainFold(token), 0, name, 0)) return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input;
  if (!ReadFuzzInput(data, size, &input)) return 0;
  std::string name = input.text;
  if (input.control & 1) name = PlainFold(name);
  bool accepted = MatchWildcardList(input.pattern.c_str(), name.c_str());
  // The plain reading backtracks without bounds: short inputs only.
  if (input.pattern.size() <= 16 && name.size() <= 10)
    Check(accepted == PlainList(input.pattern, name));
  // A name is accepted by the list made of itself alone, when it has no wildcard or separator.
  if (name.find_first_of("*?#; ") == std::string::npos && !name.empty() && name.size() <= 1024)
    Check(MatchWildcardList(name.c_str(), PlainFold(name).c_str()));
  return 0;
}
