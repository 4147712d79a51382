// What the About box says (see about_texts.h).
#include "about/about_texts.h"

#include <windows.h>

#include <cstdlib>

#include "text/bounded.h"
#include "text/wide_names.h"

namespace {

const char kMeterLibrary[] = "rsrc32.dll";
const char kMeterExport[] = "_MyGetFreeSystemResources32@4";
const int kSystemResources = 0;
using FreeResourcesProc = int(WINAPI*)(int which);

struct Translation {
  WORD language;
  WORD codePage;
};

bool FirstTranslation(const void* block, Translation* translation) {
  void* found = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block, "\\VarFileInfo\\Translation", &found, &length)) return false;
  if (!found || length < sizeof(Translation)) return false;
  *translation = *static_cast<const Translation*>(found);
  return true;
}

// A missing value reads as empty. The length the platform gives for a string counts characters,
// not bytes, so a double-byte value is copied up to its own terminator instead.
void QueryVersionString(const void* block, const Translation& translation, const char* key,
                        char* value) {
  value[0] = 0;
  char subBlock[64];
  if (FormatBounded(subBlock, sizeof subBlock, "\\StringFileInfo\\%04x%04x\\%s",
                    translation.language, translation.codePage, key) < 0)
    return;
  void* found = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block, subBlock, &found, &length) || !found || length == 0) return;
  CopyBounded(PATH_BUFFER_SIZE, static_cast<const char*>(found), value);
}

bool ComposeTexts(const void* block, AboutTexts* texts) {
  Translation translation;
  if (!FirstTranslation(block, &translation)) return false;
  char name[PATH_BUFFER_SIZE];
  QueryVersionString(block, translation, "ProductName", name);
  if (name[0] == 0) QueryVersionString(block, translation, "FileDescription", name);
  char version[PATH_BUFFER_SIZE];
  QueryVersionString(block, translation, "ProductVersion", version);
  FormatBounded(texts->label, sizeof texts->label, "%s ver. %s", name, version);
  FormatBounded(texts->caption, sizeof texts->caption, "%s について", name);
  return true;
}

}  // namespace

bool ReadAboutTexts(const char* path, AboutTexts* texts) {
  texts->label[0] = 0;
  texts->caption[0] = 0;
  DWORD unused = 0;
  DWORD size = GetFileVersionInfoSizeA(path, &unused);
  if (size == 0) return false;
  void* block = std::malloc(size);
  if (!block) return false;
  bool composed = GetFileVersionInfoA(path, 0, size, block) && ComposeTexts(block, texts);
  std::free(block);
  if (!composed) {
    texts->label[0] = 0;
    texts->caption[0] = 0;
  }
  return composed;
}

bool SystemLibraryPath(const char* name, char* path, int size) {
  // A look-alike of the system folder's name could be a folder anyone may write to.
  WCHAR wideFolder[PATH_BUFFER_SIZE];
  UINT length = GetSystemDirectoryW(wideFolder, PATH_BUFFER_SIZE);
  if (length == 0 || length >= PATH_BUFFER_SIZE) return false;
  char folder[PATH_BUFFER_SIZE];
  return PathFromWide(wideFolder, folder, sizeof folder) && PathJoin(size, path, folder, name);
}

void ReadFreeResourcesText(char* text, int size) {
  if (size <= 0) return;
  text[0] = 0;
  char path[PATH_BUFFER_SIZE];
  if (!SystemLibraryPath(kMeterLibrary, path, sizeof path)) return;
  HMODULE library = LoadLibraryA(path);
  if (!library) return;
  // Through the generic function type, which converts to any other without a warning.
  auto meter = reinterpret_cast<FreeResourcesProc>(
      reinterpret_cast<void (*)()>(GetProcAddress(library, kMeterExport)));
  if (meter) FormatBounded(text, size, "システムリソース： %d ％使用可能", meter(kSystemResources));
  FreeLibrary(library);
}
