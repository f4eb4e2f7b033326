// The command parameters: held only up to the last one set, read and compared as all
// thirty.
#include <gtest/gtest.h>

#include "library/jobfile.h"

using namespace mvnz::jobfile;

namespace {

// n texts "x" behind an empty index 0.
QList<QString> Xs(int n) {
  QList<QString> t(n + 1, QStringLiteral("x"));
  t[0].clear();
  return t;
}

}  // namespace

// A parameter that is not held reads, lists and compares as an empty one.
TEST(CommandParameters, NotHeldIsEmpty) {
  const struct {
    QList<QString> texts;  // as the reader gives them: index 0 first
    int last;              // the last parameter that is not empty, 0 for none
  } cases[] = {
      {{}, 0},
      {{"", "a"}, 1},
      {{"", "a", "", "", ""}, 1},  // trailing empty ones
      {{"", "", "b"}, 2},
      {Xs(30), 30},
      {Xs(40), 30},  // beyond 30: not taken
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.texts.size());
    const Parameters p(c.texts);
    const QStringList all = p.toList();
    ASSERT_EQ(all.size(), Parameters::kSize);
    Parameters written;  // the same texts written one by one
    for (int k = 1; k < Parameters::kSize; ++k) {
      EXPECT_EQ(p[k], k <= c.last ? c.texts[k] : QString()) << k;
      EXPECT_EQ(all[k], p[k]) << k;
      if (k < c.texts.size()) written[k] = c.texts[k];
    }
    EXPECT_EQ(p[31], QString());
    EXPECT_TRUE(p == written);
    written[30] = "other";
    EXPECT_EQ(p == written, c.last == 30 && c.texts[30] == "other");
  }
}

// A reference to one parameter stays valid while another one is written, also when the
// write is the first that makes the parameters grow; a copy is changed on its own.
TEST(CommandParameters, ReferencesStayValidAndCopiesAreIndependent) {
  Parameters p(QList<QString>{"", "a"});
  p[30] = p[1];  // the right side is taken before the left side is made to exist
  EXPECT_EQ(p[30], "a");

  Parameters q(QList<QString>{"", "a"});
  QString& first = q[1];
  q[20] = "t";
  first = "b";
  EXPECT_EQ(q[1], "b");
  EXPECT_EQ(q[20], "t");

  const Parameters original(QList<QString>{"", "a", "b"});
  Parameters copy = original;
  copy[1] = "changed";
  EXPECT_EQ(original[1], "a");
  EXPECT_EQ(copy[1], "changed");
  EXPECT_EQ(copy[2], "b");
}
