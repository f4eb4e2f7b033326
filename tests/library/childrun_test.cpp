// Running a child program: how it ended, and a child that outlives its limit left
// running, then reaped and its watcher freed once it ends.
#include <gtest/gtest.h>

#include <QFile>
#include <QThread>

#include "library/childrun.h"
#include "testenv.h"

using namespace mvnz;

namespace {

void WriteScript(const QString& folder, const QString& name, const QByteArray& body) {
  QFile f(folder + "/" + name);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write("#!/bin/sh\n" + body);
  f.close();
  ASSERT_TRUE(test::setMode(f.fileName(), 0700));
}

}  // namespace

TEST(RunChild, ReportsHowTheChildEnded) {
  const QString folder = test::makeDir("programs");
  WriteScript(folder, "status", "echo said; echo why >&2; exit 3\n");
  WriteScript(folder, "signal", "kill -KILL $$\n");
  const struct {
    const char* name;
    ChildRun::State state;
    int exitCode;
    const char* output;
  } cases[] = {
      {"status", ChildRun::State::Exited, 3, "said\nwhy"},
      {"signal", ChildRun::State::Crashed, -1, ""},
      {"missing", ChildRun::State::NotStarted, -1, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ChildRun run = RunChild(folder, c.name, {}, -1, ChildOutput::Capture, 50);
    EXPECT_EQ(run.state, c.state);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(run.output, c.output);
    EXPECT_EQ(run.program, folder + "/" + c.name);
    EXPECT_EQ(run.errorText.isEmpty(), c.state != ChildRun::State::NotStarted);
  }
}

// Given up on, the child keeps running; once it ends the event loop reaps it and frees
// what watched it (a leak the sanitizer run would report).
TEST(RunChild, AChildPastItsLimitRunsOnAndIsReapedWhenItEnds) {
  const QString folder = test::makeDir("programs");
  const QString release = folder + "/release";
  WriteScript(folder, "held",
              "echo $$ > '" + (folder + "/pid").toUtf8() + "'\n" + "while [ ! -e '" +
                  release.toUtf8() + "' ]; do sleep 0.05; done\n");
  const ChildRun run = RunChild(folder, "held", {}, 300, ChildOutput::Forward, 50);
  ASSERT_EQ(run.state, ChildRun::State::StillRunning);
  const qint64 pid = test::readFile(folder + "/pid").trimmed().toLongLong();
  ASSERT_GT(pid, 0);
  QThread::msleep(200);
  EXPECT_TRUE(QFile::exists(QStringLiteral("/proc/%1").arg(pid))) << "the child was ended";

  QFile(release).open(QIODevice::WriteOnly);
  EXPECT_TRUE(test::waitReaped(pid)) << "the ended child was not reaped";
}
