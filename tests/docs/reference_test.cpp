// docs/configuration.md is exactly what the generator prints from the tables now, and
// it says where the minutes/month trap stands.
#include <gtest/gtest.h>

#include <QFile>

#include "reference.h"

TEST(ConfigurationReference, CommittedFileIsCurrent) {
  QFile f(QStringLiteral(MVNZ_SOURCE_DIR "/docs/configuration.md"));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << "docs/configuration.md is missing";
  const QString committed = QString::fromUtf8(f.readAll());
  const QString current = mvnz::docs::ConfigurationReference();
  EXPECT_TRUE(committed == current)
      << "docs/configuration.md differs from the tables; regenerate it with "
         "build/bin/mvnz-refdoc > docs/configuration.md";
}

TEST(ConfigurationReference, SaysMinutesAndMonthWhereTheyStand) {
  const QStringList lines = mvnz::docs::ConfigurationReference().split(QLatin1Char('\n'));
  const auto rowOf = [&](const QString& token) {
    for (const QString& l : lines)
      if (l.startsWith(QStringLiteral("| `") + token + QStringLiteral("` |"))) return l;
    return QString();
  };
  EXPECT_TRUE(rowOf("<mm>").contains("MINUTES, not the month")) << rowOf("<mm>").toStdString();
  EXPECT_TRUE(rowOf("<date_mm>").contains("MONTH")) << rowOf("<date_mm>").toStdString();
}
