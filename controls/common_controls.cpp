// The common controls library, loaded through the manifest (see common_controls.h).
#include "controls/common_controls.h"

#include <commctrl.h>

#include "text/system_libraries.h"

namespace {

using InitExProc = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX* classes);
using ItemFromPointProc = int(WINAPI*)(HWND listBox, POINT point, BOOL autoScroll);

// Stays loaded for the life of the process: its window classes are in use until the end.
HMODULE library = nullptr;
ItemFromPointProc itemFromPoint = nullptr;

// Through the generic function type, which converts to any other without a warning.
template <typename Proc>
Proc LookUp(const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

// By name, restricted to the system folder: the manifest's redirection to the side-by-side
// store comes before any folder search. Systems whose loader lacks the restriction take the
// system folder's own file by its full path.
HMODULE LoadThroughManifest() {
  HMODULE loaded = LoadLibraryExA("comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!loaded) loaded = LoadSystemLibrary("comctl32.dll");
  return loaded;
}

}  // namespace

bool StartCommonControls() {
  if (library) return true;
  library = LoadThroughManifest();
  if (!library) return false;
  itemFromPoint = LookUp<ItemFromPointProc>("LBItemFromPt");
  auto initEx = LookUp<InitExProc>("InitCommonControlsEx");
  INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_WIN95_CLASSES};
  return initEx && initEx(&classes);
}

HMODULE CommonControlsLibrary() { return library; }

int ListItemFromPoint(HWND listBox, POINT screenPoint, bool autoScroll) {
  if (!itemFromPoint) return -1;
  return itemFromPoint(listBox, screenPoint, autoScroll ? TRUE : FALSE);
}
