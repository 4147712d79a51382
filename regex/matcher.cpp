// The automaton and the backtracking walk, with an explicit stack and a step budget.
#include <cstdlib>
#include <cstring>

#include "regex/regex_engine.h"
#include "text/chars.h"

namespace {

struct RegexEdge {
  bool epsilon;
  int kind;
  unsigned char ch[2];
  int flags;
  const char* setText;  // into Regex::texts
  int target;
  int group;
  const char* mark;
  int next;  // index of the next edge of the same state, or -1
};

struct RegexAutomaton {
  int stateCount;
  int* states;  // per state: its first edge, or -1; state 1 is the only accepting state
  int edgeCount;
  RegexEdge* edges;
};

// One edge on the current path of the walk.
struct WalkFrame {
  int edge;              // the edge being tried, or -1 before the first
  const char* position;  // where the walk entered the state
  const char* saved;     // the edge's mark before it was entered
  int state;
};

}  // namespace

struct Regex {
  int spanCount;
  RegexAutomaton automaton;
  char* texts;  // the set texts of the tree, referred to by the edges
  WalkFrame* stack;
  int stackCapacity;
  bool gaveUp;
  long steps;
};

namespace {

bool IsConsuming(int kind) {
  return kind == RXN_CHAR || kind == RXN_SET || kind == RXN_ANY;
}

struct Builder {
  const RegexTree* tree;
  Regex* regex;
  bool makeEdges;
  int flags;
};

void AddEdge(Builder* builder, const RegexNode* node, int kind, int from, int to) {
  if (!builder->makeEdges) {
    builder->regex->automaton.edgeCount++;
    return;
  }
  RegexAutomaton& automaton = builder->regex->automaton;
  int index = automaton.edgeCount++;
  RegexEdge& edge = automaton.edges[index];
  edge.epsilon = !IsConsuming(kind);
  edge.kind = kind;
  edge.ch[0] = node->ch[0];
  edge.ch[1] = node->ch[1];
  edge.flags = builder->flags;
  edge.setText = (kind == RXN_SET && node->text >= 0) ? builder->regex->texts + node->text : nullptr;
  edge.target = to;
  edge.group = node->group;
  edge.mark = nullptr;
  edge.next = automaton.states[from];
  automaton.states[from] = index;  // added at the front: tried before the earlier edges
}

struct BuildTask {
  int node;
  int from;
  int to;
  bool finishLazy;  // the second half of RXN_LAZY_STAR: from = P, to = D
};

// Build(root, 0, 1, 2) with a heap stack instead of recursion; returns the state count or -1.
int Build(Builder* builder) {
  const RegexTree* tree = builder->tree;
  int capacity = 64;
  BuildTask* tasks = static_cast<BuildTask*>(std::malloc(sizeof(BuildTask) * capacity));
  if (!tasks) return -1;
  int count = 0;
  tasks[count++] = {tree->root, 0, 1, false};
  int next = 2;
  while (count > 0) {
    BuildTask task = tasks[--count];
    // At most two tasks are pushed per step.
    if (count + 2 > capacity) {
      capacity *= 2;
      void* grown = std::realloc(tasks, sizeof(BuildTask) * capacity);
      if (!grown) {
        std::free(tasks);
        return -1;
      }
      tasks = static_cast<BuildTask*>(grown);
    }
    const RegexNode* node = &tree->nodes[task.node];
    if (task.finishLazy) {
      AddEdge(builder, node, RXN_LAZY_STAR, task.from + 1, task.from);
      AddEdge(builder, node, RXN_LAZY_STAR, task.from, task.to);
      continue;
    }
    switch (node->kind) {
      case RXN_ALT:
        tasks[count++] = {node->right, task.from, task.to, false};
        tasks[count++] = {node->left, task.from, task.to, false};
        break;
      case RXN_CAT: {
        int middle = next++;
        tasks[count++] = {node->right, middle, task.to, false};
        tasks[count++] = {node->left, task.from, middle, false};
        break;
      }
      case RXN_STAR: {
        int p = next;
        int q = next + 1;
        next += 2;
        AddEdge(builder, node, RXN_STAR, task.from, p);
        AddEdge(builder, node, RXN_STAR, q, p);
        AddEdge(builder, node, RXN_STAR, p, task.to);
        tasks[count++] = {node->left, p, q, false};
        break;
      }
      case RXN_LAZY_STAR: {
        int p = next;
        next += 2;
        AddEdge(builder, node, RXN_LAZY_STAR, task.from, p);
        tasks[count++] = {task.node, p, task.to, true};
        tasks[count++] = {node->left, p, p + 1, false};
        break;
      }
      default:
        AddEdge(builder, node, node->kind, task.from, task.to);
        break;
    }
  }
  std::free(tasks);
  return next;
}

bool BuildAutomaton(const RegexTree* tree, Regex* regex, int flags) {
  Builder builder = {tree, regex, false, flags};
  RegexAutomaton& automaton = regex->automaton;
  automaton.edgeCount = 0;
  int stateCount = Build(&builder);  // pass one: counts only
  if (stateCount < 0) return false;
  int edgeCount = automaton.edgeCount;
  automaton.stateCount = stateCount;
  automaton.states = static_cast<int*>(std::malloc(sizeof(int) * stateCount));
  automaton.edges = static_cast<RegexEdge*>(std::malloc(sizeof(RegexEdge) * (edgeCount + 1)));
  if (!automaton.states || !automaton.edges) return false;
  for (int i = 0; i < stateCount; ++i) automaton.states[i] = -1;
  automaton.edgeCount = 0;
  builder.makeEdges = true;
  return Build(&builder) == stateCount;  // pass two: the edges
}

bool EdgeTest(const RegexEdge& edge, const char* position, const char* text) {
  switch (edge.kind) {
    case RXN_EOL: return *position == '\r' || *position == '\n' || *position == 0;
    case RXN_BOL: return position == text;
    case RXN_ANY: return *position != 0;
    case RXN_SET: return *position != 0 && RegexInSet(position, edge.setText);
    case RXN_CHAR: return *position != 0 && RegexCompareChar(position, edge.ch, edge.flags);
    default: return true;
  }
}

bool PushWalk(Regex* regex, int* depth, const WalkFrame& frame) {
  if (*depth >= RX_MAX_DEPTH) return false;
  if (*depth == regex->stackCapacity) {
    int capacity = regex->stackCapacity ? regex->stackCapacity * 2 : 256;
    if (capacity > RX_MAX_DEPTH) capacity = RX_MAX_DEPTH;
    void* grown = std::realloc(regex->stack, sizeof(WalkFrame) * capacity);
    if (!grown) return false;
    regex->stack = static_cast<WalkFrame*>(grown);
    regex->stackCapacity = capacity;
  }
  regex->stack[(*depth)++] = frame;
  return true;
}

// Tries the edges of the frame's state from edge e on: an edge already tried at this position
// is passed over (its mark), every try counts against the budget. True:
// the walk descends into *state at *position. False: the state returns *result (null: no
// edge succeeded, or the budget ran out and gaveUp is set).
bool TryEdges(Regex* regex, WalkFrame* frame, int e, const char* text, int* state,
              const char** position, const char** result) {
  RegexEdge* edges = regex->automaton.edges;
  while (e >= 0) {
    RegexEdge& edge = edges[e];
    if (edge.mark == frame->position) {
      e = edge.next;
      continue;
    }
    if (regex->steps >= RX_STEP_BUDGET) {
      regex->gaveUp = true;
      *result = nullptr;
      return false;
    }
    ++regex->steps;
    frame->saved = edge.mark;
    edge.mark = frame->position;
    frame->edge = e;
    if (EdgeTest(edge, frame->position, text)) {
      *state = edge.target;
      *position = edge.epsilon ? frame->position : NextChar(frame->position);
      return true;
    }
    if (edge.kind == RXN_NEG_LOOKAHEAD_BEGIN) {
      // Its inner path failed: the state succeeds here; the mark stays set.
      *result = frame->position;
      return false;
    }
    edge.mark = frame->saved;
    e = edge.next;
  }
  *result = nullptr;
  return false;
}

// Walk(state 0, start), with the path on a heap stack. Returns the end position or
// null; sets gaveUp when the budget or the depth runs out.
const char* Walk(Regex* regex, const char* text, const char* start, RegexSpan* spans) {
  RegexAutomaton& automaton = regex->automaton;
  int depth = 0;
  int state = 0;
  const char* position = start;
  const char* result = nullptr;
  for (;;) {
    // Enter the state.
    if (state == 1) {
      result = position;
    } else {
      if (!PushWalk(regex, &depth, WalkFrame{-1, position, nullptr, state})) {
        regex->gaveUp = true;
        return nullptr;
      }
      WalkFrame* frame = &regex->stack[depth - 1];
      if (TryEdges(regex, frame, automaton.states[state], text, &state, &position, &result)) {
        continue;
      }
      if (regex->gaveUp) return nullptr;
      --depth;
    }
    // Hand the result back along the path until a state tries another edge: a success returns
    // through each state (noting group bounds; a lookahead gives back its start position, a
    // negative one turns success into failure and failure into success), a failure has the
    // state try its next edge.
    for (;;) {
      if (depth == 0) return result;
      WalkFrame* frame = &regex->stack[depth - 1];
      RegexEdge& edge = automaton.edges[frame->edge];
      bool failed = result == nullptr;
      if (result) {
        switch (edge.kind) {
          case RXN_GROUP_BEGIN:
            if (!spans[edge.group].start) spans[edge.group].start = frame->position;
            break;
          case RXN_GROUP_END:
            if (!spans[edge.group].end) spans[edge.group].end = frame->position;
            break;
          case RXN_LOOKAHEAD_BEGIN:
            result = frame->position;
            break;
          case RXN_NEG_LOOKAHEAD_BEGIN:
            failed = true;
            break;
          default:
            break;
        }
      } else if (edge.kind == RXN_NEG_LOOKAHEAD_BEGIN) {
        result = frame->position;
        failed = false;
      }
      if (!failed) {
        --depth;  // the mark stays set
        continue;
      }
      edge.mark = frame->saved;
      if (TryEdges(regex, frame, edge.next, text, &state, &position, &result)) break;
      if (regex->gaveUp) return nullptr;
      --depth;
    }
  }
}

}  // namespace

Regex* RegexCompile(const char* pattern, int flags) {
  RegexTree tree;
  if (!RegexParse(pattern, &tree)) return nullptr;
  Regex* regex = static_cast<Regex*>(std::calloc(1, sizeof(Regex)));
  if (!regex) {
    RegexFreeTree(&tree);
    return nullptr;
  }
  regex->spanCount = tree.groupCount + 1;
  // The tree's set texts move to the Regex: the edges refer to them.
  regex->texts = tree.texts;
  tree.texts = nullptr;
  bool ok = BuildAutomaton(&tree, regex, flags);
  RegexFreeTree(&tree);
  if (!ok) {
    RegexFree(regex);
    return nullptr;
  }
  return regex;
}

RegexMatch* RegexSearch(Regex* regex, const char* text) {
  if (!regex || !text) return nullptr;
  regex->gaveUp = false;
  regex->steps = 0;
  RegexAutomaton& automaton = regex->automaton;
  for (int i = 0; i < automaton.edgeCount; ++i) automaton.edges[i].mark = nullptr;
  RegexMatch* match = static_cast<RegexMatch*>(std::malloc(sizeof(RegexMatch)));
  if (!match) return nullptr;
  match->spanCount = regex->spanCount;
  match->spans = static_cast<RegexSpan*>(std::malloc(sizeof(RegexSpan) * regex->spanCount));
  if (!match->spans) {
    std::free(match);
    return nullptr;
  }
  const char* position = text;
  for (;;) {
    for (int i = 0; i < match->spanCount; ++i) match->spans[i] = RegexSpan{nullptr, nullptr};
    const char* end = Walk(regex, text, position, match->spans);
    if (regex->gaveUp) break;
    if (end) {
      match->spans[0] = RegexSpan{position, end};
      return match;
    }
    position = NextChar(position);
    if (*position == 0) break;
  }
  RegexFreeMatch(match);
  return nullptr;
}

void RegexFreeMatch(RegexMatch* match) {
  if (!match) return;
  std::free(match->spans);
  std::free(match);
}

void RegexFree(Regex* regex) {
  if (!regex) return;
  std::free(regex->automaton.edges);
  std::free(regex->automaton.states);
  std::free(regex->texts);
  std::free(regex->stack);
  std::free(regex);
}

bool RegexSearchGaveUp(const Regex* regex) {
  return regex && regex->gaveUp;
}

long RegexSearchSteps(const Regex* regex) {
  return regex ? regex->steps : 0;
}
