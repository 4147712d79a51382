// The About box run modally as the program runs it, inspected from a timer of its own modal
// loop: texts from the real version resource, the grown layout, one box at a time, the ways it
// ends, and where the resource meter library is taken from.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "about/about_dialog.h"
#include "about/about_texts.h"
#include "text/system_libraries.h"
#include "text/holders.h"
#include "controls/window_helpers.h"
#include "support/layout_checks.h"
#include "support/temp_folder.h"
#include "tests/about/planted_meter.h"

namespace {

const char* const kSite = "https://morvane.example/test";
enum { kIcon = 100, kName = 101, kLink = 102, kResources = 103 };
const int kLabels[] = {kName, kLink, kResources};

struct Opened {
  std::string verb, target;
  bool operator==(const Opened& other) const {
    return verb == other.verb && target == other.target;
  }
};
std::vector<Opened> opened;

void RecordOpen(const char* verb, const char* target) {
  opened.push_back(Opened{verb ? verb : "(default)", target});
}

const std::function<void(HWND)>* inspection = nullptr;
const INT_PTR kForcedEnd = 99;

void CALLBACK InspectOpenBox(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (OpenAboutBox()) (*inspection)(OpenAboutBox());
}

// An inspection that failed before it ended the box must not leave the test waiting.
void CALLBACK ForceEnd(HWND, UINT, UINT_PTR, DWORD) {
  if (OpenAboutBox()) EndDialog(OpenAboutBox(), kForcedEnd);
}

// Runs the box; the inspection sees it open and ends it.
INT_PTR RunInspected(const std::function<void(HWND)>& inspect) {
  opened.clear();
  inspection = &inspect;
  UINT_PTR first = SetTimer(nullptr, 0, 10, InspectOpenBox);
  UINT_PTR guard = SetTimer(nullptr, 0, 3000, ForceEnd);
  INT_PTR result = RunAboutBox(nullptr, &kSite, RecordOpen);
  KillTimer(nullptr, first);
  KillTimer(nullptr, guard);
  return result;
}

std::string Text(HWND window) {
  char text[300] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ItemText(HWND dialog, int id) { return Text(GetDlgItem(dialog, id)); }

int TextExtent(HWND control) {
  std::string text = Text(control);
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
  SIZE extent = {0, 0};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return extent.cx;
}

// A rectangle in dialog units, in pixels.
RECT Units(HWND dialog, int left, int top, int right, int bottom) {
  RECT rect = {left, top, right, bottom};
  MapDialogRect(dialog, &rect);
  return rect;
}

void ClickOk(HWND dialog) { SendDlgItemMessageA(dialog, IDOK, BM_CLICK, 0, 0); }

void ClickLink(HWND dialog) {
  HWND link = GetDlgItem(dialog, kLink);
  RECT rect;
  GetWindowRect(link, &rect);
  SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  SendMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

std::string ProgramFolder() {
  char path[MAX_PATH + 1] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder = path;
  return folder.substr(0, folder.rfind('\\'));
}

TEST(AboutBox, ShowsTheVersionResourceAndGrowsToItsTexts) {
  HICON icon = nullptr;
  INT_PTR result = RunInspected([&](HWND dialog) {
    EXPECT_EQ("Morvane について", Text(dialog));
    EXPECT_EQ("Morvane ver. 0.1B", ItemText(dialog, kName));
    EXPECT_EQ(kSite, ItemText(dialog, kLink));

    // Each label as wide as its text, none narrower than the one unit it started with; the
    // dialog wider by the largest growth, and the button centred in it at its old height.
    int unit = Units(dialog, 0, 0, 1, 0).right;
    int growth = 0;
    for (int id : kLabels) {
      HWND label = GetDlgItem(dialog, id);
      EXPECT_EQ(std::max(unit, TextExtent(label)), GetWindowWidth(label)) << id;
      growth = std::max(growth, GetWindowWidth(label) - unit);
    }
    EXPECT_GT(growth, 0);
    RECT frame = Units(dialog, 0, 0, 38, 56);
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_EXSTYLE)));
    EXPECT_EQ(frame.right - frame.left + growth, GetWindowWidth(dialog));
    EXPECT_EQ(frame.bottom - frame.top, GetWindowSize(dialog).cy);
    HWND ok = GetDlgItem(dialog, IDOK);
    POINT okOrigin = GetWindowOrigin(ok);
    OffsetFromWindow(&okOrigin, dialog);
    EXPECT_EQ((GetWindowWidth(dialog) - GetWindowWidth(ok)) / 2, okOrigin.x);
    POINT okClient = GetWindowOrigin(ok);
    ScreenToClient(dialog, &okClient);
    EXPECT_EQ(Units(dialog, 0, 35, 0, 0).top, okClient.y);
    layout::ExpectChosenDpi();
    layout::ExpectTextsFit(dialog, {});
    layout::ExpectNothingOverlaps(dialog);

    // The client area drags the dialog; elsewhere the platform's answer stands.
    RECT window;
    GetWindowRect(dialog, &window);
    POINT inside = {GetClientSize(dialog).cx / 2, GetClientSize(dialog).cy - 2};
    ClientToScreen(dialog, &inside);
    EXPECT_EQ(HTCAPTION, SendMessageA(dialog, WM_NCHITTEST, 0, MAKELPARAM(inside.x, inside.y)));
    EXPECT_EQ(HTNOWHERE,
              SendMessageA(dialog, WM_NCHITTEST, 0, MAKELPARAM(window.right + 5, window.top)));

    icon = reinterpret_cast<HICON>(SendMessageA(dialog, WM_GETICON, ICON_BIG, 0));
    EXPECT_NE(nullptr, icon);
    EXPECT_EQ(icon, reinterpret_cast<HICON>(SendDlgItemMessageA(dialog, kIcon, STM_GETICON, 0, 0)));
    ClickOk(dialog);
  });
  EXPECT_EQ(IDOK, result);
  ICONINFO info;
  EXPECT_FALSE(GetIconInfo(icon, &info)) << "the icon outlived the dialog";
}

TEST(AboutBox, EndsByItsButtonsCloseBoxAndLink) {
  struct Case {
    const char* what;
    void (*end)(HWND dialog);
    INT_PTR result;
    std::vector<Opened> opened;
  } const cases[] = {
      {"OK", ClickOk, IDOK, {}},
      {"Escape", [](HWND) { PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0); }, IDCANCEL, {}},
      {"close box", [](HWND dialog) { SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); },
       IDCANCEL, {}},
      {"link", ClickLink, IDOK, {{"(default)", kSite}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.result, RunInspected(c.end)) << c.what;
    EXPECT_EQ(c.opened, opened) << c.what;
    EXPECT_EQ(nullptr, OpenAboutBox()) << c.what;
  }
}

BOOL CALLBACK CountVisibleDialog(HWND window, LPARAM count) {
  char className[16] = "";
  GetClassNameA(window, className, sizeof className);
  if (IsWindowVisible(window) && lstrcmpA(className, "#32770") == 0)
    ++*reinterpret_cast<int*>(count);
  return TRUE;
}

TEST(AboutBox, ASecondRequestOnlyBringsTheOpenOneForward) {
  INT_PTR result = RunInspected([](HWND dialog) {
    EXPECT_EQ(0, RunAboutBox(nullptr, &kSite, RecordOpen));
    EXPECT_TRUE(ShowAboutBox(nullptr, &kSite));
    EXPECT_EQ(dialog, OpenAboutBox());
    EXPECT_TRUE(IsWindowVisible(dialog));
    int boxes = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountVisibleDialog, reinterpret_cast<LPARAM>(&boxes));
    EXPECT_EQ(1, boxes);
    ClickOk(dialog);
  });
  EXPECT_EQ(IDOK, result);
}

// A library under the meter's name in the program's or the current folder is never loaded,
// although a load by bare name would take it from there; from the system folder it is used.
TEST(AboutBox, TakesTheResourceMeterOnlyFromTheSystemFolder) {
  std::string planted = ProgramFolder() + "\\rsrc32.dll";
  ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(planted.c_str()));
  char systemCopy[MAX_PATH + 1];
  ASSERT_TRUE(SystemLibraryPath("rsrc32.dll", systemCopy, sizeof systemCopy));
  DeleteFileA(systemCopy);
  char eventName[64];
  PlantedMeterEventName(eventName, sizeof eventName);
  HandleHolder mark(CreateEventA(nullptr, TRUE, FALSE, eventName));
  ASSERT_TRUE(mark.Valid());
  char current[MAX_PATH + 1];
  GetCurrentDirectoryA(sizeof current, current);
  SetCurrentDirectoryA(ProgramFolder().c_str());

  std::string shown = "unread";
  auto readMeter = [&](HWND dialog) {
    shown = ItemText(dialog, kResources);
    ClickOk(dialog);
  };
  RunInspected(readMeter);
  EXPECT_EQ("", shown);
  EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(mark.Get(), 0));

  HMODULE bare = LoadLibraryA("rsrc32.dll");
  EXPECT_NE(nullptr, bare);
  if (bare) FreeLibrary(bare);
  EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(mark.Get(), 0));
  SetCurrentDirectoryA(current);

  ResetEvent(mark.Get());
  ASSERT_TRUE(CopyFileA(planted.c_str(), systemCopy, FALSE));
  RunInspected(readMeter);
  DeleteFileA(systemCopy);
  EXPECT_EQ("システムリソース： 42 ％使用可能", shown);
  EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(mark.Get(), 0));
}

TEST(ReadAboutTexts, ReadsTheFirstTranslationAndFallsBackToTheDescription) {
  TempFolder folder;
  struct Case {
    std::string path;
    bool read;
    std::string label, caption;
  } const cases[] = {
      {ProgramFolder() + "\\fallback_version.dll", true, "予備の説明 ver. 1.0", "予備の説明 について"},
      {folder.MakeFile("plain.txt"), false, "", ""},
  };
  for (const Case& c : cases) {
    AboutTexts texts;
    EXPECT_EQ(c.read, ReadAboutTexts(c.path.c_str(), &texts)) << c.path;
    EXPECT_EQ(c.label, texts.label) << c.path;
    EXPECT_EQ(c.caption, texts.caption) << c.path;
  }
}

}  // namespace
