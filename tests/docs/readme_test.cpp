// The README's first job works as written: its lines run in a fresh home folder, the file
// arrives where the README says, the log says so; its registry store gives the status
// listener's values.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include "platform/paths.h"
#include "platform/registry.h"
#include "testenv.h"

namespace {

// The lines of the first indented block after the heading, without their indent.
QString BlockAfter(const QString& heading, const QString& startsWith = {}) {
  QFile f(QStringLiteral(MVNZ_SOURCE_DIR "/README.md"));
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
  qsizetype i = lines.indexOf(heading);
  if (i < 0) return {};
  while (++i < lines.size() && !lines[i].startsWith(QStringLiteral("    ") + startsWith)) {
  }
  QStringList block;
  for (; i < lines.size() && (lines[i].isEmpty() || lines[i].startsWith(QStringLiteral("    ")));
       ++i)
    block << lines[i].mid(4);
  while (!block.isEmpty() && block.last().isEmpty()) block.removeLast();
  return block.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

}  // namespace

TEST(Readme, FirstJobRunsAsWritten) {
  const QString script = BlockAfter(QStringLiteral("## Your first job"));
  ASSERT_TRUE(script.contains("$MVND &")) << script.toStdString();
  // "The top of this tree" holds build/bin, this build's programs.
  const QString tree = mvnz::test::makeDir("tree");
  mvnz::test::makeDir("tree/build");
  ASSERT_TRUE(QFile::link(QStringLiteral(MVNZ_BIN_DIR), tree + "/build/bin"));
  const QString home = mvnz::test::makeDir("home");

  QProcess sh;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("HOME", home);
  sh.setProcessEnvironment(env);
  sh.setWorkingDirectory(tree);
  sh.setProcessChannelMode(QProcess::MergedChannels);
  // A group of its own, so that a daemon left behind by a failed run can be ended.
  sh.setChildProcessModifier([] { ::setsid(); });
  sh.start("bash", {"-e", "-c", script + "wait\n"});
  ASSERT_TRUE(sh.waitForStarted());
  const bool ended = sh.waitForFinished(60000);
  if (!ended) ::kill(-static_cast<pid_t>(sh.processId()), SIGKILL);
  const QString out = QString::fromUtf8(sh.readAll());
  ASSERT_TRUE(ended) << out.toStdString();
  EXPECT_EQ(sh.exitCode(), 0) << out.toStdString();

  const QString job = home + "/first-job";
  EXPECT_EQ(mvnz::test::readFile(job + "/done/hello.txt"), "hello\n");
  EXPECT_TRUE(QDir(job + "/inbox").isEmpty());
  EXPECT_TRUE(out.contains("done:\nhello.txt\n")) << out.toStdString();
  EXPECT_TRUE(out.contains("] Moving file [inbox/hello.txt] to [done/hello.txt]...\r\n"))
      << out.toStdString();
  EXPECT_TRUE(out.contains("] Done.\r\n"));
  const QString day = QDate::currentDate().toString("yyyy/MM/dd");
  EXPECT_TRUE(QFile::exists(job + "/logs/" + day + "/System.log"));
}

TEST(Readme, StatusStoreGivesTheListenersValues) {
  const QString store = BlockAfter(QStringLiteral("## The status endpoint"), QStringLiteral("{"));
  QFile f(mvnz::paths::join(mvnz::paths::registryDir(), "store.json"));
  ASSERT_FALSE(f.exists());
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(store.toUtf8());
  f.close();
  const QString key = "Software\\Orvendel\\MervaneZuri\\Daemon";
  EXPECT_EQ(mvnz::registry::readValue(key, "StatusBindAddress"), "127.0.0.1") << store.toStdString();
  EXPECT_EQ(mvnz::registry::readValue(key, "StatusPort"), "8792");
  f.remove();
}
