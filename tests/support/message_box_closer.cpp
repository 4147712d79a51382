// Message boxes answered for the tests (see message_box_closer.h).
#include "support/message_box_closer.h"

#include <cstring>

namespace {

struct Search {
  HWND ignore;
  HWND found;
};

BOOL CALLBACK FindBox(HWND window, LPARAM parameter) {
  Search* search = reinterpret_cast<Search*>(parameter);
  char className[32] = "";
  GetClassNameA(window, className, sizeof className);
  if (window != search->ignore && IsWindowVisible(window) &&
      std::strcmp(className, "#32770") == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

std::string TextOf(HWND window) {
  char text[1024] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

}  // namespace

MessageBoxCloser::MessageBoxCloser(HWND ignore)
    : threadId_(GetCurrentThreadId()), ignore_(ignore), watcher_([this] { Watch(); }) {}

MessageBoxCloser::~MessageBoxCloser() {
  stop_ = true;
  watcher_.join();
}

std::vector<SeenMessageBox> MessageBoxCloser::Seen() {
  std::lock_guard<std::mutex> lock(mutex_);
  return seen_;
}

void MessageBoxCloser::Watch() {
  while (!stop_) {
    Search search = {ignore_, nullptr};
    EnumThreadWindows(threadId_, FindBox, reinterpret_cast<LPARAM>(&search));
    if (search.found) {
      // The static text of a message box has the id 0xFFFF.
      SeenMessageBox box = {TextOf(search.found), TextOf(GetDlgItem(search.found, 0xFFFF))};
      {
        std::lock_guard<std::mutex> lock(mutex_);
        seen_.push_back(box);
      }
      SendMessageA(search.found, WM_COMMAND, IDOK, 0);
      while (IsWindow(search.found) && !stop_) Sleep(10);
    }
    Sleep(20);
  }
}
