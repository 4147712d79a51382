// What the About box says (see about_texts.h).
#include "about/about_texts.h"

#include <windows.h>

#include <cstdlib>

#include "text/bounded.h"
#include "text/system_libraries.h"

namespace {

const char kVersionLibrary[] = "version.dll";
const char kMeterLibrary[] = "rsrc32.dll";
const char kMeterExport[] = "_MyGetFreeSystemResources32@4";
const int kSystemResources = 0;
using FreeResourcesProc = int(WINAPI*)(int which);

// The version functions, looked up in the system folder's library: it is no library that every
// process has, so importing it by name would let a file of that name next to the program in.
struct VersionCalls {
  DWORD(WINAPI* infoSize)(LPCSTR path, LPDWORD handle);
  BOOL(WINAPI* info)(LPCSTR path, DWORD handle, DWORD size, LPVOID block);
  BOOL(WINAPI* queryValue)(LPCVOID block, LPCSTR subBlock, LPVOID* found, PUINT length);
};

// Through the generic function type, which converts to any other without a warning.
template <typename Proc>
void LookUp(HMODULE library, const char* name, Proc* proc) {
  *proc = reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

bool LookUpVersionCalls(HMODULE library, VersionCalls* calls) {
  LookUp(library, "GetFileVersionInfoSizeA", &calls->infoSize);
  LookUp(library, "GetFileVersionInfoA", &calls->info);
  LookUp(library, "VerQueryValueA", &calls->queryValue);
  return calls->infoSize && calls->info && calls->queryValue;
}

struct Translation {
  WORD language;
  WORD codePage;
};

bool FirstTranslation(const VersionCalls& calls, const void* block, Translation* translation) {
  void* found = nullptr;
  UINT length = 0;
  if (!calls.queryValue(block, "\\VarFileInfo\\Translation", &found, &length)) return false;
  if (!found || length < sizeof(Translation)) return false;
  *translation = *static_cast<const Translation*>(found);
  return true;
}

// A missing value reads as empty. The length the platform gives for a string counts characters,
// not bytes, so a double-byte value is copied up to its own terminator instead.
void QueryVersionString(const VersionCalls& calls, const void* block,
                        const Translation& translation, const char* key, char* value) {
  value[0] = 0;
  char subBlock[64];
  if (FormatBounded(subBlock, sizeof subBlock, "\\StringFileInfo\\%04x%04x\\%s",
                    translation.language, translation.codePage, key) < 0)
    return;
  void* found = nullptr;
  UINT length = 0;
  if (!calls.queryValue(block, subBlock, &found, &length) || !found || length == 0) return;
  CopyBounded(PATH_BUFFER_SIZE, static_cast<const char*>(found), value);
}

bool ComposeTexts(const VersionCalls& calls, const void* block, AboutTexts* texts) {
  Translation translation;
  if (!FirstTranslation(calls, block, &translation)) return false;
  char name[PATH_BUFFER_SIZE];
  QueryVersionString(calls, block, translation, "ProductName", name);
  if (name[0] == 0) QueryVersionString(calls, block, translation, "FileDescription", name);
  char version[PATH_BUFFER_SIZE];
  QueryVersionString(calls, block, translation, "ProductVersion", version);
  FormatBounded(texts->label, sizeof texts->label, "%s ver. %s", name, version);
  FormatBounded(texts->caption, sizeof texts->caption, "%s について", name);
  return true;
}

bool ReadVersionBlock(const VersionCalls& calls, const char* path, AboutTexts* texts) {
  DWORD unused = 0;
  DWORD size = calls.infoSize(path, &unused);
  if (size == 0) return false;
  void* block = std::malloc(size);
  if (!block) return false;
  bool composed = calls.info(path, 0, size, block) && ComposeTexts(calls, block, texts);
  std::free(block);
  return composed;
}

}  // namespace

bool ReadAboutTexts(const char* path, AboutTexts* texts) {
  texts->label[0] = 0;
  texts->caption[0] = 0;
  HMODULE library = LoadSystemLibrary(kVersionLibrary);
  if (!library) return false;
  VersionCalls calls;
  bool composed = LookUpVersionCalls(library, &calls) && ReadVersionBlock(calls, path, texts);
  FreeLibrary(library);
  if (!composed) {
    texts->label[0] = 0;
    texts->caption[0] = 0;
  }
  return composed;
}

void ReadFreeResourcesText(char* text, int size) {
  if (size <= 0) return;
  text[0] = 0;
  HMODULE library = LoadSystemLibrary(kMeterLibrary);
  if (!library) return;
  FreeResourcesProc meter = nullptr;
  LookUp(library, kMeterExport, &meter);
  if (meter) FormatBounded(text, size, "システムリソース： %d ％使用可能", meter(kSystemResources));
  FreeLibrary(library);
}
