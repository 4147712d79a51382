// Wildcard tokens of the name filter: matching, token lists and token reading.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "app/wildcard.h"
#include "text/chars.h"

namespace {

TEST(MatchWildcard, MatchesWholeNamesCharacterByCharacter) {
  const struct {
    const char* token;
    const char* name;
    bool match;
  } cases[] = {
      {"#*", "1st.txt", true},
      {"#*", "first.txt", false},
      {"#", "", false},
      {"a?c", "abc", true},
      {"a?c", "a\x95\x5c" "c", true},   // one double-byte character is one "?"
      {"a?c", "ac", false},
      {"a??c", "a\x95\x5c" "c", false},
      {"a\x95\x5c", "a\x95\x5c", true},
      {"a\\", "a\x95\x5c", false},       // a second byte never matches a one-byte character
      {"*\\", "a\x95\x5c", false},
      {"*", "", true},
      {"*", "noext", true},
      {"*.*", "noext", false},
      {"*.*", "a.b", true},
      {"*.txt", "a.txt", true},
      {"*.txt", "a.txt.bak", false},
      {"*.TXT", "a.txt", false},         // exact: folding is the caller's business
      {"", "", true},
      {"", "a", false},
      {"a", "", false},
      {"**a**", "xxa", true},
      {"*a*b", "aaab", true},
      {"*a*b", "aaba", false},
      // A lead byte without a valid second byte is a character of its own, so the dot after
      // it is still a dot (the rule of ByteKindAt and the splitter).
      {"*.txt", "a\x81.txt", true},
      {"a?.txt", "a\x81.txt", true},
      {"a?txt", "a\x81.txt", false},
      {"*\x81", "a\x81", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.match, MatchWildcard(c.token, c.name)) << c.token << " / " << c.name;
}

// The plain recursive reading of the rules, to cross-check the matcher's backtracking.
bool ReferenceMatch(const char* t, const char* n) {
  if (*t == 0) return *n == 0;
  if (*t == '#') return *n >= '0' && *n <= '9' && ReferenceMatch(t + 1, NextChar(n));
  if (*t == '*') return ReferenceMatch(t + 1, n) || (*n && ReferenceMatch(t, NextChar(n)));
  if (*t == '?') return *n && ReferenceMatch(t + 1, NextChar(n));
  return *n && CharCodeAt(t) == CharCodeAt(n) && ReferenceMatch(NextChar(t), NextChar(n));
}

void Enumerate(const std::string* alphabet, int size, int length, std::string prefix,
               std::vector<std::string>* out) {
  out->push_back(prefix);
  if (length == 0) return;
  for (int i = 0; i < size; ++i) Enumerate(alphabet, size, length - 1, prefix + alphabet[i], out);
}

TEST(MatchWildcard, AgreesWithTheRecursiveRules) {
  const std::string tokenParts[] = {"a", "1", "*", "?", "#", "\x95\x5c"};
  const std::string nameParts[] = {"a", "1", "\\", "\x95\x5c", "\x81."};
  std::vector<std::string> tokens, names;
  Enumerate(tokenParts, 6, 4, "", &tokens);
  Enumerate(nameParts, 5, 4, "", &names);
  int mismatches = 0;
  for (const auto& token : tokens) {
    for (const auto& name : names) {
      bool expected = ReferenceMatch(token.c_str(), name.c_str());
      if (MatchWildcard(token.c_str(), name.c_str()) != expected && ++mismatches <= 5)
        ADD_FAILURE() << "token " << token << " name " << name << " expected " << expected;
    }
  }
  EXPECT_EQ(0, mismatches);
}

TEST(MatchWildcard, HostileTokenFinishesFast) {
  std::string token;
  for (int i = 0; i < 40; ++i) token += "*a";
  token += "*b";
  std::string name(250, 'a');
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(MatchWildcard(token.c_str(), name.c_str()));
  name.back() = 'b';
  EXPECT_TRUE(MatchWildcard(token.c_str(), name.c_str()));
  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 500);
}

TEST(NextPatternToken, SkipsSeparatorsAndFoldsTheToken) {
  char token[PATTERN_TOKEN_SIZE];
  const char* text = " ;*.TXT;;*.log ";
  const char* end = NextPatternToken(token, text);
  EXPECT_STREQ("*.txt", token);
  EXPECT_EQ(text + 7, end);
  end = NextPatternToken(token, end);
  EXPECT_STREQ("*.log", token);
  EXPECT_EQ(text + 14, end);
  EXPECT_EQ(nullptr, NextPatternToken(token, end));
  EXPECT_STREQ("", token);
  EXPECT_EQ(nullptr, NextPatternToken(token, "\x83\x41Z"));
  EXPECT_STREQ("\x83\x41z", token);  // the second byte 'A' stays as it is
}

TEST(NextPatternToken, CutsLongTokensAtACharacterBoundary) {
  char token[PATTERN_TOKEN_SIZE + 8];
  const std::string plain(1100, 'a');
  EXPECT_EQ(nullptr, NextPatternToken(token, plain.c_str()));
  EXPECT_EQ(1024u, std::string(token).size());

  // A double-byte character at bytes 1023-1024 must not leave its lead byte behind.
  for (const char* tail : {"", ";x"}) {
    std::string text = std::string(1023, 'a') + "\x95\x5c" + "bb" + tail;
    NextPatternToken(token, text.c_str());
    EXPECT_EQ(std::string(1023, 'a'), token) << "tail '" << tail << "'";
  }
  std::string exact = std::string(1022, 'a') + "\x95\x5c";
  EXPECT_EQ(nullptr, NextPatternToken(token, exact.c_str()));
  EXPECT_EQ(exact, token);
}

TEST(MatchWildcardList, AcceptsWhenAnyTokenMatches) {
  const struct {
    const char* pattern;
    const char* name;
    bool accept;
  } cases[] = {
      {"*.txt;*.log", "a.txt", true},
      {"*.txt;*.log", "b.log", true},
      {"*.txt;*.log", "a.doc", false},
      {"*.TXT *.LOG", "b.log", true},
      {" ; ;", "anything", true},     // no token at all
      {"", "anything", true},
      {"*.txt;", "a.doc", false},     // the final empty token matches only an empty name
      {"*.txt;", "", true},
      {"a.doc", "a.doc", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.accept, MatchWildcardList(c.pattern, c.name)) << c.pattern << " / " << c.name;
}

}  // namespace
