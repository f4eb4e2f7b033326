// The compiled matcher against the text matcher: the same match, sub-expressions
// and errors (including the nesting limit) on generated patterns and subjects.
#include <gtest/gtest.h>

#include <QStringList>
#include <random>

#include "../../library/regex/rx_internal.h"

namespace mvnz::rx {
namespace {

std::string Show(const QString& s) {
  std::string out;
  for (QChar c : s) {
    if (c.unicode() < 32) {
      out += "\\x" + std::to_string(c.unicode());
    } else {
      out += QString(c).toStdString();
    }
  }
  return out;
}

void ExpectSame(const QString& pattern, const QString& subject, int options) {
  const SearchResult text = Search(subject, pattern, options, false);
  const SearchResult fast = Search(subject, pattern, options, true);
  const auto where = [&] {
    return "pattern [" + Show(pattern) + "] subject [" + Show(subject) + "] options " +
           std::to_string(options);
  };
  ASSERT_EQ(fast.error, text.error)
      << where() << " " << text.message.toStdString() << " / " << fast.message.toStdString();
  EXPECT_EQ(fast.message, text.message) << where();
  EXPECT_EQ(fast.found, text.found) << where();
  EXPECT_EQ(fast.start, text.start) << where();
  EXPECT_EQ(fast.length, text.length) << where();
  EXPECT_EQ(fast.groups, text.groups) << where();
}

class Generator {
 public:
  explicit Generator(unsigned seed) : rng_(seed) {}

  QString pattern() {
    groups_ = 0;
    return alternation(0);
  }

  QString subject() {
    static const QString chars = QStringLiteral("aabbc\r\n1 _-]");
    QString s;
    const int n = pick(9);
    for (int i = 0; i < n; ++i) s += chars[pick(int(chars.size()))];
    return s;
  }

  int options() {
    static const int choices[] = {0, 0, 0, reIgnoreCaseBit, reSingleLineBit, reMultilineBit};
    return choices[pick(6)];
  }

 private:
  static constexpr int reIgnoreCaseBit = 1, reSingleLineBit = 2, reMultilineBit = 4;

  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

  QString alternation(int depth) {
    QString s = sequence(depth);
    while (pick(5) == 0) s += '|' + sequence(depth);
    return s;
  }

  QString sequence(int depth) {
    QString s;
    const int n = pick(4);
    for (int i = 0; i < n; ++i) s += atom(depth) + quantifier();
    return s;
  }

  QString atom(int depth) {
    static const char* const simple[] = {
        "a", "b", "c", "A", ".", "^", "$", "\\b", "\\B", "\\d", "\\w", "\\s", "\\n", "\\1", "\\2",
        "\\A", "\\Z", "\\.", "[ab]", "[^a]", "[a-c]", "[]a]", "[c-a]", "[\\n]", "[\\d_]", "[^\\s]",
        "\\x41", "\\t", "-", "]", "1",
        // Rare atoms: a literal "{" or quantifier character, a stray ")" (a plain
        // character to both matchers), two quantifiers in a row, a count without a
        // number. All but the ")" are served by the text matcher alone.
        "{", "*", ")", "a**", "a{b}", "a{2}{1}"};
    switch (depth < 3 ? pick(10) : 9) {
      case 0:
        return "(" + alternation(depth + 1) + ")";
      case 1:
        return "(?:" + alternation(depth + 1) + ")";
      case 2:
        return "(?=" + alternation(depth + 1) + ")";
      case 3:
        return "(?!" + alternation(depth + 1) + ")";
      case 4:
        return "(" + alternation(depth + 1) + ")";
      default: {
        const int n = int(std::size(simple));
        // So most patterns reach the compiled matcher.
        const int k = pick(12) == 0 ? pick(n) : pick(n - 7);
        return QString::fromLatin1(simple[k]);
      }
    }
  }

  QString quantifier() {
    static const char* const quants[] = {"*",      "+",   "?",     "*?",   "+?",
                                         "??",     "{2}", "{0,2}", "{1,}", "{,2}",
                                         "{1,3}?", "{0}", "{2,1}", "{1,}?"};
    if (pick(3) != 0) return QString();
    return QString::fromLatin1(quants[pick(int(std::size(quants)))]);
  }

  std::mt19937 rng_;
  int groups_ = 0;
};

TEST(RegExprEngines, AgreeOnGeneratedPatterns) {
  Generator gen(20261210);
  int compiled = 0;
  const int patterns = 2000;
  for (int i = 0; i < patterns; ++i) {
    const QString pattern = gen.pattern();
    for (int k = 0; k < 3; ++k) {
      const QString subject = gen.subject();
      const int options = gen.options();
      ExpectSame(pattern, subject, options);
      if (HasFatalFailure()) return;
    }
    compiled += Search(QString(), pattern, 0, true).compiled;
  }
  // Most generated patterns must exercise the compiled matcher.
  EXPECT_GT(compiled, patterns * 6 / 10);
}

TEST(RegExprEngines, AgreeOnGuardedGroupsAndRunsBeyondLatin1) {
  // Group guards and runs of fixed atoms are decided by tables of the characters
  // below 256; characters above (some lower-case to letters below 256) and ignore case
  // must give what the atoms taken one by one give.
  const QStringList patterns = {
      QStringLiteral("x(i|j)"),
      QStringLiteral("\\.(tmp|part|\u0436)$"),
      QStringLiteral("(ab|[0-9]c|\\w)x"),
      QStringLiteral("(?:[^a]|k)y"),
      QStringLiteral("^scan_[0-9]{3}_[^\\d]{2}\\.(pdf|tif)$"),
      QStringLiteral("a[bk]{2}(?:\u00e9|\u0101)"),
      QStringLiteral("(\\d|\\W)\\d{2}"),
  };
  const QStringList subjects = {
      QStringLiteral("x\u0130"),
      QStringLiteral("xI"),
      QStringLiteral("xk"),
      QStringLiteral("x\u212a"),
      QStringLiteral("a.tmp"),
      QStringLiteral("a.TMP"),
      QStringLiteral("a.\u0416"),
      QStringLiteral("..part"),
      QStringLiteral("\u0100x"),
      QStringLiteral("\u00ffx"),
      QStringLiteral("3cx"),
      QStringLiteral("ABx"),
      QStringLiteral("\u212ay"),
      QStringLiteral("ay"),
      QStringLiteral("scan_123_xy.pdf"),
      QStringLiteral("SCAN_123_\u0100\u0130.TIF"),
      QStringLiteral("scan_12_xy.pdf"),
      QStringLiteral("aKb\u00c9"),
      QStringLiteral("ak\u212a\u0100"),
      QStringLiteral("\u0100"
                     "12"),
      QStringLiteral("-1"),
      QStringLiteral(""),
  };
  for (const QString& p : patterns) {
    for (const QString& s : subjects) {
      for (int options : {0, 1}) ExpectSame(p, s, options);
    }
  }
}

TEST(RegExprEngines, AgreeAtTheNestingLimit) {
  // Each pattern ends on its first attempt (a match, a failure of the anchored
  // attempt, or the limit), so the text matcher stays quick on long subjects.
  const std::vector<int> lengths = {999, 1000, 1249, 1250, 1666, 1667, 2498, 2499, 2500};
  const std::vector<std::pair<QString, std::vector<int>>> cases = {
      {".*", lengths},
      {"^.*", lengths},
      {"(a)*", lengths},
      {"^(?:a|b)*c", lengths},
      {"^a*?$", lengths},
      {"^(a|b)+?$", lengths},
      {"^a{1,}?b", lengths},
      {"(?=a)a*", lengths},
      {"(a*)*", lengths},
      {"^a{2500}", {2498, 2499, 2500}},
      // A run of fixed atoms begun near the limit, after a star gave back.
      {"^a*a{3}", lengths},
      {"^a*ab{2}", lengths},
      {"x?(?:b|a)a{2}", lengths},
      // Three calls per optional copy: the limit falls near 1666 characters.
      {"a{0,3000}", {1665, 1666, 1667}},
      {"^(?:a?){1700}", {1249, 1250}},
  };
  for (const auto& [p, ns] : cases) {
    for (int n : ns) {
      ExpectSame(p, QString(n, 'a'), 0);
      ExpectSame(p, QString(n, 'a') + 'b', 0);
    }
  }
}

}  // namespace
}  // namespace mvnz::rx
