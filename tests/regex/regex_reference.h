// Helpers of the regex tests and of the differential fuzz target, header-only: the tree
// notation, a one-line match summary, and second, plain implementations of the parser and of
// the automaton and walk: simple recursion, the
// exponential re-reading of unclosed "(", and edges added at the front of their lists. They
// are meant for short patterns and texts only.
#pragma once

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "regex/regex.h"
#include "regex/regex_engine.h"
#include "text/chars.h"

// The tree notation: nodes e (empty), <n and >n (group n begins, ends), 'c' (a character;
// other than printable ASCII as \xNN or \xNNNN), ^, $, [text] (set), ., alt(left,right),
// cat(left,right), star(x), lazy(x), (?= and =) (lookahead), (?! and !) (negative lookahead).
// DumpPattern puts the group count and ":" in front, e.g. 1:cat(<1,cat('a',>1)).
inline std::string DumpChar(const unsigned char ch[2]) {
  char buffer[16];
  if (ch[1]) {
    std::snprintf(buffer, sizeof buffer, "'\\x%02X%02X'", ch[0], ch[1]);
  } else if (ch[0] >= 0x20 && ch[0] < 0x7F) {
    std::snprintf(buffer, sizeof buffer, "'%c'", ch[0]);
  } else {
    std::snprintf(buffer, sizeof buffer, "'\\x%02X'", ch[0]);
  }
  return buffer;
}

inline std::string DumpSet(const char* text, int length) {
  std::string out = "[";
  for (int i = 0; i < length; ++i) {
    unsigned char byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x20 && byte < 0x7F) {
      out += static_cast<char>(byte);
    } else {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\x%02X", byte);
      out += buffer;
    }
  }
  return out + "]";
}

inline void DumpNode(const RegexTree& tree, int index, std::string* out) {
  const RegexNode& node = tree.nodes[index];
  switch (node.kind) {
    case RXN_EMPTY: *out += "e"; break;
    case RXN_GROUP_BEGIN: *out += "<" + std::to_string(node.group); break;
    case RXN_GROUP_END: *out += ">" + std::to_string(node.group); break;
    case RXN_CHAR: *out += DumpChar(node.ch); break;
    case RXN_BOL: *out += "^"; break;
    case RXN_EOL: *out += "$"; break;
    case RXN_SET: {
      const char* text = tree.texts + node.text;
      *out += DumpSet(text, static_cast<int>(std::strlen(text)));
      break;
    }
    case RXN_ALT:
    case RXN_CAT:
      *out += node.kind == RXN_ALT ? "alt(" : "cat(";
      DumpNode(tree, node.left, out);
      *out += ",";
      DumpNode(tree, node.right, out);
      *out += ")";
      break;
    case RXN_STAR:
    case RXN_LAZY_STAR:
      *out += node.kind == RXN_STAR ? "star(" : "lazy(";
      DumpNode(tree, node.left, out);
      *out += ")";
      break;
    case RXN_LOOKAHEAD_BEGIN: *out += "(?="; break;
    case RXN_LOOKAHEAD_END: *out += "=)"; break;
    case RXN_NEG_LOOKAHEAD_BEGIN: *out += "(?!"; break;
    case RXN_NEG_LOOKAHEAD_END: *out += "!)"; break;
    case RXN_ANY: *out += "."; break;
    default: *out += "?"; break;
  }
}

inline std::string DumpPattern(const char* pattern) {
  RegexTree tree;
  if (!RegexParse(pattern, &tree)) return "failed";
  std::string out = std::to_string(tree.groupCount) + ":";
  DumpNode(tree, tree.root, &out);
  RegexFreeTree(&tree);
  return out;
}


// The spans of a match in one line: start,end byte offsets into the text per span, "-" for an
// unset span, joined by ";".
inline std::string SpanSummary(const RegexSpan* spans, int count, const char* text) {
  std::string out;
  for (int i = 0; i < count; ++i) {
    if (i) out += ";";
    const RegexSpan& span = spans[i];
    if (!span.start && !span.end) {
      out += "-";
    } else {
      out += span.start ? std::to_string(span.start - text) : "?";
      out += ",";
      out += span.end ? std::to_string(span.end - text) : "?";
    }
  }
  return out;
}

// The engine's result: the spans, "no" (no match), "gaveup" (the step budget or the depth ran
// out) or "failed" (compilation failed). steps receives the steps of the search.
inline std::string MatchSummary(const char* pattern, const char* text, int flags,
                                long* steps = nullptr) {
  Regex* regex = RegexCompile(pattern, flags);
  if (!regex) return "failed";
  RegexMatch* match = RegexSearch(regex, text);
  std::string out;
  if (!match) {
    out = RegexSearchGaveUp(regex) ? "gaveup" : "no";
  } else {
    out = SpanSummary(match->spans, match->spanCount, text);
  }
  if (steps) *steps = RegexSearchSteps(regex);
  RegexFreeMatch(match);
  RegexFree(regex);
  return out;
}

// The reference parser, recursive; Parse gives the DumpPattern notation.
struct ReferenceParser {
  int counter = 0;

  std::string Alternation(const char** p, int depth, int* counter) {
    std::string result = Sequence(p, depth, counter);
    RegexToken token;
    for (;;) {
      const char* after = RegexNextToken(*p, &token);
      if (token.kind != RXT_ALTERNATE) return result;
      *p = after;
      std::string next = Sequence(p, depth, counter);
      result = "alt(" + next + "," + result + ")";
    }
  }

  std::string Sequence(const char** p, int depth, int* counter) {
    std::string result;
    bool any = false;
    RegexToken token;
    for (;;) {
      RegexNextToken(*p, &token);
      if (token.kind == RXT_ALTERNATE || token.kind == RXT_EOP ||
          (token.kind == RXT_CLOSE && depth > 0)) {
        break;
      }
      std::string atom = Quantified(p, depth, counter);
      result = any ? "cat(" + result + "," + atom + ")" : atom;
      any = true;
    }
    return any ? result : "e";
  }

  static std::string Count(const std::string& x, int m, int n, bool lazy) {
    std::string r = n == 0 ? (lazy ? "lazy(" : "star(") + x + ")" : "e";
    for (int i = 0; i < n - m; ++i) {
      r = "cat(" + r + "," + (lazy ? "alt(" + x + ",e)" : "alt(e," + x + ")") + ")";
    }
    for (int i = 0; i < m; ++i) r = "cat(" + x + "," + r + ")";
    if (m == 0) r = lazy ? "alt(" + r + ",e)" : "alt(e," + r + ")";
    return r;
  }

  std::string Quantified(const char** p, int depth, int* counter) {
    std::string x = Atom(p, depth, counter);
    RegexToken token;
    const char* after = RegexNextToken(*p, &token);
    switch (token.kind) {
      case RXT_STAR: x = "star(" + x + ")"; break;
      case RXT_LAZY_STAR: x = "lazy(" + x + ")"; break;
      case RXT_PLUS: x = "cat(" + x + ",star(" + x + "))"; break;
      case RXT_LAZY_PLUS: x = "cat(" + x + ",lazy(" + x + "))"; break;
      case RXT_OPTIONAL: x = "alt(e," + x + ")"; break;
      case RXT_LAZY_OPTIONAL: x = "alt(" + x + ",e)"; break;
      case RXT_COUNT: x = Count(x, token.min, token.max, false); break;
      case RXT_LAZY_COUNT: x = Count(x, token.min, token.max, true); break;
      default: return x;
    }
    *p = after;
    return x;
  }

  std::string Atom(const char** p, int depth, int* counter) {
    RegexToken token;
    const char* start = *p;
    const char* after = RegexNextToken(start, &token);
    switch (token.kind) {
      case RXT_OPEN:
      case RXT_LOOKAHEAD:
      case RXT_NEG_LOOKAHEAD: {
        int number = token.kind == RXT_OPEN ? *counter + 1 : 0;
        int local = token.kind == RXT_OPEN ? number : *counter;
        const char* inner = after;
        std::string body = Alternation(&inner, depth + 1, &local);
        RegexNextToken(inner, &token);
        if (token.kind == RXT_CLOSE) {
          *p = inner + 1;
          *counter = local;
          if (number) {
            std::string n = std::to_string(number);
            return "cat(<" + n + ",cat(" + body + ",>" + n + "))";
          }
          bool positive = start[2] == '=';
          return std::string("cat(") + (positive ? "(?=" : "(?!") + ",cat(" + body + "," +
                 (positive ? "=)" : "!)") + "))";
        }
        *p = start + 1;
        unsigned char open[2] = {'(', 0};
        return DumpChar(open);
      }
      case RXT_ANY: *p = after; return ".";
      case RXT_BEGIN: *p = after; return "^";
      case RXT_END: *p = after; return "$";
      case RXT_SET: *p = after; return DumpSet(token.text, token.textLength);
      case RXT_CHAR: *p = after; return DumpChar(token.ch);
      default: {
        *p = start + 1;
        unsigned char ch[2] = {token.ch[0], 0};
        return DumpChar(ch);
      }
    }
  }

  std::string Parse(const char* pattern) {
    int counter = 0;
    const char* p = pattern;
    std::string tree = Alternation(&p, 0, &counter);
    return std::to_string(counter) + ":" + tree;
  }
};

// The reference automaton and walk, recursive, on the engine's parse tree.
struct RefEdge {
  bool epsilon;
  int kind;
  unsigned char ch[2];
  int flags;
  const char* setText;
  int target;
  int group;
  const char* mark;
  RefEdge* next;
};

struct RefMatcher {
  const RegexTree* tree;
  int flags;
  bool makeEdges = false;
  std::vector<RefEdge*> states;  // first edge per state
  std::vector<RefEdge*> all;
  const char* text = nullptr;
  std::vector<RegexSpan> spans;
  long steps = 0;
  bool gaveUp = false;

  ~RefMatcher() {
    for (RefEdge* edge : all) delete edge;
  }

  void AddEdge(const RegexNode& node, int kind, int from, int to) {
    if (!makeEdges) return;
    RefEdge* edge = new RefEdge;
    edge->epsilon = !(kind == RXN_CHAR || kind == RXN_SET || kind == RXN_ANY);
    edge->kind = kind;
    edge->ch[0] = node.ch[0];
    edge->ch[1] = node.ch[1];
    edge->flags = flags;
    edge->setText = node.text >= 0 ? tree->texts + node.text : nullptr;
    edge->target = to;
    edge->group = node.group;
    edge->mark = nullptr;
    edge->next = states[from];
    states[from] = edge;
    all.push_back(edge);
  }

  int Build(int index, int s, int d, int n) {
    const RegexNode& node = tree->nodes[index];
    switch (node.kind) {
      case RXN_ALT: return Build(node.right, s, d, Build(node.left, s, d, n));
      case RXN_CAT: {
        int m = n;
        int after = Build(node.left, s, m, n + 1);
        return Build(node.right, m, d, after);
      }
      case RXN_STAR: {
        int p = n, q = n + 1;
        AddEdge(node, RXN_STAR, s, p);
        AddEdge(node, RXN_STAR, q, p);
        AddEdge(node, RXN_STAR, p, d);
        return Build(node.left, p, q, n + 2);
      }
      case RXN_LAZY_STAR: {
        int p = n, q = n + 1;
        AddEdge(node, RXN_LAZY_STAR, s, p);
        int after = Build(node.left, p, q, n + 2);
        AddEdge(node, RXN_LAZY_STAR, q, p);
        AddEdge(node, RXN_LAZY_STAR, p, d);
        return after;
      }
      default:
        AddEdge(node, node.kind, s, d);
        return n;
    }
  }

  bool Test(const RefEdge& edge, const char* pos) {
    switch (edge.kind) {
      case RXN_EOL: return *pos == '\r' || *pos == '\n' || *pos == 0;
      case RXN_BOL: return pos == text;
      default: break;
    }
    if (edge.epsilon) return true;
    if (*pos == 0) return false;
    if (edge.kind == RXN_ANY) return true;
    if (edge.kind == RXN_SET) return RegexInSet(pos, edge.setText);
    return RegexCompareChar(pos, edge.ch, edge.flags);
  }

  // Path depth at which the reference stops (its recursion would exhaust the stack): edges
  // whose marks were left set by a success inside a negative lookahead can be entered again
  // at the same position, so a path can grow with the steps taken.
  static const int kMaxDepth = 4000;
  int depth = 0;
  bool tooDeep = false;

  const char* Walk(int state, const char* pos) {
    if (state == 1) return pos;
    if (depth >= kMaxDepth) {
      tooDeep = true;
      gaveUp = true;
      return nullptr;
    }
    struct DepthGuard {
      int* depth;
      explicit DepthGuard(int* d) : depth(d) { ++*depth; }
      ~DepthGuard() { --*depth; }
    } guard(&depth);
    for (RefEdge* edge = states[state]; edge; edge = edge->next) {
      if (edge->mark == pos) continue;
      // The engine's step budget, counted at the same place.
      if (steps >= RX_STEP_BUDGET) {
        gaveUp = true;
        return nullptr;
      }
      ++steps;
      const char* remembered = edge->mark;
      edge->mark = pos;
      const char* r = nullptr;
      if (Test(*edge, pos)) r = Walk(edge->target, edge->epsilon ? pos : NextChar(pos));
      if (gaveUp) return nullptr;
      if (r) {
        switch (edge->kind) {
          case RXN_GROUP_BEGIN:
            if (!spans[edge->group].start) spans[edge->group].start = pos;
            return r;
          case RXN_GROUP_END:
            if (!spans[edge->group].end) spans[edge->group].end = pos;
            return r;
          case RXN_LOOKAHEAD_BEGIN: return pos;
          case RXN_NEG_LOOKAHEAD_BEGIN: break;
          default: return r;
        }
      } else if (edge->kind == RXN_NEG_LOOKAHEAD_BEGIN) {
        return pos;
      }
      edge->mark = remembered;
    }
    return nullptr;
  }

  // The same notation as MatchSummary; "skipped" when the tree has more than nodeLimit (> 0)
  // nodes or the path grows deeper than kMaxDepth.
  std::string Search(const char* pattern, const char* searched, int compileFlags,
                     int nodeLimit = 0) {
    RegexTree parsed;
    if (!RegexParse(pattern, &parsed)) return "failed";
    if (nodeLimit > 0 && parsed.nodeCount > nodeLimit) {
      RegexFreeTree(&parsed);
      return "skipped";
    }
    tree = &parsed;
    flags = compileFlags;
    int count = Build(parsed.root, 0, 1, 2);
    states.assign(count, nullptr);
    makeEdges = true;
    Build(parsed.root, 0, 1, 2);
    text = searched;
    spans.assign(parsed.groupCount + 1, RegexSpan{nullptr, nullptr});
    std::string out = "no";
    for (const char* pos = searched;;) {
      for (RegexSpan& span : spans) span = RegexSpan{nullptr, nullptr};
      const char* r = Walk(0, pos);
      if (gaveUp) {
        out = tooDeep ? "skipped" : "gaveup";
        break;
      }
      if (r) {
        spans[0] = RegexSpan{pos, r};
        out = SpanSummary(spans.data(), static_cast<int>(spans.size()), searched);
        break;
      }
      pos = NextChar(pos);
      if (*pos == 0) break;
    }
    RegexFreeTree(&parsed);
    return out;
  }
};
