// Templates from the builder as the platform reads them: the dialog it creates has the caption,
// font and controls that were described.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "about/dialog_template.h"

namespace {

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG;
}

std::string Text(HWND window) {
  char text[128] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

TEST(BuildDialogTemplate, ThePlatformCreatesTheDescribedDialog) {
  struct Control {
    DialogItemDesc item;
    const char* className;
    const char* text;
  } const controls[] = {
      {{OrdinalName(DLGCLASS_BUTTON), StringName(u"Push"), BS_PUSHBUTTON | WS_TABSTOP, 0, 5, 5,
        40, 14, 11},
       "Button", "Push"},
      {{OrdinalName(DLGCLASS_EDIT), StringName(u"ab"), ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 5, 22,
        60, 12, 12},
       "Edit", "ab"},
      {{OrdinalName(DLGCLASS_STATIC), StringName(u"\u8868\u793a"), SS_RIGHT, 0, 5, 38, 31, 8, 13},
       "Static", "表示"},
      {{StringName(u"ListBox"), 0, LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 0, 70, 5, 50, 40, 14}, "ListBox", ""},
      {{OrdinalName(DLGCLASS_BUTTON), 0, BS_AUTOCHECKBOX, 0, 70, 50, 51, 9, 15}, "Button", ""},
  };
  const int count = sizeof(controls) / sizeof(controls[0]);
  DialogItemDesc items[count];
  for (int index = 0; index < count; ++index) items[index] = controls[index].item;
  DialogDesc dialogDesc = {WS_POPUP | WS_CAPTION | DS_SETFONT, 0, count, 10, 10, 130, 80, 0,
                           u"Built \u8868", 0, u"Tahoma", 10};
  std::uint16_t* block = BuildDialogTemplate(&dialogDesc, items);
  ASSERT_NE(nullptr, block);
  HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                           reinterpret_cast<LPCDLGTEMPLATEA>(block), nullptr,
                                           PlainDialogProc, 0);
  FreeDialogTemplate(block);
  ASSERT_NE(nullptr, dialog);
  EXPECT_EQ("Built 表", Text(dialog));

  LOGFONTA font = {};
  HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
  ASSERT_NE(nullptr, dialogFont);
  GetObjectA(dialogFont, sizeof font, &font);
  EXPECT_STREQ("Tahoma", font.lfFaceName);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(-MulDiv(10, GetDeviceCaps(screen, LOGPIXELSY), 72), font.lfHeight);
  ReleaseDC(nullptr, screen);

  for (const Control& control : controls) {
    const DialogItemDesc& item = control.item;
    SCOPED_TRACE(item.id);
    HWND window = GetDlgItem(dialog, item.id);
    ASSERT_NE(nullptr, window);
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    EXPECT_EQ(0, lstrcmpiA(control.className, className)) << className;
    EXPECT_EQ(control.text, Text(window));
    LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    EXPECT_EQ(WS_CHILD | item.style, (WS_CHILD | item.style) & style);
    EXPECT_EQ(item.exStyle, item.exStyle & GetWindowLongPtrA(window, GWL_EXSTYLE));
    // Position and size are converted each on its own, as the platform does.
    RECT expected = {item.x, item.y, item.cx, item.cy};
    MapDialogRect(dialog, &expected);
    RECT placed;
    GetWindowRect(window, &placed);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(expected.left, placed.left);
    EXPECT_EQ(expected.top, placed.top);
    EXPECT_EQ(expected.right, placed.right - placed.left);
    EXPECT_EQ(expected.bottom, placed.bottom - placed.top);
  }
  DestroyWindow(dialog);
}

}  // namespace
