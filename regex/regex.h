// The system's own regular-expression engine: a pattern language over code page
// 932 text, compiled into an automaton and searched by a backtracking walk. Platform-free.
//
// Bounds the engine sets for itself (see regex_engine.h for the
// constants). A hostile or careless pattern must never crash or hang the worker thread:
//
// - Parser: no recursion at all. Open "(", "(?=" and "(?!" constructs live on a heap stack, so
//   nesting depth is limited only by memory. An unclosed construct is detected once: when the
//   end of the pattern is reached inside open constructs, every open construct is unclosed (a
//   re-reading from each of them would fail too), so all their positions are remembered,
//   the parse resumes once after the outermost "(" as a literal, and every remembered "(" is read
//   as a literal at once. The re-reading is therefore linear, not exponential, in the nesting,
//   and the tree is exactly the one the re-reading would give.
// - Tree size: at most RX_MAX_NODES (65,536) parse-tree nodes. Counts of "{m,n}" saturate at
//   RX_COUNT_CAP (65,536) while they are read, so no count overflows; a count that large can
//   never fit the node limit anyway, so saturation changes no pattern that compiles. A pattern
//   whose expanded tree would exceed the limit fails to compile, exactly as if memory had run out
//   (RegexCompile returns null; the filter rejects the file with its trace line).
// - Set texts: a set longer than 511 bytes is kept whole (the text is allocated, never cut).
// - Automaton construction, copying and release of the tree use no recursion.
// - Walk: an explicit heap stack instead of recursion, so the thread's stack never overflows.
//   The path is at most RX_MAX_DEPTH (200,000) edges deep: 16 bytes each on the 32-bit build,
//   so the walk's stack stays below 3.2 MB; an ordinary pattern on a 260-byte name needs a few
//   thousand. (The marks alone do not bound the path: a success inside "(?!" leaves the marks
//   of its path set, after which those edges can be entered again at the same position.)
// - Step budget: one search (all start positions together) may enter at most RX_STEP_BUDGET
//   (1,000,000) edges. Typical filter patterns need a few hundred steps on a name; even
//   patterns that are quadratic in the name, such as ".*\..*" or "[a-z]+_v\d+" on a 260-byte
//   name that does not match, need at most about 200,000 (tests/regex/regex_hostile_test.cpp).
//   Nested repetitions on names that do not match, and patterns cubic in the name such as
//   "^.*a.*a.*b$" on 260 times "a", can reach it. At the budget a search has taken 8-10 ms,
//   natively and in the 32-bit build under Wine, and up to 20 ms on a busy machine
//   (bench/README.md), inside the 50 ms that a search may take. A search that exceeds the budget or the depth (or cannot grow
//   its stack) ends as "no match"; RegexSearchGaveUp (regex_engine.h) then reports it, and
//   MatchRegex writes a "! " trace line (app/regex_filter.h).
// - Counted repetition copies the atom node by node and stops at the tree-size limit, so even a
//   refused pattern costs at most RX_MAX_NODES node copies; "+" doubles an atom and is bounded
//   the same way.
#pragma once

struct RegexSpan {
  const char* start;
  const char* end;
};

struct RegexMatch {
  int spanCount;
  RegexSpan* spans;
};

struct Regex;

// Compile flags. They affect literal characters only.
enum { RXF_IGNORECASE = 2, RXF_IGNOREWIDTH = 4 };

// Returns null only when memory runs out or the expanded tree exceeds RX_MAX_NODES.
Regex* RegexCompile(const char* pattern, int flags);
// The first match in priority order from the leftmost start position, or null. An unset span
// has null start and end. A Regex serves one search at a time (the walk writes its marks).
RegexMatch* RegexSearch(Regex* regex, const char* text);
void RegexFreeMatch(RegexMatch* match);
void RegexFree(Regex* regex);
