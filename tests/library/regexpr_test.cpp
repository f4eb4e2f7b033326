// The regular-expression engine: matches, captures, errors, the nesting limit and
// the replacements, as golden cases.
#include "library/regexpr.h"

#include <gtest/gtest.h>

#include "platform/prompts.h"
#include "regexpr_pathological.h"

namespace mvnz {
namespace {

const QString kCrLf = QStringLiteral("\r\n");

// "start,length" of the match and of each sub-expression, "-" for no match, or
// "E<number> <description>" for an error.
QString Outcome(const QString& pattern, const QString& subject, int options = 0) {
  RegExprError e;
  const bool found = RegExpr(subject, pattern, options, &e);
  if (e) return QStringLiteral("E%1 ").arg(e.number) + e.description;
  if (!found) return QStringLiteral("-");
  int start = 0, length = 0, groups = 0;
  EXPECT_TRUE(RegExprIndex(-3, start, length));
  QString out = QStringLiteral("%1,%2").arg(start).arg(length);
  EXPECT_TRUE(RegExprIndex(0, groups, groups));
  for (int n = 1; n <= groups; ++n) {
    EXPECT_TRUE(RegExprIndex(n, start, length));
    out += QStringLiteral(" %1,%2").arg(start).arg(length);
  }
  return out;
}

struct Case {
  const char16_t* pattern;
  const char16_t* subject;
  int options;
  const char16_t* expected;
};

void RunTable(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    const QString pattern = QString::fromUtf16(c.pattern);
    const QString subject = QString::fromUtf16(c.subject);
    EXPECT_EQ(Outcome(pattern, subject, c.options), QString::fromUtf16(c.expected))
        << "pattern [" << pattern.toStdString() << "] subject [" << subject.toStdString()
        << "] options " << c.options;
  }
}

TEST(RegExpr, CoreSyntax) {
  RunTable({
      {u"", u"abc", 0, u"1,0"},
      {u"a|", u"xyz", 0, u"1,0"},
      {u"x|y|z", u"abz", 0, u"3,1"},
      {u"bc", u"abcbc", 0, u"2,2"},
      {u"a.c", u"xabcx", 0, u"2,3"},
      {u"^", u"abc", 0, u"1,0"},
      {u"^b", u"ab", 0, u"-"},
      {u"b$", u"abb", 0, u"3,1"},
      {u"\\Aa", u"ba", 0, u"-"},
      {u"x*", u"", 0, u"1,0"},
      {u"a*?", u"aaa", 0, u"1,0"},
      {u"a+", u"baaa", 0, u"2,3"},
      {u"a+?", u"aaa", 0, u"1,1"},
      {u"a??b", u"ab", 0, u"1,2"},
      {u"colou?r", u"color", 0, u"1,5"},
      {u"a{0}", u"aaa", 0, u"-"},
      {u"a{0,0}", u"aaa", 0, u"-"},
      {u"a{2,4}", u"aaaaa", 0, u"1,4"},
      {u"a{2,4}?", u"aaaaa", 0, u"1,2"},
      {u"a{2,}", u"aaaaa", 0, u"1,5"},
      {u"a{2,}?", u"aaaaa", 0, u"1,2"},
      {u"a{3}", u"aa", 0, u"-"},
      {u"(?:ab)+", u"ababx", 0, u"1,4"},
      {u"(?:)", u"a", 0, u"1,0"},
      {u"(?#note)a", u"ba", 0, u"2,1"},
      {u"(?=ab)a", u"ab", 0, u"1,1"},
      {u"(?!ab)a", u"abaa", 0, u"3,1"},
      {u"\\.(tmp|part|filepart|crdownload)$", u"x.part", 0, u"2,5 3,4"},
      {u"^INV-[0-9]{4}-[0-9]{6}\\.xml$", u"INV-2024-000123.xml", 0, u"1,19"},
      {u"^INV-[0-9]{4}-[0-9]{6}\\.xml$", u"INV-2024-00123.xml", 0, u"-"},
      {u"^.*\\.pdf$", u"Scan.PDF", reIgnoreCase, u"1,8"},
      {u"^.*\\.pdf$", u"Scan.PDF", 0, u"-"},
      {u"[\\w.]+", u"a.b c", 0, u"1,3"},
      {u"[^\\d]", u"12a", 0, u"3,1"},
      {u"\\Qa.b\\E+", u"a.bb", 0, u"1,4"},
      {u"\\Qa.b\\E", u"axb", 0, u"-"},
      {u"ABC", u"xabc", reIgnoreCase, u"2,3"},
      {u"[A-C]+", u"abc", reIgnoreCase, u"1,3"},
      // Written quirks that stored filters may rely on.
      {u"*a", u"x*a", 0, u"2,2"},  // a leading "*" is a character
      {u"a)", u"a)", 0, u"1,2"},   // so is a ")" without "("
      {u"a{", u"a{", 0, u"1,2"},   // and a "{" without a later "}"
      {u"a\\", u"a", 0, u"1,1"},   // a lone trailing backslash matches at the end
      {u"a\\", u"ab", 0, u"-"},
  });
}

TEST(RegExpr, SetsAndEscapes) {
  RunTable({
      {u"[]a]", u"]", 0, u"1,1"},
      {u"[]a]", u"xa", 0, u"2,1"},
      {u"[^]a]", u"]ab", 0, u"3,1"},
      {u"[a-]", u"-", 0, u"1,1"},
      {u"[-a]", u"-", 0, u"1,1"},
      {u"[\\n]", u"x\r\ny", 0, u"2,2"},
      {u"[^a]", u"a", 0, u"-"},
      {u"[^a]", u"", 0, u"-"},
      {u"[a-cz-a]", u"b", 0, u"1,1"},  // the bad range is never reached
      {u"\\t", u"a\tb", 0, u"2,1"},
      {u"[\\t]", u"a\tb", 0, u"2,1"},
      {u"\\x41", u"A", 0, u"1,1"},
      {u"\\x4", u"a\x04", 0, u"2,1"},
      {u"\\xg", u"xg", 0, u"1,2"},
      {u"\\x2E", u"a.", 0, u"2,1"},
      {u"\\x2E", u"ab", 0, u"-"},
      {u"\\0101", u"A", 0, u"1,1"},
      {u"\\cA", u"\x01", 0, u"1,1"},
      {u"\\c[", u"\x1b", 0, u"1,1"},
      {u"\\e\\a", u"\x1b\x07", 0, u"1,2"},
      {u"\\r", u"\r", 0, u"1,1"},
      {u"[\\b]", u"\b", 0, u"1,1"},
      {u"a\tb", u"a\tb", 0, u"1,3"},        // a control character typed in the pattern
      {u"(\x01)", u"\x01", 0, u"1,1 1,1"},  // is a character, never a group marker
      {u"\\bb", u"ab b", 0, u"4,1"},
      {u"\\Bb", u"ab", 0, u"2,1"},
      {u"\\b", u"", 0, u"-"},
  });
  // "\0" followed by a letter: the character of code 0, then the letter.
  EXPECT_EQ(Outcome(u"\\0a"_qs, QString(QChar(0)) + 'a'), u"1,2"_qs);
}

// Where the engine differs from Perl-style engines, as users' filters mean it.
TEST(RegExpr, DifferencesFromPerlStyleEngines) {
  RunTable({
      {u"\\n", u"a\r\nb", 0, u"2,2"},  // \n is the pair CR LF
      {u"\\n", u"a\nb", 0, u"-"},
      {u"\\f", u"a\nb", 0, u"2,1"},  // \f is a line feed
      {u"\\f", u"a\fb", 0, u"-"},
      {u"\\s", u"\r\n", 0, u"1,2"},  // \s takes a CR LF pair whole
      {u"\\s", u"a\fb", 0, u"-"},    // and knows no form feed or vertical tab
      {u"\\s", u"a\vb", 0, u"-"},
      {u"\\S+", u"ab cd", 0, u"1,2"},
      {u"\\w", u"\u00e9", 0, u"1,1"},  // codes 161 to 255 are word characters
      {u"\\w", u"\u00a1", 0, u"1,1"},
      {u"\\w", u"\u00a0", 0, u"-"},
      {u"\\w", u"\u0100", 0, u"-"},
      {u"\\b\u00e9", u"x\u00e9", 0, u"-"},
      {u"\\b\u00e9", u" \u00e9", 0, u"2,1"},
      {u"a{x}", u"a", 0, u"-"},        // a count without a number is 0: never matches
      {u"a{,3}", u"aaaa", 0, u"1,3"},  // "{,m}" is "{0,m}"
      {u"a{,3}", u"b", 0, u"1,0"},
      {u"a{ 2}", u"aa", 0, u"1,2"},
      {u"a{2.5}", u"aaa", 0, u"1,2"},  // fractions round half to even
      {u"a{3.5}", u"aaaa", 0, u"1,4"},
      {u"\\z\\G\\h\\v\\p\\N", u"zGhvpN", 0, u"1,6"},  // escapes that are literals here
      {u".", u"\r\n", 0, u"-"},                       // "." takes neither character of a CR LF pair
      {u".", u"\r", 0, u"1,1"},
      {u".", u"\n", 0, u"1,1"},
      {u".", u"\r\n", reSingleLine, u"1,1"},
      {u"$", u"ab\r\n", 0, u"3,0"},
      {u"\\Z", u"ab\r\n", 0, u"3,0"},
      {u"a$", u"a\r\nb", 0, u"-"},
      {u"a$", u"a\r\nb", reMultiline, u"1,1"},
      {u"^b", u"a\r\nb", reMultiline, u"4,1"},
      {u"^b", u"a\r\nb", 0, u"-"},
      {u"^b", u"a\nb", reMultiline, u"-"},
  });
}

// Where the engine's own rules differ from what Perl-style engines do, and stored
// filters were written for the engine's rules.
TEST(RegExpr, OwnRulesOverPerlHabits) {
  RunTable({
      // A "]" right after "[" is a member of the set but still ends the set state of
      // the escape expansion: "[]\w]" is one set of "]", "[" and the word
      // characters, then a literal "]".
      {u"[]\\w]", u"a", 0, u"-"},
      {u"[]\\w]", u"a]", 0, u"1,2"},
      {u"[]\\w]", u"]a]", 0, u"2,2"},
      {u"[]\\w]", u"[a]", 0, u"2,2"},
      {u"[^]\\d]", u"x", 0, u"-"},
      {u"[^]\\d]", u"x]", 0, u"1,2"},
      {u"[^]\\d]", u"[]", 0, u"-"},
      {u"[]\\d]", u"x7", 0, u"-"},
      {u"[]\\d]", u"]7]", 0, u"2,2"},
      {u"[]\\d]", u"[]", 0, u"1,2"},
      {u"[]a]", u"a", 0, u"1,1"},  // no escape inside: nothing changes
      // A count bound is the number at the front of its text once leading spaces are
      // skipped; a space ends it.
      {u"a{1 0}", u"a", 0, u"1,1"},
      {u"a{1 0}", u"aaaaaaaaaa", 0, u"1,1"},
      {u"a{  2}", u"aaa", 0, u"1,2"},
      {u"a{1 0,2}", u"aaa", 0, u"1,2"},
      {u"a{1, 3}", u"aaaa", 0, u"1,3"},
      {u"a{1,3 0}", u"aaaa", 0, u"1,3"},
      {u"a{2 .5}", u"aaa", 0, u"1,2"},
      {u"a{ }", u"a", 0, u"-"},  // no number: 0
  });
}

TEST(RegExpr, Captures) {
  RunTable({
      {u"(a)*", u"aaa", 0, u"1,3 3,1"},
      {u"(a)|b", u"b", 0, u"1,1 0,0"},
      {u"(a)|b\\1", u"b", 0, u"-"},  // a back-reference to a group that took no part
      {u"()", u"a", 0, u"1,0 1,0"},
      {u"(a)\\1", u"xaa", 0, u"2,2 2,1"},
      {u"(A)\\1", u"aA", reIgnoreCase, u"1,2 1,1"},
      {u"(a|ab)(c|bcd)(d*)", u"abcd", 0, u"1,4 1,1 2,3 5,0"},
      {u"(\\w+)\\s(\\w+)", u"hello world", 0, u"1,11 1,5 7,5"},
      {u"(a)(?=(b))", u"ab", 0, u"1,1 1,1 2,1"},
      {u"(?!(a)b)(a)", u"aba", 0, u"3,1 0,0 3,1"},
      {u"((a)|(b))+", u"ab", 0, u"1,2 2,1 1,1 2,1"},
      {u"(a){2}", u"aaa", 0, u"1,2 2,1"},
      {u"(a){0,2}", u"aaa", 0, u"1,2 2,1"},
      {u"(a|b)*c", u"abac", 0, u"1,4 3,1"},
      // A repeated group that can match empty repeats without end: the limit ends it.
      {u"(a*)*b", u"aab", 0,
       u"E20052 Error in RegExpr.DoRegExpr: Maximum number of iterations exceeded. Possibly an "
       u"infinite loop."},
  });
}

TEST(RegExpr, Errors) {
  // Errors come back to the caller; the engine never shows a box itself (one per file
  // per cycle would block a headless daemon).
  auto prompts = std::make_shared<prompts::Recorder>();
  prompts::install(prompts);
  QString groups32;
  for (int i = 0; i < 32; ++i) groups32 += "(a)";
  const std::vector<std::pair<QString, QString>> syntax = {
      {"[a",
       "E20052 Error in RegExpr.ProcessParentheses: Invalid regular expression: A closing ] "
       "expected."},
      {"[]",
       "E20052 Error in RegExpr.ProcessParentheses: Invalid regular expression: A closing ] "
       "expected."},
      {"(a",
       "E20052 Error in RegExpr.ProcessParentheses: Invalid regular expression: A closing ) "
       "expected: (a"},
      {"b(a(c)",
       "E20052 Error in RegExpr.ProcessParentheses: Invalid regular expression: A closing ) "
       "expected: b(a(c)"},
      {"(x)(a",
       "E20052 Error in RegExpr.ProcessParentheses: Invalid regular expression: A closing ) "
       "expected: (x)(a"},
      {"(?i)a",
       "E20052 Error in RegExpr.ProcessParentheses: Invalid extended regular expression syntax: "
       "(?i)"},
      {"(?<n>a)",
       "E20052 Error in RegExpr.ProcessParentheses: Invalid extended regular expression syntax: "
       "(?<n>a)"},
      {groups32,
       "E20052 Error in RegExpr.CreateMatch: Too many subexpressions in regular expression (max "
       "31)."},
      {"a**", "E20052 Error in RegExpr.GetNextRegExpr: Nested +?*{} in regular expression."},
      {"a?*", "E20052 Error in RegExpr.GetNextRegExpr: Nested +?*{} in regular expression."},
      {"a{2}{3}", "E20052 Error in RegExpr.GetNextRegExpr: Nested +?*{} in regular expression."},
      {"a*??", "E20052 Error in RegExpr.GetNextRegExpr: Nested +?*{} in regular expression."},
      {"(a)\\2",
       "E20052 Error in RegExpr.MatchAtom: Not so many sub-expressions in this regular expression: "
       "\\2"},
      {"\\c",
       "E20052 Error in RegExpr.ExpandEspaces: Control character missing in regular expression: "
       "\\c"},
      {"a\\c1",
       "E20052 Error in RegExpr.ExpandEspaces: Invalid control character in regular expression: "
       "a\\c1"},
      {"\\0777",
       "E20052 Error in RegExpr.ExpandEspaces: Invalid octal value in regular expression \\0777"},
      {"a{-1}",
       "E20050 Error in RegExpr.DoRegExpr: Count is less than zero in regular expression {-1}"},
      {"a{3,2}",
       "E20050 Error in RegExpr.DoRegExpr: Upper limit is less than lower limit in regular "
       "expression {3,2}"},
      {"a{-2,}",
       "E20050 Error in RegExpr.DoRegExpr: Upper or lower limit is less than zero in regular "
       "expression {-2,}"},
      {"a{-2,3}",
       "E20050 Error in RegExpr.DoRegExpr: Upper or lower limit is less than zero in regular "
       "expression {-2,3}"},
      {"[z-a]",
       "E20050 Error in RegExpr.MatchSquareBrackets: Invalid range in regular expression [z-a]"},
      {"[^z-a]",
       "E20050 Error in RegExpr.MatchSquareBrackets: Invalid range in regular expression [z-a]"},
      {"[\\n-z]",
       "E20050 Error in RegExpr.MatchSquareBrackets: Range start or end longer than 1 character: "
       "[\\n-z]"},
      {"[Z-a]", "1,1"},
  };
  for (const auto& [pattern, expected] : syntax)
    EXPECT_EQ(Outcome(pattern, "a"), expected) << pattern.toStdString();
  // Lowered items can make a range invalid.
  EXPECT_EQ(
      Outcome("[Z-a]", "b", reIgnoreCase),
      "E20050 Error in RegExpr.MatchSquareBrackets: Invalid range in regular expression [Z-a]");
  // Errors of the matcher come only when it reaches them.
  EXPECT_EQ(Outcome("b|a{3,2}", "b"), "1,1");
  EXPECT_EQ(Outcome("b|a{3,2}", "c").left(6), "E20050");
  EXPECT_EQ(Outcome("[a-cz-a]", "y").left(6), "E20050");
  EXPECT_EQ(Outcome("a(b)\\2", "ac"), "-");
  EXPECT_EQ(Outcome("", "a", reSingleLine | reMultiline),
            "E20053 Error in RegExpr.RegExpr: Cannot specify both reSingleLine and reMultiline at "
            "the same time.");

  RegExprError e;
  EXPECT_FALSE(RegExpr("a", "(a", 0, &e));
  EXPECT_EQ(e.source, "library_regexpr_test.RegExpr");
  EXPECT_EQ(e.text(), "Error #20052: " + e.description);
  EXPECT_FALSE(RegExprMatchesName("a", "(a", &e));
  EXPECT_EQ(e.number, 20052);
  EXPECT_FALSE(e.unfinished);  // a fault of the pattern, not of its size
  EXPECT_TRUE(RegExprMatchesName("a", "a", &e));
  EXPECT_FALSE(e);
  EXPECT_TRUE(prompts->entries.isEmpty());
  prompts::install(nullptr);
}

TEST(RegExpr, StateAfterErrors) {
  int start = -7, length = -7;
  RegExprError e;
  EXPECT_FALSE(RegExpr("abc", "x", 0));
  EXPECT_FALSE(RegExprIndex(-3, start, length, &e));
  EXPECT_EQ(e.number, 20051);
  EXPECT_EQ(e.description,
            "Error in RegExpr.RegExprIndex: No match on last call to RegExpr, or RegExpr not "
            "called at all");
  EXPECT_EQ(start, -7);
  EXPECT_EQ(RegExprReplace("x", -3, &e), "");
  EXPECT_EQ(e.number, 20051);

  ASSERT_TRUE(RegExpr("abc", "b", 0));
  // The option clash comes before the reset: the last match stays.
  EXPECT_FALSE(RegExpr("xyz", "y", reSingleLine | reMultiline));
  ASSERT_TRUE(RegExprIndex(-3, start, length));
  EXPECT_EQ(start, 2);
  // Any other error leaves the state reset.
  EXPECT_FALSE(RegExpr("abc", "[b", 0));
  EXPECT_FALSE(RegExprIndex(-3, start, length, &e));
  EXPECT_EQ(e.number, 20051);
}

TEST(RegExpr, IndexResultTypes) {
  ASSERT_TRUE(RegExpr("xaby", "(a)(b)", 0));
  const std::vector<std::tuple<int, int, int>> ok = {{-3, 2, 2}, {-2, 1, 1}, {-1, 4, 1},
                                                     {0, 2, 2},  {1, 2, 1},  {2, 3, 1}};
  for (const auto& [type, s, l] : ok) {
    int start = 0, length = 0;
    EXPECT_TRUE(RegExprIndex(type, start, length)) << type;
    EXPECT_EQ(std::make_pair(start, length), std::make_pair(s, l)) << type;
  }
  const std::vector<std::pair<int, QString>> bad = {
      {3, "No match stored for regular sub-expression #3"},
      {31, "No match stored for regular sub-expression #31"},
      {32, "Invalid value, parameter ResultType = 32"},
      {-4, "Invalid value, parameter ResultType = -4"},
  };
  for (const auto& [type, message] : bad) {
    int start = 5, length = 6;
    RegExprError e;
    EXPECT_FALSE(RegExprIndex(type, start, length, &e));
    EXPECT_EQ(e.number, 20053);
    EXPECT_EQ(e.description, "Error in RegExpr.RegExprIndex: " + message);
    EXPECT_EQ(std::make_pair(start, length), std::make_pair(5, 6));
  }
}

TEST(RegExpr, ReplaceChains) {
  ASSERT_TRUE(RegExpr("abc", "b", 0));
  EXPECT_EQ(RegExprReplace("X", -3), "aXc");
  EXPECT_EQ(RegExprReplace("Y", -1), "aXY");

  // A replacement of another length: the positions follow, none goes stale.
  // A replacement of another length: the match keeps its old end, so the text
  // after it starts where it started before.
  ASSERT_TRUE(RegExpr("abc", "b", 0));
  EXPECT_EQ(RegExprReplace("XYZ", -3), "aXYZc");
  EXPECT_EQ(RegExprReplace("!", -1), "aX!");
  EXPECT_EQ(RegExprReplace("_", -2), "_X!");
  EXPECT_EQ(RegExprReplace("", -3), "_!");
  EXPECT_EQ(RegExprReplace("<>", -3), "_<>");

  ASSERT_TRUE(RegExpr("abcd", "(b)(c)", 0));
  EXPECT_EQ(RegExprReplace("BB", 1), "aBBcd");
  EXPECT_EQ(RegExprReplace("C", 2), "aBBCd");
  EXPECT_EQ(RegExprReplace("m", -3), "amd");
  int start = 0, length = 0;
  EXPECT_TRUE(RegExprIndex(1, start, length));  // starts where the match starts: kept
  EXPECT_EQ(std::make_pair(start, length), std::make_pair(2, 1));

  // An empty match moves past the inserted text as a whole.
  ASSERT_TRUE(RegExpr("ab", "(?=b)", 0));
  EXPECT_EQ(RegExprReplace("-", -3), "a-b");
  EXPECT_EQ(RegExprReplace("+", -1), "a-+");

  // A group that took no part: nothing to replace.
  ASSERT_TRUE(RegExpr("b", "(a)|b", 0));
  EXPECT_EQ(RegExprReplace("x", 1), "");
  EXPECT_EQ(RegExprReplace("x", -3), "x");
}

// Stored ranges after a replacement of [Start, End]: a range with a bound strictly
// inside is dropped; a bound after End moves by the change of length; every other
// bound stays, so a range ending exactly at End keeps its old end.
TEST(RegExpr, ReplaceMovesStoredRanges) {
  struct Index {
    int type;
    int start;  // -1: the index call fails with 20051 (the match was dropped)
    int length;
  };
  struct Row {
    const char* pattern;
    const char* subject;
    const char* replacement;
    int type;
    const char* text;
    std::vector<Index> after;
  };
  const std::vector<Row> rows = {
      // The match itself.
      {"b", "abc", "XYZ", -3, "aXYZc", {{-3, 2, 1}, {-1, 3, 3}, {-2, 1, 1}}},
      {"bc", "abcd", "", -3, "ad", {{-3, 2, 2}, {-1, 4, 0}}},  // nothing after the old end
      {"b", "abc", "XY", -2, "XYbc", {{-3, 3, 1}, {-2, 1, 2}}},
      // A group inside the match, and the match around it.
      {"a(b)c", "abc", "XY", 1, "aXYc", {{1, 2, 1}, {-3, 1, 4}}},
      {"(a)(b)", "ab", "XYZ", 1, "XYZb", {{1, 1, 1}, {2, 4, 1}, {-3, 1, 4}}},
      {"(a)(b)", "ab", "XYZ", 2, "aXYZ", {{1, 1, 1}, {2, 2, 1}, {-3, 1, 2}}},
      // Nested groups: the outer one ends where the replaced inner one ends.
      {"(a(b))", "ab", "XYZ", 2, "aXYZ", {{1, 1, 2}, {2, 2, 1}, {-3, 1, 2}}},
      {"a(b(c)d)e", "abcde", "X", 1, "aXe", {{1, 2, 3}, {2, 0, 0}, {-3, 1, 3}}},
      {"(a(bc))d", "abcd", "", 2, "ad", {{1, 1, 3}, {2, 2, 2}, {-3, 1, 2}}},
      // Look-ahead groups reach beyond the match.
      {"a(?=(bc))", "abc", "XY", -3, "XYbc", {{1, 3, 2}, {-3, 1, 1}, {-1, 2, 3}}},
      {"a(?=(bcd))", "abcd", "X", -1, "aX", {{1, 2, 3}, {-3, 1, 1}}},
      {"(?=(abc))a(b)", "abc", "X", 1, "X", {{-3, -1, 0}, {2, -1, 0}}},
      // Empty ranges stay empty and move as a whole.
      {"(?=b)", "ab", "-", -3, "a-b", {{-3, 3, 0}, {-1, 3, 1}}},
      {"(a)()b", "ab", "XYZ", 1, "XYZb", {{2, 4, 0}, {-3, 1, 4}}},
  };
  for (const Row& r : rows) {
    const std::string where = std::string(r.pattern) + " on " + r.subject;
    ASSERT_TRUE(RegExpr(r.subject, r.pattern, 0)) << where;
    EXPECT_EQ(RegExprReplace(r.replacement, r.type), r.text) << where;
    for (const Index& want : r.after) {
      int start = -7, length = -7;
      RegExprError e;
      const bool ok = RegExprIndex(want.type, start, length, &e);
      if (want.start < 0) {
        EXPECT_FALSE(ok) << where << " index " << want.type;
        EXPECT_EQ(e.number, 20051) << where << " index " << want.type;
        continue;
      }
      EXPECT_TRUE(ok) << where << " index " << want.type;
      EXPECT_EQ(std::make_pair(start, length), std::make_pair(want.start, want.length))
          << where << " index " << want.type;
    }
  }
}

TEST(RegExpr, NestingLimitBoundary) {
  // ".*" costs two nested matcher calls per character.
  EXPECT_EQ(Outcome(".*", QString(2499, 'a')), "1,2499");
  EXPECT_EQ(Outcome(".*", QString(2500, 'a')),
            "E20052 Error in RegExpr.DoRegExpr: Maximum number of iterations exceeded. Possibly an "
            "infinite loop.");
  EXPECT_EQ(Outcome("^.*", QString(2498, 'a')), "1,2498");
  EXPECT_EQ(Outcome("^.*", QString(2499, 'a')).left(6), "E20052");
  // A capturing group costs five per repetition.
  EXPECT_EQ(Outcome("(a)*", QString(999, 'a')), "1,999 999,1");
  EXPECT_EQ(Outcome("(a)*", QString(1000, 'a')).left(6), "E20052");
  EXPECT_EQ(Outcome("(?=a)*", "a").left(6), "E20052");  // repeats without consuming
}

TEST(RegExpr, RunawayPatternsEnd) {
  // Catastrophic backtracking ends with the iteration error instead of stalling.
  EXPECT_EQ(Outcome("(.+)+x", QString(30, 'a')),
            "E20052 Error in RegExpr.DoRegExpr: Maximum number of iterations exceeded. Possibly an "
            "infinite loop.");
  EXPECT_EQ(Outcome("(a|aa)+$", QString(40, 'a') + 'b').left(6), "E20052");
  // Huge counts cost no memory growing with the count.
  EXPECT_EQ(Outcome("a{0,2000000000}", "aaa"), "1,3");
  EXPECT_EQ(Outcome("a{0,2000000000}?b", "aab"), "1,3");
  EXPECT_EQ(Outcome("a{2000000000}", "aaa"), "-");
  EXPECT_EQ(Outcome("a{2000000000,}", "aaa"), "-");
  EXPECT_EQ(Outcome("a{2000000000}", QString(6000, 'a')).left(6), "E20052");
  EXPECT_EQ(Outcome("a{0,3000000000}", "a"), "E6 Overflow");
}

// However a filter backtracks, the call ends with the iteration error, never a plain
// no-match (a no-match on the input filter can get a file rejected and deleted).
TEST(RegExpr, PathologicalFiltersEndWithTheIterationError) {
  for (const pathological::Case& c : pathological::Cases()) {
    for (int length : {30, 255}) {
      const QString name = pathological::Name(c, length);
      ASSERT_EQ(name.size(), length);
      RegExprError e;
      EXPECT_FALSE(RegExpr(name, c.pattern, 0, &e)) << c.label << " " << length;
      EXPECT_EQ(e.number, 20052) << c.label << " " << length;
      EXPECT_EQ(e.description,
                "Error in RegExpr.DoRegExpr: Maximum number of iterations exceeded. Possibly an "
                "infinite loop.")
          << c.label << " " << length;
      EXPECT_TRUE(e.unfinished) << c.label << " " << length;
      EXPECT_FALSE(RegExprMatchesName(name, c.pattern, &e));
      EXPECT_EQ(e.number, 20052) << c.label << " " << length;
      EXPECT_TRUE(e.unfinished) << c.label << " " << length;
    }
  }
}

TEST(RegExpr, FilterPatterns) {
  const std::vector<std::tuple<QString, QString, bool>> cases = {
      {"notes.txt.bak", ".txt", true},
      {"atxt", ".txt", true},
      {"txt", ".txt", false},
      {"data_1.csv", "^data.*\\.csv$", true},
      {"xdata.csv", "^data.*\\.csv$", false},
      {"abc", "*", false},
      {"a*b", "*", true},
      {"a.b", "*.*", false},
  };
  for (const auto& [name, pattern, expected] : cases)
    EXPECT_EQ(RegExprMatchesName(name, pattern), expected)
        << name.toStdString() << " " << pattern.toStdString();
}

}  // namespace
}  // namespace mvnz
