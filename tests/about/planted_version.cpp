// A library under the file name of the system's version library, planted next to the program by
// the end-to-end test. Wine's own user32 imports that library by name, so under Wine it is loaded
// into every process whatever the program does; what the program must never do is use it. Its
// ANSI functions, the ones the program reads its version with, signal the planted-library event
// and fail; the wide ones, which Wine's user32 calls, only fail.
#include <windows.h>

#include "tests/about/planted_meter.h"

// Exported under the real library's names (planted_version.def); in the 32-bit build a symbol
// has one more leading underscore, which the export leaves off.
#if defined(__i386__)
#define EXPORT_SYMBOL(name) "_" name
#else
#define EXPORT_SYMBOL(name) name
#endif

extern "C" {
DWORD WINAPI PlantedSizeA(LPCSTR, LPDWORD) __asm__(EXPORT_SYMBOL("PlantedSizeA"));
BOOL WINAPI PlantedInfoA(LPCSTR, DWORD, DWORD, LPVOID) __asm__(EXPORT_SYMBOL("PlantedInfoA"));
BOOL WINAPI PlantedQueryA(LPCVOID, LPCSTR, LPVOID*, PUINT) __asm__(EXPORT_SYMBOL("PlantedQueryA"));
DWORD WINAPI PlantedSizeW(LPCWSTR, LPDWORD) __asm__(EXPORT_SYMBOL("PlantedSizeW"));
BOOL WINAPI PlantedInfoW(LPCWSTR, DWORD, DWORD, LPVOID) __asm__(EXPORT_SYMBOL("PlantedInfoW"));
BOOL WINAPI PlantedQueryW(LPCVOID, LPCWSTR, LPVOID*, PUINT) __asm__(EXPORT_SYMBOL("PlantedQueryW"));

DWORD WINAPI PlantedSizeA(LPCSTR, LPDWORD) {
  MarkPlantedLibraryUsed();
  return 0;
}
BOOL WINAPI PlantedInfoA(LPCSTR, DWORD, DWORD, LPVOID) {
  MarkPlantedLibraryUsed();
  return FALSE;
}
BOOL WINAPI PlantedQueryA(LPCVOID, LPCSTR, LPVOID*, PUINT) {
  MarkPlantedLibraryUsed();
  return FALSE;
}
DWORD WINAPI PlantedSizeW(LPCWSTR, LPDWORD) { return 0; }
BOOL WINAPI PlantedInfoW(LPCWSTR, DWORD, DWORD, LPVOID) { return FALSE; }
BOOL WINAPI PlantedQueryW(LPCVOID, LPCWSTR, LPVOID*, PUINT) { return FALSE; }
}
