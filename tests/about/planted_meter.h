// The mark the planted resource meter library leaves when it is loaded: it signals an event named
// after the process that loads it, which the test creates beforehand, so that a test can tell
// whether it ran. The program's own tests plant it under other libraries' names too.
#pragma once

#include <windows.h>

#include <cstdio>

inline void PlantedMeterEventName(char* name, int size, DWORD processId = GetCurrentProcessId()) {
  std::snprintf(name, static_cast<std::size_t>(size), "MorvanePlantedMeter%lu", processId);
}

// Signals the event named after this process, when a test has made one.
inline void MarkPlantedLibraryUsed() {
  char name[64];
  PlantedMeterEventName(name, sizeof name);
  HANDLE mark = OpenEventA(EVENT_MODIFY_STATE, FALSE, name);
  if (mark) {
    SetEvent(mark);
    CloseHandle(mark);
  }
}

// What the planted meter reports for the system resources.
const int kPlantedMeterPercent = 42;
