// A FileCalls table for the Wine tests that sits one level above the platform: every call the
// job makes to change an entry is written to a log and then made for real, until a set number
// of calls; from then on no call reaches the file system, as if the process had been ended
// there. A pause inside one open lets a test act while the worker is mid-entry: the worker
// says it has stopped and waits until the test lets it go on (a handshake, never a sleep).
#pragma once

#include <windows.h>

#include <atomic>
#include <cwchar>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "app/file_calls.h"
#include "support/temp_folder.h"

struct CallRecorder {
  std::mutex mutex;
  std::vector<std::string> log;
  std::map<HANDLE, std::string> names;  // the name each open handle was opened by
  std::map<HANDLE, std::string> paths;  // and its full path, without its prefix
  std::vector<std::string> opened;      // every path opened, in order, without its prefix
  // What the last write to each name carried, for what Wine does not keep (the creation time).
  std::map<std::string, FILE_BASIC_INFO> written;
  int allowed = -1;                     // calls that still reach the file system; -1: all
  int calls = 0;
  int pauseAtOpen = -1;  // the open (0 = first) during which the worker pauses
  int opens = 0;
  HANDLE paused = nullptr;  // set by the worker when the pause begins
  HANDLE resume = nullptr;  // set by the test to let the worker go on
  std::string pausedName;
  const std::atomic<bool>* resumeWhenSet = nullptr;  // also lets the worker go on

  void Reset() {
    std::lock_guard<std::mutex> lock(mutex);
    log.clear();
    names.clear();
    paths.clear();
    opened.clear();
    written.clear();
    allowed = -1;
    calls = 0;
    pauseAtOpen = -1;
    opens = 0;
    pausedName.clear();
    resumeWhenSet = nullptr;
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
  std::vector<std::string> Opened() {
    std::lock_guard<std::mutex> lock(mutex);
    return opened;
  }
  // The write to the name, all zero (nothing left as written) when there was none.
  FILE_BASIC_INFO WrittenTo(const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex);
    auto found = written.find(name);
    return found == written.end() ? FILE_BASIC_INFO{} : found->second;
  }
  std::string NameOf(HANDLE handle) {
    std::lock_guard<std::mutex> lock(mutex);
    auto found = names.find(handle);
    return found == names.end() ? "?" : found->second;
  }
};

inline CallRecorder g_recorder;

// The last component of a path, as the code page shows it.
inline std::string LastName(LPCWSTR path) {
  LPCWSTR name = path;
  for (LPCWSTR at = path; *at; ++at)
    if (*at == L'\\') name = at + 1;
  return Narrow(name);
}

inline std::string Hex(DWORD value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%lX", static_cast<unsigned long>(value));
  return buffer;
}

inline DWORD WINAPI RecordedGetAttributes(LPCWSTR path) {
  if (!g_recorder.Note("attr " + LastName(path))) return INVALID_FILE_ATTRIBUTES;
  return GetFileAttributesW(path);
}

// Notes an open that was made (or failed), and pauses inside it when asked.
inline void NoteOpen(HANDLE file, const std::string& name, const std::string& fullPath) {
  bool pause = false;
  {
    std::lock_guard<std::mutex> lock(g_recorder.mutex);
    if (file != INVALID_HANDLE_VALUE) {
      g_recorder.names[file] = name;
      g_recorder.paths[file] = fullPath;
    }
    g_recorder.opened.push_back(fullPath);
    pause = g_recorder.opens++ == g_recorder.pauseAtOpen;
    if (pause) g_recorder.pausedName = name;
  }
  if (pause) {
    DWORD error = GetLastError();
    SetEvent(g_recorder.paused);
    // Bounded, so that a test that never lets go cannot hang the suite.
    const std::atomic<bool>* flag = g_recorder.resumeWhenSet;
    for (ULONGLONG end = GetTickCount64() + 60000; GetTickCount64() < end;) {
      if (WaitForSingleObject(g_recorder.resume, flag ? 1 : 60000) == WAIT_OBJECT_0) break;
      if (flag && flag->load()) break;
    }
    SetLastError(error);
  }
}

inline HANDLE WINAPI RecordedCreateFile(LPCWSTR path, DWORD access, DWORD share,
                                        LPSECURITY_ATTRIBUTES security, DWORD disposition,
                                        DWORD flags, HANDLE pattern) {
  std::string name = LastName(path);
  if (!g_recorder.Note("open " + name)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  HANDLE file = CreateFileW(path, access, share, security, disposition, flags, pattern);
  NoteOpen(file, name, Narrow(wcsncmp(path, L"\\\\?\\", 4) == 0 ? path + 4 : path));
  return file;
}

// An open refused by the test for the access it asks: the seam for entries the walk may write
// but not list, or list but not write.
inline DWORD g_refusedAccess = 0;
inline std::string g_refusedName;

inline HANDLE WINAPI RecordedOpenInFolder(HANDLE folder, const WCHAR* name, int units, DWORD access,
                                          DWORD share) {
  std::string shown = Narrow(std::wstring(name, static_cast<std::size_t>(units)));
  if (!g_recorder.Note("open " + shown)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  std::string folderPath;
  {
    std::lock_guard<std::mutex> lock(g_recorder.mutex);
    auto found = g_recorder.paths.find(folder);
    folderPath = found == g_recorder.paths.end() ? "?" : found->second;
  }
  HANDLE file = INVALID_HANDLE_VALUE;
  if (g_refusedAccess && (access & g_refusedAccess) && shown == g_refusedName)
    SetLastError(ERROR_ACCESS_DENIED);
  else
    file = kPlatformFileCalls.openInFolder(folder, name, units, access, share);
  NoteOpen(file, shown, folderPath + "\\" + shown);
  return file;
}

// Reading changes nothing: not logged, but no longer made once the process would be gone.
inline bool StillRunning() {
  std::lock_guard<std::mutex> lock(g_recorder.mutex);
  return g_recorder.allowed < 0 || g_recorder.calls < g_recorder.allowed;
}

inline BOOL WINAPI RecordedReadFileId(HANDLE file, ULONGLONG* id) {
  return StillRunning() && kPlatformFileCalls.readFileId(file, id);
}

inline BOOL WINAPI RecordedReadInformation(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind,
                                           LPVOID buffer, DWORD size) {
  return StillRunning() && GetFileInformationByHandleEx(file, kind, buffer, size);
}

inline BOOL WINAPI RecordedSetInformation(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind,
                                          LPVOID buffer, DWORD size) {
  std::string line = "set " + g_recorder.NameOf(file);
  if (kind == FileBasicInfo && size >= sizeof(FILE_BASIC_INFO)) {
    const FILE_BASIC_INFO* basic = static_cast<const FILE_BASIC_INFO*>(buffer);
    line += " " + (basic->FileAttributes ? Hex(basic->FileAttributes) : std::string("-")) + " ";
    line += basic->CreationTime.QuadPart ? "c" : "-";
    line += basic->LastAccessTime.QuadPart ? "a" : "-";
    line += basic->LastWriteTime.QuadPart ? "w" : "-";
  }
  if (!g_recorder.Note(line)) return FALSE;
  if (kind == FileBasicInfo && size >= sizeof(FILE_BASIC_INFO)) {
    std::lock_guard<std::mutex> lock(g_recorder.mutex);
    auto found = g_recorder.names.find(file);
    if (found != g_recorder.names.end())
      g_recorder.written[found->second] = *static_cast<const FILE_BASIC_INFO*>(buffer);
  }
  return SetFileInformationByHandle(file, kind, buffer, size);
}

inline BOOL WINAPI RecordedCloseHandle(HANDLE handle) {
  // A process that ends closes its handles too, so the close always happens.
  g_recorder.Note("close");
  {
    std::lock_guard<std::mutex> lock(g_recorder.mutex);
    g_recorder.names.erase(handle);
    g_recorder.paths.erase(handle);
  }
  return CloseHandle(handle);
}

inline const FileCalls kRecordedFileCalls = {RecordedGetAttributes,   RecordedCreateFile,
                                             RecordedOpenInFolder,    RecordedReadFileId,
                                             RecordedReadInformation, RecordedSetInformation,
                                             RecordedCloseHandle};

// Puts the recorder in front of the platform for the lifetime of the object.
struct RecordingCalls {
  RecordingCalls() {
    g_recorder.Reset();
    SetFileCallsForTests(&kRecordedFileCalls);
  }
  ~RecordingCalls() {
    SetFileCallsForTests(nullptr);
    g_refusedAccess = 0;
    PauseAtOpen(-1);
  }
  // The worker stops inside open number index (0 = first) until Resume; -1: no pause.
  void PauseAtOpen(int index) {
    if (g_recorder.resume) SetEvent(g_recorder.resume);  // nobody stays paused on a closed event
    for (HANDLE* event : {&g_recorder.paused, &g_recorder.resume}) {
      if (*event) CloseHandle(*event);
      *event = index >= 0 ? CreateEventA(nullptr, TRUE, FALSE, nullptr) : nullptr;
    }
    g_recorder.pauseAtOpen = index;
  }
  // Waits until the worker has stopped; false when it never got there.
  bool WaitForPause() { return WaitForSingleObject(g_recorder.paused, 30000) == WAIT_OBJECT_0; }
  void Resume() { SetEvent(g_recorder.resume); }
  // Lets the worker go on by itself once the flag is set, for a test whose own thread is then
  // blocked until the worker has finished (as when the window asks it to stop and waits).
  void ResumeOnceSet(const std::atomic<bool>* flag) { g_recorder.resumeWhenSet = flag; }
};
