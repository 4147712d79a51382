// A FileCalls table for the Wine tests that sits one level above the platform: every call the
// job makes to change an entry is written to a log and then made for real, until a set number
// of calls; from then on no call reaches the file system, as if the process had been ended
// there. An optional pause inside one open lets a test act while the worker is mid-entry.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "app/job_walk.h"
#include "text/paths.h"

struct CallRecorder {
  std::mutex mutex;
  std::vector<std::string> log;
  int allowed = -1;           // calls that still reach the file system; -1: all
  int calls = 0;
  int pauseAtOpen = -1;       // the open (0 = first) during which the worker pauses
  int opens = 0;
  HANDLE pausedEvent = nullptr;  // set when the pause begins
  DWORD pauseMilliseconds = 0;
  std::string pausedPath;

  void Reset() {
    std::lock_guard<std::mutex> lock(mutex);
    log.clear();
    allowed = -1;
    calls = 0;
    pauseAtOpen = -1;
    opens = 0;
    pausedPath.clear();
  }
  // Logs the call; false when it must not reach the file system any more.
  bool Note(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex);
    if (allowed >= 0 && calls >= allowed) return false;
    ++calls;
    log.push_back(line);
    return true;
  }
  std::vector<std::string> Log() {
    std::lock_guard<std::mutex> lock(mutex);
    return log;
  }
};

inline CallRecorder g_recorder;

inline std::string NameOf(LPCSTR path) { return FileNamePart(path); }

inline std::string Hex(DWORD value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%lX", static_cast<unsigned long>(value));
  return buffer;
}

inline DWORD WINAPI RecordedGetAttributes(LPCSTR path) {
  if (!g_recorder.Note("get " + NameOf(path))) return INVALID_FILE_ATTRIBUTES;
  return GetFileAttributesA(path);
}

inline BOOL WINAPI RecordedSetAttributes(LPCSTR path, DWORD attributes) {
  if (!g_recorder.Note("set " + NameOf(path) + " " + Hex(attributes))) return FALSE;
  return SetFileAttributesA(path, attributes);
}

inline HANDLE WINAPI RecordedCreateFile(LPCSTR path, DWORD access, DWORD share,
                                        LPSECURITY_ATTRIBUTES security, DWORD disposition,
                                        DWORD flags, HANDLE pattern) {
  if (!g_recorder.Note("open " + NameOf(path))) return INVALID_HANDLE_VALUE;
  HANDLE file = CreateFileA(path, access, share, security, disposition, flags, pattern);
  bool pause = false;
  {
    std::lock_guard<std::mutex> lock(g_recorder.mutex);
    pause = g_recorder.opens++ == g_recorder.pauseAtOpen;
    if (pause) g_recorder.pausedPath = path;
  }
  if (pause) {
    SetEvent(g_recorder.pausedEvent);
    Sleep(g_recorder.pauseMilliseconds);
  }
  return file;
}

inline BOOL WINAPI RecordedSetFileTime(HANDLE file, const FILETIME* creation,
                                       const FILETIME* lastAccess, const FILETIME* lastWrite) {
  std::string line = "times ";
  line += creation ? "c" : "-";
  line += lastAccess ? "a" : "-";
  line += lastWrite ? "w" : "-";
  if (!g_recorder.Note(line)) return FALSE;
  return SetFileTime(file, creation, lastAccess, lastWrite);
}

inline BOOL WINAPI RecordedCloseHandle(HANDLE handle) {
  // A process that ends closes its handles too, so the close always happens.
  g_recorder.Note("close");
  return CloseHandle(handle);
}

inline const FileCalls kRecordedFileCalls = {RecordedGetAttributes, RecordedSetAttributes,
                                             RecordedCreateFile, RecordedSetFileTime,
                                             RecordedCloseHandle};

// Puts the recorder in front of the platform for the lifetime of the object.
struct RecordingCalls {
  RecordingCalls() {
    g_recorder.Reset();
    SetFileCallsForTests(&kRecordedFileCalls);
  }
  ~RecordingCalls() { SetFileCallsForTests(nullptr); }
};
