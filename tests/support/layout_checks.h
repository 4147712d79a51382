// A dialog as its user sees it: every text has room in its control, and no control covers
// another (a group frame holds the controls inside it). Failures name the control by its number.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace layout {

struct Shape {
  int controlId;
  const char* shape;  // the widest text an edit field shows, '#' standing for any digit
};

inline std::string ClassOf(HWND control) {
  char name[32] = "";
  GetClassNameA(control, name, sizeof name);
  return name;
}

inline bool IsGroupFrame(HWND control) {
  return lstrcmpiA(ClassOf(control).c_str(), "Button") == 0 &&
         (GetWindowLongPtrA(control, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

inline RECT ClientRectIn(HWND dialog, HWND control) {
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

inline int DrawnWidth(HWND control, const std::string& text, UINT format) {
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
  RECT bounds = {0, 0, 0, 0};
  DrawTextA(dc, text.c_str(), -1, &bounds, format | DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return bounds.right - bounds.left;
}

inline std::vector<HWND> Children(HWND dialog) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (IsWindowVisible(child)) children.push_back(child);
  return children;
}

// The room a control gives its text against what the text takes: an edit field its formatting
// rectangle (for the widest text of its shape, when it has one), a button what the platform
// calls its ideal size, a static text its client area, a drop-down list the selection area for
// each of its items.
inline void ExpectTextsFit(HWND dialog, const std::vector<Shape>& shapes) {
  for (HWND control : Children(dialog)) {
    int id = GetDlgCtrlID(control);
    std::string kind = ClassOf(control);
    char text[300] = "";
    GetWindowTextA(control, text, sizeof text);
    if (lstrcmpiA(kind.c_str(), "Edit") == 0) {
      RECT format = {0, 0, 0, 0};
      SendMessageA(control, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
      std::vector<std::string> texts = {text};
      for (const Shape& shape : shapes) {
        if (shape.controlId != id) continue;
        for (char digit = '0'; digit <= '9'; ++digit) {
          std::string sample = shape.shape;
          for (char& c : sample)
            if (c == '#') c = digit;
          texts.push_back(sample);
        }
      }
      for (const std::string& shown : texts)
        EXPECT_LE(DrawnWidth(control, shown, DT_NOPREFIX), format.right - format.left)
            << "edit " << id << " \"" << shown << "\"";
    } else if (lstrcmpiA(kind.c_str(), "Button") == 0 && !IsGroupFrame(control)) {
      SIZE ideal = {0, 0};
      RECT rect = ClientRectIn(dialog, control);
      if (SendMessageA(control, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal))) {
        EXPECT_LE(ideal.cx, rect.right - rect.left) << "button " << id << " \"" << text << "\"";
      }
    } else if (lstrcmpiA(kind.c_str(), "ComboBox") == 0) {
      // Every item, as the closed list shows the chosen one in its selection area.
      COMBOBOXINFO info = {};
      info.cbSize = sizeof info;
      ASSERT_TRUE(GetComboBoxInfo(control, &info)) << "list " << id;
      int count = static_cast<int>(SendMessageA(control, CB_GETCOUNT, 0, 0));
      for (int i = 0; i < count; ++i) {
        char item[300] = "";
        if (SendMessageA(control, CB_GETLBTEXTLEN, i, 0) >= static_cast<LRESULT>(sizeof item))
          continue;
        SendMessageA(control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        EXPECT_LE(DrawnWidth(control, item, DT_NOPREFIX), info.rcItem.right - info.rcItem.left)
            << "list " << id << " \"" << item << "\"";
      }
    } else if (lstrcmpiA(kind.c_str(), "Static") == 0 && text[0] != 0) {
      RECT client;
      GetClientRect(control, &client);
      EXPECT_LE(DrawnWidth(control, text, 0), client.right)
          << "static " << id << " \"" << text << "\"";
    }
  }
}

// When a test runs the dialogs at a chosen DPI (in a child process), that it took effect.
inline void ExpectChosenDpi() {
  char wanted[8] = "";
  if (!GetEnvironmentVariableA("MORVANE_EXPECT_DPI", wanted, sizeof wanted)) return;
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(std::atoi(wanted), GetDeviceCaps(screen, LOGPIXELSY));
  ReleaseDC(nullptr, screen);
}

// Every control inside the client area, none covering another unless a frame holds it.
inline void ExpectNothingOverlaps(HWND dialog) {
  RECT area;
  GetClientRect(dialog, &area);
  std::vector<HWND> children = Children(dialog);
  for (HWND control : children) {
    RECT rect = ClientRectIn(dialog, control);
    EXPECT_TRUE(rect.left >= 0 && rect.top >= 0 && rect.right <= area.right &&
                rect.bottom <= area.bottom)
        << "control " << GetDlgCtrlID(control) << " reaches out of the dialog";
  }
  for (size_t i = 0; i < children.size(); ++i) {
    for (size_t j = i + 1; j < children.size(); ++j) {
      RECT a = ClientRectIn(dialog, children[i]), b = ClientRectIn(dialog, children[j]), common;
      if (!IntersectRect(&common, &a, &b)) continue;
      bool framed = (IsGroupFrame(children[i]) && EqualRect(&common, &b)) ||
                    (IsGroupFrame(children[j]) && EqualRect(&common, &a));
      EXPECT_TRUE(framed) << "controls " << GetDlgCtrlID(children[i]) << " and "
                          << GetDlgCtrlID(children[j]) << " overlap";
    }
  }
}

}  // namespace layout
