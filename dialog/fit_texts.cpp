// Fitting a dialog to its texts (see fit_texts.h).
#include "dialog/fit_texts.h"

#include <commctrl.h>

#include <cstdlib>
#include <cstring>

#include "controls/gdi_text.h"
#include "controls/window_helpers.h"
#include "dialog/date_text.h"

namespace {

const FitRule* RuleFor(int id, const FitRule* rules, int ruleCount) {
  for (int i = 0; i < ruleCount; ++i)
    if (rules[i].controlId == id) return &rules[i];
  return nullptr;
}

bool IsClass(HWND control, const char* name) {
  char className[16] = "";
  GetClassNameA(control, className, sizeof className);
  return lstrcmpiA(className, name) == 0;
}

// A text's width in the control's own font; with prefix, an ampersand marks the next character
// instead of being drawn, as buttons and plain static texts draw it.
int TextWidth(HWND control, const char* text, bool prefix) {
  int width = 0;
  HDC dc = GetDC(control);
  if (!dc) return 0;
  int saved = SaveDC(dc);
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
  if (font) SelectObject(dc, font);
  RECT bounds = {0, 0, 0, 0};
  UINT format = DT_SINGLELINE | (prefix ? 0u : DT_NOPREFIX);
  if (MeasureText(dc, text, format, &bounds)) width = bounds.right - bounds.left;
  RestoreDC(dc, saved);
  ReleaseDC(control, dc);
  return width;
}

// The shape with every digit place holding one digit, the widest of the ten.
int WidestShapeWidth(HWND control, const char* shape) {
  char text[DATE_TEXT_SIZE * 2];
  int length = static_cast<int>(std::strlen(shape));
  if (length >= static_cast<int>(sizeof text)) return 0;
  int widest = 0;
  for (char digit = '0'; digit <= '9'; ++digit) {
    for (int i = 0; i <= length; ++i) text[i] = shape[i] == '#' ? digit : shape[i];
    int width = TextWidth(control, text, false);
    if (width > widest) widest = width;
  }
  return widest;
}

// The room a drop-down list's items need around them in its selection area: the focus frame
// and a little space on either side.
const int kListItemMargin = 4;

// The widest of a drop-down list's items in its font; 0 when it has none yet.
int WidestListItem(HWND control) {
  int widest = 0;
  int count = static_cast<int>(SendMessageA(control, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[256];
    LRESULT length = SendMessageA(control, CB_GETLBTEXTLEN, i, 0);
    if (length < 0 || length >= static_cast<LRESULT>(sizeof text)) continue;
    if (SendMessageA(control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text)) < 0) continue;
    int itemWidth = TextWidth(control, text, false);
    if (itemWidth > widest) widest = itemWidth;
  }
  return widest;
}

bool IsTextStatic(LONG_PTR style) {
  LONG_PTR type = style & SS_TYPEMASK;
  return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_SIMPLE ||
         type == SS_LEFTNOWORDWRAP;
}

// The width the control needs for its text, 0 when it has none to fit.
int NeededWidth(HWND control, const FitRule* rule, bool* frame) {
  LONG_PTR style = GetWindowLongPtrA(control, GWL_STYLE);
  int width = GetWindowWidth(control);
  *frame = false;
  if (IsClass(control, "Button")) {
    if ((style & BS_TYPEMASK) == BS_GROUPBOX) {
      *frame = true;
      return 0;
    }
    SIZE ideal = {0, 0};
    return SendMessageA(control, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)) ? ideal.cx
                                                                                          : 0;
  }
  if (IsClass(control, "Static") && IsTextStatic(style)) {
    char* text = GetWindowTextCopy(control);
    if (!text) return 0;
    int needed = TextWidth(control, text, (style & SS_NOPREFIX) == 0) + width -
                 GetClientWidth(control);
    FreeWindowTextCopy(text);
    return needed;
  }
  if (IsClass(control, "ComboBox")) {
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    int widest = WidestListItem(control);
    if (widest == 0 || !GetComboBoxInfo(control, &info)) return 0;
    return widest + kListItemMargin + width - (info.rcItem.right - info.rcItem.left);
  }
  if (IsClass(control, "Edit") && rule && rule->shape) {
    RECT format = {0, 0, 0, 0};
    SendMessageA(control, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    return WidestShapeWidth(control, rule->shape) + width - (format.right - format.left);
  }
  return 0;
}

FitItem Describe(HWND dialog, HWND control, const FitRule* rules, int ruleCount) {
  RECT rect = {0, 0, 0, 0};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  const FitRule* rule = RuleFor(GetDlgCtrlID(control), rules, ruleCount);
  FitItem item = {rect.left, rect.top, rect.right, rect.bottom, 0, 0, false, FIT_ANCHOR_NONE};
  item.needed = NeededWidth(control, rule, &item.frame);
  if (rule) {
    item.column = rule->column;
    item.anchor = rule->anchor;
  }
  return item;
}

int CountChildren(HWND dialog) {
  int count = 0;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    ++count;
  return count;
}

}  // namespace

void FitDialogToTexts(HWND dialog, const FitRule* rules, int ruleCount) {
  int count = CountChildren(dialog);
  if (count == 0) return;
  auto* controls = static_cast<HWND*>(std::malloc(sizeof(HWND) * count));
  auto* items = static_cast<FitItem*>(std::malloc(sizeof(FitItem) * count));
  auto* placements = static_cast<FitPlacement*>(std::malloc(sizeof(FitPlacement) * count));
  if (controls && items && placements) {
    int index = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child && index < count;
         child = GetWindow(child, GW_HWNDNEXT), ++index) {
      controls[index] = child;
      items[index] = Describe(dialog, child, rules, ruleCount);
    }
    int growth = PlanTextFit(items, index, placements);
    for (int i = 0; i < index; ++i) {
      if (placements[i].dx == 0 && placements[i].grow == 0) continue;
      SetWindowPos(controls[i], nullptr, items[i].left + placements[i].dx, items[i].top,
                   items[i].right - items[i].left + placements[i].grow,
                   items[i].bottom - items[i].top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (growth > 0) GrowWindowBy(dialog, growth, 0);
  }
  std::free(placements);
  std::free(items);
  std::free(controls);
}
