// Inside the regular-expression engine: tokens, the parse tree, character comparison and sets,
// and the search status. Used by the engine's own sources, its tests and the name filter.
#pragma once

#include "regex/regex.h"

// Bounds (documented in regex.h).
enum {
  RX_MAX_NODES = 65536,
  RX_COUNT_CAP = 65536,
  RX_STEP_BUDGET = 1000000,
  RX_MAX_DEPTH = 200000,
};

// Token kinds.
enum {
  RXT_OPEN = 0, RXT_CLOSE = 1, RXT_LAZY_STAR = 2, RXT_LAZY_PLUS = 3, RXT_LAZY_OPTIONAL = 4,
  RXT_STAR = 5, RXT_PLUS = 6, RXT_OPTIONAL = 7, RXT_BRACE = 8, RXT_ANY = 9, RXT_BRACKET = 10,
  RXT_BEGIN = 11, RXT_END = 12, RXT_ALTERNATE = 13, RXT_ESCAPE = 14, RXT_LOOKAHEAD = 15,
  RXT_NEG_LOOKAHEAD = 16, RXT_LAZY_COUNT = 17, RXT_COUNT = 18, RXT_SET = 19, RXT_CHAR = 20,
  RXT_EOP = 21,
};

// Node kinds; automaton edges keep the kind of the node they were made from.
enum {
  RXN_EMPTY = 0, RXN_GROUP_BEGIN = 1, RXN_GROUP_END = 2, RXN_CHAR = 3, RXN_BOL = 4, RXN_EOL = 5,
  RXN_SET = 6, RXN_ALT = 7, RXN_CAT = 8, RXN_STAR = 9, RXN_LAZY_STAR = 10,
  RXN_LOOKAHEAD_BEGIN = 11, RXN_LOOKAHEAD_END = 12, RXN_NEG_LOOKAHEAD_BEGIN = 13,
  RXN_NEG_LOOKAHEAD_END = 14, RXN_ANY = 15,
};

// One token. The set text is not held in a 512-byte field: it points either into the pattern
// (a bracketed set's text is exactly the pattern bytes between "[" and "]", so a set of any
// length is kept whole) or to the constant expansion of a set escape.
struct RegexToken {
  int kind;
  int length;
  unsigned char ch[2];
  int min;
  int max;
  const char* text;
  int textLength;
};

// Fills the token at position and returns the position after it (before refinement of a
// fall-back, see the parser).
const char* RegexNextToken(const char* position, RegexToken* token);

// The expansion of a backslash escape; escaped points at the byte after the backslash.
struct RegexEscape {
  bool isSet;
  unsigned char ch[2];  // the character when !isSet (second byte 0 for a one-byte character)
  const char* setText;  // the set text when isSet
  int length;           // bytes of the escaped character (1 or 2; 0 when escaped is the end)
};
RegexEscape RegexExpandEscape(const char* escaped);

// The parse tree, held in one array (an arena): nodes refer to their operands by index, and
// every node of the array belongs to the tree. Set texts are zero-terminated strings in one text
// buffer, referred to by offset.
struct RegexNode {
  int kind;
  unsigned char ch[2];
  int text;  // offset into RegexTree::texts, or -1
  int group;
  int left;   // index or -1
  int right;  // index or -1
};

struct RegexTree {
  RegexNode* nodes;
  int nodeCount;
  int nodeCapacity;
  char* texts;
  int textSize;
  int textCapacity;
  int root;
  int groupCount;
};

// Parses any pattern; false only when memory runs out or the tree exceeds RX_MAX_NODES (the
// tree is then empty). RegexFreeTree releases what a successful parse built.
bool RegexParse(const char* pattern, RegexTree* tree);
void RegexFreeTree(RegexTree* tree);

// Character comparison with case and width folding.
unsigned RegexFoldWidth(unsigned code);
bool RegexCompareChar(const char* position, const unsigned char ch[2], int flags);
bool RegexInSet(const char* position, const char* setText);
bool RegexInSetCode(unsigned code, const char* setText);
// The table itself, for the tests: 158 entries of {one-byte code, full-width code}.
enum { RX_WIDTH_FOLD_ENTRIES = 158 };
extern const unsigned short kRegexWidthFoldTable[RX_WIDTH_FOLD_ENTRIES][2];

// True when the last RegexSearch on this Regex ended because it exceeded RX_STEP_BUDGET or
// RX_MAX_DEPTH (or could not grow its stack); it then returned null ("no match").
bool RegexSearchGaveUp(const Regex* regex);
// Steps the last search took (for tests and benchmarks).
long RegexSearchSteps(const Regex* regex);
