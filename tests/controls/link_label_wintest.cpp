// The link label: its colours and frame read back from its window, its cursor's bits, and its
// notifications through a parent that reflects or handles them.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "controls/link_label.h"
#include "tests/controls/test_windows.h"

namespace {

const int kLabelId = 201;
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kRed = RGB(255, 0, 0);

class LinkLabelTest : public testing::Test {
 protected:
  void SetUp() override {
    parent_ = testwin::MakeParent(100, 100, 300, 240);
    // On the screen the label covers x 120..269, y 120..139.
    label_ = testwin::MakeChild(parent_, "STATIC", "Link テキスト", 0, kLabelId, 20, 20, 150, 20);
    ASSERT_NE(nullptr, label_);
    SendMessageA(label_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
    testwin::InstallDestroyProbe(label_);
    SetCursorPos(10, 10);
    ASSERT_TRUE(SubclassLinkLabel(label_));
    Repaint();
  }
  void TearDown() override {
    if (parent_) DestroyWindow(parent_);
  }

  void Repaint() {
    InvalidateRect(label_, nullptr, FALSE);
    UpdateWindow(label_);
  }

  // How many pixels of the label have exactly this colour.
  int CountColour(COLORREF colour) {
    HDC dc = GetDC(label_);
    RECT client;
    GetClientRect(label_, &client);
    int count = 0;
    for (int y = 0; y < client.bottom; ++y) {
      for (int x = 0; x < client.right; ++x) count += GetPixel(dc, x, y) == colour;
    }
    ReleaseDC(label_, dc);
    return count;
  }

  POINT FindColour(COLORREF colour) {
    HDC dc = GetDC(label_);
    POINT found = {-1, -1};
    for (int y = 0; y < 20 && found.x < 0; ++y) {
      for (int x = 0; x < 150 && found.x < 0; ++x) {
        if (GetPixel(dc, x, y) == colour) found = POINT{x, y};
      }
    }
    ReleaseDC(label_, dc);
    return found;
  }

  void MoveInside() {
    SetCursorPos(150, 130);
    SendMessageA(label_, WM_MOUSEMOVE, 0, testwin::PointParam(30, 10));
  }

  void HandleMouseMoveInsteadOfReflecting() {
    testwin::Parent().handler = [](const NMHDR* record, LRESULT* result) {
      *result = 0;
      return record->code == LLN_MOUSEMOVE;
    };
  }

  bool IsHot() { return (reinterpret_cast<UINT_PTR>(GetPropA(label_, LLPROP_CONTROLSTATE)) & 1); }

  HWND parent_ = nullptr;
  HWND label_ = nullptr;
};

TEST_F(LinkLabelTest, UnderlinedFontReplacesTheOriginal) {
  LOGFONTW font;
  ASSERT_TRUE(GetWindowFontInfo(label_, &font));
  EXPECT_TRUE(font.lfUnderline);
  EXPECT_EQ(GetPropA(label_, LLPROP_FONT),
            reinterpret_cast<HANDLE>(SendMessageA(label_, WM_GETFONT, 0, 0)));
}

TEST_F(LinkLabelTest, BlueUntilReflectedMoveMakesItRed) {
  EXPECT_GT(CountColour(kBlue), 10);
  EXPECT_EQ(0, CountColour(kRed));
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), testwin::WindowPixel(label_, 149, 19));

  // The same pixel as the display shows it.
  POINT blue = FindColour(kBlue);
  ASSERT_GE(blue.x, 0);
  EXPECT_EQ(kBlue, testwin::ScreenPixel(label_, blue.x, blue.y));

  MoveInside();
  EXPECT_EQ((std::vector<UINT>{LLN_MOUSEMOVE}), testwin::Codes(kLabelId));
  UpdateWindow(label_);
  EXPECT_TRUE(IsHot());
  EXPECT_GT(CountColour(kRed), 10);
  EXPECT_EQ(0, CountColour(kBlue));
  POINT red = FindColour(kRed);
  ASSERT_GE(red.x, 0);
  EXPECT_EQ(kRed, testwin::ScreenPixel(label_, red.x, red.y));
}

TEST_F(LinkLabelTest, ParentThatHandlesMovesNeverSeesRedButStillGetsClicks) {
  HandleMouseMoveInsteadOfReflecting();
  MoveInside();
  UpdateWindow(label_);
  EXPECT_FALSE(IsHot());
  EXPECT_EQ(0, CountColour(kRed));
  EXPECT_GT(CountColour(kBlue), 10);
  SendMessageA(label_, WM_LBUTTONDOWN, MK_LBUTTON, testwin::PointParam(30, 10));
  SendMessageA(label_, WM_LBUTTONUP, 0, testwin::PointParam(30, 10));
  EXPECT_EQ((std::vector<UINT>{LLN_MOUSEMOVE, LLN_CLICK}), testwin::Codes(kLabelId));
}

TEST_F(LinkLabelTest, LongTextIsCutAtTheRightEdgeOnOneLine) {
  SetWindowTextA(label_, "a very long link text that does not fit into the label at all, "
                         "not even nearly, so it must be cut off at the right edge");
  Repaint();
  int lastColumn = 0;
  for (int y = 0; y < 20; ++y) lastColumn += testwin::WindowPixel(label_, 149, y) == kBlue;
  // Wrapped text would end its first line short of the edge.
  EXPECT_GT(lastColumn, 0) << "the underline runs to the right edge";
}

TEST_F(LinkLabelTest, ClickOnlyWhenReleasedInside) {
  struct Case {
    const char* what;
    bool press;
    POINT release;
    bool click;
  } cases[] = {
      {"inside", true, {150, 130}, true},
      {"top left corner", true, {120, 120}, true},
      {"right edge", true, {270, 130}, false},
      {"outside", true, {400, 300}, false},
      {"release without press", false, {150, 130}, false},
  };
  for (const Case& c : cases) {
    testwin::Parent().notifies.clear();
    SetCursorPos(150, 130);
    if (c.press) {
      SendMessageA(label_, WM_LBUTTONDOWN, MK_LBUTTON, testwin::PointParam(30, 10));
      EXPECT_EQ(label_, GetCapture()) << c.what;
    }
    SetCursorPos(c.release.x, c.release.y);
    SendMessageA(label_, WM_LBUTTONUP, 0, testwin::PointParam(0, 0));
    std::vector<UINT> expected;
    if (c.click) expected.push_back(LLN_CLICK);
    EXPECT_EQ(expected, testwin::Codes(kLabelId)) << c.what;
    EXPECT_EQ(nullptr, GetCapture()) << c.what;
  }
}

TEST_F(LinkLabelTest, FrameShowsOnlyWhilePressedAndHot) {
  const COLORREF gray = RGB(128, 128, 128);
  MoveInside();
  UpdateWindow(label_);
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), testwin::WindowPixel(label_, 0, 19));
  SendMessageA(label_, WM_LBUTTONDOWN, MK_LBUTTON, testwin::PointParam(30, 10));
  UpdateWindow(label_);
  EXPECT_EQ(gray, testwin::WindowPixel(label_, 0, 19));
  EXPECT_EQ(gray, testwin::WindowPixel(label_, 149, 0));

  // Moving out with the button held: the hover timer still reports the leave.
  SetCursorPos(400, 300);
  for (int i = 0; i < 20 && testwin::Codes(kLabelId).back() != LLN_MOUSELEAVE; ++i) {
    testwin::Pump(1);
    Sleep(20);
  }
  EXPECT_EQ(LLN_MOUSELEAVE, testwin::Codes(kLabelId).back());
  EXPECT_EQ(label_, GetCapture());
  UpdateWindow(label_);
  EXPECT_FALSE(IsHot());
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), testwin::WindowPixel(label_, 0, 19));
  EXPECT_GT(CountColour(kBlue), 10);

  SendMessageA(label_, WM_LBUTTONUP, 0, testwin::PointParam(0, 0));
  EXPECT_EQ(nullptr, GetCapture());
  EXPECT_EQ(LLN_MOUSELEAVE, testwin::Codes(kLabelId).back()) << "no click outside";
}

TEST_F(LinkLabelTest, HoverTimerReportsLeaveOnceAndStops) {
  MoveInside();
  testwin::Pump(2);  // the pointer stays inside: moves only (the platform may add its own)
  for (UINT code : testwin::Codes(kLabelId)) EXPECT_EQ(LLN_MOUSEMOVE, code);
  SetCursorPos(400, 300);
  for (int i = 0; i < 5; ++i) {
    testwin::Pump(1);
    Sleep(30);
  }
  std::vector<UINT> codes = testwin::Codes(kLabelId);
  ASSERT_GE(codes.size(), 2u);
  EXPECT_EQ(LLN_MOUSELEAVE, codes.back());
  EXPECT_EQ(LLN_MOUSEMOVE, codes[codes.size() - 2]) << "leave reported more than once";
  EXPECT_FALSE(KillTimer(label_, 1)) << "hover timer still running";
}

TEST_F(LinkLabelTest, HitTestClaimsMouseOnlyInsideAndShowsHand) {
  SetCursorPos(150, 130);
  EXPECT_EQ(HTCLIENT, SendMessageA(label_, WM_NCHITTEST, 0, MAKELPARAM(150, 130)));
  SetCursorPos(400, 300);
  EXPECT_NE(HTCLIENT, SendMessageA(label_, WM_NCHITTEST, 0, MAKELPARAM(400, 300)));

  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_EQ(TRUE, SendMessageA(label_, WM_SETCURSOR, reinterpret_cast<WPARAM>(label_),
                               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_EQ(GetPropA(label_, LLPROP_CURSOR), GetCursor());
}

TEST_F(LinkLabelTest, DestroyLeavesNoPropertyAndFreesFont) {
  HGDIOBJ font = GetPropA(label_, LLPROP_FONT);
  ASSERT_NE(0u, GetObjectType(font));
  HCURSOR cursor = static_cast<HCURSOR>(GetPropA(label_, LLPROP_CURSOR));
  ICONINFO info;
  ASSERT_TRUE(GetIconInfo(cursor, &info));
  DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  DestroyWindow(label_);
  EXPECT_FALSE(GetIconInfo(cursor, &info)) << "the hand cursor was not destroyed";
  EXPECT_TRUE(testwin::Probe().sawDestroy);
  EXPECT_EQ(0, testwin::Probe().propertiesLeft);
  EXPECT_TRUE(testwin::Probe().procRestored);
  EXPECT_EQ(0u, GetObjectType(font));
  EXPECT_TRUE(testwin::Codes(kLabelId).empty());
}

TEST(LinkLabel, LabelWithoutFontIsLeftUnchanged) {
  HWND parent = testwin::MakeParent();
  HWND label = testwin::MakeChild(parent, "STATIC", "x", 0, 5, 0, 0, 50, 20);
  SendMessageA(label, WM_SETFONT, 0, FALSE);
  LONG_PTR before = GetWindowLongPtrA(label, GWLP_WNDPROC);
  EXPECT_FALSE(SubclassLinkLabel(label));
  EXPECT_EQ(before, GetWindowLongPtrA(label, GWLP_WNDPROC));
  EXPECT_EQ(nullptr, GetPropA(label, LLPROP_ORIGINALPROC));
  EXPECT_EQ(nullptr, GetPropA(label, LLPROP_CURSOR));
  DestroyWindow(parent);
}

TEST(LinkLabel, HandCursorBits) {
  HCURSOR cursor = CreateHandCursor(GetModuleHandleA(nullptr));
  ASSERT_NE(nullptr, cursor);
  ICONINFO info;
  ASSERT_TRUE(GetIconInfo(cursor, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(7u, info.xHotspot);
  EXPECT_EQ(0u, info.yHotspot);
  EXPECT_EQ(nullptr, info.hbmColor);
  BITMAP mask;
  ASSERT_EQ(static_cast<int>(sizeof(mask)), GetObjectA(info.hbmMask, sizeof(mask), &mask));
  ASSERT_EQ(32, mask.bmWidth);
  ASSERT_EQ(64, mask.bmHeight);  // AND plane above the XOR plane
  unsigned char bits[4 * 64];
  ASSERT_EQ(static_cast<LONG>(sizeof(bits)), GetBitmapBits(info.hbmMask, sizeof(bits), bits));
  auto bit = [&bits](int x, int y) { return (bits[y * 4 + x / 8] >> (7 - x % 8)) & 1; };
  enum Kind { kClear, kBlack, kWhite };
  struct Case {
    int x, y;
    Kind kind;
  } cases[] = {
      {0, 0, kClear},  {6, 0, kBlack},   {7, 0, kBlack},   {8, 0, kClear},  {5, 1, kBlack},
      {6, 1, kWhite},  {7, 1, kWhite},   {8, 1, kBlack},   {9, 1, kClear},  {0, 9, kClear},
      {1, 9, kBlack},  {4, 9, kClear},   {16, 9, kWhite},  {17, 9, kBlack}, {4, 13, kWhite},
      {6, 21, kBlack}, {15, 21, kBlack}, {16, 21, kClear}, {10, 22, kClear}, {20, 5, kClear},
      {31, 31, kClear}, {17, 16, kClear}, {16, 16, kBlack}, {15, 16, kWhite},
  };
  for (const Case& c : cases) {
    int andBit = bit(c.x, c.y);
    int xorBit = bit(c.x, c.y + 32);
    Kind kind = andBit ? kClear : (xorBit ? kWhite : kBlack);
    EXPECT_EQ(c.kind, kind) << c.x << "," << c.y;
    if (andBit) {
      EXPECT_EQ(0, xorBit) << c.x << "," << c.y;
    }
  }
  DeleteObject(info.hbmMask);
  DestroyCursor(cursor);
}

}  // namespace
