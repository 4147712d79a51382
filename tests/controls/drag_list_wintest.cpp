// The drag-reorder list box, driven by mouse and key messages with the real cursor position,
// against a parent that reflects, handles or refuses its notifications.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "controls/drag_list.h"
#include "support/shell_drop.h"
#include "tests/controls/test_windows.h"

namespace {

const int kListId = 301;
const int kOtherId = 302;

struct SeenDrag {
  UINT code;
  int item;
  WPARAM wParam;
  int fromIndex;
  int toPosition;
};

class DragListTest : public testing::Test {
 protected:
  void SetUp() override {
    parent_ = testwin::MakeParent(100, 100, 300, 240);
    // No border: the client area starts at the window's corner (110, 110 on the screen).
    list_ = testwin::MakeChild(parent_, "LISTBOX", "", WS_VSCROLL, kListId, 10, 10, 200, 150);
    other_ = testwin::MakeChild(parent_, "EDIT", "", 0, kOtherId, 10, 200, 100, 20);
    ASSERT_NE(nullptr, list_);
    Fill({"a", "b", "c", "d", "e"});
    testwin::InstallDestroyProbe(list_);
    ASSERT_TRUE(SubclassDragListBox(list_));
    itemHeight_ = static_cast<int>(SendMessageA(list_, LB_GETITEMHEIGHT, 0, 0));
    ASSERT_GT(itemHeight_, 0);
    testwin::Parent().inspector = [this](const NMHDR* record) {
      if (record->idFrom != kListId) return;
      const DragListNotify* notify = reinterpret_cast<const DragListNotify*>(record);
      seen_.push_back(SeenDrag{record->code, notify->item, notify->wParam, notify->fromIndex,
                               notify->toPosition});
    };
    SetFocus(list_);
    UpdateWindow(parent_);
  }
  void TearDown() override {
    if (parent_) DestroyWindow(parent_);
  }

  void Fill(const std::vector<std::string>& items) {
    SendMessageA(list_, LB_RESETCONTENT, 0, 0);
    for (const std::string& item : items) {
      SendMessageA(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
  }

  std::string Order() {
    std::string order;
    int count = static_cast<int>(SendMessageA(list_, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      char text[64] = "";
      SendMessageA(list_, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
      order += text;
    }
    return order;
  }

  int Selection() { return static_cast<int>(SendMessageA(list_, LB_GETCURSEL, 0, 0)); }

  // Screen point in the middle of the row at the given position (may be below the last item).
  POINT RowPoint(int row) { return testwin::ClientToScreenPoint(list_, 20, row * itemHeight_ + 2); }

  void Mouse(UINT message, POINT screen, WPARAM keys = 0) {
    SetCursorPos(screen.x, screen.y);
    POINT client = screen;
    ScreenToClient(list_, &client);
    SendMessageA(list_, message, keys, testwin::PointParam(client.x, client.y));
  }

  void Drag(int fromRow, POINT to) {
    Mouse(WM_LBUTTONDOWN, RowPoint(fromRow), MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, to, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, to);
  }

  std::vector<UINT> SeenCodes() {
    std::vector<UINT> codes;
    for (const SeenDrag& seen : seen_) {
      if (seen.code != DDLBN_QUERYCURSOR) codes.push_back(seen.code);
    }
    return codes;
  }

  int CountOf(UINT code) {
    int count = 0;
    for (const SeenDrag& seen : seen_) count += seen.code == code;
    return count;
  }

  const SeenDrag* Find(UINT code) {
    for (const SeenDrag& seen : seen_) {
      if (seen.code == code) return &seen;
    }
    return nullptr;
  }

  void Refuse(UINT code) {
    testwin::Parent().handler = [code](const NMHDR* record, LRESULT* result) {
      if (record->code != code) return false;
      *result = 1;
      return true;
    };
  }

  void Key(UINT message, WPARAM key) {
    LPARAM data = message == WM_SYSKEYDOWN ? 0x20000001 : 1;  // bit 29: Alt is down
    SendMessageA(list_, message, key, data);
  }

  int SelChanges() {
    int count = 0;
    for (const testwin::SeenCommand& command : testwin::Parent().commands) {
      count += LOWORD(command.wParam) == kListId && HIWORD(command.wParam) == LBN_SELCHANGE;
    }
    return count;
  }

  DragInfo* Info() { return static_cast<DragInfo*>(GetPropA(list_, DDLBPROP_DRAGINFO)); }

  HWND parent_ = nullptr;
  HWND list_ = nullptr;
  HWND other_ = nullptr;
  int itemHeight_ = 0;
  std::vector<SeenDrag> seen_;
};

TEST_F(DragListTest, DropMovesItemOnlyToAnotherPosition) {
  struct Case {
    const char* what;
    int fromRow;
    int toRow;  // -1: outside the list box
    bool drop;
    const char* order;
    int selection;
  } cases[] = {
      {"own position", 1, 1, false, "abcde", 1},
      {"just below itself", 1, 2, true, "abcde", 1},
      {"down", 0, 3, true, "bcade", 2},
      {"up", 3, 1, true, "adbce", 1},
      {"empty area below the last item", 1, 7, true, "acdeb", 4},
      {"outside", 2, -1, false, "abcde", 2},
  };
  for (const Case& c : cases) {
    Fill({"a", "b", "c", "d", "e"});
    seen_.clear();
    POINT to = c.toRow < 0 ? POINT{400, 400} : RowPoint(c.toRow);
    Drag(c.fromRow, to);
    EXPECT_EQ(c.order, Order()) << c.what;
    EXPECT_EQ(c.selection, Selection()) << c.what;
    ASSERT_EQ(c.drop ? 1 : 0, CountOf(DDLBN_DROP)) << c.what;
    if (c.drop) {
      EXPECT_EQ(c.fromRow, Find(DDLBN_DROP)->fromIndex) << c.what;
      EXPECT_EQ(c.toRow > 5 ? 5 : c.toRow, Find(DDLBN_DROP)->toPosition) << c.what;
    }
    std::vector<UINT> expected = {DDLBN_BEGINDRAG};
    if (c.drop) expected.push_back(DDLBN_DROP);
    expected.push_back(DDLBN_ENDDRAG);
    EXPECT_EQ(expected, SeenCodes()) << c.what;
    EXPECT_EQ(c.fromRow, Find(DDLBN_BEGINDRAG)->item) << c.what;
    EXPECT_EQ(nullptr, GetCapture()) << c.what;
    EXPECT_FALSE(Info()->dragging) << c.what;
    EXPECT_EQ(-1, Info()->fromIndex) << c.what;
  }
}

TEST_F(DragListTest, MarkLiesOnInsertionLineAndReportsPositionUnderPointer) {
  Mouse(WM_LBUTTONDOWN, RowPoint(1), MK_LBUTTON);
  RECT client;
  GetClientRect(list_, &client);
  struct Case {
    int row;
    int position;
  } cases[] = {{3, 3}, {0, 0}, {6, 5}, {7, 5}};  // rows 6 and 7 lie below the five items
  for (const Case& c : cases) {
    seen_.clear();
    Mouse(WM_MOUSEMOVE, RowPoint(c.row), MK_LBUTTON);
    ASSERT_TRUE(Info()->markShown) << c.row;
    EXPECT_EQ(0, Info()->markStart.x);
    EXPECT_EQ(c.position * itemHeight_, Info()->markStart.y) << c.row;
    EXPECT_EQ(client.right, Info()->markEnd.x);
    EXPECT_EQ(c.position * itemHeight_, Info()->markEnd.y) << c.row;
    const SeenDrag* query = Find(DDLBN_QUERYCURSOR);
    ASSERT_NE(nullptr, query) << c.row;
    EXPECT_EQ(c.position, query->toPosition) << c.row;
    EXPECT_EQ(static_cast<WPARAM>(MK_LBUTTON), query->wParam);
  }
  Mouse(WM_LBUTTONUP, RowPoint(7));
  EXPECT_FALSE(Info()->markShown);
}

TEST_F(DragListTest, QueryCursorAnswerBecomesTheCursor) {
  HCURSOR cross = LoadCursorA(nullptr, IDC_CROSS);
  testwin::Parent().handler = [cross](const NMHDR* record, LRESULT* result) {
    if (record->code != DDLBN_QUERYCURSOR) return false;
    *result = reinterpret_cast<LRESULT>(cross);
    return true;
  };
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  Mouse(WM_LBUTTONDOWN, RowPoint(0), MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, RowPoint(2), MK_LBUTTON);
  EXPECT_EQ(cross, GetCursor());
  Mouse(WM_LBUTTONUP, RowPoint(2));
}

TEST_F(DragListTest, InsertionMarkInvertsPixelsAndEraseRestoresThem) {
  Mouse(WM_LBUTTONDOWN, RowPoint(0), MK_LBUTTON);
  int width = GetClientWidth(list_) - 1;
  int y = 3 * itemHeight_;
  std::vector<COLORREF> before;
  for (int x = 0; x < width; x += 5) before.push_back(testwin::WindowPixel(list_, x, y));

  Mouse(WM_MOUSEMOVE, RowPoint(3), MK_LBUTTON);
  size_t at = 0;
  for (int x = 0; x < width; x += 5, ++at) {
    EXPECT_EQ(before[at] ^ 0xFFFFFFu, testwin::WindowPixel(list_, x, y)) << "drawn, x " << x;
  }
  Mouse(WM_MOUSEMOVE, RowPoint(4), MK_LBUTTON);  // moves the mark off this line
  at = 0;
  for (int x = 0; x < width; x += 5, ++at) {
    EXPECT_EQ(before[at], testwin::WindowPixel(list_, x, y)) << "moved, x " << x;
  }
  Mouse(WM_MOUSEMOVE, RowPoint(3), MK_LBUTTON);
  Mouse(WM_LBUTTONUP, POINT{400, 400});  // no drop: only the end of the drag erases
  at = 0;
  for (int x = 0; x < width; x += 5, ++at) {
    EXPECT_EQ(before[at], testwin::WindowPixel(list_, x, y)) << "ended, x " << x;
  }
}

TEST_F(DragListTest, RefusedBeginDragStillSelectsButNeverMoves) {
  Refuse(DDLBN_BEGINDRAG);
  Drag(2, RowPoint(2));
  EXPECT_EQ("abcde", Order());
  EXPECT_EQ(2, Selection());
  EXPECT_EQ(0, CountOf(DDLBN_DROP));
  EXPECT_EQ(0, CountOf(DDLBN_ENDDRAG));
  EXPECT_EQ(1, SelChanges());
  Key(WM_SYSKEYDOWN, VK_DOWN);
  Key(WM_SYSKEYDOWN, VK_UP);
  EXPECT_EQ("abcde", Order());
  EXPECT_EQ(2, Selection());
}

TEST_F(DragListTest, ClickOutsideItemsStillAnnouncesSelectionChange) {
  Mouse(WM_LBUTTONDOWN, RowPoint(7), MK_LBUTTON);
  Mouse(WM_LBUTTONUP, RowPoint(7));
  EXPECT_EQ(0, CountOf(DDLBN_BEGINDRAG));
  EXPECT_EQ(1, SelChanges());
}

TEST_F(DragListTest, FocusLossEndsDragWithoutDrop) {
  Mouse(WM_LBUTTONDOWN, RowPoint(1), MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, RowPoint(3), MK_LBUTTON);
  ASSERT_EQ(list_, GetCapture());
  SetFocus(other_);
  EXPECT_EQ((std::vector<UINT>{DDLBN_BEGINDRAG, DDLBN_ENDDRAG}), SeenCodes());
  EXPECT_EQ(nullptr, GetCapture());
  EXPECT_FALSE(KillTimer(list_, 100)) << "auto-scroll timer still running";
  EXPECT_FALSE(Info()->dragging);
  EXPECT_FALSE(Info()->markShown);
  Mouse(WM_LBUTTONUP, RowPoint(3));
  EXPECT_EQ(0, CountOf(DDLBN_DROP));
  EXPECT_EQ("abcde", Order());
}

TEST_F(DragListTest, CaptureTakenByAnotherWindowEndsDrag) {
  Mouse(WM_LBUTTONDOWN, RowPoint(1), MK_LBUTTON);
  SetCapture(other_);
  EXPECT_EQ((std::vector<UINT>{DDLBN_BEGINDRAG, DDLBN_ENDDRAG}), SeenCodes());
  EXPECT_FALSE(KillTimer(list_, 100));
  ReleaseCapture();
}

TEST_F(DragListTest, InputDuringDragIsSwallowed) {
  SendMessageA(list_, LB_SETCURSEL, 0, 0);
  Mouse(WM_LBUTTONDOWN, RowPoint(1), MK_LBUTTON);
  ASSERT_EQ(1, Selection());
  seen_.clear();
  EXPECT_EQ(0, SendMessageA(list_, WM_CHAR, 'e', 1));  // would jump to "e"
  EXPECT_EQ(0, SendMessageA(list_, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0));
  Mouse(WM_LBUTTONDBLCLK, RowPoint(3), MK_LBUTTON);
  Mouse(WM_RBUTTONDOWN, RowPoint(3), MK_RBUTTON);
  Mouse(WM_RBUTTONUP, RowPoint(3));
  Key(WM_KEYDOWN, VK_DELETE);
  Key(WM_SYSKEYDOWN, VK_UP);
  EXPECT_EQ(1, Selection());
  EXPECT_EQ("abcde", Order());
  EXPECT_TRUE(SeenCodes().empty());
  ASSERT_EQ(list_, GetCapture());
  Mouse(WM_LBUTTONUP, RowPoint(1));
  // Once the drag is over, characters reach the list box again.
  SendMessageA(list_, WM_CHAR, 'e', 1);
  EXPECT_EQ(4, Selection());
}

TEST_F(DragListTest, WheelDuringDragDoesNotScroll) {
  std::vector<std::string> many;
  for (int i = 0; i < 40; ++i) many.push_back("item" + std::to_string(i));
  Fill(many);
  Mouse(WM_LBUTTONDOWN, RowPoint(1), MK_LBUTTON);
  SendMessageA(list_, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
  EXPECT_EQ(0, SendMessageA(list_, LB_GETTOPINDEX, 0, 0));
  Mouse(WM_LBUTTONUP, RowPoint(1));
  // The same turn scrolls the list once the drag is over.
  SendMessageA(list_, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
  EXPECT_GT(SendMessageA(list_, LB_GETTOPINDEX, 0, 0), 0);
}

TEST_F(DragListTest, AltArrowsMoveCurrentItem) {
  struct Case {
    int selection;
    WPARAM key;
    const char* order;
    int newSelection;
    int beginDrags;
  } cases[] = {
      {0, VK_UP, "abcde", 0, 0},   {4, VK_DOWN, "abcde", 4, 0}, {0, VK_LEFT, "abcde", 0, 0},
      {4, VK_RIGHT, "abcde", 4, 0}, {2, VK_UP, "acbde", 1, 1},   {2, VK_LEFT, "acbde", 1, 1},
      {2, VK_DOWN, "abdce", 3, 1}, {2, VK_RIGHT, "abdce", 3, 1}, {3, VK_DOWN, "abced", 4, 1},
      {2, VK_HOME, "abcde", 2, 0}, {-1, VK_UP, "abcde", -1, 0},
  };
  for (const Case& c : cases) {
    Fill({"a", "b", "c", "d", "e"});
    SendMessageA(list_, LB_SETCURSEL, c.selection, 0);
    seen_.clear();
    Key(WM_SYSKEYDOWN, c.key);
    EXPECT_EQ(c.order, Order()) << c.selection << " key " << c.key;
    EXPECT_EQ(c.newSelection, Selection()) << c.selection << " key " << c.key;
    EXPECT_EQ(c.beginDrags, CountOf(DDLBN_BEGINDRAG)) << c.selection << " key " << c.key;
    if (c.beginDrags) {
      EXPECT_EQ(c.selection, Find(DDLBN_BEGINDRAG)->item);
    }
    ASSERT_NE(nullptr, Find(DDLBN_SYSKEYDOWN));
    EXPECT_EQ(c.key, Find(DDLBN_SYSKEYDOWN)->wParam);
  }
}

TEST_F(DragListTest, BackspaceAndDeleteSelectNeighbour) {
  struct Case {
    std::vector<std::string> items;
    int selection;
    WPARAM key;
    const char* order;
    int newSelection;
  } cases[] = {
      {{"a", "b", "c", "d", "e"}, 0, VK_BACK, "bcde", 0},
      {{"a", "b", "c", "d", "e"}, 2, VK_BACK, "abde", 1},
      {{"a", "b", "c", "d", "e"}, 4, VK_BACK, "abcd", 3},
      {{"a", "b", "c", "d", "e"}, 2, VK_DELETE, "abde", 2},
      {{"a", "b", "c", "d", "e"}, 4, VK_DELETE, "abcd", 3},
      {{"a", "b", "c", "d", "e"}, 0, VK_DELETE, "bcde", 0},
      {{"a"}, 0, VK_BACK, "", -1},
      {{"a"}, 0, VK_DELETE, "", -1},
      {{"a", "b"}, -1, VK_DELETE, "ab", -1},
      {{}, -1, VK_BACK, "", -1},
  };
  for (const Case& c : cases) {
    Fill(c.items);
    SendMessageA(list_, LB_SETCURSEL, c.selection, 0);
    Key(WM_KEYDOWN, c.key);
    EXPECT_EQ(c.order, Order()) << c.selection << " key " << c.key;
    EXPECT_EQ(c.newSelection, Selection()) << c.selection << " key " << c.key;
  }
}

TEST_F(DragListTest, ParentHandlingDeleteKeepsItems) {
  Refuse(DDLBN_KEYDOWN);
  SendMessageA(list_, LB_SETCURSEL, 2, 0);
  Key(WM_KEYDOWN, VK_DELETE);
  Key(WM_KEYDOWN, VK_BACK);
  EXPECT_EQ("abcde", Order());
  EXPECT_EQ((std::vector<UINT>{DDLBN_KEYDOWN, DDLBN_KEYDOWN}), SeenCodes());
}

TEST_F(DragListTest, RightClickAndMenuKeyAskForContextMenu) {
  Mouse(WM_RBUTTONDOWN, RowPoint(3), MK_RBUTTON);
  EXPECT_EQ(3, Selection());
  EXPECT_EQ(1, SelChanges());
  Mouse(WM_RBUTTONUP, RowPoint(3));
  EXPECT_EQ((std::vector<UINT>{DDLBN_RBUTTONUP, DDLBN_CONTEXTMENU}), SeenCodes());
  EXPECT_EQ(3, Find(DDLBN_RBUTTONUP)->item);

  seen_.clear();
  Key(WM_KEYDOWN, VK_APPS);
  EXPECT_EQ((std::vector<UINT>{DDLBN_KEYDOWN, DDLBN_CONTEXTMENU}), SeenCodes());

  // Below the last item there is nothing to ask about.
  seen_.clear();
  Mouse(WM_RBUTTONDOWN, RowPoint(7), MK_RBUTTON);
  Mouse(WM_RBUTTONUP, RowPoint(7));
  EXPECT_TRUE(SeenCodes().empty());
  EXPECT_EQ(3, Selection());
}

TEST_F(DragListTest, ParentHandlingRightClickGetsNoContextMenu) {
  Refuse(DDLBN_RBUTTONUP);
  Mouse(WM_RBUTTONDOWN, RowPoint(1), MK_RBUTTON);
  Mouse(WM_RBUTTONUP, RowPoint(1));
  EXPECT_EQ((std::vector<UINT>{DDLBN_RBUTTONUP}), SeenCodes());
}

TEST_F(DragListTest, DroppedFilesGoToParentWithHandleStillValid) {
  HDROP drop = MakeDrop({"C:\\file.txt"});
  EXPECT_EQ(0, SendMessageA(list_, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0));
  EXPECT_EQ((std::vector<UINT>{DDLBN_DROPFILES}), SeenCodes());
  EXPECT_EQ(reinterpret_cast<WPARAM>(drop), Find(DDLBN_DROPFILES)->wParam);
  // Not released by the list box: the parent can still read it and must finish it.
  char name[MAX_PATH] = "";
  EXPECT_EQ(1u, DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0));
  DragQueryFileA(drop, 0, name, sizeof(name));
  EXPECT_STREQ("C:\\file.txt", name);
  DragFinish(drop);
}

TEST_F(DragListTest, AutoScrollWhilePointerBelowList) {
  std::vector<std::string> items;
  for (int i = 0; i < 40; ++i) items.push_back(std::to_string(i));
  Fill(items);
  ASSERT_EQ(0, SendMessageA(list_, LB_GETTOPINDEX, 0, 0));
  Mouse(WM_LBUTTONDOWN, RowPoint(1), MK_LBUTTON);
  POINT below = testwin::ClientToScreenPoint(list_, 20, 170);
  Mouse(WM_MOUSEMOVE, below, MK_LBUTTON);
  for (int i = 0; i < 60 && SendMessageA(list_, LB_GETTOPINDEX, 0, 0) < 2; ++i) {
    testwin::Pump(1);
    Sleep(20);
  }
  EXPECT_GE(SendMessageA(list_, LB_GETTOPINDEX, 0, 0), 2);
  EXPECT_FALSE(Info()->markShown);
  // Back inside: the mark is drawn relative to the scrolled top.
  Mouse(WM_MOUSEMOVE, RowPoint(2), MK_LBUTTON);
  EXPECT_EQ(2 * itemHeight_, Info()->markStart.y);
  Mouse(WM_LBUTTONUP, RowPoint(2));
}

TEST_F(DragListTest, MoveListItemKeepsDataAndRejectsBadPositions) {
  SendMessageA(list_, LB_SETITEMDATA, 1, 0x1234);
  struct Case {
    int from, to;
    int result;
    const char* order;
  } cases[] = {{1, 4, 3, "acdbe"}, {0, 0, 0, "abcde"}, {4, 0, 0, "eabcd"}, {-1, 2, -1, "abcde"},
               {5, 2, -1, "abcde"}, {1, 6, -1, "abcde"}, {1, -1, -1, "abcde"}};
  for (const Case& c : cases) {
    Fill({"a", "b", "c", "d", "e"});
    SendMessageA(list_, LB_SETITEMDATA, c.from >= 0 && c.from < 5 ? c.from : 0, 0x1234);
    EXPECT_EQ(c.result, MoveListItem(list_, c.from, c.to)) << c.from << "->" << c.to;
    EXPECT_EQ(c.order, Order()) << c.from << "->" << c.to;
    if (c.result >= 0) {
      EXPECT_EQ(0x1234, SendMessageA(list_, LB_GETITEMDATA, c.result, 0));
    }
  }
}

TEST_F(DragListTest, DestroyNotifiesThenRemovesEverything) {
  bool existed = false;
  testwin::Parent().inspector = [this, &existed](const NMHDR* record) {
    if (record->code == DDLBN_DESTROY) existed = GetDlgItem(parent_, kListId) == list_;
  };
  Mouse(WM_LBUTTONDOWN, RowPoint(1), MK_LBUTTON);  // destroyed in the middle of a drag
  DestroyWindow(list_);
  EXPECT_TRUE(existed);
  ASSERT_FALSE(testwin::Codes(kListId).empty());
  EXPECT_EQ(DDLBN_DESTROY, testwin::Codes(kListId).back());
  EXPECT_TRUE(testwin::Probe().sawDestroy);
  EXPECT_EQ(0, testwin::Probe().propertiesLeft);
  EXPECT_TRUE(testwin::Probe().procRestored);
}

}  // namespace
