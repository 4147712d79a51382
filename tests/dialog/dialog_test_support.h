// Opening the real main dialog modeless in the test process, and reading its controls back.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/job_settings.h"
#include "app/local_time.h"
#include "dialog/dialog_ids.h"
#include "dialog/main_dialog.h"
#include "dialog/resource_ids.h"
#include "support/temp_folder.h"

namespace dialogtest {

using ::Lower;

inline std::vector<std::string> Lower(std::vector<std::string> texts) {
  for (std::string& text : texts) text = Lower(text);
  return texts;
}

// A local wall-clock time as the record holds it: the calendar value with no zone applied.
inline FileTimeValue LocalValue(int year, int month, int day, int hour, int minute, int second) {
  return ToFileTimeValue(UtcTime(year, month, day, hour, minute, second));
}

inline std::string ToolText(HWND tooltip, HWND owner, HWND control) {
  char text[512] = "";
  TOOLINFOA tool = {};
  tool.cbSize = TTTOOLINFOA_V1_SIZE;
  tool.hwnd = owner;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = text;
  SendMessageA(tooltip, TTM_GETTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
  return text;
}

inline void Pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

class DialogFixture : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(InitJobSettings(&record_)); }
  void TearDown() override {
    Close();
    DestroyTargetList(record_.targets);
  }
  void Open() {
    Close();
    dialog_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                 MainDialogProc, reinterpret_cast<LPARAM>(&record_));
    ASSERT_NE(nullptr, dialog_);
    ShowWindow(dialog_, SW_SHOW);
    SetForegroundWindow(dialog_);
    Pump();
  }
  void Close() {
    if (dialog_) DestroyWindow(dialog_);
    dialog_ = nullptr;
  }
  HWND Item(int id) const { return GetDlgItem(dialog_, id); }
  std::string Text(int id) const {
    char text[1100] = "";
    GetDlgItemTextA(dialog_, id, text, sizeof text);
    return text;
  }
  std::string ComboText(int id) const {
    HWND combo = Item(id);
    LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    char text[256] = "";
    if (index >= 0) SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
  }
  bool ReadOnly(int id) const {
    return (GetWindowLongPtrA(Item(id), GWL_STYLE) & ES_READONLY) != 0;
  }
  static int Height(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    return rect.bottom - rect.top;
  }
  std::vector<std::string> Entries() const {
    std::vector<std::string> entries;
    HWND list = Item(IDC_FILE_LIST);
    int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      char text[300] = "";
      SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
      entries.push_back(text);
    }
    return entries;
  }

  JobSettings record_;
  HWND dialog_ = nullptr;
};

}  // namespace dialogtest
