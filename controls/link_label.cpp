// A static text control that behaves as a hyperlink.
#include "controls/link_label.h"

#include <cstring>

#include "controls/gdi_text.h"
#include "controls/subclass.h"
#include "controls/window_helpers.h"

const char LLPROP_ORIGINALPROC[] = "LLPROP_ORIGINALPROC";
const char LLPROP_CONTROLSTATE[] = "LLPROP_CONTROLSTATE";
const char LLPROP_CURSOR[] = "LLPROP_CURSOR";
const char LLPROP_FONT[] = "LLPROP_FONT";

namespace {

const UINT_PTR kHoverTimer = 1;
const COLORREF kNormalColour = RGB(0, 0, 255);
const COLORREF kHotColour = RGB(255, 0, 0);

// The hand, hot spot at the tip of the index finger (7, 0). '.' transparent, '#' black,
// 'o' white; rows below and columns to the right of the picture are transparent.
const char* const kHandPicture[] = {
    "......##..........",
    ".....#oo#.........",
    ".....#oo#.........",
    ".....#oo#.........",
    ".....#oo#.........",
    ".....#oo###.......",
    ".....#oo#oo###....",
    ".....#oo#oo#oo##..",
    ".....#oo#oo#oo#o#.",
    ".###.#oo#oo#oo#oo#",
    ".#oo##oooooooo#oo#",
    ".#ooo#ooooooooooo#",
    "..#oo#ooooooooooo#",
    "...#o#ooooooooooo#",
    "...#ooooooooooooo#",
    "....#oooooooooooo#",
    "....#ooooooooooo#.",
    ".....#oooooooooo#.",
    ".....#oooooooooo#.",
    "......#oooooooo#..",
    "......#oooooooo#..",
    "......##########..",
};
const int kCursorSize = 32;
const int kRowBytes = kCursorSize / 8;

LRESULT PassOn(HWND label, UINT message, WPARAM wParam, LPARAM lParam) {
  return PassToOriginal(label, LLPROP_ORIGINALPROC, message, wParam, lParam);
}

bool IsHot(HWND label) {
  return (reinterpret_cast<UINT_PTR>(GetPropA(label, LLPROP_CONTROLSTATE)) & LLSTATE_HOT) != 0;
}

void SetState(HWND label, UINT_PTR state) {
  SetPropA(label, LLPROP_CONTROLSTATE, reinterpret_cast<HANDLE>(state));
}

void Notify(HWND label, UINT code, WPARAM wParam, LPARAM lParam) {
  LinkLabelNotify record;
  std::memset(&record, 0, sizeof(record));
  InitNotifyHeader(&record.header, label, code);
  record.wParam = wParam;
  record.lParam = lParam;
  SendNotify(label, &record.header);
}

void CALLBACK HoverTick(HWND label, UINT, UINT_PTR, DWORD) {
  if (IsCursorInClient(label)) return;
  KillTimer(label, kHoverTimer);
  Notify(label, LLN_MOUSELEAVE, 0, 0);
}

LRESULT OnNcHitTest(HWND label, WPARAM wParam, LPARAM lParam) {
  // A static control is transparent to the mouse unless it says otherwise.
  if (IsCursorInClient(label)) return HTCLIENT;
  return PassOn(label, WM_NCHITTEST, wParam, lParam);
}

LRESULT OnSetCursor(HWND label) {
  HCURSOR hand = static_cast<HCURSOR>(GetPropA(label, LLPROP_CURSOR));
  if (hand) SetCursor(hand);
  return TRUE;
}

LRESULT OnMouseMove(HWND label, WPARAM wParam, LPARAM lParam) {
  if (IsCursorInClient(label)) {
    SetTimer(label, kHoverTimer, 0, HoverTick);
    Notify(label, LLN_MOUSEMOVE, wParam, lParam);
  }
  return PassOn(label, WM_MOUSEMOVE, wParam, lParam);
}

LRESULT OnLButtonDown(HWND label, WPARAM wParam, LPARAM lParam) {
  SetCapture(label);
  InvalidateWindow(label, false);
  return PassOn(label, WM_LBUTTONDOWN, wParam, lParam);
}

LRESULT OnLButtonUp(HWND label, WPARAM wParam, LPARAM lParam) {
  if (GetCapture() == label) {
    ReleaseCapture();
    InvalidateWindow(label, false);
    if (IsCursorInClient(label)) Notify(label, LLN_CLICK, 0, 0);
  }
  return PassOn(label, WM_LBUTTONUP, wParam, lParam);
}

LRESULT OnReflectedNotify(HWND label, WPARAM wParam, LPARAM lParam) {
  const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
  // Only our own records come back to us; anything else is none of the subclass's business.
  if (!header || header->hwndFrom != label) return PassOn(label, WM_NOTIFY, wParam, lParam);
  switch (header->code) {
    case LLN_MOUSELEAVE:
      SetState(label, 0);
      InvalidateWindow(label, false);
      return 0;
    case LLN_MOUSEMOVE:
      if (IsCursorInClient(label)) SetState(label, LLSTATE_HOT);
      InvalidateWindow(label, false);
      return 0;
    default:
      return PassOn(label, WM_NOTIFY, wParam, lParam);
  }
}

void PaintText(HWND label, HDC dc) {
  char* text = GetWindowTextCopy(label);
  if (!text) return;
  SetTextColor(dc, IsHot(label) ? kHotColour : kNormalColour);
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0));
  if (font) {
    SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    DrawTextLine(dc, 0, 0, text);
  }
  FreeWindowTextCopy(text);
}

LRESULT OnPaint(HWND label) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(label, &paint);
  if (!dc) {
    EndPaint(label, &paint);
    return 0;
  }
  int saved = SaveDC(dc);
  RECT client = {0, 0, 0, 0};
  GetClientRect(label, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  // The frame shows the press, but only while the pointer is still over the label.
  if (GetCapture() == label && IsHot(label)) {
    FrameRect(dc, &client, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  }
  PaintText(label, dc);
  RestoreDC(dc, saved);
  EndPaint(label, &paint);
  return 0;
}

void ReleaseLabelProperties(HWND label) {
  RemovePropA(label, LLPROP_CONTROLSTATE);
  HFONT font = static_cast<HFONT>(RemovePropA(label, LLPROP_FONT));
  if (font) DeleteObject(font);
  HCURSOR hand = static_cast<HCURSOR>(RemovePropA(label, LLPROP_CURSOR));
  if (hand) DestroyCursor(hand);
}

LRESULT OnDestroy(HWND label, WPARAM wParam, LPARAM lParam) {
  ReleaseLabelProperties(label);
  return RemoveSubclass(label, LLPROP_ORIGINALPROC, wParam, lParam);
}

LRESULT CALLBACK LinkLabelProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCHITTEST:
      return OnNcHitTest(label, wParam, lParam);
    case WM_SETCURSOR:
      return OnSetCursor(label);
    case WM_MOUSEMOVE:
      return OnMouseMove(label, wParam, lParam);
    case WM_LBUTTONDOWN:
      return OnLButtonDown(label, wParam, lParam);
    case WM_LBUTTONUP:
      return OnLButtonUp(label, wParam, lParam);
    case WM_NOTIFY:
      return OnReflectedNotify(label, wParam, lParam);
    case WM_PAINT:
      return OnPaint(label);
    case WM_DESTROY:
      return OnDestroy(label, wParam, lParam);
    default:
      return PassOn(label, message, wParam, lParam);
  }
}

}  // namespace

HCURSOR CreateHandCursor(HINSTANCE instance) {
  BYTE andPlane[kCursorSize * kRowBytes];
  BYTE xorPlane[kCursorSize * kRowBytes];
  std::memset(andPlane, 0xFF, sizeof(andPlane));
  std::memset(xorPlane, 0, sizeof(xorPlane));
  const int rows = static_cast<int>(sizeof(kHandPicture) / sizeof(kHandPicture[0]));
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; kHandPicture[row][column] != '\0'; ++column) {
      char pixel = kHandPicture[row][column];
      if (pixel == '.') continue;
      BYTE bit = static_cast<BYTE>(0x80 >> (column % 8));
      int at = row * kRowBytes + column / 8;
      andPlane[at] = static_cast<BYTE>(andPlane[at] & ~bit);
      if (pixel == 'o') xorPlane[at] = static_cast<BYTE>(xorPlane[at] | bit);
    }
  }
  return CreateCursor(instance, 7, 0, kCursorSize, kCursorSize, andPlane, xorPlane);
}

bool SubclassLinkLabel(HWND label) {
  // In UTF-16: the face name would pass through the system's code page on the ANSI path.
  LOGFONTW description;
  if (!GetWindowFontInfo(label, &description)) return false;
  description.lfUnderline = TRUE;
  HFONT font = CreateFontIndirectW(&description);
  if (!font) return false;
  HCURSOR hand =
      CreateHandCursor(WindowInstance(label));
  if (!hand) {
    DeleteObject(font);
    return false;
  }
  // A failed call leaves the label as it was, with nothing made for it left behind.
  bool stored = SetPropA(label, LLPROP_CURSOR, hand) && SetPropA(label, LLPROP_FONT, font) &&
                SetPropA(label, LLPROP_CONTROLSTATE, nullptr);
  if (!stored || !InstallSubclass(label, LLPROP_ORIGINALPROC, LinkLabelProc)) {
    RemovePropA(label, LLPROP_CURSOR);
    RemovePropA(label, LLPROP_FONT);
    RemovePropA(label, LLPROP_CONTROLSTATE);
    DestroyCursor(hand);
    DeleteObject(font);
    return false;
  }
  SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  return true;
}
