// The trace lines written while the object lives, for tests that check what was said.
#pragma once

#include <string>
#include <vector>

#include "text/trace.h"

struct TraceLines {
  TraceLines() { SetTraceHook(Add, &lines); }
  ~TraceLines() { SetTraceHook(nullptr, nullptr); }
  TraceLines(const TraceLines&) = delete;
  TraceLines& operator=(const TraceLines&) = delete;
  static void Add(const char* line, void* lines) {
    static_cast<std::vector<std::string>*>(lines)->push_back(line);
  }
  std::vector<std::string> lines;
};
