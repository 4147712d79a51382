// Text drawn and measured through GDI's wide functions (see gdi_text.h).
#include "controls/gdi_text.h"

#include <cstdlib>

namespace {

// The text in UTF-16, freed with std::free; null when it cannot be had. The length comes back in
// units, without the terminator. A broken double-byte character becomes the replacement
// character rather than taking the next one with it: this text is only shown.
WCHAR* WideCopy(const char* text, int* length) {
  int units = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (units <= 0) return nullptr;
  auto* wide = static_cast<WCHAR*>(std::malloc(sizeof(WCHAR) * static_cast<size_t>(units)));
  if (!wide) return nullptr;
  if (MultiByteToWideChar(CP_ACP, 0, text, -1, wide, units) != units) {
    std::free(wide);
    return nullptr;
  }
  *length = units - 1;
  return wide;
}

}  // namespace

bool DrawTextLine(HDC dc, int x, int y, const char* text) {
  int length = 0;
  WCHAR* wide = WideCopy(text, &length);
  if (!wide) return false;
  bool drawn = TextOutW(dc, x, y, wide, length) != FALSE;
  std::free(wide);
  return drawn;
}

bool MeasureText(HDC dc, const char* text, UINT format, RECT* bounds) {
  int length = 0;
  WCHAR* wide = WideCopy(text, &length);
  if (!wide) return false;
  bool measured = DrawTextW(dc, wide, length, bounds, format | DT_CALCRECT) != 0;
  std::free(wide);
  return measured;
}

bool GetTextExtent(HDC dc, const char* text, SIZE* extent) {
  int length = 0;
  WCHAR* wide = WideCopy(text, &length);
  if (!wide) return false;
  bool measured = GetTextExtentPoint32W(dc, wide, length, extent) != FALSE;
  std::free(wide);
  return measured;
}
