// The regular-expression editor's joining and checking of a filter list, the tester's
// outcomes, and both on filters the daemon's own tests use: a list the editor stores
// and the tester's answers per expression give the daemon's decision for each name.
#include <gtest/gtest.h>

#include "engine/dirscan.h"
#include "engine/engine.h"
#include "manager/filters.h"
#include "manager/services.h"

using namespace mvnz;
using namespace mvnz::manager;

TEST(RegExpEditorText, LinesBecomeOneListWithSingleSeparators) {
  const struct {
    const char* lines;  // the editor's text
    const char* stored;
  } cases[] = {
      {"\\.txt$\n\n\\.csv$\n", "\\.txt$;\\.csv$"},  // empty line and trailing break vanish
      {"\n\n\n", ""},
      {"", ""},
      {"a\n;;\nb", "a;b"},                // a line of only ";;" disappears
      {"a;b\nc", "a;b;c"},                // two expressions on one line stay two
      {"\na", ";a"},                      // a leading empty line stays as a leading ";"
      {"a\r\nb\r\n", "a;b"},              // pasted CR LF breaks
      {"a\r", "a"},                       // a last CR goes
      {" a b \n c", " a b ; c"},          // blanks inside lines stay as typed
      {"a;;;;b;;;", "a;b"},
  };
  for (const auto& c : cases) EXPECT_EQ(JoinFilterLines(c.lines), c.stored) << c.lines;

  const struct {
    const char* stored;
    const char* lines;
  } shown[] = {{"", ""}, {".txt", ".txt"}, {"a;b;c", "a\nb\nc"}, {";a", "\na"}};
  for (const auto& s : shown) {
    EXPECT_EQ(FilterLines(s.stored), s.lines) << s.stored;
    EXPECT_EQ(JoinFilterLines(FilterLines(s.stored)), s.stored) << s.stored;
  }
}

TEST(RegExpEditorText, FirstInvalidExpressionIsNamed) {
  const struct {
    const char* stored;
    const char* invalid;  // nullptr: every expression passes
  } cases[] = {
      {"", nullptr},
      {"\\.txt$;^b", nullptr},
      {"\\.txt$;(unclosed;[z-a]", "(unclosed"},
      {"x|[z-a];.", "x|[z-a]"},  // a fault the engine meets only while matching
      {";a", nullptr},           // the empty leading piece is no expression to refuse
      // Too complex to finish even on the engine's short test subject: a daemon would
      // leave every file alone with it.
      {"a;^((\\w*)*)*x", "^((\\w*)*)*x"},
  };
  for (const auto& c : cases) {
    const std::optional<QString> invalid = FirstInvalidExpression(c.stored);
    if (c.invalid)
      EXPECT_EQ(invalid, QString(c.invalid)) << c.stored;
    else
      EXPECT_EQ(invalid, std::nullopt) << c.stored;
  }
}

TEST(RegExpTester, MatchReplaceAndErrors) {
  const struct {
    const char* subject;
    const char* pattern;
    const char* replacement;
    const char* test;     // "&Test"
    const char* replace;  // "&Replace"
  } cases[] = {
      {"ab12cd", "[0-9]+", "X", "Match", "abXcd"},
      {"ab12cd", "zz", "X", "No Match", "No Match"},
      {"ab12cd", "^", "<", "Match", "<ab12cd"},
      {"a.txt", "\\.txt$", "", "Match", "a"},
      {"ab12cd", "(b)(1)", "$1", "Match", "a$12cd"},  // no group references
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pattern);
    const RegExprTestOutcome t = TestRegExpr(c.subject, c.pattern);
    EXPECT_FALSE(t.failed);
    EXPECT_EQ(t.text, c.test);
    const RegExprTestOutcome r = ReplaceRegExpr(c.subject, c.pattern, c.replacement);
    EXPECT_FALSE(r.failed);
    EXPECT_EQ(r.text, c.replace);
  }
  for (const char* bad : {"(a", "x|[z-a]", "^((\\w*)*)*x"}) {
    SCOPED_TRACE(bad);
    for (const RegExprTestOutcome& o : {TestRegExpr("TestString", bad), ReplaceRegExpr("TestString", bad, "X")}) {
      EXPECT_TRUE(o.failed);
      EXPECT_TRUE(o.text.startsWith("Regular Expression Error: Error in RegExpr.")) << o.text.toStdString();
    }
  }
}

// The daemon takes a name when one expression of its input filter matches it; the
// editor stores the same expressions and the tester answers "Match" for exactly
// those names. (Filters holding "*" are left out: the daemon removes every "*" from a
// filter before matching, the tester takes the pattern as typed.)
TEST(RegExpTester, SameAnswersAsTheDaemonOnItsFilters) {
  const QStringList names{"a.txt", "A.TXT", "atxt", "b.csv", "c.doc", "notes.txt.bak", "ok", "no.txt",
                          QString(29, 'a') + "!"};
  const char* const filters[] = {".txt\n.csv", "^b\\.csv$", ".", ".txt", ".bak\n.doc", "\\.doc$",
                                 "\\.csv$\n\\.doc$", "a", "3=v$", "(a|aa)+$", "\\.txt$"};
  const engine::PatternMatcher daemon = engine::RegExprMatcher();
  for (const char* lines : filters) {
    SCOPED_TRACE(lines);
    const QString stored = JoinFilterLines(lines);
    ASSERT_EQ(FirstInvalidExpression(stored), std::nullopt);
    for (const QString& name : names) {
      engine::PatternFault fault;
      const bool taken = engine::MatchesAny(name, engine::SplitFilter(stored), daemon, {}, &fault);
      bool matched = false, failed = false;
      for (const QString& expression : stored.split(';')) {
        const RegExprTestOutcome o = TestRegExpr(name, expression);
        failed = failed || o.failed;
        matched = matched || o.text == "Match";
      }
      // Where the daemon could not decide, the tester says so with its error box.
      if (!taken) EXPECT_EQ(failed, fault.unfinished) << name.toStdString();
      EXPECT_EQ(matched, taken) << name.toStdString();
    }
  }
}
