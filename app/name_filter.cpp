// The name filter (see name_filter.h).
#include "app/name_filter.h"

#include "app/job_settings.h"
#include "app/regex_filter.h"
#include "app/wildcard.h"
#include "text/bounded.h"
#include "text/chars.h"
#include "text/paths.h"

bool AcceptName(const char* name, bool isFolder, const char* pattern, int kind) {
  if (pattern[0] == 0 || isFolder) return true;
  switch (kind) {
    case FILTER_NONE:
      return true;
    case FILTER_WILDCARD: {
      // A name cut here could match where the whole name does not: the buffer takes any name.
      char folded[NAME_BUFFER_SIZE];
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
