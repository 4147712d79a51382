// libFuzzer target over RegexCompile + RegexSearch.
//
// Input: the first byte selects the flags (its bits 1 and 2: RXF_IGNORECASE, RXF_IGNOREWIDTH);
// the rest up to the first zero byte is the pattern, and what follows it the text. Every
// pattern must compile (or fail only at the tree-size limit), every search must end within the
// step budget, and a match must lie inside the text.
//
// Short run (scripts/test): 20,000 runs. Longer run, for example an hour:
//   CXX=clang++ CC=clang cmake -S . -B build/fuzz -G Ninja -DMORVANE_FUZZ=ON \
//     -DMORVANE_SANITIZE=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo && cmake --build build/fuzz
//   mkdir -p /tmp/regex-corpus && cp fuzz/corpus/regex/* /tmp/regex-corpus/
//   build/fuzz/fuzz/fuzz_regex -max_len=512 -timeout=10 -max_total_time=3600 /tmp/regex-corpus
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_input.h"
#include "regex/regex.h"
#include "regex/regex_engine.h"


extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input;
  if (!ReadFuzzInput(data, size, &input)) return 0;
  const int flags = input.flags;
  const std::string& pattern = input.pattern;
  const std::string& text = input.text;

  Regex* regex = RegexCompile(pattern.c_str(), flags);
  if (!regex) {
    // Only the tree-size limit may refuse a pattern: it must expand by counts or "+" copies.
    Check(pattern.find_first_of("{+") != std::string::npos);
    return 0;
  }
  const char* begin = text.c_str();
  const char* end = begin + text.size();
  for (int round = 0; round < 2; ++round) {  // a Regex serves one search after another
    RegexMatch* match = RegexSearch(regex, begin);
    Check(RegexSearchSteps(regex) <= RX_STEP_BUDGET);
    if (match) {
      Check(!RegexSearchGaveUp(regex));
      Check(match->spanCount >= 1);
      for (int i = 0; i < match->spanCount; ++i) {
        const RegexSpan& span = match->spans[i];
        Check(!span.start || (span.start >= begin && span.start <= end));
        Check(!span.end || (span.end >= begin && span.end <= end));
      }
      Check(match->spans[0].start && match->spans[0].end);
      Check(match->spans[0].start <= match->spans[0].end);
      RegexFreeMatch(match);
    } else if (RegexSearchGaveUp(regex)) {
      break;  // a second search would only spend the same budget again
    }
  }
  RegexFree(regex);
  return 0;
}
