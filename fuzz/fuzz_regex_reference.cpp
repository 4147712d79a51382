// Differential libFuzzer target: the engine against the plain reference implementation
// in tests/regex/regex_reference.h. For short patterns the tree notation of the engine's iterative
// parser must equal the recursive reference parser's; for short patterns and texts the spans
// and the step count of the engine's iterative walk must equal the recursive reference walk's.
//
// Input as for fuzz_regex: a flags byte, the pattern, a zero byte, the text. Longer run: see
// fuzz/README.md.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_input.h"
#include "regex_reference.h"


extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input;
  if (!ReadFuzzInput(data, size, &input)) return 0;
  const int flags = input.flags;
  const std::string& pattern = input.pattern;
  const std::string& text = input.text;
  // The reference parser re-reads unclosed "(" exponentially, and its walk recurses once per
  // edge on the path: keep both small.
  // Counts of more than two digits make the reference's discarded re-readings build huge
  // notations, so they are left to fuzz_regex.
  int opens = 0;
  int digits = 0;
  for (char c : pattern) {
    opens += c == '(' ? 1 : 0;
    digits = (c >= '0' && c <= '9') ? digits + 1 : 0;
    if (digits > 2) return 0;
  }
  if (pattern.size() > 48 || opens > 8 || text.size() > 16) return 0;

  // Both implementations and the notation recurse once per tree level: skip large expansions.
  RegexTree tree;
  if (!RegexParse(pattern.c_str(), &tree)) return 0;  // beyond the tree-size limit
  int nodes = tree.nodeCount;
  RegexFreeTree(&tree);
  if (nodes > 2000) return 0;

  ReferenceParser parser;
  std::string expectedTree = parser.Parse(pattern.c_str());
  std::string actualTree = DumpPattern(pattern.c_str());
  Check(expectedTree == actualTree);

  // The reference walk recurses once per edge on the path (up to edges x text positions):
  // small trees and texts keep it inside the stack.
  RefMatcher reference;
  std::string expected = reference.Search(pattern.c_str(), text.c_str(), flags, 60);
  if (expected == "skipped") return 0;
  long steps = 0;
  std::string actual = MatchSummary(pattern.c_str(), text.c_str(), flags, &steps);
  Check(expected == actual);
  Check(reference.steps == steps);
  return 0;
}
