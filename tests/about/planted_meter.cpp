// A library under the file name of the system's resource meter, built for the About box tests:
// loading it signals the test's event, and its meter answers with a fixed figure.
#include "tests/about/planted_meter.h"

// The meter's export carries its decorated name in both builds (planted_meter.def); in the
// 32-bit build the symbol has one more leading underscore, which the export leaves off.
#if defined(__i386__)
#define METER_SYMBOL "__MyGetFreeSystemResources32@4"
#else
#define METER_SYMBOL "_MyGetFreeSystemResources32@4"
#endif

extern "C" int WINAPI PlantedMeter(int which) __asm__(METER_SYMBOL);

extern "C" int WINAPI PlantedMeter(int which) { return which == 0 ? kPlantedMeterPercent : -1; }

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) MarkPlantedLibraryUsed();
  return TRUE;
}
