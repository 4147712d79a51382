// Target paths (see target_paths.h).
#include "app/target_paths.h"

#include <cstring>

#include "app/target_identity.h"
#include "shell/shortcuts.h"
#include "text/file_queries.h"
#include "text/paths.h"
#include "text/trace.h"
#include "text/wide_names.h"

bool TargetPathOf(const char* given, char* target, int size) {
  if (size <= 0) return false;
  target[0] = 0;
  if (PlatformRewritesPath(given)) {
    Trace("! %s\r\n => %.900s\r\n", "別の項目かデバイスを指す名前のため対象にしません。", given);
    return false;
  }
  if (FullPathOf(given, target, size)) return true;
  Trace("! %s\r\n => %.900s\r\n", "完全なパスを得られないため対象にしません。", given);
  return false;
}

bool TakeTargetPath(const char* given, char* target, int size, NotChangedReason* reason,
                    DWORD* error) {
  *error = 0;
  // A longer name would be cut into some other path that may exist.
  if (std::strlen(given) > MAX_PATH_BYTES) {
    if (!PathExists(given)) {
      *error = GetLastError();
      *reason = REASON_NOT_FOUND;
      return false;
    }
    Trace("! %s\r\n => %.900s\r\n", "パスが長すぎるため対象にしません。", given);
    *reason = REASON_NOT_A_TARGET;
    return false;
  }
  // A name the platform rewrites is refused (with its trace line) whatever it would find: "x."
  // finds "x".
  if (!PlatformRewritesPath(given) && !PathExists(given)) {
    *error = GetLastError();
    *reason = ReasonFromError(*error, REASON_NOT_FOUND);
    return false;
  }
  *reason = REASON_NOT_A_TARGET;
  return TargetPathOf(given, target, size);
}

bool ResolveTakenTarget(const char* target, TargetEntry* taken, NotChangedReason* reason,
                        DWORD* error) {
  *error = 0;
  if (!ResolveShortcutOrPath(taken->path, target, sizeof taken->path)) {
    *error = ERROR_FILE_NOT_FOUND;
    *reason = REASON_NOT_FOUND;
    return false;
  }
  if (PlatformRewritesPath(taken->path)) {
    Trace("! %s\r\n => %.900s\r\n", "ショートカットの先が別の項目かデバイスを指す名前のため対象にしません。",
          taken->path);
    *reason = REASON_NOT_A_TARGET;
    return false;
  }
  ReadTargetIdentity(taken->path, &taken->identity);
  return true;
}
