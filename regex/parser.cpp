// Tokenizer and parser, without recursion: open constructs live on a heap stack.
#include <cstdlib>
#include <cstring>

#include "regex/regex_engine.h"
#include "text/chars.h"

namespace {

struct TokenRow {
  const char* text;
  int kind;
};

// The first row whose text is a prefix of the pattern wins.
const TokenRow kTokenTable[17] = {
    {"(?=", RXT_LOOKAHEAD}, {"(?!", RXT_NEG_LOOKAHEAD}, {"(", RXT_OPEN},  {")", RXT_CLOSE},
    {"*?", RXT_LAZY_STAR},  {"+?", RXT_LAZY_PLUS},      {"??", RXT_LAZY_OPTIONAL},
    {"*", RXT_STAR},        {"+", RXT_PLUS},            {"?", RXT_OPTIONAL},
    {"{", RXT_BRACE},       {".", RXT_ANY},             {"[", RXT_BRACKET},
    {"^", RXT_BEGIN},       {"$", RXT_END},             {"|", RXT_ALTERNATE},
    {"\\", RXT_ESCAPE},
};

// The string utilities' rule: a lead byte pairs only with a valid second byte.
int CharLength(const char* position) {
  if (*position == 0) return 0;
  return IsDoubleByteAt(position) ? 2 : 1;
}

// Decimal digits as value * 10 + digit, saturating at RX_COUNT_CAP (no overflow).
int ReadCount(const char** position) {
  int value = 0;
  const char* p = *position;
  while (*p >= '0' && *p <= '9') {
    value = value * 10 + (*p - '0');
    if (value > RX_COUNT_CAP) value = RX_COUNT_CAP;
    ++p;
  }
  *position = p;
  return value;
}

void MakeCharToken(RegexToken* token, int length) {
  token->kind = RXT_CHAR;
  token->length = length;
}

void RefineBrace(const char* p, RegexToken* token) {
  const char* q = p + 1;
  token->min = ReadCount(&q);
  if (*q == '}') {
    token->max = token->min;
  } else if (*q == ',') {
    ++q;
    token->max = ReadCount(&q);
  } else {
    MakeCharToken(token, 1);
    return;
  }
  if (*q != '}') {
    MakeCharToken(token, 1);
    return;
  }
  ++q;
  token->kind = RXT_COUNT;
  if (*q == '?') {
    token->kind = RXT_LAZY_COUNT;
    ++q;
  }
  token->length = static_cast<int>(q - p);
}

void RefineBracket(const char* p, RegexToken* token) {
  const char* q = p + 1;
  for (;;) {
    unsigned char byte = static_cast<unsigned char>(*q);
    if (byte == 0) break;
    if (byte == ']') {
      token->kind = RXT_SET;
      token->text = p + 1;
      token->textLength = static_cast<int>(q - (p + 1));
      token->length = static_cast<int>(q + 1 - p);
      return;
    }
    if (byte == '\\') {
      if (q[1] == 0) break;  // a backslash as the last byte counts as reaching the end
      q += 1 + CharLength(q + 1);
    } else {
      q += CharLength(q);
    }
  }
  MakeCharToken(token, 1);
}

void RefineEscape(const char* p, RegexToken* token) {
  if (p[1] == 0) return;  // stays RXT_ESCAPE of length 1
  RegexEscape escape = RegexExpandEscape(p + 1);
  token->length = 1 + escape.length;
  if (escape.isSet) {
    token->kind = RXT_SET;
    token->text = escape.setText;
    token->textLength = static_cast<int>(std::strlen(escape.setText));
  } else {
    token->kind = RXT_CHAR;
    token->ch[0] = escape.ch[0];
    token->ch[1] = escape.ch[1];
  }
}

}  // namespace

const char* RegexNextToken(const char* position, RegexToken* token) {
  const char* p = position;
  token->kind = RXT_EOP;
  token->length = 0;
  token->ch[0] = static_cast<unsigned char>(*p);
  token->ch[1] = 0;
  token->min = 0;
  token->max = 0;
  token->text = nullptr;
  token->textLength = 0;
  if (*p == 0) return p;
  bool found = false;
  for (const TokenRow& row : kTokenTable) {
    std::size_t length = std::strlen(row.text);
    if (std::strncmp(p, row.text, length) == 0) {
      token->kind = row.kind;
      token->length = static_cast<int>(length);
      found = true;
      break;
    }
  }
  if (!found) {
    token->kind = RXT_CHAR;
    token->length = CharLength(p);
    if (token->length == 2) token->ch[1] = static_cast<unsigned char>(p[1]);
    return p + token->length;
  }
  switch (token->kind) {
    case RXT_BRACE: RefineBrace(p, token); break;
    case RXT_BRACKET: RefineBracket(p, token); break;
    case RXT_ESCAPE: RefineEscape(p, token); break;
    default: break;
  }
  return p + token->length;
}

// ---------------------------------------------------------------------------------------------
// Parser.

namespace {

// One open construct ("(", "(?=", "(?!"), or the whole pattern at the bottom of the stack.
struct Frame {
  int kind;           // RXT_OPEN, RXT_LOOKAHEAD, RXT_NEG_LOOKAHEAD, or RXT_EOP for the root
  const char* start;  // position of the construct's "("
  int nodeMark;       // node count when the construct began: its atom starts here
  int textMark;
  int savedCounter;   // the group counter before the construct
  int group;          // group number of a "(" construct
  int alternation;    // alternation so far, or -1
  int sequence;       // sequence so far, or -1
};

struct Parser {
  RegexTree* tree;
  Frame* frames;
  int frameCount;
  int frameCapacity;
  unsigned char* unclosed;  // per pattern byte: a "(" there is known not to close
  int counter;
};

int NewNode(RegexTree* tree, int kind) {
  if (tree->nodeCount >= RX_MAX_NODES) return -1;
  if (tree->nodeCount == tree->nodeCapacity) {
    int capacity = tree->nodeCapacity ? tree->nodeCapacity * 2 : 64;
    if (capacity > RX_MAX_NODES) capacity = RX_MAX_NODES;
    void* grown = std::realloc(tree->nodes, sizeof(RegexNode) * capacity);
    if (!grown) return -1;
    tree->nodes = static_cast<RegexNode*>(grown);
    tree->nodeCapacity = capacity;
  }
  int index = tree->nodeCount++;
  RegexNode& node = tree->nodes[index];
  node.kind = kind;
  node.ch[0] = 0;
  node.ch[1] = 0;
  node.text = -1;
  node.group = 0;
  node.left = -1;
  node.right = -1;
  return index;
}

int NewPair(RegexTree* tree, int kind, int left, int right) {
  if (left < 0 || right < 0) return -1;
  int index = NewNode(tree, kind);
  if (index < 0) return -1;
  tree->nodes[index].left = left;
  tree->nodes[index].right = right;
  return index;
}

int NewUnary(RegexTree* tree, int kind, int operand) {
  if (operand < 0) return -1;
  int index = NewNode(tree, kind);
  if (index < 0) return -1;
  tree->nodes[index].left = operand;
  return index;
}

int NewChar(RegexTree* tree, unsigned char first, unsigned char second) {
  int index = NewNode(tree, RXN_CHAR);
  if (index < 0) return -1;
  tree->nodes[index].ch[0] = first;
  tree->nodes[index].ch[1] = second;
  return index;
}

int NewSet(RegexTree* tree, const char* text, int length) {
  int needed = tree->textSize + length + 1;
  if (needed > tree->textCapacity) {
    int capacity = tree->textCapacity ? tree->textCapacity : 256;
    while (capacity < needed) capacity *= 2;
    void* grown = std::realloc(tree->texts, capacity);
    if (!grown) return -1;
    tree->texts = static_cast<char*>(grown);
    tree->textCapacity = capacity;
  }
  int index = NewNode(tree, RXN_SET);
  if (index < 0) return -1;
  std::memcpy(tree->texts + tree->textSize, text, length);
  tree->texts[tree->textSize + length] = 0;
  tree->nodes[index].text = tree->textSize;
  tree->textSize += length + 1;
  return index;
}

// A deep copy of the subtree whose nodes are exactly [first, root]: every node is duplicated
// (set texts are immutable and shared by offset). Returns the copy's root or -1.
int CopySubtree(RegexTree* tree, int first, int root) {
  int count = root + 1 - first;
  if (tree->nodeCount + count > RX_MAX_NODES) return -1;
  int base = tree->nodeCount;
  for (int i = 0; i < count; ++i) {
    if (NewNode(tree, RXN_EMPTY) < 0) return -1;
  }
  int delta = base - first;
  for (int i = 0; i < count; ++i) {
    RegexNode node = tree->nodes[first + i];
    if (node.left >= 0) node.left += delta;
    if (node.right >= 0) node.right += delta;
    tree->nodes[base + i] = node;
  }
  return root + delta;
}

// Hands out the atom itself for the first use and deep copies afterwards.
struct Copies {
  int first;
  int root;
  bool used;
};

int TakeCopy(RegexTree* tree, Copies* copies) {
  if (!copies->used) {
    copies->used = true;
    return copies->root;
  }
  return CopySubtree(tree, copies->first, copies->root);
}

bool IsQuantifier(int kind) {
  switch (kind) {
    case RXT_LAZY_STAR: case RXT_LAZY_PLUS: case RXT_LAZY_OPTIONAL: case RXT_STAR:
    case RXT_PLUS: case RXT_OPTIONAL: case RXT_LAZY_COUNT: case RXT_COUNT:
      return true;
    default:
      return false;
  }
}

int ApplyCount(RegexTree* tree, Copies* x, int m, int n, bool lazy) {
  int r;
  if (n == 0) {
    r = NewUnary(tree, lazy ? RXN_LAZY_STAR : RXN_STAR, TakeCopy(tree, x));
  } else {
    r = NewNode(tree, RXN_EMPTY);
  }
  for (int i = 0; r >= 0 && i < n - m; ++i) {
    int option;
    if (lazy) {
      int copy = TakeCopy(tree, x);
      option = NewPair(tree, RXN_ALT, copy, copy >= 0 ? NewNode(tree, RXN_EMPTY) : -1);
    } else {
      int empty = NewNode(tree, RXN_EMPTY);
      option = NewPair(tree, RXN_ALT, empty, empty >= 0 ? TakeCopy(tree, x) : -1);
    }
    r = NewPair(tree, RXN_CAT, r, option);
  }
  for (int i = 0; r >= 0 && i < m; ++i) {
    r = NewPair(tree, RXN_CAT, TakeCopy(tree, x), r);
  }
  if (r >= 0 && m == 0) {
    int empty = NewNode(tree, RXN_EMPTY);
    r = lazy ? NewPair(tree, RXN_ALT, r, empty) : NewPair(tree, RXN_ALT, empty, r);
  }
  return r;
}

// Applies the quantifier token to the atom whose nodes are [first, root].
int ApplyQuantifier(RegexTree* tree, const RegexToken& token, int first, int root) {
  Copies x = {first, root, false};
  switch (token.kind) {
    case RXT_STAR: return NewUnary(tree, RXN_STAR, root);
    case RXT_LAZY_STAR: return NewUnary(tree, RXN_LAZY_STAR, root);
    case RXT_PLUS:
    case RXT_LAZY_PLUS: {
      int copy = CopySubtree(tree, first, root);
      int star = NewUnary(tree, token.kind == RXT_PLUS ? RXN_STAR : RXN_LAZY_STAR, root);
      return NewPair(tree, RXN_CAT, copy, star);
    }
    case RXT_OPTIONAL: return NewPair(tree, RXN_ALT, NewNode(tree, RXN_EMPTY), root);
    case RXT_LAZY_OPTIONAL: return NewPair(tree, RXN_ALT, root, NewNode(tree, RXN_EMPTY));
    case RXT_COUNT: return ApplyCount(tree, &x, token.min, token.max, false);
    case RXT_LAZY_COUNT: return ApplyCount(tree, &x, token.min, token.max, true);
    default: return root;
  }
}

bool PushFrame(Parser* parser, const Frame& frame) {
  if (parser->frameCount == parser->frameCapacity) {
    int capacity = parser->frameCapacity ? parser->frameCapacity * 2 : 16;
    void* grown = std::realloc(parser->frames, sizeof(Frame) * capacity);
    if (!grown) return false;
    parser->frames = static_cast<Frame*>(grown);
    parser->frameCapacity = capacity;
  }
  parser->frames[parser->frameCount++] = frame;
  return true;
}

// Ends the frame's current sequence (empty: RXN_EMPTY) and adds it to the alternation: the
// new sequence goes left, the earlier alternatives right (tried first).
int FinishAlternative(RegexTree* tree, Frame* frame) {
  int sequence = frame->sequence >= 0 ? frame->sequence : NewNode(tree, RXN_EMPTY);
  frame->sequence = -1;
  if (sequence < 0) return -1;
  if (frame->alternation < 0) {
    frame->alternation = sequence;
  } else {
    frame->alternation = NewPair(tree, RXN_ALT, sequence, frame->alternation);
  }
  return frame->alternation;
}

// RXN_CAT(begin, RXN_CAT(inner, end)).
int WrapConstruct(RegexTree* tree, const Frame& frame, int inner) {
  int beginKind = RXN_GROUP_BEGIN;
  int endKind = RXN_GROUP_END;
  if (frame.kind == RXT_LOOKAHEAD) {
    beginKind = RXN_LOOKAHEAD_BEGIN;
    endKind = RXN_LOOKAHEAD_END;
  } else if (frame.kind == RXT_NEG_LOOKAHEAD) {
    beginKind = RXN_NEG_LOOKAHEAD_BEGIN;
    endKind = RXN_NEG_LOOKAHEAD_END;
  }
  int begin = NewNode(tree, beginKind);
  int end = begin >= 0 ? NewNode(tree, endKind) : -1;
  if (end < 0) return -1;
  if (frame.kind == RXT_OPEN) {
    tree->nodes[begin].group = frame.group;
    tree->nodes[end].group = frame.group;
  }
  return NewPair(tree, RXN_CAT, begin, NewPair(tree, RXN_CAT, inner, end));
}

bool ParseAll(Parser* parser, const char* pattern) {
  RegexTree* tree = parser->tree;
  Frame root = {RXT_EOP, pattern, 0, 0, 0, 0, -1, -1};
  if (!PushFrame(parser, root)) return false;
  const char* position = pattern;
  RegexToken token;
  for (;;) {
    Frame* frame = &parser->frames[parser->frameCount - 1];
    const char* next = RegexNextToken(position, &token);
    int depth = parser->frameCount - 1;
    if (token.kind == RXT_ALTERNATE) {
      if (FinishAlternative(tree, frame) < 0) return false;
      position = next;
      continue;
    }
    int atomFirst = tree->nodeCount;
    int atom = -1;
    if (token.kind == RXT_EOP || (token.kind == RXT_CLOSE && depth > 0)) {
      int inner = FinishAlternative(tree, frame);
      if (inner < 0) return false;
      if (depth == 0) {
        tree->root = inner;
        tree->groupCount = parser->counter;
        return true;
      }
      if (token.kind == RXT_CLOSE) {
        // The construct closes: its atom is everything built since it began.
        Frame closed = *frame;
        --parser->frameCount;
        atomFirst = closed.nodeMark;
        atom = WrapConstruct(tree, closed, inner);
        if (atom < 0) return false;
        position = next;
      } else {
        // The end of the pattern inside open constructs: none of them can close (each would
        // re-read the same rest of the pattern and meet the same end). Remember them all,
        // discard everything built since the outermost one, and read its "(" as a literal.
        for (int i = 1; i < parser->frameCount; ++i) {
          parser->unclosed[parser->frames[i].start - pattern] = 1;
        }
        Frame outer = parser->frames[1];
        parser->frameCount = 1;
        tree->nodeCount = outer.nodeMark;
        tree->textSize = outer.textMark;
        parser->counter = outer.savedCounter;
        atomFirst = tree->nodeCount;
        atom = NewChar(tree, '(', 0);
        if (atom < 0) return false;
        position = outer.start + 1;
      }
      frame = &parser->frames[parser->frameCount - 1];
    } else {
      switch (token.kind) {
        case RXT_OPEN:
        case RXT_LOOKAHEAD:
        case RXT_NEG_LOOKAHEAD:
          if (!parser->unclosed[position - pattern]) {
            Frame open = {token.kind, position, tree->nodeCount, tree->textSize,
                          parser->counter, 0, -1, -1};
            if (token.kind == RXT_OPEN) open.group = ++parser->counter;
            if (!PushFrame(parser, open)) return false;
            position = next;
            continue;
          }
          atom = NewChar(tree, '(', 0);
          position = position + 1;
          break;
        case RXT_ANY: atom = NewNode(tree, RXN_ANY); position = next; break;
        case RXT_BEGIN: atom = NewNode(tree, RXN_BOL); position = next; break;
        case RXT_END: atom = NewNode(tree, RXN_EOL); position = next; break;
        case RXT_SET: atom = NewSet(tree, token.text, token.textLength); position = next; break;
        case RXT_CHAR: atom = NewChar(tree, token.ch[0], token.ch[1]); position = next; break;
        default:
          // Fall-back: the first byte of the token as a literal; resume one character on.
          atom = NewChar(tree, token.ch[0], 0);
          position = position + 1;
          break;
      }
      if (atom < 0) return false;
    }
    // One quantifier at most.
    const char* after = RegexNextToken(position, &token);
    if (IsQuantifier(token.kind)) {
      atom = ApplyQuantifier(tree, token, atomFirst, atom);
      if (atom < 0) return false;
      position = after;
    }
    if (frame->sequence < 0) {
      frame->sequence = atom;
    } else {
      frame->sequence = NewPair(tree, RXN_CAT, frame->sequence, atom);
      if (frame->sequence < 0) return false;
    }
  }
}

}  // namespace

bool RegexParse(const char* pattern, RegexTree* tree) {
  std::memset(tree, 0, sizeof *tree);
  tree->root = -1;
  if (!pattern) pattern = "";
  Parser parser = {};
  parser.tree = tree;
  std::size_t length = std::strlen(pattern);
  parser.unclosed = static_cast<unsigned char*>(std::calloc(length + 1, 1));
  bool ok = parser.unclosed && ParseAll(&parser, pattern);
  std::free(parser.unclosed);
  std::free(parser.frames);
  if (!ok) {
    RegexFreeTree(tree);
    return false;
  }
  return true;
}

void RegexFreeTree(RegexTree* tree) {
  std::free(tree->nodes);
  std::free(tree->texts);
  std::memset(tree, 0, sizeof *tree);
  tree->root = -1;
}
