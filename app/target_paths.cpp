// Target paths (see target_paths.h).
#include "app/target_paths.h"

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
