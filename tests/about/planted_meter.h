// The mark the planted resource meter library leaves when it is loaded: it signals an event named
// after the process that loads it, which the test creates beforehand, so that a test can tell
// whether it ran. The program's own tests plant it under other libraries' names too.
#pragma once

#include <windows.h>

#include <cstdio>

inline void PlantedMeterEventName(char* name, int size, DWORD processId = GetCurrentProcessId()) {
  std::snprintf(name, static_cast<std::size_t>(size), "MorvanePlantedMeter%lu", processId);
}

// What the planted meter reports for the system resources.
const int kPlantedMeterPercent = 42;
