#pragma once
// Filters that make a backtracking matcher explode, with file names that make them
// fail late: shared by the engine's test (the call must end with the iteration
// error) and by its benchmark (how long that takes).
#include <QString>
#include <vector>

namespace mvnz::pathological {

struct Case {
  const char* label;
  QString pattern;
  QString unit;  // repeated to fill the name
  QString last;  // the name's last character(s), where the match fails
};

// A name of exactly length characters: unit repeated, then last.
inline QString Name(const Case& c, int length) {
  QString s;
  while (s.size() < length - c.last.size()) s += c.unit;
  s.truncate(length - c.last.size());
  return s + c.last;
}

inline std::vector<Case> Cases() {
  const QString latin = QString::fromUtf8("k\u00df\u00df\u00df\u00df\u00dfue\u00df\u00dfk3alue");
  // 10,000 characters: 4,997 identical alternatives under "+", anchored.
  const QString wideAlternation = "^(" + QString("a|").repeated(4997) + "a)+b";
  // 10,000 characters with a ")" that has no "(": the rewriting matcher serves it.
  const QString wideUnbalanced = "^(" + QString("a|").repeated(4997) + "a)+)";
  return {
      {"nested +", QStringLiteral("^(\\w+)+$"), latin, QStringLiteral("=v")},
      {"nested *", QStringLiteral("^(\\w+)*$"), latin, QStringLiteral("=")},
      {"nested + before literal", QStringLiteral("(a+)+b"), QStringLiteral("a"),
       QStringLiteral("!")},
      {"nested with optional", QStringLiteral("^(\\w+\\s?)*$"), latin, QStringLiteral("!")},
      {"star of star, lazy", QStringLiteral("^(\\d*?\\d*?)+x"), QStringLiteral("3"),
       QStringLiteral("!")},
      {"overlapping a|aa", QStringLiteral("(a|aa)+$"), QStringLiteral("a"), QStringLiteral("!")},
      {"overlapping \\w|\\d", QStringLiteral("^(\\w|\\d)+=$"), QStringLiteral("3"),
       QStringLiteral("!")},
      {"overlapping a|a?", QStringLiteral("(a|a?)+b"), QStringLiteral("a"), QStringLiteral("!")},
      {"overlapping in count", QStringLiteral("^(?:\\w|[a-z\u00df]){1,300}#"), latin,
       QStringLiteral("!")},
      {"10,000 characters", wideAlternation, QStringLiteral("a"), QStringLiteral("!")},
      {"10,000 characters, unbalanced", wideUnbalanced, QStringLiteral("a"), QStringLiteral("!")},
      {"unbalanced ) after *", QStringLiteral("^(\\w+)*)$"), latin, QStringLiteral("=v")},
      {"unbalanced ) after +", QStringLiteral("^(\\w+)+)$"), latin, QStringLiteral("=v")},
      {"unbalanced ) in alternation", QStringLiteral("(a|aa)+)$"), QStringLiteral("a"),
       QStringLiteral("!")},
      {"literal {", QStringLiteral("^(\\w+)+{$"), latin, QStringLiteral("=v")},
  };
}

}  // namespace mvnz::pathological
