// The real program under a system locale that is not Japanese (LC_ALL=C.UTF-8, code page 1252
// for any program that does not ask for another): with its manifest it reads and writes code
// page 932 all the same; a copy whose manifest asks for no code page, as a Windows that ignores
// the request would run it, refuses to start and touches nothing. Wine takes a process's locale
// from the environment its parent was started with, not from the block it is handed, so
// tests/CMakeLists.txt runs these tests in a test program started under that locale (and once
// more without a display); the programs they start inherit it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog/dialog_ids.h"
#include "support/temp_folder.h"

namespace {

std::wstring ProgramPath() {
  wchar_t path[MAX_PATH + 1] = L"";
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring tests(path);
  tests = tests.substr(0, tests.rfind(L'\\'));
  return tests.substr(0, tests.rfind(L'\\')) + L"\\morvane.exe";  // in the build folder
}

// For failure messages.
std::string Narrow(const wchar_t* text) {
  char narrow[1024] = "";
  WideCharToMultiByte(CP_ACP, 0, text, -1, narrow, sizeof narrow, nullptr, nullptr);
  return narrow;
}

PROCESS_INFORMATION Start(const std::wstring& program, const std::wstring& arguments,
                          DWORD flags = 0) {
  std::wstring commandLine = L"\"" + program + L"\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, flags, nullptr, nullptr,
                      &startup, &process))
    ADD_FAILURE() << "cannot start the program";
  return process;
}

DWORD WaitForExit(PROCESS_INFORMATION& process) {
  DWORD code = 0xDEAD;
  if (process.hProcess == nullptr) return code;
  if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 99);
    ADD_FAILURE() << "the program did not end";
  }
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return code;
}

// The text of another process's window, as UTF-16.
std::wstring WideText(HWND window) {
  wchar_t text[1024] = L"";
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                      5000, &copied);
  return text;
}

std::wstring ItemText(HWND control, UINT message, WPARAM index) {
  wchar_t text[1024] = L"";
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(control, message, index, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                      5000, &copied);
  return text;
}

struct DialogSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK FindDialogOf(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<DialogSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t className[16] = L"";
  GetClassNameW(window, className, 16);
  if (owner != search->processId || !IsWindowVisible(window) ||
      lstrcmpW(className, L"#32770") != 0)
    return TRUE;
  search->found = window;
  return FALSE;
}

HWND DialogOf(DWORD processId) {
  DialogSearch search = {processId, nullptr};
  EnumWindows(FindDialogOf, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A copy of the program whose manifest (resource type 24) lacks the code page request, in folder.
std::wstring CopyWithoutCodePageRequest(const TempFolder& folder) {
  std::wstring copy = Widen(folder.Join("morvane.exe"));
  if (!CopyFileW(ProgramPath().c_str(), copy.c_str(), FALSE)) return L"";
  std::string manifest;
  HMODULE image = LoadLibraryExW(copy.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HRSRC found = image ? FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)) : nullptr;
  if (found) {
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(image, found)));
    if (bytes) manifest.assign(bytes, SizeofResource(image, found));
  }
  if (image) FreeLibrary(image);
  const std::string open = "<activeCodePage", close = "</activeCodePage>";
  size_t from = manifest.find(open), to = manifest.find(close);
  if (from == std::string::npos || to == std::string::npos) return L"";
  manifest.erase(from, to + close.size() - from);
  HANDLE update = BeginUpdateResourceW(copy.c_str(), FALSE);
  if (!update) return L"";
  // windres gives every resource the language 0x409 unless told otherwise.
  bool replaced = UpdateResourceW(update, MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(1),
                                  MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), &manifest[0],
                                  static_cast<DWORD>(manifest.size())) != FALSE;
  return EndUpdateResourceW(update, !replaced) && replaced ? copy : L"";
}

// A run under a debugger, which receives the program's trace lines; message boxes are read and
// answered as they appear.
struct DebuggedRun {
  DWORD exitCode = 0xDEAD;
  std::vector<std::string> traceLines;
  std::vector<std::wstring> boxes;  // caption, a line end, text
};

void Answer(const PROCESS_INFORMATION& process, HWND* last, DebuggedRun* run) {
  HWND box = DialogOf(process.dwProcessId);
  if (!box || box == *last) return;
  std::wstring caption = WideText(box), text = WideText(GetDlgItem(box, 0xFFFF));
  if (caption.empty() || text.empty()) return;  // shown before it is filled in: next time
  *last = box;
  run->boxes.push_back(caption + L"\n" + text);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
}

DebuggedRun RunDebugged(const std::wstring& program, const std::wstring& arguments) {
  DebuggedRun run;
  PROCESS_INFORMATION process = Start(program, arguments, DEBUG_ONLY_THIS_PROCESS);
  if (process.hProcess == nullptr) return run;
  HWND lastBox = nullptr;
  DWORD started = GetTickCount();
  for (bool running = true; running;) {
    DEBUG_EVENT event;
    if (!WaitForDebugEvent(&event, 50)) {
      Answer(process, &lastBox, &run);
      if (GetTickCount() - started > 60000) {
        ADD_FAILURE() << "the program did not end";
        TerminateProcess(process.hProcess, 99);
      }
      continue;
    }
    DWORD status = DBG_CONTINUE;
    switch (event.dwDebugEventCode) {
      case CREATE_PROCESS_DEBUG_EVENT:
        if (event.u.CreateProcessInfo.hFile) CloseHandle(event.u.CreateProcessInfo.hFile);
        break;
      case LOAD_DLL_DEBUG_EVENT:
        if (event.u.LoadDll.hFile) CloseHandle(event.u.LoadDll.hFile);
        break;
      case OUTPUT_DEBUG_STRING_EVENT: {
        std::string line(event.u.DebugString.nDebugStringLength, '\0');
        SIZE_T read = 0;
        ReadProcessMemory(process.hProcess, event.u.DebugString.lpDebugStringData, &line[0],
                          line.size(), &read);
        line.resize(read);
        run.traceLines.push_back(line.c_str());
        break;
      }
      case EXCEPTION_DEBUG_EVENT:
        if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT)
          status = DBG_EXCEPTION_NOT_HANDLED;
        break;
      case EXIT_PROCESS_DEBUG_EVENT:
        run.exitCode = event.u.ExitProcess.dwExitCode;
        running = false;
        break;
    }
    ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
  }
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return run;
}

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

// Whether windows can be shown here: not when the display cannot be reached.
bool CanShowWindows() {
  HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                               nullptr, nullptr);
  if (probe) DestroyWindow(probe);
  return probe != nullptr;
}

class ForeignLocale : public testing::Test {
 protected:
  void SetUp() override {
    char locale[32] = "";
    GetEnvironmentVariableA("LC_ALL", locale, sizeof locale);
    ASSERT_STREQ("C.UTF-8", locale) << "run by ctest as win.ForeignLocale";
  }
};

// The fault this guards against: on a Windows that keeps its own code page, the dialog showed
// question marks and the job read bytes of that code page by the double-byte rules of 932.
TEST_F(ForeignLocale, AProgramGivenAnotherCodePageRefusesAndTouchesNothing) {
  TempFolder folder;
  std::wstring copy = CopyWithoutCodePageRequest(folder);
  ASSERT_FALSE(copy.empty()) << "no manifest with a code page request to take out";
  std::string file = folder.MakeFile("target.txt");
  const FILETIME old = UtcTime(2001, 2, 3, 4, 5, 6);
  // Without a display no box can show, and none may wait for a click.
  const bool box = CanShowWindows();
  for (const wchar_t* options : {L"/dlg:0 /tray:0", L""}) {  // the dialog never shows, the box does
    SetAttributes(file, 0);
    ASSERT_TRUE(WriteTimes(file, nullptr, &old, &old));
    DebuggedRun run = RunDebugged(
        copy, std::wstring(options) + L" /on:h \"/write:2006-01-03 12:34:56\" " + Quoted(Widen(file)));
    SCOPED_TRACE(testing::Message() << "options '" << Narrow(options) << "', display " << box);
    EXPECT_EQ(2u, run.exitCode);
    ASSERT_EQ(1u, run.traceLines.size()) << "nothing but the refusal is traced";
    EXPECT_EQ(0u, run.traceLines[0].find("! "));
    EXPECT_NE(std::string::npos, run.traceLines[0].find("not code page 932 (1252)"));
    if (box) {
      ASSERT_EQ(1u, run.boxes.size());
      const std::wstring& box = run.boxes[0];
      EXPECT_EQ(0u, box.find(L"Morvane\n")) << Narrow(box.c_str());
      for (const wchar_t* part : {L"日本語のコードページ (932)", L"コードページは 1252 です",
                                  L"[システム ロケールの変更]", L"Japanese code page (932)",
                                  L"it was given code page 1252", L"Change system locale"})
        EXPECT_NE(std::wstring::npos, box.find(part)) << Narrow(part);
    } else {
      EXPECT_TRUE(run.boxes.empty());
    }
    EXPECT_EQ(0u, Attributes(file) & FILE_ATTRIBUTE_HIDDEN);
    FILETIME creation = {}, access = {}, write = {};
    ASSERT_TRUE(ReadTimes(file, &creation, &access, &write));
    EXPECT_EQ(Ticks(old), Ticks(write));
  }
}

std::wstring LowerAscii(std::wstring text) {
  for (wchar_t& c : text)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  return text;
}

// Every text of the dialog that the program or its template sets, read back in UTF-16, then a
// job chosen there: a wildcard typed in UTF-16, and names whose second bytes read as a backslash.
// Under the system's code page the texts were question marks, and the names went by their
// short forms, which no such pattern matches.
TEST_F(ForeignLocale, TheDialogReadsRightAndItsJobChangesTheRightFiles) {
  TempFolder folder;
  const std::wstring matching[] = {
      folder.MakeWideEntry(L"予定表\\ソ表.txt", false),
      folder.MakeWideEntry(L"予定表\\日本語\\表.txt", false),
  };
  const std::wstring others[] = {
      folder.MakeWideEntry(L"予定表\\ソ.txt", false),
      folder.MakeWideEntry(L"表.txt", false),  // beside the target
  };
  std::wstring target = Widen(folder.Path()) + L"\\予定表";
  PROCESS_INFORMATION process = Start(ProgramPath(), L"/tray:0 " + Quoted(target));
  ASSERT_NE(nullptr, process.hProcess);
  HWND dialog = nullptr;
  for (int i = 0; i < 2000 && !dialog; ++i) {
    dialog = DialogOf(process.dwProcessId);
    if (!dialog && WaitForSingleObject(process.hProcess, 5) == WAIT_OBJECT_0) break;
  }
  ASSERT_NE(nullptr, dialog);
  const struct {
    int id;
    const wchar_t* text;
  } texts[] = {
      {IDC_ATTRIBUTE_FRAME, L"属性"},
      {IDC_ARCHIVE, L"ｱｰｶｲﾌﾞ(&A)"},
      {IDC_HIDDEN, L"隠しﾌｧｲﾙ(&H)"},
      {IDC_SYSTEM, L"ｼｽﾃﾑ(&S)"},
      {IDC_READONLY, L"読み取り専用(&R)"},
      {IDC_CREATION_ON, L"作成日時"},
      {IDC_LASTWRITE_ON, L"更新日時"},
      {IDC_LASTACCESS_ON, L"ｱｸｾｽ日時"},
      {IDC_CREATION_FROM_NOW, L"現"},
      {IDC_CREATION_FROM_CREATION, L"作"},
      {IDC_CREATION_FROM_LASTWRITE, L"更"},
      {IDC_RECURSE, L"ﾌｫﾙﾀﾞの中のﾌｧｲﾙにも変更を適用する"},
      {IDCANCEL, L"ｷｬﾝｾﾙ"},
      {IDC_FILTER_LABEL, L"フィルタ"},
      {IDC_FILTER_KIND, L"なし"},
  };
  for (const auto& t : texts) EXPECT_EQ(t.text, WideText(GetDlgItem(dialog, t.id))) << t.id;
  HWND list = GetDlgItem(dialog, IDC_FILE_LIST);
  EXPECT_EQ(L" -------------------------変更するファイル------------------------- ",
            ItemText(list, LB_GETTEXT, 0));
  EXPECT_EQ(LowerAscii(target + L"\\"), LowerAscii(ItemText(list, LB_GETTEXT, 1)));  // a folder
  HWND kind = GetDlgItem(dialog, IDC_FILTER_KIND);
  EXPECT_EQ(L"ワイルドカード", ItemText(kind, CB_GETLBTEXT, 1));
  SendMessageW(kind, CB_SETCURSEL, 1, 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_FILTER_KIND, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(kind));
  SetWindowTextW(GetDlgItem(dialog, IDC_FILTER_PATTERN), L"*表.txt");
  SendMessageW(GetDlgItem(dialog, IDC_HIDDEN), BM_CLICK, 0, 0);
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(0u, WaitForExit(process));
  for (const std::wstring& path : matching)
    EXPECT_TRUE(WideAttributes(path) & FILE_ATTRIBUTE_HIDDEN) << Narrow(path.c_str());
  for (const std::wstring& path : others)
    EXPECT_FALSE(WideAttributes(path) & FILE_ATTRIBUTE_HIDDEN) << Narrow(path.c_str());
}

}  // namespace
