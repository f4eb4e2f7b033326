// The real mvnd program on a temporary configuration.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QProcess>
#include <QThread>

#include "daemon/logging.h"
#include "support.h"
#include "testenv.h"

using namespace mvnz::mvnd;
using namespace mvnz::mvnd::test;

namespace {

// Generous: the machine is shared by several builds at once.
constexpr int kWaitMs = 60000;

struct Program {
  Program() {
    logDir = QDir(mvnz::test::rootDir()).filePath("logs");
    config = QDir(mvnz::test::makeDir("windows")).filePath("MVNZuri.ini");
  }
  QProcess* Start(const QStringList& args = {},
                  const QString& program = QStringLiteral(MVNZ_BIN_DIR "/mvnd")) {
    auto* p = new QProcess;
    p->setProgram(program);
    p->setArguments(args);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("MVNZ_SYSTEMCTL", "/bin/true");
    env.remove("MVNZ_RUNNING_AS_SERVICE");
    p->setProcessEnvironment(env);
    p->start();
    EXPECT_TRUE(p->waitForStarted(kWaitMs));
    processes.emplace_back(p);
    return p;
  }
  QString SystemLogPath() const { return QDir(DayFolder(logDir)).filePath("System.log"); }
  QStringList SystemLog() const { return LogMessages(SystemLogPath()); }
  // Waits until the system log holds every line.
  bool WaitForLines(const QStringList& lines) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < kWaitMs) {
      const QStringList log = SystemLog();
      if (std::all_of(lines.begin(), lines.end(),
                      [&](const QString& l) { return log.contains(l); }))
        return true;
      QThread::msleep(50);
    }
    return false;
  }
  QString logDir, config;
  std::vector<std::unique_ptr<QProcess>> processes;
};

QStringList Hidden(const QString& logDir, const QStringList& sections) {
  QStringList l = Config(logDir, {});
  l.removeLast();
  l << "AutoStart=1"
    << "AutoStartState=4" << QString();
  return l + sections;
}

}  // namespace

TEST(MvndProgram, RunsHiddenRefusesSecondInstanceServesLogSocketEndsOnSigterm) {
  Program prog;
  WriteCrlf(prog.config, Hidden(prog.logDir, {"[Job]", "Description=watch", "Trigger=FILE",
                                              "ScanDirectory=" + mvnz::test::makeDir("in"),
                                              "Interval=3600", "StableTimer=-1", "Enabled=1"}));
  QProcess* first = prog.Start();
  ASSERT_TRUE(prog.WaitForLines({"Daemon initialized", "Processing Started"}))
      << prog.SystemLog().join('\n').toStdString();
  const QStringList log = prog.SystemLog();
  const auto at = [&](const char* l) { return log.indexOf(QString::fromLatin1(l)); };
  EXPECT_LT(at("Program Started, version 1.0.0"), at("Daemon initialized"));
  EXPECT_LT(at("1 RoziRoruners loaded"), at("Daemon initialized"));
  EXPECT_LT(at("Daemon initialized"), at("AutoStarting - SystemTray"));
  EXPECT_LT(at("AutoStarting - SystemTray"), at("Processing Started"));

  // A second instance ends at once, non-zero, and writes nothing.
  const QByteArray before = [&] {
    QFile f(prog.SystemLogPath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }();
  QProcess* second = prog.Start();
  ASSERT_TRUE(second->waitForFinished(kWaitMs));
  EXPECT_EQ(second->exitCode(), 2);
  QProcess* install = prog.Start({"-install]~[ServiceName=MVNDZuri"});
  ASSERT_TRUE(install->waitForFinished(kWaitMs));
  EXPECT_EQ(install->exitCode(), 2);
  EXPECT_TRUE(install->readAllStandardError().contains("another instance"));
  {
    QFile f(prog.SystemLogPath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
  }

  // Another process's SetMessage reaches the running daemon through its socket.
  QLocalSocket s;
  s.connectToServer(LogSocketPath());
  ASSERT_TRUE(s.waitForConnected(kWaitMs));
  s.write(QJsonDocument(QJsonObject{{"level", 1}, {"text", "hello\r\nworld"}, {"time", ""}})
              .toJson(QJsonDocument::Compact) +
          "\n");
  ASSERT_TRUE(s.waitForReadyRead(kWaitMs));
  EXPECT_EQ(s.readAll(), "1\n");
  EXPECT_EQ(LogMessages(QDir(DayFolder(prog.logDir)).filePath("FS1_Job.log")),
            (QStringList{"hello", "world"}));

  first->terminate();
  ASSERT_TRUE(first->waitForFinished(kWaitMs));
  EXPECT_EQ(first->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(first->exitCode(), 0);
  EXPECT_EQ(prog.SystemLog().last(), "Daemon is shutting down...");
}

TEST(MvndProgram, InstallTwiceThenUninstall) {
  Program prog;
  QProcess* a =
      prog.Start({"-install]~[ServiceName=MVNDZuri]~[DisplayName=Mervane", "Zuri", "Daemon"});
  ASSERT_TRUE(a->waitForFinished(kWaitMs));
  EXPECT_EQ(a->exitCode(), 0);
  QFile unit(QDir(qEnvironmentVariable("MVNZ_UNIT_DIR")).filePath("MVNDZuri.service"));
  ASSERT_TRUE(unit.open(QIODevice::ReadOnly));
  EXPECT_TRUE(unit.readAll().contains("Description=Mervane Zuri Daemon\n"));
  QProcess* b = prog.Start({"-install]~[ServiceName=MVNDZuri"});
  ASSERT_TRUE(b->waitForFinished(kWaitMs));
  EXPECT_EQ(b->exitCode(), 3);
  EXPECT_TRUE(b->readAllStandardError().contains("already installed"));
  QProcess* c = prog.Start({"-uninstall]~[ServiceName=MVNDZuri"});
  ASSERT_TRUE(c->waitForFinished(kWaitMs));
  EXPECT_EQ(c->exitCode(), 0);
  EXPECT_FALSE(unit.exists());
  // Nothing of these runs started a daemon or wrote a log.
  EXPECT_FALSE(QFile::exists(prog.SystemLogPath()));
}

TEST(MvndProgram, OtherProgramNameIsRefusedAndWritesNothing) {
  Program prog;
  WriteCrlf(prog.config, Hidden(prog.logDir, {"[Job]", "Trigger=TIME", "Enabled=1"}));
  const QString copy = QDir(mvnz::test::makeDir("renamed")).filePath("mvndcopy");
  ASSERT_TRUE(QFile::copy(QStringLiteral(MVNZ_BIN_DIR "/mvnd"), copy));
  QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

  QProcess* plain = prog.Start({}, copy);
  ASSERT_TRUE(plain->waitForFinished(kWaitMs));
  EXPECT_EQ(plain->exitCode(), 2);
  QProcess* install = prog.Start({"-install]~[ServiceName=MVNDZuri"}, copy);
  ASSERT_TRUE(install->waitForFinished(kWaitMs));
  EXPECT_EQ(install->exitCode(), 2);
  EXPECT_TRUE(install->readAllStandardError().contains("must be named mvnd"));
  EXPECT_FALSE(
      QFile::exists(QDir(qEnvironmentVariable("MVNZ_UNIT_DIR")).filePath("MVNDZuri.service")));
  EXPECT_FALSE(QDir(prog.logDir).exists());
}

TEST(MvndProgram, EndDaemonScriptEndsWithStatusZero) {
#ifndef MVND_WITH_ENGINE
  GTEST_SKIP() << "needs the scan engine";
#endif
  Program prog;
  WriteCrlf(prog.config,
            Hidden(prog.logDir, {"[Ender]", "Description=ends", "Trigger=TIME",
                                 "Interval=*ON-STARTUP*", "StableTimer=-1",
                                 "Command=EndDaemon" + QString("]~[").repeated(30), "Enabled=1"}));
  QProcess* p = prog.Start();
  ASSERT_TRUE(p->waitForFinished(kWaitMs)) << prog.SystemLog().join('\n').toStdString();
  EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(p->exitCode(), 0);
  const QStringList log = prog.SystemLog();
  ASSERT_GE(log.size(), 3);
  EXPECT_TRUE(log.contains("Processing Started"));
  EXPECT_EQ(log.mid(log.size() - 2), (QStringList{"Daemon stopped", "Daemon is shutting down..."}));
}
