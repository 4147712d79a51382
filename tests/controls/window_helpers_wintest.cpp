// Window, menu and tooltip helpers against real windows under Wine.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>

#include "controls/window_helpers.h"
#include "tests/controls/test_windows.h"

namespace {

const int kMenuResource = 300;

RECT WorkArea() {
  RECT work = {0, 0, 0, 0};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

HWND MakePopup(int x, int y, int width, int height, DWORD exStyle = 0) {
  return CreateWindowExA(exStyle, testwin::ParentClassName(), "", WS_POPUP, x, y, width, height,
                         nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

TEST(FindMenuItemPosition, FindsFirstMatchingId) {
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, 10, "a");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, 20, "b");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, 20, "b again");
  struct Case {
    UINT id;
    int position;
  } cases[] = {{10, 0}, {0, 1}, {20, 2}, {99, -1}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.position, FindMenuItemPosition(menu, c.id)) << "id " << c.id;
  }
  DestroyMenu(menu);
}

TEST(FindMenuItemPosition, EmptyAndInvalidMenusGiveMinusOne) {
  HMENU menu = CreatePopupMenu();
  EXPECT_EQ(-1, FindMenuItemPosition(menu, 0));
  DestroyMenu(menu);
  EXPECT_EQ(-1, FindMenuItemPosition(nullptr, 0));
}

TEST(ShowMenuResource, MissingSubmenuOrResourceFails) {
  HWND owner = testwin::MakeParent();
  POINT point = {150, 150};
  HINSTANCE instance = GetModuleHandleA(nullptr);
  EXPECT_FALSE(ShowMenuResource(point, instance, kMenuResource, 2, owner, TPM_RIGHTBUTTON, nullptr));
  EXPECT_FALSE(ShowMenuResource(point, instance, kMenuResource, -1, owner, 0, nullptr));
  EXPECT_FALSE(ShowMenuResource(point, instance, 9999, 0, owner, 0, nullptr));
  EXPECT_TRUE(testwin::Parent().commands.empty());
  DestroyWindow(owner);
}

// The menu loop reads keys from the thread's queue, so posted keys choose an item.
TEST(ShowMenuResource, ChosenItemReachesOwnerAsCommand) {
  HWND owner = testwin::MakeParent();
  HINSTANCE instance = GetModuleHandleA(nullptr);
  struct Case {
    int submenu;
    int downs;
    WORD command;
  } cases[] = {{0, 1, 3001}, {0, 2, 3002}, {1, 1, 3003}};
  for (const Case& c : cases) {
    testwin::Parent().commands.clear();
    for (int i = 0; i < c.downs; ++i) PostMessageA(owner, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(owner, WM_KEYDOWN, VK_RETURN, 0);
    RECT exclude = {0, 0, 10, 10};
    POINT point = {150, 150};
    EXPECT_TRUE(ShowMenuResource(point, instance, kMenuResource, c.submenu, owner,
                                 TPM_RIGHTBUTTON | TPM_VERTICAL, &exclude));
    testwin::Pump();
    ASSERT_EQ(1u, testwin::Parent().commands.size()) << "submenu " << c.submenu;
    EXPECT_EQ(c.command, LOWORD(testwin::Parent().commands[0].wParam));
  }
  DestroyWindow(owner);
}

TEST(ShowMenuResourceAtCursor, ShowsAtPointer) {
  HWND owner = testwin::MakeParent();
  SetCursorPos(200, 200);
  PostMessageA(owner, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageA(owner, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_TRUE(ShowMenuResourceAtCursor(GetModuleHandleA(nullptr), kMenuResource, 1, owner,
                                       TPM_RIGHTBUTTON));
  testwin::Pump();
  ASSERT_EQ(1u, testwin::Parent().commands.size());
  EXPECT_EQ(3003, LOWORD(testwin::Parent().commands[0].wParam));
  DestroyWindow(owner);
}

TEST(GetWindowTextCopy, CopiesTextIncludingEmpty) {
  HWND window = MakePopup(0, 0, 10, 10);
  const char* texts[] = {"", "abc", "表示\x81\x40x"};
  for (const char* text : texts) {
    SetWindowTextA(window, text);
    char* copy = GetWindowTextCopy(window);
    ASSERT_NE(nullptr, copy) << text;
    EXPECT_STREQ(text, copy);
    FreeWindowTextCopy(copy);
  }
  DestroyWindow(window);
}

TEST(IsCursorInClient, LeftTopInsideRightBottomOutside) {
  HWND window = MakePopup(100, 120, 50, 40);
  ShowWindow(window, SW_SHOWNA);
  struct Case {
    int x, y;
    bool inside;
  } cases[] = {{100, 120, true},  {149, 159, true},  {150, 130, false},
               {120, 160, false}, {99, 130, false},  {120, 119, false}};
  for (const Case& c : cases) {
    SetCursorPos(c.x, c.y);
    EXPECT_EQ(c.inside, IsCursorInClient(window)) << c.x << "," << c.y;
  }
  POINT client;
  SetCursorPos(130, 125);
  ASSERT_TRUE(GetCursorClientPos(window, &client));
  EXPECT_EQ(30, client.x);
  EXPECT_EQ(5, client.y);
  DestroyWindow(window);
}

TEST(PlaceWindowAtCursor, CentresAndClampsIntoWorkArea) {
  RECT work = WorkArea();
  ASSERT_GT(work.right, 400);
  ASSERT_GT(work.bottom, 300);
  int workWidth = work.right - work.left;
  int workHeight = work.bottom - work.top;
  struct Case {
    const char* what;
    int cursorX, cursorY;
    int width, height;
    int x, y;
  } cases[] = {
      // Odd sizes: half the size is rounded toward zero.
      {"centred", 300, 250, 201, 101, 300 - 100, 250 - 50},
      {"lower right", work.right - 1, work.bottom - 1, 200, 100, work.right - 200,
       work.bottom - 100},
      {"upper left", work.left, work.top, 200, 100, work.left, work.top},
      {"too wide", 300, 250, workWidth + 50, 100, work.left, 250 - 50},
      {"too tall", 300, 250, 100, workHeight + 40, 300 - 50, work.top},
  };
  for (const Case& c : cases) {
    HWND window = MakePopup(0, 0, c.width, c.height);
    SetCursorPos(c.cursorX, c.cursorY);
    PlaceWindowAtCursor(window);
    POINT origin = GetWindowOrigin(window);
    EXPECT_EQ(c.x, origin.x) << c.what;
    EXPECT_EQ(c.y, origin.y) << c.what;
    DestroyWindow(window);
  }
}

TEST(PlaceWindowAtCursor, ChildIsPlacedInParentCoordinates) {
  HWND parent = testwin::MakeParent(100, 100, 400, 300);
  HWND child = testwin::MakeChild(parent, "STATIC", "", 0, 5, 0, 0, 40, 20);
  SetCursorPos(220, 210);
  PlaceWindowAtCursor(child);
  POINT origin = GetWindowOrigin(child);
  EXPECT_EQ(200, origin.x);
  EXPECT_EQ(200, origin.y);
  DestroyWindow(parent);
}

TEST(Topmost, SwitchesOnAndOff) {
  HWND window = MakePopup(0, 0, 20, 20);
  ShowWindow(window, SW_SHOWNA);
  EXPECT_FALSE(IsTopmost(window));
  SetTopmost(window, true);
  EXPECT_TRUE(IsTopmost(window));
  SetTopmost(window, false);
  EXPECT_FALSE(IsTopmost(window));
  DestroyWindow(window);
}

TEST(WindowSize, GrowAndResize) {
  HWND window = MakePopup(10, 20, 100, 50);
  EXPECT_TRUE(GrowWindowBy(window, 10, -5));
  SIZE size = GetWindowSize(window);
  EXPECT_EQ(110, size.cx);
  EXPECT_EQ(45, size.cy);
  EXPECT_EQ(110, GetClientWidth(window));
  POINT origin = GetWindowOrigin(window);
  EXPECT_EQ(10, origin.x);
  EXPECT_EQ(20, origin.y);
  EXPECT_TRUE(ResizeWindowTo(window, 30, 40));
  EXPECT_EQ(30, GetWindowWidth(window));
  EXPECT_EQ(40, GetWindowSize(window).cy);
  DestroyWindow(window);
}

TEST(WindowMove, ChildMovesWithinParentAndTopLevelOnScreen) {
  HWND parent = testwin::MakeParent(100, 100, 300, 200);
  HWND child = testwin::MakeChild(parent, "STATIC", "", 0, 7, 5, 6, 40, 20);
  EXPECT_TRUE(MoveWindowBy(child, 3, 4));
  POINT origin = GetWindowOrigin(child);
  EXPECT_EQ(108, origin.x);
  EXPECT_EQ(110, origin.y);
  EXPECT_TRUE(MoveWindowBy(parent, -20, 10));
  origin = GetWindowOrigin(parent);
  EXPECT_EQ(80, origin.x);
  EXPECT_EQ(110, origin.y);
  POINT point = {90, 115};
  OffsetFromWindow(&point, parent);
  EXPECT_EQ(10, point.x);
  EXPECT_EQ(5, point.y);
  EXPECT_TRUE(GrowDialogItemBy(parent, 7, 2, 3));
  EXPECT_EQ(42, GetWindowWidth(child));
  EXPECT_EQ(23, GetWindowSize(child).cy);
  DestroyWindow(parent);
}

// A control that answers notifications sent back to it, to see the reflected record arrive.
const NMHDR* g_reflected = nullptr;
LRESULT CALLBACK AnsweringControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) {
    g_reflected = reinterpret_cast<const NMHDR*>(lParam);
    return static_cast<LRESULT>(wParam) + 1000;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(Notify, RecordReachesParentAndIsReflectedToControl) {
  WNDCLASSEXA record;
  FillWindowClass(&record, GetModuleHandleA(nullptr), AnsweringControlProc, "AnsweringControl",
                  nullptr, 0);
  ASSERT_NE(0, RegisterClassExA(&record));
  HWND parent = testwin::MakeParent();
  HWND control = testwin::MakeChild(parent, "AnsweringControl", "", 0, 42, 0, 0, 10, 10);
  ASSERT_NE(nullptr, control);

  struct Extended {
    NMHDR header;
    int extra;
  } notify;
  std::memset(&notify, 0xAB, sizeof(notify));
  InitNotifyHeader(&notify.header, control, 0x401);
  EXPECT_EQ(control, notify.header.hwndFrom);
  EXPECT_EQ(42u, notify.header.idFrom);
  EXPECT_EQ(0x401u, notify.header.code);
  notify.extra = 7;

  // Reflected: the control's answer comes back as the result, with the very same record.
  LRESULT result = SendNotify(control, &notify.header);
  EXPECT_EQ(1042, result);
  EXPECT_EQ(&notify.header, g_reflected);
  ASSERT_EQ(1u, testwin::Parent().notifies.size());
  EXPECT_EQ(42u, testwin::Parent().notifies[0].wParam);
  EXPECT_EQ(&notify.header, testwin::Parent().notifies[0].record);

  // Handled: the parent's own answer, nothing reaches the control.
  g_reflected = nullptr;
  testwin::Parent().handler = [](const NMHDR*, LRESULT* answer) {
    *answer = 5;
    return true;
  };
  EXPECT_EQ(5, SendNotify(control, &notify.header));
  EXPECT_EQ(nullptr, g_reflected);
  DestroyWindow(parent);
}

TEST(Notify, CommandToParentCarriesIdAndCode) {
  HWND parent = testwin::MakeParent();
  HWND control = testwin::MakeChild(parent, "STATIC", "", 0, 0x1234, 0, 0, 10, 10);
  SendCommandToParent(control, LBN_SELCHANGE);
  ASSERT_EQ(1u, testwin::Parent().commands.size());
  EXPECT_EQ(0x1234, LOWORD(testwin::Parent().commands[0].wParam));
  EXPECT_EQ(LBN_SELCHANGE, HIWORD(testwin::Parent().commands[0].wParam));
  EXPECT_EQ(reinterpret_cast<LPARAM>(control), testwin::Parent().commands[0].lParam);
  DestroyWindow(parent);
}

TEST(Tooltip, ToolIsAddedForTheControlWithItsText) {
  HWND parent = testwin::MakeParent();
  HWND control = testwin::MakeChild(parent, "BUTTON", "b", 0, 11, 0, 0, 40, 20);
  HWND tooltip = CreateTooltip(parent, GetModuleHandleA(nullptr), TTS_ALWAYSTIP, 0);
  ASSERT_NE(nullptr, tooltip);
  EXPECT_TRUE(AddDialogItemTool(tooltip, TTF_SUBCLASS, parent, parent, 11, "ヒント"));
  EXPECT_EQ(1, SendMessageA(tooltip, TTM_GETTOOLCOUNT, 0, 0));
  SetTooltipMaxWidth(tooltip, 0xFFFF);
  EXPECT_EQ(0xFFFF, SendMessageA(tooltip, TTM_GETMAXTIPWIDTH, 0, 0));

  char text[80] = "";
  TOOLINFOA tool;
  std::memset(&tool, 0, sizeof(tool));
  tool.cbSize = TTTOOLINFOA_V1_SIZE;
  tool.hwnd = parent;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = text;
  SendMessageA(tooltip, TTM_GETTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
  EXPECT_STREQ("ヒント", text);
  DestroyWindow(tooltip);
  DestroyWindow(parent);
}

TEST(WindowFont, ReportsOnlyAWindowWithFont) {
  HWND parent = testwin::MakeParent();
  HWND control = testwin::MakeChild(parent, "STATIC", "x", 0, 3, 0, 0, 40, 20);
  LOGFONTW info;
  SendMessageA(control, WM_SETFONT, 0, 0);
  EXPECT_FALSE(GetWindowFontInfo(control, &info));
  HFONT font = CreateFontA(-17, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
  ASSERT_TRUE(GetWindowFontInfo(control, &info));
  EXPECT_EQ(-17, info.lfHeight);
  EXPECT_EQ(FW_BOLD, info.lfWeight);
  DestroyWindow(parent);
  DeleteObject(font);
}

TEST(Menus, CheckIfAndSeparator) {
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, 1, "a");
  AppendMenuA(menu, MF_STRING, 2, "b");
  CheckMenuItemIf(true, menu, 2, MF_BYCOMMAND);
  EXPECT_EQ(static_cast<UINT>(MF_CHECKED), GetMenuState(menu, 2, MF_BYCOMMAND) & MF_CHECKED);
  CheckMenuItemIf(false, menu, 1, MF_BYPOSITION);
  CheckMenuItemIf(false, menu, 1, MF_BYPOSITION);
  EXPECT_EQ(0u, GetMenuState(menu, 1, MF_BYPOSITION) & MF_CHECKED);
  EXPECT_TRUE(InsertMenuSeparator(MF_BYPOSITION, menu, 1));
  EXPECT_EQ(3, GetMenuItemCount(menu));
  EXPECT_NE(0u, GetMenuState(menu, 1, MF_BYPOSITION) & MF_SEPARATOR);
  EXPECT_EQ(2, FindMenuItemPosition(menu, 2));
  DestroyMenu(menu);
}

}  // namespace
