// The regular-expression filter's cost per file name: compile + search (what MatchRegex does for
// every name), search alone, the wildcard matcher on the equivalent token list (with the lower-
// case copy that AcceptName makes), and std::regex (ECMAScript, icase) compiled per name and
// once. Also the time of a search that runs into the step budget. Run by scripts/bench-regex.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "app/wildcard.h"
#include "regex/regex.h"
#include "regex/regex_engine.h"
#include "text/chars.h"

namespace {

struct Case {
  const char* label;
  const char* regex;     // this engine
  const char* wildcard;  // the wildcard list that accepts the same names
  const char* ecma;      // std::regex, ECMAScript
};

const Case kCases[] = {
    {"extension", "\\.txt$", "*.txt", "\\.txt$"},
    {"substring", "report", "*report*", "report"},
    {"prefix+ext", "^a.*\\.txt$", "a*.txt", "^a.*\\.txt$"},
    {"digits", "^img_\\d{4}\\.jpe?g$", "img_####.jpg;img_####.jpeg", "^img_\\d{4}\\.jpe?g$"},
    {"alternation", "\\.(c|h)(pp)?$", "*.c;*.h;*.cpp;*.hpp", "\\.(c|h)(pp)?$"},
    {"class+count", "^[a-z]+_v\\d+\\.\\w+$", "*_v*.*", "^[a-z]+_v\\d+\\.\\w+$"},
};

std::vector<std::string> MakeNames() {
  const char* stems[] = {"readme", "Report_2026", "alpha", "IMG_0042", "main", "notes_v12",
                         "setup", "a_long_file_name_with_many_parts_and_words", "data", "x"};
  const char* extensions[] = {".txt", ".TXT", ".cpp", ".h", ".jpg", ".jpeg", ".docx", ".bak",
                              ".tar.gz", ""};
  std::vector<std::string> names;
  for (const char* stem : stems) {
    for (const char* extension : extensions) names.push_back(std::string(stem) + extension);
  }
  names.push_back(std::string(200, 'q') + ".log");
  names.push_back("\x95\x5c\x82\xa0\x82\xa2.txt");
  return names;
}

using Clock = std::chrono::steady_clock;

template <typename Body>
double NanosecondsPerName(const std::vector<std::string>& names, Body body, int* accepted) {
  // Repeat until about 200 ms have passed, so that short cases are measured reliably.
  long rounds = 0;
  int count = 0;
  auto start = Clock::now();
  double elapsed = 0;
  do {
    count = 0;
    for (const std::string& name : names) count += body(name) ? 1 : 0;
    ++rounds;
    elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  } while (elapsed < 0.2);
  *accepted = count;
  return elapsed * 1e9 / (static_cast<double>(rounds) * names.size());
}

}  // namespace

int main() {
  std::vector<std::string> names = MakeNames();
  std::printf("%zu names; ns per name (lower is better); accepted names in brackets\n\n",
              names.size());
  std::printf("%-12s %14s %14s %14s %14s %14s %9s %9s\n", "pattern", "rx compile+", "rx search",
              "wildcard", "std compile+", "std search", "rx/wild", "std/rx");
  std::printf("%-12s %14s %14s %14s %14s %14s %9s %9s\n", "", "search", "only", "list", "search",
              "only", "(c+s)", "(c+s)");
  for (const Case& c : kCases) {
    int accepted[5];
    double rx = NanosecondsPerName(names, [&](const std::string& name) {
      Regex* regex = RegexCompile(c.regex, RXF_IGNORECASE);
      RegexMatch* match = RegexSearch(regex, name.c_str());
      bool found = match != nullptr;
      RegexFreeMatch(match);
      RegexFree(regex);
      return found;
    }, &accepted[0]);
    Regex* compiled = RegexCompile(c.regex, RXF_IGNORECASE);
    double rxSearch = NanosecondsPerName(names, [&](const std::string& name) {
      RegexMatch* match = RegexSearch(compiled, name.c_str());
      bool found = match != nullptr;
      RegexFreeMatch(match);
      return found;
    }, &accepted[1]);
    RegexFree(compiled);
    double wildcard = NanosecondsPerName(names, [&](const std::string& name) {
      char folded[261];
      std::strncpy(folded, name.c_str(), sizeof folded - 1);
      folded[sizeof folded - 1] = 0;
      FoldLowerCase(folded);
      return MatchWildcardList(c.wildcard, folded);
    }, &accepted[2]);
    const auto options = std::regex::ECMAScript | std::regex::icase;
    double std = NanosecondsPerName(names, [&](const std::string& name) {
      std::regex expression(c.ecma, options);
      return std::regex_search(name, expression);
    }, &accepted[3]);
    std::regex expression(c.ecma, options);
    double stdSearch = NanosecondsPerName(names, [&](const std::string& name) {
      return std::regex_search(name, expression);
    }, &accepted[4]);
    char cells[5][32];
    double values[5] = {rx, rxSearch, wildcard, std, stdSearch};
    for (int i = 0; i < 5; ++i) {
      std::snprintf(cells[i], sizeof cells[i], "%.0f [%d]", values[i], accepted[i]);
    }
    std::printf("%-12s %14s %14s %14s %14s %14s %9.1f %9.1f\n", c.label, cells[0], cells[1],
                cells[2], cells[3], cells[4], rx / wildcard, std / rx);
  }

  std::printf("\nsearches that run into the step budget (%d steps), 261-byte text:\n",
              static_cast<int>(RX_STEP_BUDGET));
  std::string text = std::string(260, 'a') + "!";
  const char* hostile[] = {"(a|a)*b", "(a*)*b", "(.*.*.*)*x", "^.*a.*a.*b$"};
  for (const char* pattern : hostile) {
    auto start = Clock::now();
    Regex* regex = RegexCompile(pattern, RXF_IGNORECASE);
    RegexMatch* match = RegexSearch(regex, text.c_str());
    bool gaveUp = RegexSearchGaveUp(regex);
    long steps = RegexSearchSteps(regex);
    RegexFreeMatch(match);
    RegexFree(regex);
    double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::printf("  %-14s %6.1f ms  steps %ld%s\n", pattern, ms, steps, gaveUp ? "  (gave up)" : "");
  }
  return 0;
}
