// The program's own shortcut (see program_shortcut.h).
#include "shell/program_shortcut.h"

#include <shlobj.h>

#include "text/holders.h"
#include "shell/shortcut_paths.h"
#include "shell/shortcuts.h"
#include "text/file_queries.h"
#include "text/paths.h"
#include "text/wide_names.h"

namespace {

bool SaveShortcut(IShellLinkA* link, const char* shortcutPath) {
  WCHAR widePath[PATH_BUFFER_SIZE];
  // Broken code page 932 bytes must not turn into some other file name.
  if (!WideFromPath(shortcutPath, widePath, PATH_BUFFER_SIZE)) return false;
  ComHolder<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Out()))))
    return false;
  return file->Save(widePath, TRUE) == S_OK;
}

bool FillAndSaveShortcut(const char* shortcutPath, const char* target, const char* workingFolder,
                         int showCommand) {
  ComHolder<IShellLinkA> link(ShellLinkCreate());
  if (!link) return false;
  link->SetPath(target);
  link->SetWorkingDirectory(workingFolder);
  link->SetShowCmd(showCommand);
  return SaveShortcut(link.Get(), shortcutPath);
}

}  // namespace

bool CreateShellShortcut(const char* shortcutPath, const char* target, const char* workingFolder,
                         int showCommand) {
  // Callers need not know whether COM is up on their thread.
  HRESULT initialised = CoInitialize(nullptr);
  bool saved = FillAndSaveShortcut(shortcutPath, target, workingFolder, showCommand);
  if (SUCCEEDED(initialised)) CoUninitialize();
  return saved;
}

bool CreateProgramShortcut(const char* programPath, const char* folder) {
  ProgramShortcutPaths paths;
  if (!MakeProgramShortcutPaths(programPath, folder, &paths)) return false;
  return CreateShellShortcut(paths.shortcut, programPath, paths.workingFolder, SW_SHOWNORMAL);
}

bool GetSpecialFolderPath(HWND owner, int folderId, char* path) {
  ItemListHolder items;
  if (FAILED(SHGetSpecialFolderLocation(owner, folderId, items.Out()))) return false;
  WCHAR widePath[MAX_PATH + 1];
  bool found = SHGetPathFromIDListW(items.Get(), widePath) != FALSE;
  // A folder the code page cannot name exactly would put the shortcut into another folder.
  return found && PathFromWide(widePath, path, PATH_BUFFER_SIZE);
}

bool GetProgramPath(char* buffer, int size) {
  if (!GetProgramFilePath(buffer, size)) return false;
  FoldCaseOfSameEntry(buffer);
  return true;
}

void RegisterProgramShortcut(HWND dialog, int folderId, ShellOpener opener) {
  char folder[PATH_BUFFER_SIZE];
  if (!GetSpecialFolderPath(dialog, folderId, folder)) return;
  RegisterProgramShortcutInFolder(folder, opener);
}

void RegisterProgramShortcutInFolder(const char* folder, ShellOpener opener) {
  if (!IsDirectory(folder)) return;
  char program[PATH_BUFFER_SIZE];
  if (GetProgramPath(program, sizeof program)) CreateProgramShortcut(program, folder);
  // A failed save still shows the folder: the user asked to see it.
  opener("open", folder);
}
