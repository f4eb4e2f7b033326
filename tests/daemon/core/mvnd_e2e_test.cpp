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
#include <optional>

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
#include <QTcpServer>
#include <QThread>

#include "daemon/logging.h"
#include "platform/registry.h"
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
  QProcessEnvironment env = MvndEnvironment();
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

namespace {

// A daemon that takes its configuration file by the programs' own settle rule, on a
// configuration of four time jobs and, last, a job moving each .bin file of hot to out:
// a reload that read the file cut short would lose the mover first.
struct Rewritten {
  Rewritten() {
    prog.env.remove(QStringLiteral("MVNZ_CONFIG_SETTLE_MS"));
    QStringList sections;
    for (int i = 1; i <= 4; ++i)
      sections << QString("[Timer%1]").arg(i) << "Trigger=TIME" << "Interval=3600" << "Enabled=1"
               << QString();
    sections << "[Mover]" << "Trigger=FILE" << "ScanDirectory=" + hot << "InputFilter=.bin"
             << "Interval=1" << "StableTimer=-1"
             << CommandLine("Relocate", {"<ScanPathFileName>", out + "/<FileName>", "1", "1"})
             << "Enabled=1";
    for (const QString& l : StartingConfig(prog.logDir, sections)) bytes += (l + "\r\n").toUtf8();
    Restore();
  }
  // Writes the whole configuration file in one go.
  void Restore() {
    QFile f(prog.config);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
  }
  // The counts of "N RoziRoruners loaded" in the system log.
  QList<int> LoadedCounts() const {
    QList<int> counts;
    static const QRegularExpression loaded("^(\\d+) RoziRoruners loaded$");
    for (const QString& l : prog.SystemLog())
      if (const auto m = loaded.match(l); m.hasMatch()) counts << m.captured(1).toInt();
    return counts;
  }
  // Drops name.bin into hot; true once the mover has taken it to out.
  bool Moved(const QString& name) {
    WriteFile(hot + "/" + name, name.toUtf8(), 0);
    return WaitFor([&] { return FilesIn(hot).isEmpty() && FilesIn(out).contains(name); });
  }
  std::string Log() const { return prog.SystemLog().join('\n').toStdString(); }
  // Starts the daemon; true once it processes the five jobs.
  bool Started() {
    p = prog.Start();
    return prog.WaitForLines({"5 RoziRoruners loaded", "Processing Started"});
  }
  // Ends the daemon by SIGTERM: its exit status, -1 when it did not end.
  int Terminate() {
    p->terminate();
    return p->waitForFinished(kWaitMs) ? p->exitCode() : -1;
  }

  Program prog;
  QProcess* p = nullptr;
  QString hot = mvnz::test::makeDir("rewritten-hot"), out = mvnz::test::makeDir("rewritten-out");
  QByteArray bytes;  // the configuration file
};

}  // namespace

// A reload that meets the file being rewritten in place (truncated, then written in
// pieces with pauses, as a shell's "cat > file" from a slow pipe) waits for the whole
// file: the job list never shrinks and every dropped file is moved.
TEST(MvndProgram, ReloadDuringAnInPlaceRewriteKeepsEveryJob) {
  Rewritten r;
  ASSERT_TRUE(r.Started()) << r.Log();
  for (int round = 1; round <= 2; ++round) {
    SCOPED_TRACE(round);
    const qsizetype stops = r.prog.SystemLog().count("Daemon stopped");
    SendSignal(r.p, SIGHUP);
    // Stopped: the reload comes with one of the next queue ticks, a second apart, while
    // the file is rewritten over 1.2 s.
    ASSERT_TRUE(WaitFor([&] { return r.prog.SystemLog().count("Daemon stopped") > stops; }));
    QFile f(r.prog.config);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    const qsizetype third = r.bytes.size() / 3;
    for (const QByteArray& piece :
         {r.bytes.left(third), r.bytes.mid(third, third), r.bytes.mid(2 * third)}) {
      QThread::msleep(400);
      ASSERT_EQ(f.write(piece), piece.size());
      ASSERT_TRUE(f.flush());
    }
    f.close();
    ASSERT_TRUE(WaitFor([&] { return r.prog.SystemLog().count("Processing Started") == round + 1; }))
        << r.Log();
    EXPECT_EQ(r.LoadedCounts(), QList<int>(round + 1, 5)) << r.Log();
    EXPECT_TRUE(r.Moved(QString("after%1.bin").arg(round))) << r.Log();
  }
  EXPECT_EQ(r.Terminate(), 0);
}

// A START that found no RoziRoruners (the file was emptied) stays wanted: once the file
// is mended, a SIGHUP to the stopped daemon starts processing again.
TEST(MvndProgram, StartRefusedOnAnEmptyFileResumesAfterTheFixAndASighup) {
  Rewritten r;
  ASSERT_TRUE(r.Started()) << r.Log();
  WriteCrlf(r.prog.config, {});
  SendSignal(r.p, SIGHUP);
  ASSERT_TRUE(r.prog.WaitForLines({"0 RoziRoruners loaded", "There are no RoziRoruners defined!"}))
      << r.Log();
  r.Restore();
  SendSignal(r.p, SIGHUP);
  ASSERT_TRUE(WaitFor([&] { return r.prog.SystemLog().count("Processing Started") == 2; }))
      << r.Log();
  EXPECT_EQ(r.LoadedCounts(), (QList<int>{5, 0, 5}));
  EXPECT_TRUE(r.Moved("resumed.bin")) << r.Log();
  EXPECT_EQ(r.Terminate(), 0);
}

// A SIGTERM while a reload waits for a file that keeps changing ends the daemon in
// order, without the reload: it is not held until the wait's bound.
TEST(MvndProgram, SigtermDuringTheSettleWaitEndsTheDaemon) {
  Rewritten r;
  ASSERT_TRUE(r.Started()) << r.Log();
  QProcess writer;  // appends a comment line every tenth of a second
  writer.start("/bin/sh", {"-c", "while :; do echo ';' >>\"$0\"; sleep 0.1; done", r.prog.config});
  ASSERT_TRUE(writer.waitForStarted(kWaitMs));
  const auto reloads = [&] { return r.prog.SystemLog().count("Reloading configuration ....."); };
  const qsizetype before = reloads();
  SendSignal(r.p, SIGHUP);
  ASSERT_TRUE(WaitFor([&] { return reloads() > before; })) << r.Log();
  const int status = r.Terminate();
  writer.kill();
  writer.waitForFinished(kWaitMs);
  EXPECT_EQ(status, 0);
  const QStringList log = r.prog.SystemLog();
  EXPECT_EQ(log.last(), "Daemon is shutting down...") << r.Log();
  EXPECT_EQ(r.LoadedCounts(), QList<int>{5}) << r.Log();
  EXPECT_TRUE(log.filter("still changing").isEmpty()) << r.Log();
}

// Warnings of the load that no log file takes reach stderr after one line saying why;
// with a log file they go there alone. Rows without AutoStart are ended by SIGTERM.
TEST(MvndProgram, LoadWarningsWithoutALogFileGoToStderr) {
  const QString badLine = "Colour=red";  // an unknown key: one warning
  const QString ender[] = {"[Ender]", "Trigger=TIME", "Interval=*ON-STARTUP*",
                           CommandLine("EndDaemon"), "Enabled=1"};
  const QStringList endsItself = {"AutoStart=1", "AutoStartState=4", "", ender[0], ender[1],
                                  ender[2], ender[3], ender[4]};
  const QString off = "mvnd: no log file is written [EnableLogging is 0]; warnings go to stderr";
  const QString noFolder =
      "mvnd: no log file is written [EnableLogging is on but LogDirectory is empty]; warnings go "
      "to stderr";
  const QString unknown = " line %1 ignored [Colour=red][unknown key]";
  const QString misplaced =
      "mvnd: WARNING: Configuration section [CONFIGURATON] line %1 ignored [%2][a "
      "[CONFIGURATION] key in a RoziRoruner]";
  struct Case {
    const char* name;
    std::optional<QStringList> config;  // none: no configuration file
    QStringList stderrLines;            // "%c" stands for the configuration file's path
  };
  const QString logDir = QDir(mvnz::test::rootDir()).filePath("logs");
  const Case cases[] = {
      {"no configuration file",
       std::nullopt,
       {off, "mvnd: WARNING: Config-file not found [%c], the RoziRoruners stay as they were"}},
      {"mistyped [CONFIGURATION] header",
       QStringList{"[CONFIGURATON]", "LogDirectory=" + logDir, "EnableLogging=1", "AutoStart=1"},
       {off,
        "mvnd: WARNING: Config-file has no [CONFIGURATION] section [%c], the settings stay as "
        "they were",
        misplaced.arg(2).arg("LogDirectory=" + logDir), misplaced.arg(3).arg("EnableLogging=1"),
        misplaced.arg(4).arg("AutoStart=1")}},
      {"logging on without a folder, one bad line",
       QStringList{"[CONFIGURATION]", "EnableLogging=1"} + endsItself + QStringList{badLine},
       {noFolder, "mvnd: WARNING: Configuration section [ENDER]" + unknown.arg(11)}},
      {"logging on without a folder, nothing else wrong",
       QStringList{"[CONFIGURATION]", "EnableLogging=1"} + endsItself,
       {noFolder}},
      {"a log folder",
       QStringList{"[CONFIGURATION]", "EnableLogging=1", "LogDirectory=" + logDir} + endsItself +
           QStringList{badLine},
       {}},
  };
  // A port of its own, so that no other daemon's listener adds a warning.
  QTcpServer probe;
  ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
  const QString port = QString::number(probe.serverPort());
  probe.close();
  ASSERT_EQ(mvnz::registry::writeValue("Software\\Orvendel\\MervaneZuri\\Daemon", "StatusPort",
                                       port),
            mvnz::registry::kOk);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Program prog;
    QFile::remove(prog.config);
    if (c.config) WriteCrlf(prog.config, *c.config);
    QStringList expected;
    for (const QString& l : c.stderrLines) expected << QString(l).replace("%c", prog.config);
    // Headless, as a service runs it.
    QProcess daemon;
    QProcessEnvironment env = MvndEnvironment();
    for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(v);
    daemon.setProcessEnvironment(env);
    daemon.start(QStringLiteral(MVNZ_BIN_DIR "/mvnd"), {});
    ASSERT_TRUE(daemon.waitForStarted(kWaitMs));
    QByteArray err;
    const auto all = [&] {
      err += daemon.readAllStandardError();
      return std::all_of(expected.begin(), expected.end(),
                         [&](const QString& l) { return err.contains((l + "\n").toUtf8()); });
    };
    const bool selfEnding = c.config && c.config->contains("AutoStart=1") &&
                            c.config->contains("AutoStartState=4");
    if (selfEnding) {
      ASSERT_TRUE(daemon.waitForFinished(kWaitMs));
      EXPECT_EQ(daemon.exitCode(), 0);
    } else {
      EXPECT_TRUE(WaitFor([&] {
        daemon.waitForReadyRead(50);
        return all();
      }));
      daemon.terminate();
      ASSERT_TRUE(daemon.waitForFinished(kWaitMs));
    }
    all();
    const QStringList lines = QString::fromUtf8(err).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.join('\n').toStdString(), expected.join('\n').toStdString());
  }
  // With a log folder the warning is in the system log.
  EXPECT_TRUE(Program().SystemLog().contains("WARNING: Configuration section [ENDER]" +
                                             unknown.arg(12)));
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
