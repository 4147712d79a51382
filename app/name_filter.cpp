// The name filter (see name_filter.h).
#include "app/name_filter.h"

#include <windows.h>

#include "app/job_settings.h"
#include "app/regex_filter.h"
#include "app/wildcard.h"
#include "text/bounded.h"
#include "text/chars.h"
#include "text/paths.h"

bool AcceptName(const char* path, const char* pattern, int kind) {
  if (pattern[0] == 0) return true;
  // Unreadable attributes read as all bits set, so such a path is accepted; the change step
  // then leaves it alone.
  if (GetFileAttributesA(path) & FILE_ATTRIBUTE_DIRECTORY) return true;
  const char* name = FileNamePart(path);
  switch (kind) {
    case FILTER_NONE:
      return true;
    case FILTER_WILDCARD: {
      char folded[PATH_BUFFER_SIZE];
      CopyBounded(sizeof folded, name, folded);
      FoldLowerCase(folded);
      return MatchWildcardList(pattern, folded);
    }
    case FILTER_REGEX:
      return MatchRegex(pattern, name);
    default:
      // Any unknown kind rejects.
      return false;
  }
}
