// The regular-expression kind of the name filter (see regex_filter.h).
#include "app/regex_filter.h"

#include "text/trace.h"
#include "regex/regex.h"
#include "regex/regex_engine.h"

bool MatchRegex(const char* pattern, const char* name) {
  Regex* regex = RegexCompile(pattern, RXF_IGNORECASE);
  if (!regex) {
    Trace("! %s\r\n", "正規表現エンジンを初期化できませんでした。");
    return false;
  }
  RegexMatch* match = RegexSearch(regex, name);
  bool accept = match != nullptr;
  if (match) {
    RegexFreeMatch(match);
  } else if (RegexSearchGaveUp(regex)) {
    Trace("! %s\r\n", "正規表現の照合が上限に達したため、一致しないものとして扱いました。");
  }
  RegexFree(regex);
  return accept;
}
