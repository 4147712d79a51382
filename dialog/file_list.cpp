// The main dialog's file list (see file_list.h).
#include "dialog/file_list.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "app/job_report_texts.h"
#include "app/target_paths.h"
#include "controls/window_helpers.h"
#include "dialog/dialog_ids.h"
#include "dialog/main_dialog.h"
#include "dialog/resource_ids.h"
#include "shell/shortcuts.h"
#include "text/allocation.h"
#include "text/bounded.h"
#include "text/chars.h"
#include "text/file_queries.h"
#include "text/holders.h"
#include "text/paths.h"
#include "text/wide_names.h"

// The leading space sorts it ahead of every path, so it stays entry 0.
const char FILE_LIST_HEADER[] =
    " -------------------------変更するファイル------------------------- ";

namespace {

const int kEntryTextSize = 264;
const UINT kDroppedNameUnits = 1024;

// Redrawing is off while a batch of entries changes, so the list repaints once.
class RedrawPause {
 public:
  explicit RedrawPause(HWND window) : window_(window) {
    SendMessageA(window_, WM_SETREDRAW, FALSE, 0);
  }
  ~RedrawPause() {
    SendMessageA(window_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(window_, nullptr, TRUE);
  }
  RedrawPause(const RedrawPause&) = delete;
  RedrawPause& operator=(const RedrawPause&) = delete;

 private:
  HWND window_;
};

HWND FileListOf(HWND dialog) { return GetDlgItem(dialog, IDC_FILE_LIST); }

LRESULT OnKeyDown(HWND dialog, const DragListNotify* notify) {
  if (notify->wParam == VK_BACK) return TRUE;  // the list's own Backspace deletion never runs
  if (notify->wParam == VK_DELETE)
    return SendMessageA(dialog, WM_COMMAND, IDM_DELETE_ENTRIES, 0);
  return ReflectNotify(&notify->header);
}

// The entry already listed for the same file, or LB_ERR. The list box's own search ignores letter
// case, but in a case-sensitive folder "Sel.txt" and "sel.txt" are two files, both wanted: an
// entry that differs only in case counts only where both name one entry.
LRESULT FindListedEntry(HWND listBox, const char* entry) {
  LRESULT first = SendMessageA(listBox, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                               reinterpret_cast<LPARAM>(entry));
  for (LRESULT found = first; found != LB_ERR;) {
    char text[kEntryTextSize] = "";
    if (SendMessageA(listBox, LB_GETTEXTLEN, found, 0) < kEntryTextSize) {
      SendMessageA(listBox, LB_GETTEXT, found, reinterpret_cast<LPARAM>(text));
      if (StringEquals(text, entry) || NameSameEntry(text, entry)) return found;
    }
    // The search goes on after the entry found and comes round to it again at the end.
    found = SendMessageA(listBox, LB_FINDSTRINGEXACT, static_cast<WPARAM>(found),
                         reinterpret_cast<LPARAM>(entry));
    if (found == first) break;
  }
  return LB_ERR;
}

void OnContextMenu(HWND dialog, HWND listBox) {
  int count = static_cast<int>(SendMessageA(listBox, LB_GETCOUNT, 0, 0));
  int selected = static_cast<int>(SendMessageA(listBox, LB_GETSELCOUNT, 0, 0));
  if (count < 2 || selected < 1) return;
  ShowMenuResourceAtCursor(WindowInstance(dialog), IDM_FILELIST_MENU, 0, dialog, TPM_RIGHTBUTTON);
}

}  // namespace

void FillFileList(HWND listBox, const TargetList* targets) {
  FileSystemRedirectionOff redirection;
  SendMessageA(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(FILE_LIST_HEADER));
  if (targets == nullptr) return;
  for (const StringListNode* node = targets->first; node; node = node->next) {
    const char* path = TargetOf(node)->path;
    if (PathExists(path)) AddFileListEntry(listBox, path, TargetOf(node)->identity);
  }
}

int AddFileListEntry(HWND listBox, const char* path, const TargetIdentity& identity) {
  FileSystemRedirectionOff redirection;
  char shown[PATH_BUFFER_SIZE];
  if (!CanonicalizePath(shown, path, sizeof shown)) return -1;
  char entry[PATH_BUFFER_SIZE];
  CopyBounded(sizeof entry, shown, entry);
  // A folder shows with a trailing backslash where one fits; a folder path of the full 260
  // bytes has no room for it and is listed as it is rather than not at all.
  char withSeparator[PATH_BUFFER_SIZE];
  if (IsDirectory(shown) && PathJoin(sizeof withSeparator, withSeparator, shown, ""))
    CopyBounded(sizeof entry, withSeparator, entry);
  LRESULT found = FindListedEntry(listBox, entry);
  if (found != LB_ERR) return static_cast<int>(found);
  TargetIdentity* kept = static_cast<TargetIdentity*>(AllocateZeroed(1, sizeof(TargetIdentity)));
  if (kept == nullptr) return -1;  // an entry whose identity is lost would be taken unchecked
  *kept = identity;
  LRESULT added = SendMessageA(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
  if (added < 0) {
    std::free(kept);
    return -1;
  }
  SendMessageA(listBox, LB_SETITEMDATA, static_cast<WPARAM>(added), reinterpret_cast<LPARAM>(kept));
  return static_cast<int>(added);
}

namespace {

const TargetIdentity* IdentityAt(HWND listBox, int index) {
  LRESULT data = SendMessageA(listBox, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
  return data == LB_ERR ? nullptr : reinterpret_cast<const TargetIdentity*>(data);
}

void FreeIdentityAt(HWND listBox, int index) {
  std::free(const_cast<TargetIdentity*>(IdentityAt(listBox, index)));
  SendMessageA(listBox, LB_SETITEMDATA, static_cast<WPARAM>(index), 0);
}

}  // namespace

void ReleaseFileList(HWND listBox) {
  int count = static_cast<int>(SendMessageA(listBox, LB_GETCOUNT, 0, 0));
  for (int index = 0; index < count; ++index) FreeIdentityAt(listBox, index);
}

void CollectFileList(HWND listBox, TargetList* targets) {
  FileSystemRedirectionOff redirection;
  int count = static_cast<int>(SendMessageA(listBox, LB_GETCOUNT, 0, 0));
  for (int index = 1; index < count; ++index) {
    if (SendMessageA(listBox, LB_GETTEXTLEN, index, 0) >= kEntryTextSize) continue;
    char text[kEntryTextSize] = "";
    SendMessageA(listBox, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
    if (!PathExists(text)) continue;
    FoldCaseOfSameEntry(text);
    const TargetIdentity* identity = IdentityAt(listBox, index);
    if (identity)
      AddTarget(targets, text, *identity);
    else
      AddTarget(targets, text);
  }
}

int* GetSelectedEntries(HWND listBox, int* count) {
  *count = 0;
  LRESULT selected = SendMessageA(listBox, LB_GETSELCOUNT, 0, 0);
  if (selected <= 0) return nullptr;
  int* indices = static_cast<int*>(AllocateZeroed(static_cast<size_t>(selected), sizeof(int)));
  if (indices == nullptr) return nullptr;
  LRESULT read = SendMessageA(listBox, LB_GETSELITEMS, static_cast<WPARAM>(selected),
                              reinterpret_cast<LPARAM>(indices));
  int total = read > 0 ? static_cast<int>(std::min(read, selected)) : 0;
  std::sort(indices, indices + total);
  int first = total > 0 && indices[0] == 0 ? 1 : 0;  // the header is never an entry to act on
  if (total - first <= 0) {
    std::free(indices);
    return nullptr;
  }
  std::memmove(indices, indices + first, static_cast<size_t>(total - first) * sizeof(int));
  *count = total - first;
  return indices;
}

void DeleteSelectedEntries(HWND dialog) {
  HWND listBox = FileListOf(dialog);
  int count = 0;
  int* indices = GetSelectedEntries(listBox, &count);
  if (indices == nullptr) return;
  {
    RedrawPause pause(listBox);
    // From the highest index down, so that the indices still to delete stay valid.
    for (int i = count - 1; i >= 0; --i) {
      FreeIdentityAt(listBox, indices[i]);
      SendMessageA(listBox, LB_DELETESTRING, static_cast<WPARAM>(indices[i]), 0);
    }
  }
  std::free(indices);
}

bool AddDroppedFiles(HWND listBox, HDROP drop) {
  bool folder = false;
  RedrawPause pause(listBox);
  FileSystemRedirectionOff redirection;
  UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT index = 0; index < count; ++index) {
    // A name longer than the buffer would arrive cut and might name some other file. Wide, so
    // that no name arrives as a look-alike of another; a long one may still have a short form.
    WCHAR wideName[kDroppedNameUnits] = L"";
    if (DragQueryFileW(drop, index, nullptr, 0) >= kDroppedNameUnits) continue;
    DragQueryFileW(drop, index, wideName, kDroppedNameUnits);
    char name[PATH_BUFFER_SIZE];
    if (!PathFromWide(wideName, name, sizeof name)) continue;
    // Taken as on the command line: a name that ends in a dot (possible on other systems'
    // disks) would name another file, and so would a shortcut to one.
    char target[PATH_BUFFER_SIZE];
    TargetEntry taken;
    NotChangedReason reason;
    DWORD error;
    if (!TakeTargetPath(name, target, sizeof target, &reason, &error) ||
        !ResolveTakenTarget(target, &taken, &reason, &error)) {
      ReportNotChanged(nullptr, name, reason, error);
      continue;
    }
    if (AddFileListEntry(listBox, taken.path, taken.identity) >= 0 && IsDirectory(taken.path))
      folder = true;
  }
  DragFinish(drop);
  return folder;
}

bool HandleFileListNotify(HWND dialog, const DragListNotify* notify, LRESULT* result) {
  switch (notify->header.code) {
    case DDLBN_KEYDOWN:
      *result = OnKeyDown(dialog, notify);
      return true;
    case DDLBN_BEGINDRAG:
      *result = 1;  // the sorted order is the only order: no entry moves
      return true;
    case DDLBN_DROPFILES:
      if (AddDroppedFiles(notify->header.hwndFrom, reinterpret_cast<HDROP>(notify->wParam)))
        OnFolderJoinedList(dialog);
      return false;
    case DDLBN_CONTEXTMENU:
      OnContextMenu(dialog, notify->header.hwndFrom);
      return false;
    default:
      *result = ReflectNotify(&notify->header);
      return true;
  }
}
