// The real mvnd program on a temporary configuration.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <functional>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QProcess>
#include <QRegularExpression>
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
    p->setProcessEnvironment(MvndEnvironment());
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

}  // namespace

TEST(MvndProgram, RunsHiddenRefusesSecondInstanceServesLogSocketEndsOnSigterm) {
  Program prog;
  WriteCrlf(prog.config,
            StartingConfig(prog.logDir, {"[Job]", "Description=watch", "Trigger=FILE",
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
  // A second removal has nothing to remove and says so in its status.
  QProcess* e = prog.Start({"-uninstall]~[ServiceName=MVNDZuri"});
  ASSERT_TRUE(e->waitForFinished(kWaitMs));
  EXPECT_EQ(e->exitCode(), 5);
  EXPECT_TRUE(e->readAllStandardError().contains("service [MVNDZuri] is not installed"));
  // Nothing of these runs started a daemon or wrote a log.
  EXPECT_FALSE(QFile::exists(prog.SystemLogPath()));
}

TEST(MvndProgram, OtherProgramNameIsRefusedAndWritesNothing) {
  Program prog;
  WriteCrlf(prog.config, StartingConfig(prog.logDir, {"[Job]", "Trigger=TIME", "Enabled=1"}));
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
  Program prog;
  WriteCrlf(prog.config,
            StartingConfig(prog.logDir,
                           {"[Ender]", "Description=ends", "Trigger=TIME", "Interval=*ON-STARTUP*",
                            "StableTimer=-1", "Command=EndDaemon" + QString("]~[").repeated(30),
                            "Enabled=1"}));
  QProcess* p = prog.Start();
  ASSERT_TRUE(p->waitForFinished(kWaitMs)) << prog.SystemLog().join('\n').toStdString();
  EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(p->exitCode(), 0);
  const QStringList log = prog.SystemLog();
  ASSERT_GE(log.size(), 3);
  EXPECT_TRUE(log.contains("Processing Started"));
  EXPECT_EQ(log.mid(log.size() - 2), (QStringList{"Daemon stopped", "Daemon is shutting down..."}));
}

namespace {

// The file names in dir, sorted.
QStringList FilesIn(const QString& dir) { return QDir(dir).entryList(QDir::Files, QDir::Name); }

void WriteFile(const QString& path, const QByteArray& data, qint64 ageSecs) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(data);
  f.close();
  ASSERT_TRUE(f.open(QIODevice::ReadWrite));
  f.setFileTime(QDateTime::currentDateTime().addSecs(-ageSecs), QFileDevice::FileModificationTime);
}

bool WaitFor(const std::function<bool()>& done) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < kWaitMs) {
    if (done()) return true;
    QThread::msleep(50);
  }
  return done();
}

// A folder on another file system than the test's temporary root, when there is one.
struct ShmFolder {
  mvnz::test::TempFolder shm{"/dev/shm/mvnz-e2e-XXXXXX"};
  QString path = shm.isValid() ? shm.path() : mvnz::test::makeDir("hot-local");
};

}  // namespace

TEST(MvndProgram, HotFoldersWithRejectsAWriterAndAMoveAcrossFileSystems) {
  Program prog;
  ShmFolder shm;
  const QString hot = shm.path + "/hot", out = mvnz::test::rootDir() + "/out";
  const QString rej = mvnz::test::rootDir() + "/rejected";
  const QString hot2 = mvnz::test::makeDir("hot2"), hot3 = mvnz::test::makeDir("hot3");
  const QByteArray big(3 << 20, 'b');
  WriteFile(hot + "/a.txt", "a", 600);
  WriteFile(hot + "/big.txt", big, 600);
  WriteFile(hot + "/x.doc", "x", 600);
  WriteFile(hot + "/notes.csv", "n", 600);  // matches neither filter
  WriteFile(hot + "/held.txt", "part1\n", 600);
  WriteFile(hot2 + "/y.doc", "y", 600);
  WriteFile(hot3 + "/z.doc", "z", 600);

  // The writer keeps held.txt open, then appends a line and closes it when told.
  QProcess writer;
  writer.start("/bin/sh", {"-c",
                           "exec 3>>\"$0\"; echo ready; read go; echo tail >&3; exec 3>&-; "
                           "echo closed; exec sleep 300",
                           hot + "/held.txt"});
  ASSERT_TRUE(writer.waitForStarted(kWaitMs) && writer.waitForReadyRead(kWaitMs));
  writer.readAll();

  const QString relocate =
      CommandLine("Relocate", {"<ScanPathFileName>", out + "/<FileName>", "1", "1"});
  auto job = [&](const QString& name, const QString& dir, const QStringList& rule) {
    return QStringList{"[" + name + "]",
                       "Trigger=FILE",
                       "ScanDirectory=" + dir,
                       "InputFilter=.txt",
                       "RejectFilter=\\.doc$",
                       "Interval=1",
                       "StableTimer=3",
                       relocate,
                       "Enabled=1"} +
           rule + QStringList{QString()};
  };
  WriteCrlf(prog.config,
            StartingConfig(prog.logDir, job("Mover", hot,
                                            {"MoveRejected=True", "MoveRejectedDirectory=" + rej}) +
                                            job("Remover", hot2, {"RemoveRejected=True"}) +
                                            job("Leaver", hot3, {"SkipRejected=True"})));
  QProcess* p = prog.Start();
  ASSERT_TRUE(WaitFor([&] {
    return FilesIn(out) == QStringList{"a.txt", "big.txt"};
  })) << FilesIn(out).join(' ').toStdString()
      << "\n"
      << prog.SystemLog().join('\n').toStdString();
  ASSERT_TRUE(WaitFor([&] { return FilesIn(rej) == QStringList{"x.doc"}; }));
  ASSERT_TRUE(WaitFor([&] { return FilesIn(hot2).isEmpty(); }));
  EXPECT_EQ(mvnz::test::readFile(out + "/big.txt"), big);  // nothing lost on the way from /dev/shm
  EXPECT_EQ(mvnz::test::readFile(rej + "/x.doc"), "x");
  EXPECT_EQ(FilesIn(hot3), QStringList{"z.doc"});
  // A move across file systems removes the source only after the copy is in place, so the
  // source may still be there for a moment after the target appears.
  EXPECT_TRUE(WaitFor([&] {
    return FilesIn(hot) == QStringList{"held.txt", "notes.csv"};
  })) << FilesIn(hot).join(' ').toStdString();

  // Held open: not touched, several cycles later.
  QThread::msleep(2500);
  EXPECT_EQ(FilesIn(hot), (QStringList{"held.txt", "notes.csv"}));
  // Closed but just written: still too young for its stable time of 3 seconds.
  writer.write("go\n");
  ASSERT_TRUE(writer.waitForReadyRead(kWaitMs));
  QThread::msleep(500);
  EXPECT_TRUE(QFile::exists(hot + "/held.txt"));
  ASSERT_TRUE(WaitFor([&] { return FilesIn(out).contains("held.txt"); }));
  EXPECT_EQ(mvnz::test::readFile(out + "/held.txt"), "part1\ntail\n");
  EXPECT_TRUE(WaitFor([&] { return FilesIn(hot) == QStringList{"notes.csv"}; }))
      << FilesIn(hot).join(' ').toStdString();
  writer.kill();
  writer.waitForFinished(kWaitMs);

  p->terminate();
  ASSERT_TRUE(p->waitForFinished(kWaitMs));
  EXPECT_EQ(p->exitCode(), 0);
  for (const QString& l : prog.SystemLog()) EXPECT_FALSE(l.contains("ERROR")) << l.toStdString();
}

TEST(MvndProgram, StopPostedMidCycleIsTakenAfterTheRoziRoruners) {
  Program prog;
  const QString hot = mvnz::test::makeDir("stophot"), out = mvnz::test::rootDir() + "/stopout";
  for (const char* n : {"s1.txt", "s2.txt", "s3.txt"}) WriteFile(hot + "/" + n, "s", 600);
  WriteFile(mvnz::test::rootDir() + "/fixed.txt", "f", 600);
  const QStringList cfg = StartingConfig(
      prog.logDir,
      {"[Stopper]", "Trigger=FILE", "ScanDirectory=" + hot, "InputFilter=.txt", "Interval=3600",
       "StableTimer=-1", CommandLine("StopDaemon"),
       CommandLine("Relocate", {"<ScanPathFileName>", out + "/<FileName>", "1", "1"}), "Enabled=1",
       QString(), "[After]", "Trigger=TIME", "Interval=3600",
       CommandLine("Relocate",
                   {mvnz::test::rootDir() + "/fixed.txt", out + "/fixed.txt", "1", "1"}),
       "Enabled=1", QString()},
      true);
  WriteCrlf(prog.config, cfg);
  QProcess* p = prog.Start();
  ASSERT_TRUE(prog.WaitForLines({"Processing Started", "Daemon stopped"}))
      << prog.SystemLog().join('\n').toStdString();
  // Every file's script and the later RoziRoruner's returned after their first line.
  const QString day = DayFolder(prog.logDir);
  const QStringList stopper = LogMessages(QDir(day).filePath("FS1_Stopper.log"));
  EXPECT_EQ(stopper.count("Processing command <STOPDAEMON> ....."), 3)
      << stopper.join('\n').toStdString();
  EXPECT_EQ(stopper.filter("<RELOCATE>").size(), 0);
  EXPECT_EQ(LogMessages(QDir(day).filePath("FS2_After.log")).filter("<RELOCATE>").size(), 1);
  EXPECT_EQ(FilesIn(hot), (QStringList{"s1.txt", "s2.txt", "s3.txt"}));
  EXPECT_EQ(FilesIn(out), QStringList{"fixed.txt"});
  // Stopped, not ended: the daemon still answers and ends in order.
  EXPECT_EQ(p->state(), QProcess::Running);
  p->terminate();
  ASSERT_TRUE(p->waitForFinished(kWaitMs));
  EXPECT_EQ(p->exitCode(), 0);
}

// A write-protected file in a hot folder whose job erases: it stays, and each attempt
// logs the error line; the writable file beside it goes. Rejected files go to
// <SCANDIR>/rejected, the scan folder's own subfolder.
TEST(MvndProgram, WriteProtectedFileAndRejectFolderOfTheScanFolder) {
  Program prog;
  const QString hot = mvnz::test::makeDir("erasehot"), rhot = mvnz::test::makeDir("rejhot");
  WriteFile(hot + "/ro.txt", "keep", 600);
  WriteFile(hot + "/rw.txt", "drop", 600);
  ::chmod(QFile::encodeName(hot + "/ro.txt").constData(), 0444);
  WriteFile(rhot + "/x.doc", "x", 600);
  WriteFile(rhot + "/a.txt", "a", 600);
  WriteCrlf(prog.config,
            StartingConfig(prog.logDir,
                           {"[Eraser]", "Trigger=FILE", "ScanDirectory=" + hot, "InputFilter=.txt",
                            "Interval=1", "StableTimer=-1",
                            CommandLine("Erase", {"<ScanPathFileName>", "0", "0"}), "Enabled=1",
                            QString(), "[Rejecter]", "Trigger=FILE", "ScanDirectory=" + rhot,
                            "InputFilter=.txt", "RejectFilter=\\.doc$", "Interval=1",
                            "StableTimer=-1", "MoveRejected=True",
                            "MoveRejectedDirectory=<SCANDIR>/rejected", "Enabled=1", QString()}));
  QProcess* p = prog.Start();
  const QString eraserLog = QDir(DayFolder(prog.logDir)).filePath("FS1_Eraser.log");
  const QString line = "ERROR_ERASE: Could not delete file [" + hot + "/ro.txt] [Access denied [" +
                       hot + "/ro.txt]]";
  ASSERT_TRUE(WaitFor([&] { return LogMessages(eraserLog).contains(line); }))
      << LogMessages(eraserLog).join('\n').toStdString();
  ASSERT_TRUE(WaitFor([&] { return FilesIn(rhot + "/rejected") == QStringList{"x.doc"}; }));
  EXPECT_EQ(FilesIn(hot), QStringList{"ro.txt"});
  EXPECT_EQ(mvnz::test::readFile(hot + "/ro.txt"), "keep");
  EXPECT_EQ(mvnz::test::readFile(rhot + "/rejected/x.doc"), "x");
  EXPECT_FALSE(QFileInfo::exists("/rejected/x.doc"));
  p->terminate();
  ASSERT_TRUE(p->waitForFinished(kWaitMs));
  EXPECT_EQ(p->exitCode(), 0);
}

namespace {

// The temporaries of a copy in folder.
QStringList TemporariesIn(const QString& folder) {
  return QDir(folder).entryList({".*.mvnz-*"}, QDir::Files | QDir::Hidden, QDir::Name);
}

// A job that moves each file of hot into out, then copies it from there (by its
// tokens) into out2.
QStringList MoveThenCopy(const QString& logDir, const QString& hot, const QString& out,
                         const QString& out2) {
  return StartingConfig(
      logDir,
      {"[Mover]", "Trigger=FILE", "ScanDirectory=" + hot, "InputFilter=.bin", "Interval=1",
       "StableTimer=-1",
       CommandLine("Relocate", {"<ScanPathFileName>", out + "/<FileName>", "1", "1"}),
       CommandLine("Duplicate", {out + "/<FileName>", out2 + "/<FileName>", "1", "1"}),
       "Enabled=1", QString()},
      true);
}

}  // namespace

// A SIGTERM while a large file is copied across file systems: the copy completes, the
// script's next command does not run, and the daemon ends in order. A SIGKILL at the
// same moment leaves the temporary copy; the next run's first copy into that folder
// removes it.
TEST(MvndProgram, StopAndKillDuringALargeMoveAcrossFileSystems) {
  ShmFolder shm;
  if (!shm.path.startsWith("/dev/shm/")) GTEST_SKIP() << "no second file system";
  const QByteArray big(128 << 20, 'm');
  for (bool kill : {false, true}) {
    SCOPED_TRACE(kill ? "SIGKILL" : "SIGTERM");
    Program prog;
    const QString tag = kill ? "kill" : "term";
    const QString hot = shm.path + "/" + tag, out = mvnz::test::rootDir() + "/" + tag + "-out",
                  out2 = mvnz::test::rootDir() + "/" + tag + "-out2";
    QDir().mkpath(out);
    WriteFile(hot + "/big.bin", big, 600);
    WriteCrlf(prog.config, MoveThenCopy(prog.logDir, hot, out, out2));
    QProcess* p = prog.Start();
    ASSERT_TRUE(WaitFor([&] { return !TemporariesIn(out).isEmpty(); }));
    if (kill)
      p->kill();
    else
      p->terminate();
    ASSERT_TRUE(p->waitForFinished(kWaitMs));
    const QString moverLog = QDir(DayFolder(prog.logDir)).filePath("FS1_Mover.log");
    const QStringList log = LogMessages(moverLog);
    EXPECT_TRUE(log.filter("not found").isEmpty()) << log.join('\n').toStdString();
    EXPECT_TRUE(log.filter("<DUPLICATE>").isEmpty()) << log.join('\n').toStdString();
    EXPECT_FALSE(QFileInfo::exists(out2));
    if (!kill) {
      EXPECT_EQ(p->exitCode(), 0);
      EXPECT_EQ(mvnz::test::readFile(out + "/big.bin"), big);
      EXPECT_FALSE(QFileInfo::exists(hot + "/big.bin"));
      EXPECT_TRUE(TemporariesIn(out).isEmpty());
      continue;
    }
    // Killed: the source is whole, the temporary stays until the next run writes there.
    const QStringList left = TemporariesIn(out);
    ASSERT_EQ(left.size(), 1);
    EXPECT_EQ(mvnz::test::readFile(hot + "/big.bin"), big);
    WriteFile(out + "/.other.mvnz-file", "not ours", 600);  // not of the pattern
    QThread::msleep(1100);  // a restart comes later than the kill
    QProcess* again = prog.Start();
    ASSERT_TRUE(WaitFor([&] { return FilesIn(out2) == QStringList{"big.bin"}; }))
        << LogMessages(moverLog).join('\n').toStdString();
    EXPECT_EQ(mvnz::test::readFile(out + "/big.bin"), big);
    EXPECT_TRUE(TemporariesIn(out).filter(QRegularExpression("mvnz-[A-Za-z0-9]{6}$")).isEmpty())
        << TemporariesIn(out).join(' ').toStdString();
    EXPECT_EQ(mvnz::test::readFile(out + "/.other.mvnz-file"), "not ours");
    again->terminate();
    ASSERT_TRUE(again->waitForFinished(kWaitMs));
  }
}

// ---- the daemon under a service manager's conventions ----------------------------------

namespace {

void SendSignal(QProcess* p, int signo) { ::kill(pid_t(p->processId()), signo); }

}  // namespace

// SIGHUP is the daemon's own reload: a running daemon stops, reloads and starts again, a
// stopped one only reloads; neither ends.
TEST(MvndProgram, SighupReloadsAChangedConfiguration) {
  Program prog;
  const QStringList first = {"[First]", "Trigger=TIME", "Interval=3600", "Enabled=1", QString()};
  const QStringList stopper = {
      "[Stopper]", "Trigger=TIME", "Interval=*ON-STARTUP*", CommandLine("StopDaemon"),
      "Enabled=1", QString()};
  const QStringList third = {"[Third]", "Trigger=TIME", "Interval=3600", "Enabled=1", QString()};
  WriteCrlf(prog.config, StartingConfig(prog.logDir, first));
  QProcess* p = prog.Start();
  ASSERT_TRUE(prog.WaitForLines({"1 RoziRoruners loaded", "Processing Started"}))
      << prog.SystemLog().join('\n').toStdString();

  WriteCrlf(prog.config, StartingConfig(prog.logDir, first + stopper));
  SendSignal(p, SIGHUP);
  // Restarted on the new configuration, whose second job then stops the daemon.
  ASSERT_TRUE(WaitFor([&] { return prog.SystemLog().count("Daemon stopped") == 2; }))
      << prog.SystemLog().join('\n').toStdString();
  QStringList log = prog.SystemLog();
  const auto after = [&](const QString& line, qsizetype from) { return log.indexOf(line, from); };
  const qsizetype stopped = after("Daemon stopped", 0);
  const qsizetype reloaded = after("2 RoziRoruners loaded", stopped);
  EXPECT_GT(stopped, after("Processing Started", 0));
  EXPECT_GT(reloaded, stopped);
  EXPECT_GT(after("Processing Started", reloaded), reloaded);

  WriteCrlf(prog.config, StartingConfig(prog.logDir, first + stopper + third));
  SendSignal(p, SIGHUP);
  ASSERT_TRUE(prog.WaitForLines({"3 RoziRoruners loaded"}))
      << prog.SystemLog().join('\n').toStdString();
  QThread::msleep(1500);  // a START would come with the next queue tick
  log = prog.SystemLog();
  EXPECT_EQ(log.count("Processing Started"), 2) << log.join('\n').toStdString();
  EXPECT_EQ(p->state(), QProcess::Running);
  p->terminate();
  ASSERT_TRUE(p->waitForFinished(kWaitMs));
  EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(p->exitCode(), 0);
}

// With no configuration file the daemon says so where a user looks first.
TEST(MvndProgram, NoConfigurationFileIsSaidOnStderr) {
  Program prog;
  QFile::remove(prog.config);
  QProcess* p = prog.Start();
  p->setReadChannel(QProcess::StandardError);
  ASSERT_TRUE(WaitFor([&] {
    p->waitForReadyRead(50);
    return p->peek(4096).contains("no configuration file");
  }));
  EXPECT_TRUE(p->readAllStandardError().contains(
      ("mvnd: no configuration file [" + prog.config + "]").toUtf8()));
  p->terminate();
  ASSERT_TRUE(p->waitForFinished(kWaitMs));
}

// Log lines a log folder refuses reach stderr, with the reason, for the daemon's own lines
// and the RoziRoruners'. A read-only and a full file system are mounted in a mount
// namespace of the daemon's own, where the test may make one.
TEST(MvndProgram, LogLinesTheFolderRefusesGoToStderr) {
  const QString root = mvnz::test::makeDir("refusing");
  {
    QFile f(root + "/blocker");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  const bool canMount =
      QProcess::execute("unshare", {"-m", "sh", "-c", "mount -t tmpfs tmpfs \"$0\"", root}) == 0;
  const struct {
    const char* name;
    QString logDir;
    const char* mount;  // shell commands run in the daemon's mount namespace first
    const char* reason;
  } cases[] = {
      {"missing folder", root + "/blocker/logs", nullptr, "Not a directory"},
      {"read-only file system", root + "/ro/logs", "mount -t tmpfs -o ro tmpfs \"$1/ro\"",
       "Read-only file system"},
      {"full file system", root + "/full/logs",
       "mount -t tmpfs -o size=8k tmpfs \"$1/full\" && "
       "dd if=/dev/zero of=\"$1/full/fill\" bs=4k count=4 2>/dev/null; true",
       "No space left on device"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.mount && !canMount) {
      std::printf("[  SKIPPED ] %s: this test cannot mount a file system\n", c.name);
      continue;
    }
    QDir().mkpath(root + "/ro");
    QDir().mkpath(root + "/full");
    Program prog;
    WriteCrlf(prog.config,
              StartingConfig(c.logDir, {"[Ender]", "Trigger=TIME", "Interval=*ON-STARTUP*",
                                        CommandLine("JournalNote", {"from the job"}),
                                        CommandLine("EndDaemon"), "Enabled=1"}));
    QProcess* p = c.mount ? prog.Start({"-m", "sh", "-c", QString(c.mount) + " && exec \"$0\"",
                                        QStringLiteral(MVNZ_BIN_DIR "/mvnd"), root},
                                       "unshare")
                          : prog.Start();
    ASSERT_TRUE(p->waitForFinished(kWaitMs));
    EXPECT_EQ(p->exitCode(), 0);
    const QString err = QString::fromUtf8(p->readAllStandardError());
    const QString day = DayFolder(c.logDir);
    EXPECT_EQ(err.count("mvnd: cannot write the log file [" + day + "/System.log] [" + c.reason +
                        "]; its lines go to stderr until it can be written again"),
              1)
        << err.toStdString();
    EXPECT_EQ(
        err.count("mvnd: cannot write the log file [" + day + "/FS1_Ender.log] [" + c.reason + "]"),
        1);
    EXPECT_TRUE(err.contains("] Program Started, version"));
    EXPECT_TRUE(err.contains("mvnd: FS1_Ender.log: ["));
    EXPECT_TRUE(err.contains("] from the job\n"));
    EXPECT_TRUE(err.contains("] Daemon is shutting down...\n"));
    EXPECT_FALSE(err.contains("still cannot be written"));  // a short run: no reminder yet
  }
}

// Names with line breaks, tabs and escape bytes are moved as they are, and each of their
// log lines stays one line.
TEST(MvndProgram, OddFileNamesGiveOneLogLineEach) {
  Program prog;
  const QString hot = mvnz::test::makeDir("oddhot"), out = mvnz::test::rootDir() + "/oddout";
  const QStringList names = {"line\nbreak.txt", "tab\there.txt", "esc\x1b[2Jape.txt"};
  for (const QString& n : names) WriteFile(hot + "/" + n, n.toUtf8(), 600);
  WriteCrlf(prog.config,
            StartingConfig(
                prog.logDir,
                {"[Odd]", "Trigger=FILE", "ScanDirectory=" + hot, "InputFilter=\\.txt$",
                 "Interval=1", "StableTimer=-1", CommandLine("JournalNote", {"Moving <FileName>"}),
                 CommandLine("Relocate", {"<ScanPathFileName>", out + "/<FileName>", "1", "1"}),
                 "Enabled=1"},
                true));
  QProcess* p = prog.Start();
  QStringList sorted = names;
  sorted.sort();
  ASSERT_TRUE(WaitFor([&] { return FilesIn(out) == sorted; }))
      << FilesIn(out).join('|').toStdString();
  for (const QString& n : names) EXPECT_EQ(mvnz::test::readFile(out + "/" + n), n.toUtf8());
  p->terminate();
  ASSERT_TRUE(p->waitForFinished(kWaitMs));

  const QByteArray raw = mvnz::test::readFile(QDir(DayFolder(prog.logDir)).filePath("FS1_Odd.log"));
  ASSERT_FALSE(raw.isEmpty());
  ASSERT_TRUE(raw.endsWith("\r\n"));
  // Every physical line is a whole entry: its time stamp first, CR LF at its end.
  QList<QByteArray> lines = raw.split('\n');
  lines.removeLast();
  for (const QByteArray& l : lines) {
    EXPECT_TRUE(l.startsWith('[') && l.endsWith('\r')) << l.toStdString();
    EXPECT_FALSE(l.contains('\t') || l.contains('\x1b')) << l.toStdString();
  }
  const QStringList messages = LogMessages(QDir(DayFolder(prog.logDir)).filePath("FS1_Odd.log"));
  for (const char* shown :
       {"Moving line\\nbreak.txt", "Moving tab\\there.txt", "Moving esc\\x1b[2Jape.txt"})
    EXPECT_TRUE(messages.contains(shown)) << shown << "\n" << messages.join('\n').toStdString();
}

namespace {

// Opens a connection to a local socket without waiting for the daemon to accept it;
// -1 when it cannot be made within the wait.
int ConnectIdle(const QString& path) {
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  const QByteArray p = QFile::encodeName(path);
  if (size_t(p.size()) >= sizeof a.sun_path) return -1;
  std::memcpy(a.sun_path, p.constData(), p.size());
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < kWaitMs) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) return fd;
    const int e = errno;
    ::close(fd);
    if (e != EAGAIN) return -1;
    QThread::msleep(5);  // the daemon's backlog is full: it is taking them
  }
  return -1;
}

int OpenDescriptors(qint64 pid) {
  return int(QDir(QStringLiteral("/proc/%1/fd").arg(pid)).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System).size());
}

}  // namespace

// Idle clients of the log socket cannot starve the daemon of descriptors: with 1,100
// of them held open, a daemon whose descriptor limit is 1,024 still moves every file
// and still answers a SetMessage. Its soft limit was raised to the hard one at start.
TEST(MvndProgram, IdleLogSocketClientsCannotStopTheJobs) {
  struct rlimit own;
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &own), 0);
  if (own.rlim_max < 1400) GTEST_SKIP() << "the test needs 1,400 descriptors of its own";
  own.rlim_cur = own.rlim_max;
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &own), 0);

  Program prog;
  const QString hot = mvnz::test::makeDir("idlehot"), out = mvnz::test::rootDir() + "/idleout";
  WriteCrlf(prog.config,
            StartingConfig(prog.logDir,
                           {"[Mover]", "Trigger=FILE", "ScanDirectory=" + hot, "InputFilter=.txt", "Interval=1",
                            "StableTimer=-1",
                            CommandLine("Relocate", {"<ScanPathFileName>", out + "/<FileName>", "1", "1"}),
                            "Enabled=1"}));
  QProcess p;
  p.setProgram(QStringLiteral(MVNZ_BIN_DIR "/mvnd"));
  p.setProcessEnvironment(MvndEnvironment());
  p.setChildProcessModifier([] {
    const struct rlimit lim = {256, 1024};  // soft below hard: the daemon raises it
    ::setrlimit(RLIMIT_NOFILE, &lim);
  });
  p.start();
  ASSERT_TRUE(p.waitForStarted(kWaitMs));
  // Earlier tests of this program log into the same folder: the daemon is up once its
  // socket is there.
  ASSERT_TRUE(WaitFor([] { return QFileInfo(LogSocketPath()).exists(); }));
  const QByteArray limits = mvnz::test::readFile(QStringLiteral("/proc/%1/limits").arg(p.processId()));
  EXPECT_TRUE(QString::fromLatin1(limits).contains(
      QRegularExpression(QStringLiteral("Max open files\\s+1024\\s+1024"))))
      << limits.toStdString();

  std::vector<int> clients;
  for (int i = 0; i < 1100; ++i) {
    const int fd = ConnectIdle(LogSocketPath());
    if (fd < 0) {
      ADD_FAILURE() << "client " << i << " not connected: " << std::strerror(errno);
      break;  // the files are still tried
    }
    clients.push_back(fd);
  }
  for (int i = 0; i < 20; ++i) WriteFile(hot + QStringLiteral("/f%1.txt").arg(i), "x", 600);
  EXPECT_TRUE(WaitFor([&] { return FilesIn(out).size() == 20; }))
      << FilesIn(out).size() << " of 20 moved\n"
      << prog.SystemLog().join('\n').toStdString();
  EXPECT_LT(OpenDescriptors(p.processId()), 200);

  // A client with something to say is still heard, the idle ones still held.
  QLocalSocket s;
  s.connectToServer(LogSocketPath());
  ASSERT_TRUE(s.waitForConnected(kWaitMs));
  s.write(R"({"level":0,"text":"still heard","time":""})" "\n");
  ASSERT_TRUE(s.waitForReadyRead(kWaitMs));
  EXPECT_EQ(s.readAll(), "1\n");
  for (int fd : clients) ::close(fd);

  p.terminate();
  ASSERT_TRUE(p.waitForFinished(kWaitMs));
  EXPECT_EQ(p.exitCode(), 0);
}

// A runtime folder another user made or others can write is refused at start with its
// name and what is wrong; nothing is created through it.
TEST(MvndProgram, UntrustedRuntimeFolderIsRefusedAtStart) {
  const bool root = ::geteuid() == 0;
  mvnz::test::TempFolder shared(QDir::tempPath() + "/mvnz-rt-XXXXXX");
  ASSERT_TRUE(shared.isValid());
  ASSERT_EQ(::chmod(QFile::encodeName(shared.path()).constData(), 01777), 0);
  const QString victim = mvnz::test::makeDir("rootonly") + "/victim";
  const struct {
    const char* name;
    const char* nobodyScript;  // made by the user nobody (root only); else by this user
    int mode;
    const char* why;
  } cases[] = {
      {"open", nullptr, 0777, "writable by others (mode 0777)"},
      {"nobody", "mkdir -m 0777 \"$1\" && ln -s \"$2\" \"$1/mvnd.lock\"", 0777,
       "owned by user nobody (65534), not by user root (0)"},
  };
  Program prog;
  prog.logDir = mvnz::test::rootDir() + "/logs-refused";
  WriteCrlf(prog.config, StartingConfig(prog.logDir, {"[Job]", "Trigger=TIME", "Enabled=1"}));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QString dir = shared.path() + "/" + c.name;
    if (c.nobodyScript) {
      if (!root) {
        std::printf("row %s skipped: needs root to act as the user nobody\n", c.name);
        continue;
      }
      QProcess as;
      as.start("setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups", "--", "sh", "-c",
                           c.nobodyScript, "sh", dir, victim});
      ASSERT_TRUE(as.waitForFinished(kWaitMs) && as.exitCode() == 0);
    } else {
      ASSERT_EQ(::mkdir(QFile::encodeName(dir).constData(), 0), 0);
      ASSERT_EQ(::chmod(QFile::encodeName(dir).constData(), c.mode), 0);
    }
    QProcess p;
    QProcessEnvironment env = MvndEnvironment();
    env.insert("MVNZ_RUNTIME_DIR", dir);
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(MVNZ_BIN_DIR "/mvnd"), {});
    ASSERT_TRUE(p.waitForFinished(kWaitMs));
    EXPECT_EQ(p.exitCode(), 2);
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    EXPECT_TRUE(err.contains("mvnd: Runtime folder [" + dir + "] not used: " + c.why))
        << err.toStdString();
    EXPECT_FALSE(QFile::exists(victim));
    EXPECT_FALSE(QFile::exists(dir + "/mvnd.MVNdcom"));
  }
  EXPECT_FALSE(QDir(prog.logDir).exists());
  if (!root) GTEST_SKIP() << "the row with the user nobody needs root";
}
