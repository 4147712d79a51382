// Shortcut resolution and path canonicalisation (see shortcuts.h).
#include "shell/shortcuts.h"

#include "text/holders.h"
#include "text/bounded.h"
#include "text/file_queries.h"
#include "text/paths.h"
#include "text/wide_names.h"

IShellLinkA* ShellLinkCreate() {
  IShellLinkA* link = nullptr;
  HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IShellLinkA, reinterpret_cast<void**>(&link));
  if (result != S_OK) return nullptr;
  return link;
}

static bool LoadShortcutFile(IShellLinkA* link, const char* path) {
  WCHAR widePath[MAX_PATH + 1];
  if (!WideFromPath(path, widePath, MAX_PATH + 1)) return false;
  ComHolder<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Out()))))
    return false;
  return SUCCEEDED(file->Load(widePath, STGM_READ));
}

// The target in UTF-16, from the shortcut's item list, which names it exactly; only a shortcut
// without one is asked for its path. (Wine keeps that path in the code page's best fit: a
// shortcut to "é.txt" answers "e.txt".)
static bool ReadWideTarget(IShellLinkA* link, WCHAR* target, int units) {
  ItemListHolder items;
  if (link->GetIDList(items.Out()) == S_OK && items.Get())
    return SHGetPathFromIDListW(items.Get(), target) != FALSE;
  ComHolder<IShellLinkW> wideLink;
  if (FAILED(link->QueryInterface(IID_IShellLinkW, reinterpret_cast<void**>(wideLink.Out()))))
    return false;
  WIN32_FIND_DATAW findData;
  return wideLink->GetPath(target, units, &findData, SLGP_UNCPRIORITY) == S_OK;
}

static bool ReadShortcutTarget(char* target, const char* path, int size) {
  WCHAR wideTarget[MAX_PATH + 1] = L"";
  {
    // COM loads the shell's libraries, which the 32-bit program finds only where the system
    // redirects it to; the caller's file calls see the system folder itself.
    FileSystemRedirectionOn redirection;
    ComHolder<IShellLinkA> link(ShellLinkCreate());
    if (!link || !LoadShortcutFile(link.Get(), path) ||
        !ReadWideTarget(link.Get(), wideTarget, MAX_PATH + 1))
      return false;
  }
  return PathFromWide(wideTarget, target, size);
}

bool ResolveShortcut(char* target, const char* path, int size) {
  if (size <= 0) return false;
  // Loading a file as a shortcut reads it, which moves its last-access time: only a file the
  // shell itself takes for a shortcut is opened; every other target stands for itself.
  if (HasShortcutExtension(path) && ReadShortcutTarget(target, path, size)) {
    FoldCaseOfSameEntry(target);
    if (PathExists(target)) return true;
  }
  // Anything else, a shortcut whose target is gone too, stands for itself.
  CopyBounded(size, path, target);
  FoldCaseOfSameEntry(target);
  return false;
}

bool ResolveShortcutOrPath(char* result, const char* path, int size) {
  if (size <= 0) return false;
  if (ResolveShortcut(result, path, size) || PathExists(result)) return true;
  result[0] = 0;
  return false;
}

// The path as the desktop folder parses it and writes it back.
static bool ParseWithShell(WCHAR* path, WCHAR* parsed) {
  FileSystemRedirectionOn redirection;  // the shell loads libraries
  ComHolder<IShellFolder> desktop;
  if (FAILED(SHGetDesktopFolder(desktop.Out()))) return false;
  ULONG eaten = 0;
  ItemListHolder items;
  return SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, path, &eaten, items.Out(),
                                             nullptr)) &&
         SHGetPathFromIDListW(items.Get(), parsed);
}

bool CanonicalizePath(char* result, const char* path, int size) {
  if (size <= 0) return false;
  result[0] = 0;
  // Made absolute first: the desktop folder would take a relative name for one of its own.
  WCHAR widePath[MAX_PATH + 1];
  if (!WideFullPath(path, widePath, MAX_PATH + 1)) return false;
  WCHAR converted[MAX_PATH + 1] = {};
  if (ParseWithShell(widePath, converted)) return PathFromWide(converted, result, size);
  // The shell sees the 32-bit program's view of the system folder (it loads libraries): an entry
  // that only the system folder itself holds is written in the platform's long form instead.
  if (!FileSystemRedirectionOff::InEffect()) return false;
  DWORD units = GetLongPathNameW(widePath, converted, MAX_PATH + 1);
  return units > 0 && units <= MAX_PATH && PathFromWide(converted, result, size);
}
