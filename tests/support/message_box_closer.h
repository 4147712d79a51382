// Answers the message boxes that a test's own thread shows: records their caption and text,
// then presses their first button.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct SeenMessageBox {
  std::string caption;
  std::string text;
};

class MessageBoxCloser {
 public:
  // Watches the windows of the calling thread, leaving the given one alone.
  explicit MessageBoxCloser(HWND ignore);
  ~MessageBoxCloser();
  MessageBoxCloser(const MessageBoxCloser&) = delete;
  MessageBoxCloser& operator=(const MessageBoxCloser&) = delete;
  std::vector<SeenMessageBox> Seen();

 private:
  void Watch();
  DWORD threadId_;
  HWND ignore_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<SeenMessageBox> seen_;
  std::thread watcher_;
};
