// Diagnostic trace to the debugger output (see trace.h).
#include "text/trace.h"

#include <windows.h>

#include <cstdarg>

#include "text/bounded.h"

static TraceHook g_hook = nullptr;
static void* g_hookContext = nullptr;

void SetTraceHook(TraceHook hook, void* context) {
  g_hook = hook;
  g_hookContext = context;
}

void Trace(const char* format, ...) {
  char line[TRACE_LINE_SIZE];
  va_list arguments;
  va_start(arguments, format);
  FormatBoundedV(line, sizeof line, format, arguments);
  va_end(arguments);
  OutputDebugStringA(line);
  if (g_hook) g_hook(line, g_hookContext);
}
