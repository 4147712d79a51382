// The mark the planted resource meter library leaves when it is loaded: it signals an event of
// this name, which the test creates beforehand, so that a test can tell whether it ran.
#pragma once

#include <windows.h>

#include <cstdio>

inline void PlantedMeterEventName(char* name, int size) {
  std::snprintf(name, static_cast<std::size_t>(size), "MorvanePlantedMeter%lu",
                GetCurrentProcessId());
}

// What the planted meter reports for the system resources.
const int kPlantedMeterPercent = 42;
