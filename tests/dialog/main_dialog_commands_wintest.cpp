// The main dialog driven as a user drives it: OK and Cancel, copy buttons, row switches, filter
// kinds, the check boxes' menus opened with the mouse and the Menu key, and the system menu.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <shlobj.h>

#include "about/about_dialog.h"
#include "app/job_settings.h"
#include "controls/window_helpers.h"
#include "dialog/dialog_ids.h"
#include "dialog/main_dialog.h"
#include "shell/program_shortcut.h"
#include "support/menu_probe.h"
#include "support/message_box_closer.h"
#include "support/shell_drop.h"
#include "support/temp_folder.h"
#include "text/paths.h"
#include "tests/dialog/dialog_test_support.h"

namespace {

using dialogtest::DialogFixture;
using dialogtest::LocalValue;

const int kAttributeIds[4] = {IDC_ARCHIVE, IDC_HIDDEN, IDC_SYSTEM, IDC_READONLY};

class CommandsTest : public DialogFixture {
 protected:
  void Command(int id, int notification = BN_CLICKED) {
    SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(id, notification),
                 reinterpret_cast<LPARAM>(Item(id)));
  }
  void Click(int id) { SendMessageA(Item(id), BM_CLICK, 0, 0); }
  void SelectKind(int index) {
    SendMessageA(Item(IDC_FILTER_KIND), CB_SETCURSEL, index, 0);
    Command(IDC_FILTER_KIND, CBN_SELCHANGE);
  }
  POINT CentreOf(int id) {
    RECT rect;
    GetWindowRect(Item(id), &rect);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  }
  static std::vector<std::string> Texts(const SeenMenu& menu) {
    std::vector<std::string> texts;
    for (const SeenMenuItem& item : menu.items) texts.push_back(item.text);
    return texts;
  }
  static std::vector<bool> Checks(const SeenMenu& menu) {
    std::vector<bool> checks;
    for (const SeenMenuItem& item : menu.items) checks.push_back(item.checked);
    return checks;
  }
  TempFolder folder_;
};

TEST_F(CommandsTest, OkWritesTheApplyFormOfTheBoxesAndTheRestOfTheDialog) {
  const struct {
    UINT state;
    uint32_t andMask, orMask;
  } cases[] = {
      {BST_CHECKED, 0xFFFFFFFFu, 0x27},
      {BST_INDETERMINATE, 0xFFFFFFFFu, 0},
      {BST_UNCHECKED, 0xFFFFFFD8u, 0},
  };
  for (const auto& c : cases) {
    DestroyTargetList(record_.targets);
    ASSERT_TRUE(InitJobSettings(&record_));
    std::string file = folder_.MakeFile("ok.txt");
    AddTarget(record_.targets, file.c_str());
    TargetList* before = record_.targets;
    record_.showTrayIcon = false;
    record_.filterKind = FILTER_WILDCARD;
    record_.cancelRequested.store(true);  // a new job never inherits a cancel
    Open();
    for (int id : kAttributeIds) CheckDlgButton(dialog_, id, c.state);
    Click(IDC_RECURSE);
    SelectKind(1);
    SetDlgItemTextA(dialog_, IDC_FILTER_PATTERN, "*.txt;*.log");
    Command(IDOK);
    EXPECT_FALSE(IsWindowVisible(dialog_));
    EXPECT_EQ(c.andMask, record_.andMask) << c.state;
    EXPECT_EQ(c.orMask, record_.orMask) << c.state;
    EXPECT_TRUE(record_.recurse);
    EXPECT_TRUE(record_.showDialog);
    EXPECT_FALSE(record_.showTrayIcon);
    EXPECT_FALSE(record_.cancelRequested.load());
    EXPECT_EQ(FILTER_WILDCARD, record_.filterKind);
    EXPECT_STREQ("*.txt;*.log", record_.filterPattern);
    EXPECT_FALSE(record_.creation.enabled || record_.lastWrite.enabled ||
                 record_.lastAccess.enabled);
    ASSERT_NE(before, record_.targets);  // a new list; the old one was destroyed
    ASSERT_EQ(1, record_.targets->count);
    EXPECT_EQ(dialogtest::Lower(file), TargetAt(record_.targets, 0));
    Close();
  }
}

TEST_F(CommandsTest, OkWithAnUnreadableDateKeepsTheDialogAndTheRecord) {
  record_.lastWrite = TimestampEntry{false, LocalValue(2001, 2, 3, 4, 5, 6)};
  record_.andMask = 0x27;
  record_.orMask = 0x27;
  TargetList* targets = record_.targets;
  Open();
  Click(IDC_LASTWRITE_ON);
  SetDlgItemTextA(dialog_, IDC_LASTWRITE_DATE, "2006-13-01");
  {
    MessageBoxCloser closer(dialog_);
    Command(IDOK);
    EXPECT_EQ(1u, closer.Seen().size());
  }
  EXPECT_TRUE(IsWindowVisible(dialog_));
  EXPECT_FALSE(record_.lastWrite.enabled);
  EXPECT_EQ(0x27u, record_.andMask);
  EXPECT_EQ(targets, record_.targets);
  SetDlgItemTextA(dialog_, IDC_LASTWRITE_DATE, "2006-12-01");
  SetDlgItemTextA(dialog_, IDC_LASTWRITE_TIME, "10:20:30");
  Command(IDOK);
  EXPECT_FALSE(IsWindowVisible(dialog_));
  EXPECT_TRUE(record_.lastWrite.enabled);
  FileTimeValue expected = LocalValue(2006, 12, 1, 10, 20, 30);
  EXPECT_EQ(expected.low, record_.lastWrite.time.low);
  EXPECT_EQ(expected.high, record_.lastWrite.time.high);
}

// The modal dialog as the program shows it, answered from a timer inside its own loop.
int gAnswer = 0;
void CALLBACK AnswerDialog(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = FindWindowA("#32770", "Morvane");
  if (!dialog) return;
  KillTimer(nullptr, timer);
  if (gAnswer == VK_ESCAPE) {
    SetForegroundWindow(dialog);
    PressKey(VK_ESCAPE);
  } else {
    PostMessageA(dialog, WM_COMMAND, gAnswer, 0);
  }
}

TEST_F(CommandsTest, ShowMainDialogIsTrueOnlyForOk) {
  const struct {
    int answer;
    bool result;
  } cases[] = {{IDOK, true}, {IDCANCEL, false}, {VK_ESCAPE, false}};
  for (const auto& c : cases) {
    DestroyTargetList(record_.targets);
    ASSERT_TRUE(InitJobSettings(&record_));
    std::string file = folder_.MakeFile("modal.txt");
    AddTarget(record_.targets, file.c_str());
    record_.andMask = 0xFFFFFFFFu;  // summary form: no target could be looked up
    TargetList* targets = record_.targets;
    gAnswer = c.answer;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, AnswerDialog);
    EXPECT_EQ(c.result, ShowMainDialog(nullptr, &record_)) << c.answer;
    KillTimer(nullptr, timer);
    if (c.result) {
      EXPECT_NE(targets, record_.targets);
      EXPECT_EQ(0xFFFFFFD8u, record_.andMask);  // the four boxes showed unchecked
    } else {
      // Cancel leaves the caller's record exactly as it was, its target list included.
      EXPECT_EQ(targets, record_.targets);
      ASSERT_EQ(1, targets->count);
      EXPECT_EQ(file, TargetAt(targets, 0));
      EXPECT_EQ(0xFFFFFFFFu, record_.andMask);
    }
  }
}

TEST_F(CommandsTest, CopyButtonsCopyTextsAsTheyStand) {
  Open();
  SetDlgItemTextA(dialog_, IDC_CREATION_DATE, "not a date");
  SetDlgItemTextA(dialog_, IDC_CREATION_TIME, "c-time");
  SetDlgItemTextA(dialog_, IDC_LASTWRITE_DATE, "w-date");
  SetDlgItemTextA(dialog_, IDC_LASTWRITE_TIME, "w-time");
  SendMessageA(dialog_, WM_TIMER, MAIN_DIALOG_CLOCK_TIMER, 0);
  const struct {
    int button;
    int toDate, toTime;
    int fromDate, fromTime;
  } cases[] = {
      {IDC_LASTACCESS_FROM_CREATION, IDC_LASTACCESS_DATE, IDC_LASTACCESS_TIME, IDC_CREATION_DATE,
       IDC_CREATION_TIME},
      {IDC_LASTACCESS_FROM_LASTWRITE, IDC_LASTACCESS_DATE, IDC_LASTACCESS_TIME,
       IDC_LASTWRITE_DATE, IDC_LASTWRITE_TIME},
      {IDC_LASTWRITE_FROM_CREATION, IDC_LASTWRITE_DATE, IDC_LASTWRITE_TIME, IDC_CREATION_DATE,
       IDC_CREATION_TIME},
      {IDC_CREATION_FROM_LASTWRITE, IDC_CREATION_DATE, IDC_CREATION_TIME, IDC_LASTWRITE_DATE,
       IDC_LASTWRITE_TIME},
      {IDC_CREATION_FROM_NOW, IDC_CREATION_DATE, IDC_CREATION_TIME, IDC_NOW_DATE, IDC_NOW_TIME},
      {IDC_LASTACCESS_FROM_NOW, IDC_LASTACCESS_DATE, IDC_LASTACCESS_TIME, IDC_NOW_DATE,
       IDC_NOW_TIME},
  };
  for (const auto& c : cases) {
    std::string date = Text(c.fromDate), time = Text(c.fromTime);
    Click(c.button);
    EXPECT_EQ(date, Text(c.toDate)) << c.button;
    EXPECT_EQ(time, Text(c.toTime)) << c.button;
  }
  // The rows were off and stay off.
  for (int id : {IDC_CREATION_ON, IDC_LASTWRITE_ON, IDC_LASTACCESS_ON})
    EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), IsDlgButtonChecked(dialog_, id));
}

TEST_F(CommandsTest, RowSwitchesDecideWhichFieldsCanBeEdited) {
  record_.creation.enabled = true;
  Open();
  Click(IDC_LASTWRITE_ON);
  EXPECT_FALSE(ReadOnly(IDC_CREATION_DATE));
  EXPECT_FALSE(ReadOnly(IDC_LASTWRITE_DATE));
  EXPECT_FALSE(ReadOnly(IDC_LASTWRITE_TIME));
  EXPECT_TRUE(ReadOnly(IDC_LASTACCESS_TIME));
  Click(IDC_LASTWRITE_ON);
  EXPECT_TRUE(ReadOnly(IDC_LASTWRITE_DATE));
  EXPECT_FALSE(ReadOnly(IDC_CREATION_TIME));
}

TEST_F(CommandsTest, FilterKindsSwitchTheFieldAndItsHelp) {
  Open();
  HWND tooltip = static_cast<HWND>(GetPropA(dialog_, PROP_DIALOGTOOLTIPCTRL));
  ASSERT_NE(nullptr, tooltip);
  const struct {
    int index;
    bool enabled;
    const char* helpStart;
  } cases[] = {
      {1, true, "ワイルドカードによる一致で絞り込みます。"},
      {0, false, ""},
      {2, true, "正規表現による検索で絞り込みます。"},
  };
  SetDlgItemTextA(dialog_, IDC_FILTER_PATTERN, "kept");
  const LRESULT tools = SendMessageA(tooltip, TTM_GETTOOLCOUNT, 0, 0);
  for (const auto& c : cases) {
    SelectKind(c.index);
    EXPECT_EQ(c.enabled, IsWindowEnabled(Item(IDC_FILTER_PATTERN)) != FALSE) << c.index;
    std::string help = dialogtest::ToolText(tooltip, dialog_, Item(IDC_FILTER_PATTERN));
    EXPECT_EQ(0u, help.find(c.helpStart)) << help;
    if (*c.helpStart == 0) {
      EXPECT_EQ("", help);
    }
    EXPECT_EQ("kept", Text(IDC_FILTER_PATTERN));
  }
  EXPECT_EQ(tools, SendMessageA(tooltip, TTM_GETTOOLCOUNT, 0, 0));  // replaced, never added twice
  // The label follows the pattern's text, whatever the kind.
  SetDlgItemTextA(dialog_, IDC_FILTER_PATTERN, "");
  EXPECT_FALSE(IsWindowEnabled(Item(IDC_FILTER_LABEL)));
  SetDlgItemTextA(dialog_, IDC_FILTER_PATTERN, "a");
  EXPECT_TRUE(IsWindowEnabled(Item(IDC_FILTER_LABEL)));
}

// Every help text shows over its own control when the pointer rests there, never two for one
// control, each control in a look of the dialog where the user can point at it (shown and
// enabled: the shift fields only for rows that shift); the filter's help, which has line
// breaks, shows on several lines.
TEST_F(CommandsTest, EachHelpShowsOverItsOwnControl) {
  HWND tooltip = nullptr;
  // The tip shown with the pointer at the control's centre: its control, null when none, and
  // its height.
  auto hover = [&](HWND control, HWND* shownFor) {
    RECT rect;
    GetWindowRect(control, &rect);
    SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    INPUT move = {};
    move.type = INPUT_MOUSE;
    move.mi.dwFlags = MOUSEEVENTF_MOVE;
    SendInput(1, &move, sizeof move);
    *shownFor = nullptr;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 2000;) {
      PumpFor(20);
      TOOLINFOA current = {};
      current.cbSize = TTTOOLINFOA_V1_SIZE;
      if (IsWindowVisible(tooltip) &&
          SendMessageA(tooltip, TTM_GETCURRENTTOOLA, 0, reinterpret_cast<LPARAM>(&current)) &&
          reinterpret_cast<HWND>(current.uId) == control) {
        *shownFor = control;
        break;
      }
    }
    RECT tip;
    GetWindowRect(tooltip, &tip);
    return tip.bottom - tip.top;
  };
  std::vector<int> helped, shown;  // control ids
  for (TimeKind kind : {TIME_KIND_DATE, TIME_KIND_SHIFT}) {
    for (TimestampEntry* row : {&record_.creation, &record_.lastWrite, &record_.lastAccess}) {
      row->enabled = true;
      row->kind = kind;
    }
    Open();
    SelectKind(1);  // the pattern field, and with it its help, is enabled
    tooltip = static_cast<HWND>(GetPropA(dialog_, PROP_DIALOGTOOLTIPCTRL));
    ASSERT_NE(nullptr, tooltip);
    SendMessageA(tooltip, TTM_SETDELAYTIME, TTDT_INITIAL, 1);
    SendMessageA(tooltip, TTM_SETDELAYTIME, TTDT_RESHOW, 1);
    SendMessageA(tooltip, TTM_SETDELAYTIME, TTDT_AUTOPOP, 30000);
    std::vector<HWND> controls;
    int count = static_cast<int>(SendMessageA(tooltip, TTM_GETTOOLCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      TOOLINFOA tool = {};
      tool.cbSize = TTTOOLINFOA_V1_SIZE;
      SendMessageA(tooltip, TTM_ENUMTOOLSA, i, reinterpret_cast<LPARAM>(&tool));
      controls.push_back(reinterpret_cast<HWND>(tool.uId));
    }
    ASSERT_FALSE(controls.empty());
    for (HWND control : controls) {
      int id = GetDlgCtrlID(control);
      EXPECT_EQ(dialog_, GetParent(control)) << id;
      EXPECT_EQ(1, std::count(controls.begin(), controls.end(), control)) << id;
      if (kind == TIME_KIND_DATE) helped.push_back(id);
      if (!IsWindowVisible(control) || !IsWindowEnabled(control)) continue;
      HWND shownFor = nullptr;
      hover(control, &shownFor);
      EXPECT_EQ(control, shownFor) << "no help of its own over control " << id;
      EXPECT_NE("", dialogtest::ToolText(tooltip, dialog_, control)) << id;
      if (shownFor) shown.push_back(id);
    }
    if (kind == TIME_KIND_DATE) {
      HWND shownFor = nullptr;
      int oneLine = hover(Item(IDC_FILTER_KIND), &shownFor);
      ASSERT_EQ(Item(IDC_FILTER_KIND), shownFor);
      int patternHelp = hover(Item(IDC_FILTER_PATTERN), &shownFor);
      ASSERT_EQ(Item(IDC_FILTER_PATTERN), shownFor);
      EXPECT_GT(patternHelp, 2 * oneLine) << "the filter's help on one line";
    }
    SetCursorPos(5, 5);
    Close();
  }
  // Only a row's copy from its own time is never enabled, so its help never shows.
  const int neverEnabled[] = {IDC_CREATION_FROM_CREATION, IDC_LASTWRITE_FROM_LASTWRITE};
  for (int id : helped) {
    bool seen = std::find(shown.begin(), shown.end(), id) != shown.end();
    bool off = std::find(std::begin(neverEnabled), std::end(neverEnabled), id) !=
               std::end(neverEnabled);
    EXPECT_NE(seen, off) << "control " << id;
  }
}

// The pattern field holds no more than the record does, so that what OK stores is what the field
// shows: typed or pasted text stops at the limit, and double-byte characters (two bytes, one
// character to the field) are kept whole within the record's 1,024 bytes.
TEST_F(CommandsTest, ThePatternFieldHoldsWhatTheRecordHolds) {
  std::string wide;  // 亜 in code page 932
  for (int i = 0; i < 700; ++i) wide += "\x88\x9f";
  const struct {
    std::string text;
    bool typed;  // as the user enters it (EM_REPLACESEL), or set as a whole (WM_SETTEXT)
    std::size_t kept;
  } cases[] = {
      {std::string(1500, 'a'), true, 1024},
      {wide, true, 1024},
      {"a" + wide, true, 1023},
      {std::string(1100, 'b'), false, 1024},
      {"*.txt", true, 5},
  };
  for (const auto& c : cases) {
    DestroyTargetList(record_.targets);
    ASSERT_TRUE(InitJobSettings(&record_));
    Open();
    SelectKind(1);
    if (c.typed)
      SendMessageA(Item(IDC_FILTER_PATTERN), EM_REPLACESEL, TRUE,
                   reinterpret_cast<LPARAM>(c.text.c_str()));
    else
      SetDlgItemTextA(dialog_, IDC_FILTER_PATTERN, c.text.c_str());
    std::string shown = Text(IDC_FILTER_PATTERN);
    EXPECT_EQ(c.kept, shown.size()) << c.text.size();
    EXPECT_EQ(0u, c.text.find(shown)) << "the start of the text";
    Command(IDOK);
    ASSERT_FALSE(IsWindowVisible(dialog_));
    EXPECT_EQ(shown, record_.filterPattern) << c.text.size();
    Close();
  }
}

TEST_F(CommandsTest, RightClickOpensTheCheckBoxMenuAtThePointer) {
  record_.orMask = ATTR_HIDDEN;  // some targets hidden: unchanged
  Open();
  const struct {
    int id;
    WORD key;
    std::vector<std::string> texts;
    std::vector<bool> checks;
    UINT after;
  } cases[] = {
      {IDC_HIDDEN, 'U', {"設定(&C)", "不変(&N)", "解除(&U)"}, {false, true, false}, BST_UNCHECKED},
      {IDC_HIDDEN, 'C', {"設定(&C)", "不変(&N)", "解除(&U)"}, {false, false, true}, BST_CHECKED},
      {IDC_SYSTEM, 'N', {"設定(&C)", "不変(&N)", "解除(&U)"}, {false, false, true},
       BST_INDETERMINATE},
      {IDC_CREATION_ON, 'C', {"変更(&C)", "不変(&U)"}, {false, true}, BST_CHECKED},
      {IDC_CREATION_ON, 'U', {"変更(&C)", "不変(&U)"}, {true, false}, BST_UNCHECKED},
  };
  for (const auto& c : cases) {
    POINT point = CentreOf(c.id);
    MenuProbe probe(c.key);
    RightClickAt(point);
    const SeenMenu& menu = probe.Wait();
    ASSERT_TRUE(menu.shown) << c.id;
    EXPECT_EQ(c.texts, Texts(menu)) << c.id;
    EXPECT_EQ(c.checks, Checks(menu)) << c.id;
    EXPECT_EQ(c.after, IsDlgButtonChecked(dialog_, c.id)) << c.id;
  }
  // The row's switch from its menu also decides whether its fields can be edited.
  EXPECT_TRUE(ReadOnly(IDC_CREATION_DATE));
}

TEST_F(CommandsTest, MenuKeyOpensTheMenuAtTheBoxCorner) {
  Open();
  SetFocus(Item(IDC_READONLY));
  SetCursorPos(5, 5);  // far from the box: the corner counts, not the pointer
  MenuProbe probe('C');
  PressKey(VK_APPS);
  const SeenMenu& menu = probe.Wait();
  ASSERT_TRUE(menu.shown);
  RECT box;
  GetWindowRect(Item(IDC_READONLY), &box);
  EXPECT_EQ(box.left, menu.frame.left);
  EXPECT_EQ(3u, menu.items.size());
  EXPECT_EQ(static_cast<UINT>(BST_CHECKED), IsDlgButtonChecked(dialog_, IDC_READONLY));
}

TEST_F(CommandsTest, FileListMenuOnlyWithAPathSelected) {
  Open();
  {
    MenuProbe probe;
    RightClickAt(CentreOf(IDC_FILE_LIST));
    EXPECT_FALSE(probe.Wait(500).shown);  // the header alone has no menu
  }
  AddTarget(record_.targets, folder_.MakeFile("listed.txt").c_str());
  Open();
  RECT list;
  GetWindowRect(Item(IDC_FILE_LIST), &list);
  int itemHeight = static_cast<int>(SendMessageA(Item(IDC_FILE_LIST), LB_GETITEMHEIGHT, 0, 0));
  POINT entry = {list.left + 20, list.top + 2 + itemHeight + itemHeight / 2};
  // A right click does not select in a list of several selections: the user selects first.
  LeftClickAt(entry);
  PumpFor(100);
  MenuProbe probe('D');
  RightClickAt(entry);
  const SeenMenu& menu = probe.Wait();
  ASSERT_TRUE(menu.shown);
  EXPECT_EQ((std::vector<std::string>{"削除(&D)"}), Texts(menu));
  EXPECT_EQ(1u, Entries().size());
}

// The items of the open popup that offers the shortcut commands, if one is shown.
std::vector<UINT> gShortcutItems;
void CALLBACK ReadShortcutSubmenu(HWND, UINT, UINT_PTR, DWORD) {
  for (HWND popup = nullptr; (popup = FindWindowExA(nullptr, popup, "#32768", nullptr));) {
    HMENU menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
    if (!IsWindowVisible(popup) || !menu || FindMenuItemPosition(menu, IDM_REGISTER_SENDTO) < 0)
      continue;
    gShortcutItems.clear();
    for (int i = 0; i < GetMenuItemCount(menu); ++i) gShortcutItems.push_back(GetMenuItemID(menu, i));
    EndMenu();
  }
}

// The system menu's own items, chosen as a user chooses them: the menu opened from the keyboard,
// then the access letter its text shows.
TEST_F(CommandsTest, SystemMenuItemsDoWhatTheySay) {
  record_.andMask = ATTR_READONLY;
  record_.orMask = ATTR_READONLY | ATTR_HIDDEN;
  record_.lastWrite = TimestampEntry{true, LocalValue(2006, 5, 6, 7, 8, 9)};
  Open();
  auto choose = [this](WORD key) {
    MenuProbe probe(key);
    PostMessageA(dialog_, WM_SYSCOMMAND, SC_KEYMENU, ' ');
    return probe.Wait();
  };
  auto topmostChecked = [](const SeenMenu& menu) {
    for (const SeenMenuItem& item : menu.items)
      if (item.id == IDM_TOPMOST) return item.checked;
    ADD_FAILURE() << "no topmost item";
    return false;
  };
  // Wine puts an owner after its topmost owned tooltip instead of making it topmost, as
  // Windows does; without the tooltip the switch shows under Wine too.
  DestroyWindow(static_cast<HWND>(RemovePropA(dialog_, PROP_DIALOGTOOLTIPCTRL)));
  for (bool topmost : {true, false}) {
    SeenMenu menu = choose('T');
    ASSERT_TRUE(menu.shown);
    EXPECT_EQ(!topmost, topmostChecked(menu)) << "the mark shows the state before the choice";
    EXPECT_EQ(topmost, IsTopmost(dialog_));
  }

  for (int id : kAttributeIds) CheckDlgButton(dialog_, id, BST_CHECKED);
  Click(IDC_LASTWRITE_ON);
  Click(IDC_CREATION_ON);
  SetDlgItemTextA(dialog_, IDC_LASTWRITE_DATE, "edited");
  SetDlgItemTextA(dialog_, IDC_NOW_DATE, "stale");
  ASSERT_TRUE(choose('B').shown);
  const UINT expected[4] = {BST_UNCHECKED, BST_INDETERMINATE, BST_UNCHECKED, BST_CHECKED};
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(expected[i], IsDlgButtonChecked(dialog_, kAttributeIds[i])) << i;
  EXPECT_EQ("edited", Text(IDC_LASTWRITE_DATE));  // one reset does not touch the other's part
  ASSERT_TRUE(choose('D').shown);
  EXPECT_EQ(static_cast<UINT>(BST_CHECKED), IsDlgButtonChecked(dialog_, IDC_LASTWRITE_ON));
  EXPECT_EQ(static_cast<UINT>(BST_UNCHECKED), IsDlgButtonChecked(dialog_, IDC_CREATION_ON));
  EXPECT_TRUE(ReadOnly(IDC_CREATION_DATE));
  EXPECT_FALSE(ReadOnly(IDC_LASTWRITE_DATE));
  EXPECT_EQ("2006-05-06", Text(IDC_LASTWRITE_DATE));
  EXPECT_EQ("07:08:09", Text(IDC_LASTWRITE_TIME));
  EXPECT_NE("stale", Text(IDC_NOW_DATE));

  {
    MessageBoxCloser closer(dialog_);
    ASSERT_TRUE(choose('A').shown);
    EXPECT_EQ(1u, closer.Seen().size()) << "the About box opens over the dialog";
  }
  // The shortcut item opens its submenu of the two places a shortcut can go; read, then closed,
  // from inside the menu's loop.
  gShortcutItems.clear();
  UINT_PTR reader = SetTimer(nullptr, 0, 30, ReadShortcutSubmenu);
  {
    MenuProbe probe('L');
    PostMessageA(dialog_, WM_SYSCOMMAND, SC_KEYMENU, ' ');
    ASSERT_TRUE(probe.Wait().shown);
  }
  KillTimer(nullptr, reader);
  EXPECT_EQ((std::vector<UINT>{IDM_REGISTER_SENDTO, IDM_REGISTER_DESKTOP}), gShortcutItems);
}

// A folder's own attributes say nothing of what lies inside it: once one joins the list by a
// drop, every box the user has not set moves to unchanged, and the reset puts every box there;
// a box the user set (click or menu) keeps the user's choice until the reset.
TEST_F(CommandsTest, ADroppedFolderMovesTheUntouchedBoxesToUnchanged) {
  record_.andMask = ATTR_READONLY;  // a file target's summary: read-only set, hidden on some
  record_.orMask = ATTR_READONLY | ATTR_HIDDEN;
  const std::string file = folder_.MakeFile("dropped.txt"), sub = folder_.MakeFolder("sub");
  Open();
  auto drop = [this](const std::string& path) {
    SendMessageA(Item(IDC_FILE_LIST), WM_DROPFILES,
                 reinterpret_cast<WPARAM>(MakeDrop(std::vector<std::string>{path})), 0);
  };
  const UINT N = BST_INDETERMINATE, C = BST_CHECKED, U = BST_UNCHECKED;
  const struct {
    const char* step;
    std::function<void()> act;
    UINT boxes[4];  // archive, hidden, system, read-only
  } steps[] = {
      {"opened", [] {}, {U, N, U, C}},
      {"system clicked", [this] { Click(IDC_SYSTEM); }, {U, N, C, C}},
      {"archive cleared from its menu", [this] { Command(40042); }, {U, N, C, C}},
      {"a file dropped", [&] { drop(file); }, {U, N, C, C}},
      {"a folder dropped", [&] { drop(sub); }, {U, N, C, N}},
      {"reset", [this] { SendMessageA(dialog_, WM_SYSCOMMAND, IDM_RESET_ATTRIBUTES, 0); },
       {N, N, N, N}},
      {"hidden clicked", [this] { Click(IDC_HIDDEN); }, {N, U, N, N}},
      {"read-only from its menu", [this] { Command(40049); }, {N, U, N, C}},
      {"the folder dropped again", [&] { drop(sub); }, {N, U, N, C}},
  };
  for (const auto& step : steps) {
    step.act();
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(step.boxes[i], IsDlgButtonChecked(dialog_, kAttributeIds[i]))
          << step.step << " " << i;
  }
  EXPECT_EQ(3u, Entries().size());
}

std::vector<std::string> gOpened;
void RecordOpen(const char* verb, const char* target) {
  gOpened.push_back(std::string(verb ? verb : "") + " " + target);
}

HWND gAboutOwner = nullptr;
void CALLBACK CloseAbout(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND about = OpenAboutBox();
  if (!about) return;
  KillTimer(nullptr, timer);
  gAboutOwner = GetWindow(about, GW_OWNER);
  PostMessageA(about, WM_COMMAND, IDOK, 0);
}

TEST_F(CommandsTest, SystemMenuRegistersTheShortcutsAndShowsTheAboutBox) {
  Open();
  SetMainDialogOpener(RecordOpen);
  const struct {
    int command;
    int folderId;
  } cases[] = {{IDM_REGISTER_SENDTO, CSIDL_SENDTO}, {IDM_REGISTER_DESKTOP, CSIDL_DESKTOP}};
  for (const auto& c : cases) {
    char folder[PATH_BUFFER_SIZE];
    ASSERT_TRUE(GetSpecialFolderPath(nullptr, c.folderId, folder));
    std::string shortcut = std::string(folder) + "\\win_tests.lnk";
    DeleteFileA(shortcut.c_str());
    gOpened.clear();
    SendMessageA(dialog_, WM_SYSCOMMAND, c.command, 0);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(shortcut.c_str())) << shortcut;
    EXPECT_EQ((std::vector<std::string>{std::string("open ") + folder}), gOpened);
    DeleteFileA(shortcut.c_str());
  }
  gAboutOwner = nullptr;
  UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseAbout);
  SendMessageA(dialog_, WM_SYSCOMMAND, IDM_ABOUT, 0);
  KillTimer(nullptr, timer);
  EXPECT_EQ(dialog_, gAboutOwner);
  EXPECT_EQ(nullptr, OpenAboutBox());
  SetMainDialogOpener(nullptr);
}

}  // namespace
