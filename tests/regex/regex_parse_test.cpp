// Golden tree dumps of parsed patterns: every construct and every fall-back.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "regex_reference.h"

namespace {

struct DumpCase {
  const char* pattern;
  const char* dump;
};

// Dump notation: see regex_reference.h. The group count comes first.
const DumpCase kDumpCases[] = {
    // Sequences and alternation: earlier alternatives sit on the right (tried first).
    {"", "0:e"},
    {"a", "0:'a'"},
    {"ab", "0:cat('a','b')"},
    {"abc", "0:cat(cat('a','b'),'c')"},
    {"a|b", "0:alt('b','a')"},
    {"a|b|c", "0:alt('c',alt('b','a'))"},
    {"|a", "0:alt('a',e)"},
    {"a|", "0:alt(e,'a')"},
    // Groups, numbered by their opening parentheses.
    {"(a)", "1:cat(<1,cat('a',>1))"},
    {"(a)(b(c))", "3:cat(cat(<1,cat('a',>1)),cat(<2,cat(cat('b',cat(<3,cat('c',>3))),>2)))"},
    {"((a)|b)c", "2:cat(cat(<1,cat(alt('b',cat(<2,cat('a',>2))),>1)),'c')"},
    {"()", "1:cat(<1,cat(e,>1))"},
    // Quantifiers.
    {"a*", "0:star('a')"},
    {"a*?", "0:lazy('a')"},
    {"a+", "0:cat('a',star('a'))"},
    {"a+?", "0:cat('a',lazy('a'))"},
    {"a?", "0:alt(e,'a')"},
    {"a??", "0:alt('a',e)"},
    {"a**", "0:cat(star('a'),'*')"},
    {"(ab)+", "1:cat(cat(<1,cat(cat('a','b'),>1)),star(cat(<1,cat(cat('a','b'),>1))))"},
    {"^*", "0:star(^)"},
    {"$?", "0:alt(e,$)"},
    // Quantifiers with nothing to apply to are literals.
    {"*a", "0:cat('*','a')"},
    {"+?a", "0:cat(alt(e,'+'),'a')"},
    {"??", "0:alt(e,'?')"},
    {"|*", "0:alt('*',e)"},
    // Counted repetition.
    {"a{3}", "0:cat('a',cat('a',cat('a',e)))"},
    {"a{2,5}", "0:cat('a',cat('a',cat(cat(cat(e,alt(e,'a')),alt(e,'a')),alt(e,'a'))))"},
    {"a{2,}", "0:cat('a',cat('a',star('a')))"},
    {"a{0}", "0:alt(e,star('a'))"},
    {"a{0,0}", "0:alt(e,star('a'))"},
    {"a{}", "0:alt(e,star('a'))"},
    {"a{,}", "0:alt(e,star('a'))"},
    {"a{3,1}", "0:cat('a',cat('a',cat('a',e)))"},
    {"a{,2}", "0:alt(e,cat(cat(e,alt(e,'a')),alt(e,'a')))"},
    {"a{2}?", "0:cat('a',cat('a',e))"},
    {"a{0,1}?", "0:alt(cat(e,alt('a',e)),e)"},
    {"a{2,}?", "0:cat('a',cat('a',lazy('a')))"},
    {"a{1,2}?", "0:cat('a',cat(e,alt('a',e)))"},
    {"(a){2}", "1:cat(cat(<1,cat('a',>1)),cat(cat(<1,cat('a',>1)),e))"},
    {"a{007}", "0:cat('a',cat('a',cat('a',cat('a',cat('a',cat('a',cat('a',e)))))))"},
    // Counted-repetition fall-backs.
    {"a{2}{3}", "0:cat(cat(cat(cat('a',cat('a',e)),'{'),'3'),'}')"},
    {"{2}", "0:cat(cat('{','2'),'}')"},
    {"a{2", "0:cat(cat('a','{'),'2')"},
    {"a{x}", "0:cat(cat(cat('a','{'),'x'),'}')"},
    {"a{1,x}", "0:cat(cat(cat(cat(cat('a','{'),'1'),','),'x'),'}')"},
    {"{", "0:'{'"},
    // Any, anchors.
    {".", "0:."},
    {"^a$", "0:cat(cat(^,'a'),$)"},
    // Sets.
    {"[abc]", "0:[abc]"},
    {"[^abc]", "0:[^abc]"},
    {"[]", "0:[]"},
    {"[^]", "0:[^]"},
    {"[]a]", "0:cat(cat([],'a'),']')"},
    {"[a", "0:cat('[','a')"},
    {"[a\\", "0:cat(cat('[','a'),'\\')"},
    {"[a\\]b]", "0:[a\\]b]"},
    {"[\\d-z]", "0:[\\d-z]"},
    // Escapes.
    {"\\d", "0:[0-9]"},
    {"\\D", "0:[^0-9]"},
    {"\\h", "0:[0-9a-fA-F]"},
    {"\\H", "0:[^0-9a-fA-F]"},
    {"\\s", "0:[ \\x09\\x0A\\x0D\\x0C]"},
    {"\\S", "0:[^ \\x09\\x0A\\x0D\\x0C]"},
    {"\\w", "0:[_0-9a-zA-Z]"},
    {"\\W", "0:[^_0-9a-zA-Z]"},
    {"\\n\\r\\t\\f", "0:cat(cat(cat('\\x0A','\\x0D'),'\\x09'),'\\x0C')"},
    {"\\.", "0:'.'"},
    {"\\*\\\\\\[", "0:cat(cat('*','\\'),'[')"},
    {"\\q\\1\\b\\x", "0:cat(cat(cat('q','1'),'b'),'x')"},
    {"\\", "0:'\\'"},
    {"a\\", "0:cat('a','\\')"},
    {"\\d+", "0:cat([0-9],star([0-9]))"},
    // Unclosed and unmatched parentheses.
    {"(ab", "0:cat(cat('(','a'),'b')"},
    {"((ab", "0:cat(cat(cat('(','('),'a'),'b')"},
    {"(a(b)c", "1:cat(cat(cat('(','a'),cat(<1,cat('b',>1))),'c')"},
    {"(a|b", "0:alt('b',cat('(','a'))"},
    {"(a)(b", "1:cat(cat(cat(<1,cat('a',>1)),'('),'b')"},
    {"((a)(b", "1:cat(cat(cat('(',cat(<1,cat('a',>1))),'('),'b')"},
    {"(*", "0:star('(')"},
    {"a)b", "0:cat(cat('a',')'),'b')"},
    {"(a)b)c", "1:cat(cat(cat(cat(<1,cat('a',>1)),'b'),')'),'c')"},
    {")", "0:')'"},
    {")*", "0:star(')')"},
    // Lookaheads.
    {"(?=x)", "0:cat((?=,cat('x',=)))"},
    {"(?!x)", "0:cat((?!,cat('x',!)))"},
    {"(?=x", "0:cat(cat(alt(e,'('),'='),'x')"},
    {"(?!x", "0:cat(cat(alt(e,'('),'!'),'x')"},
    {"(?=(a))b", "1:cat(cat((?=,cat(cat(<1,cat('a',>1)),=))),'b')"},
    {"(?:a)", "1:cat(<1,cat(cat(cat('?',':'),'a'),>1))"},
    {"(?=a)*", "0:star(cat((?=,cat('a',=))))"},
    // Ordinary characters.
    {"}]-", "0:cat(cat('}',']'),'-')"},
    // Double-byte characters are single units, whatever their second byte.
    {"\x95\x5c", "0:'\\x955C'"},
    {"[\x95\x5c]", "0:[\\x95\\]"},
    {"\\\x82\xa0", "0:'\\x82A0'"},
    {"\x82\xa0+", "0:cat('\\x82A0',star('\\x82A0'))"},
    {"[\x82\x9f-\x82\xf1]", "0:[\\x82\\x9F-\\x82\\xF1]"},
    {"\x81\x5b\x83\x7c", "0:cat('\\x815B','\\x837C')"},
    {"[\x81\x5b]", "0:[\\x81[]"},
    // A lead byte at the end is a one-byte character.
    {"a\x82", "0:cat('a','\\x82')"},
    {"\\\x82", "0:'\\x82'"},
    {"[a\x82", "0:cat(cat('[','a'),'\\x82')"},
    // So is a lead byte before a byte that cannot be a second byte (the rule of ByteKindAt):
    // the byte after it keeps its own meaning.
    {"\x81*", "0:star('\\x81')"},
    {"\x81.", "0:cat('\\x81',.)"},
    {"\x81\x7f", "0:cat('\\x81','\\x7F')"},
    {"\\\x81.", "0:cat('\\x81',.)"},
    {"[\x81.]", "0:[\\x81.]"},
    {"[\x81]]", "0:[\\x81]]"},  // "]" is a valid second byte: the set goes on past it
    {"(\x81)", "1:cat(<1,cat('\\x81',>1))"},
};

TEST(RegexParse, GoldenTreeDumps) {
  for (const DumpCase& c : kDumpCases) {
    EXPECT_EQ(c.dump, DumpPattern(c.pattern)) << "pattern: " << c.pattern;
  }
}

TEST(RegexToken, TableOrderAndRefinement) {
  RegexToken token;
  const char* p = "(?=x";
  EXPECT_EQ(p + 3, RegexNextToken(p, &token));
  EXPECT_EQ(RXT_LOOKAHEAD, token.kind);
  RegexNextToken("*?", &token);
  EXPECT_EQ(RXT_LAZY_STAR, token.kind);
  EXPECT_EQ(2, token.length);
  RegexNextToken("{2,5}?x", &token);
  EXPECT_EQ(RXT_LAZY_COUNT, token.kind);
  EXPECT_EQ(6, token.length);
  EXPECT_EQ(2, token.min);
  EXPECT_EQ(5, token.max);
  RegexNextToken("{12}", &token);
  EXPECT_EQ(RXT_COUNT, token.kind);
  EXPECT_EQ(12, token.max);
  RegexNextToken("{1", &token);
  EXPECT_EQ(RXT_CHAR, token.kind);
  EXPECT_EQ(1, token.length);
  RegexNextToken("\\", &token);
  EXPECT_EQ(RXT_ESCAPE, token.kind);
  EXPECT_EQ(1, token.length);
  RegexNextToken("\\w", &token);
  EXPECT_EQ(RXT_SET, token.kind);
  EXPECT_EQ(std::string("_0-9a-zA-Z"), std::string(token.text, token.textLength));
  RegexNextToken("[^]", &token);
  EXPECT_EQ(RXT_SET, token.kind);
  EXPECT_EQ(std::string("^"), std::string(token.text, token.textLength));
  RegexNextToken("", &token);
  EXPECT_EQ(RXT_EOP, token.kind);
  EXPECT_EQ(0, token.length);
}

TEST(RegexToken, CountsSaturateInsteadOfOverflowing) {
  RegexToken token;
  RegexNextToken("{99999999999999999999,3}", &token);
  EXPECT_EQ(RXT_COUNT, token.kind);
  EXPECT_EQ(RX_COUNT_CAP, token.min);
  EXPECT_EQ(3, token.max);
}

TEST(RegexParse, LongSetIsKeptWhole) {
  std::string pattern = "[" + std::string(600, 'b') + "a]";
  RegexTree tree;
  ASSERT_TRUE(RegexParse(pattern.c_str(), &tree));
  ASSERT_EQ(RXN_SET, tree.nodes[tree.root].kind);
  EXPECT_EQ(601u, std::strlen(tree.texts + tree.nodes[tree.root].text));
  RegexFreeTree(&tree);
}

TEST(RegexParse, TreeSizeLimitFailsLikeOutOfMemory) {
  RegexTree tree;
  EXPECT_FALSE(RegexParse("a{99999999}", &tree));
  EXPECT_EQ(nullptr, tree.nodes);
  EXPECT_FALSE(RegexParse("(a{100}){1000}", &tree));
  EXPECT_FALSE(RegexParse("((a{50}){50}){50}", &tree));
  ASSERT_TRUE(RegexParse("(a{100}){100}", &tree));
  EXPECT_LE(tree.nodeCount, RX_MAX_NODES);
  RegexFreeTree(&tree);
}

}  // namespace
