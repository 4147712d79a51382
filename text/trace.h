// The one diagnostic sink: printf-style lines to the debugger output. Error lines begin "! ".
#pragma once

enum { TRACE_LINE_SIZE = 1024 };

void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Tests capture the lines here; a null hook stops capturing. The line still goes to the
// debugger output.
using TraceHook = void (*)(const char* line, void* context);
void SetTraceHook(TraceHook hook, void* context);
