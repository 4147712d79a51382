// A fresh folder on the Wine drive for one test, removed with everything in it afterwards. Every
// entry a test makes goes below it; an entry that cannot be made fails the test, so that no check
// runs against a file that was never there.
#pragma once

#include <windows.h>

#include <string>

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string Join(const std::string& name) const { return path_ + "\\" + name; }
  // Makes a file (with its folders) holding the text, and returns its full path.
  std::string MakeFile(const std::string& relative, const std::string& text = "x");
  std::string MakeFolder(const std::string& relative);
  // An entry named by nameLength letters 'L' in folder, made with the wide calls, which (under
  // Wine) accept full paths longer than the 260 bytes the ANSI calls are limited to.
  std::string MakeLongEntry(const std::string& folder, std::size_t nameLength, bool isFolder);
  // A file or folder (with its folders) whose name is given in UTF-16, so that it may hold
  // characters the code page lacks; returns its full wide path.
  std::wstring MakeWideEntry(const std::wstring& relative, bool isFolder);

 private:
  std::string path_;
};

// A path as the program stores it: ASCII letters in lower case (FoldLowerCase).
std::string Lower(std::string text);

// Reading and writing what the tests check on disk.
DWORD Attributes(const std::string& path);
// Whether the entry has every bit of attribute. A missing entry fails the test (and reads as
// having none), so that neither EXPECT_TRUE nor EXPECT_FALSE can pass for a file that is gone.
bool HasAttribute(const std::string& path, DWORD attribute);
bool HasAttribute(const std::wstring& path, DWORD attribute);
void SetAttributes(const std::string& path, DWORD attributes);
bool ReadTimes(const std::string& path, FILETIME* creation, FILETIME* access, FILETIME* write);
bool WriteTimes(const std::string& path, const FILETIME* creation, const FILETIME* access,
                const FILETIME* write);
FILETIME UtcTime(int year, int month, int day, int hour, int minute, int second);
unsigned long long Ticks(const FILETIME& value);
// Whether the process runs on Central European time, as scripts/test sets it (TZ=Europe/
// Berlin): the tests of daylight saving need its rules.
bool ZoneIsCentralEurope();
extern const char kNeedsCentralEurope[];  // why such a test is skipped elsewhere
// Central European local time of a UTC instant by the rule itself (one hour ahead, two from
// the last Sunday of March to the last Sunday of October, 01:00 UTC both), without the
// kernel's zone functions that the code under test uses.
FILETIME CentralEuropeanLocal(const FILETIME& utc);
// Attributes through the wide call, for paths too long for the ANSI calls or names the code
// page cannot hold.
DWORD WideAttributes(const std::string& path);
DWORD WideAttributes(const std::wstring& path);
std::wstring Widen(const std::string& text);
// A wide text as the code page shows it, '?' for each character it lacks.
std::string Narrow(const std::wstring& text);
// A full path in the form the system takes literally ("\\?\" in front): no length limit, no
// trailing dot or space dropped, no device name.
std::wstring Literal(const std::wstring& path);
// The short (8.3) form of an existing path, in the code page; empty when there is none.
std::string ShortPathOf(const std::wstring& path);
// The Linux path of a Wine path; empty where there is no Linux side.
std::string UnixPath(const std::string& path);
// Runs a /bin/sh script on the Linux side and waits for it (up to ten seconds, by a file it
// leaves in folder: Wine cannot wait for a Linux process); false when it could not be run.
bool RunLinuxShell(const TempFolder& folder, const std::string& script);

// A file that no call can change in any way (attributes, times), as on read-only media or
// without the right to write: Linux's immutable flag, which needs root. Lifted again at the end.
struct ImmutableFile {
  ImmutableFile(const TempFolder& folder, const std::string& path);
  ~ImmutableFile();
  ImmutableFile(const ImmutableFile&) = delete;
  ImmutableFile& operator=(const ImmutableFile&) = delete;
  const TempFolder& folder;
  std::string unixPath;
  bool made;  // false where the flag cannot be set: the test is then skipped
};

// Creates a shortcut file at linkPath pointing to target, through the shell link object.
bool MakeShortcut(const std::string& linkPath, const std::string& target);
bool MakeShortcut(const std::string& linkPath, const std::wstring& target);
