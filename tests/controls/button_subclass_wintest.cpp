// The subclassed button against a real parent that reflects or handles its notifications.
#include <windows.h>

#include <windowsx.h>

#include <gtest/gtest.h>

#include <vector>

#include "controls/button_subclass.h"
#include "tests/controls/test_windows.h"

namespace {

const int kButtonId = 101;

struct ContextRequest {
  WPARAM window;
  int x, y;
};

class ButtonTest : public testing::Test {
 protected:
  void SetUp() override {
    parent_ = testwin::MakeParent(100, 100, 300, 240);
    button_ = testwin::MakeChild(parent_, "BUTTON", "check", BS_AUTOCHECKBOX, kButtonId, 20, 30,
                                 80, 24);
    ASSERT_NE(nullptr, button_);
    testwin::InstallDestroyProbe(button_);
    ASSERT_TRUE(SubclassButton(button_));
    testwin::Parent().inspector = [this](const NMHDR* record) {
      if (record->code != BTNN_CONTEXTMENU) return;
      const ButtonNotify* notify = reinterpret_cast<const ButtonNotify*>(record);
      requests_.push_back(ContextRequest{notify->first, GET_X_LPARAM(notify->second),
                                         GET_Y_LPARAM(notify->second)});
    };
  }
  void TearDown() override {
    if (parent_) DestroyWindow(parent_);
  }

  void HandleInsteadOfReflecting() {
    testwin::Parent().handler = [](const NMHDR*, LRESULT* result) {
      *result = 0;
      return true;
    };
  }

  void RightClick(POINT press, POINT release) {
    SetCursorPos(press.x, press.y);
    SendMessageA(button_, WM_RBUTTONDOWN, MK_RBUTTON, testwin::PointParam(10, 10));
    SetCursorPos(release.x, release.y);
    POINT client = release;
    ScreenToClient(button_, &client);
    SendMessageA(button_, WM_RBUTTONUP, 0, testwin::PointParam(client.x, client.y));
  }

  HWND parent_ = nullptr;
  HWND button_ = nullptr;
  std::vector<ContextRequest> requests_;
};

TEST_F(ButtonTest, RightClickAsksForMenuAtReleasePoint) {
  struct Case {
    POINT release;
  } cases[] = {{{150, 140}}, {{400, 300}}};  // inside the button, and far outside it
  for (const Case& c : cases) {
    testwin::Parent().notifies.clear();
    requests_.clear();
    SetFocus(parent_);
    RightClick(POINT{150, 140}, c.release);
    EXPECT_EQ(button_, GetFocus());
    EXPECT_EQ((std::vector<UINT>{BTNN_RBUTTONUP, BTNN_CONTEXTMENU}), testwin::Codes(kButtonId));
    ASSERT_EQ(1u, requests_.size());
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(button_), requests_[0].window);
    EXPECT_EQ(c.release.x, requests_[0].x);
    EXPECT_EQ(c.release.y, requests_[0].y);
  }
}

TEST_F(ButtonTest, MenuKeyAsksForMenuAtButtonCorner) {
  SetCursorPos(500, 400);
  SendMessageA(button_, WM_KEYDOWN, VK_APPS, 0x015D0001);
  EXPECT_EQ((std::vector<UINT>{BTNN_KEYDOWN, BTNN_CONTEXTMENU}), testwin::Codes(kButtonId));
  ASSERT_EQ(1u, requests_.size());
  EXPECT_EQ(120, requests_[0].x);
  EXPECT_EQ(130, requests_[0].y);
}

TEST_F(ButtonTest, KeyDownCarriesKeyAndKeyData) {
  std::vector<ButtonNotify> seen;
  testwin::Parent().inspector = [&seen](const NMHDR* record) {
    seen.push_back(*reinterpret_cast<const ButtonNotify*>(record));
  };
  SendMessageA(button_, WM_KEYDOWN, 'A', 0x001E0001);
  ASSERT_EQ(1u, seen.size());
  EXPECT_EQ(button_, seen[0].header.hwndFrom);
  EXPECT_EQ(static_cast<UINT_PTR>(kButtonId), seen[0].header.idFrom);
  EXPECT_EQ(static_cast<WPARAM>('A'), seen[0].first);
  EXPECT_EQ(static_cast<LPARAM>(0x001E0001), seen[0].second);
}

TEST_F(ButtonTest, OtherKeysAndContextMessagesAskForNothing) {
  SendMessageA(button_, WM_KEYDOWN, VK_F10, 0x00440001);  // Shift+F10 is not the Menu key
  SendMessageA(button_, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(button_),
               testwin::PointParam(150, 140));
  SendMessageA(button_, WM_KEYDOWN, 'X', 0);
  EXPECT_EQ((std::vector<UINT>{BTNN_KEYDOWN, BTNN_KEYDOWN}), testwin::Codes(kButtonId));
  EXPECT_TRUE(requests_.empty());
}

TEST_F(ButtonTest, ParentThatHandlesGetsNoMenuRequestAndButtonStillWorks) {
  HandleInsteadOfReflecting();
  RightClick(POINT{150, 140}, POINT{150, 140});
  SendMessageA(button_, WM_KEYDOWN, VK_APPS, 0);
  EXPECT_EQ((std::vector<UINT>{BTNN_RBUTTONUP, BTNN_KEYDOWN}), testwin::Codes(kButtonId));
  EXPECT_TRUE(requests_.empty());
  // The standard check box still toggles from the keyboard.
  SendMessageA(button_, WM_KEYDOWN, VK_SPACE, 0x00390001);
  SendMessageA(button_, WM_KEYUP, VK_SPACE, 0xC0390001);
  EXPECT_EQ(BST_CHECKED, SendMessageA(button_, BM_GETCHECK, 0, 0));
}

TEST_F(ButtonTest, ForeignReflectedCodesHaveNoEffect) {
  ButtonNotify record = {};
  InitNotifyHeader(&record.header, button_, BTNN_CONTEXTMENU);
  EXPECT_EQ(0, SendMessageA(button_, WM_NOTIFY, kButtonId, reinterpret_cast<LPARAM>(&record)));
  record.header.code = BTNN_KEYDOWN;
  record.first = VK_RETURN;
  EXPECT_EQ(0, SendMessageA(button_, WM_NOTIFY, kButtonId, reinterpret_cast<LPARAM>(&record)));
  // A record from another window asking for the menu is not ours to act on.
  record.header.hwndFrom = parent_;
  record.first = VK_APPS;
  SendMessageA(button_, WM_NOTIFY, kButtonId, reinterpret_cast<LPARAM>(&record));
  EXPECT_TRUE(testwin::Parent().notifies.empty());
  EXPECT_EQ(BST_UNCHECKED, SendMessageA(button_, BM_GETCHECK, 0, 0));
}

TEST_F(ButtonTest, DestroyNotifiesWhileButtonExistsThenRemovesItself) {
  bool foundById = false;
  testwin::Parent().inspector = [this, &foundById](const NMHDR* record) {
    if (record->code == BTNN_DESTROY) foundById = GetDlgItem(parent_, kButtonId) == button_;
  };
  EXPECT_NE(nullptr, GetPropA(button_, BTNPROP_ORIGINALPROC));
  DestroyWindow(button_);
  EXPECT_EQ((std::vector<UINT>{BTNN_DESTROY}), testwin::Codes(kButtonId));
  EXPECT_TRUE(foundById);
  EXPECT_TRUE(testwin::Probe().sawDestroy);
  EXPECT_EQ(0, testwin::Probe().propertiesLeft);
  EXPECT_TRUE(testwin::Probe().procRestored);
}

}  // namespace
