// File stability: age against the stable time, writers holding the file, read-only
// files, missing files; the lease probe and its /proc fallback.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QThread>
#include <cerrno>
#include <cstring>

#include "engine/leaseprobe.h"
#include "engine/stability.h"
#include "enginetestutil.h"
#include "testenv.h"

using namespace mvnz;
using namespace mvnz::engine;

namespace {

struct Lines {
  QStringList lines;
  std::function<void(const QString&, int)> sink() {
    return [this](const QString& m, int l) { lines << QString::number(l) + ":" + m; };
  }
};

}  // namespace

TEST(Stability, AgeAgainstStableTime) {
  const QDateTime now(QDate(2026, 3, 11), QTime(10, 0, 0));
  struct Case {
    double stable;
    qint64 ageSecs;  // negative: a time stamp in the future
    const char* expected;
  } cases[] = {
      {20, 19, kLocked},   {20, 20, kFree},   {20, 600, kFree}, {-1, 0, kFree},
      {-1, -60, kFree},    {0, 0, kFree},     {0, -5, kLocked}, {20.5, 20, kFree},
      {21.5, 21, kLocked}, {21.5, 22, kFree}, {2.5, 2, kFree},  {3.5, 3, kLocked},
  };
  const QString dir = test::makeDir("age");
  LeaseProbe probe;
  for (const Case& c : cases) {
    SCOPED_TRACE(QString("stable %1 age %2").arg(c.stable).arg(c.ageSecs).toStdString());
    const QString f = dir + "/f.txt";
    test::writeFile(f, "data", now.addSecs(-c.ageSecs));
    Lines log;
    StabilityCheck chk{&probe, now.toSecsSinceEpoch(), c.stable, true, true, log.sink()};
    EXPECT_EQ(GetFileStatus(f, chk), QString(c.expected));
    if (QString(c.expected) == kLocked)
      EXPECT_EQ(log.lines, QStringList{"0:File [" + f + "] is not stable"});
    else
      EXPECT_TRUE(log.lines.isEmpty());
  }
}

TEST(Stability, MissingFileAndNoMessagesWhenOff) {
  LeaseProbe probe;
  Lines log;
  const QDateTime now = QDateTime::currentDateTime();
  StabilityCheck chk{&probe, now.toSecsSinceEpoch(), 20, true, true, log.sink()};
  EXPECT_EQ(GetFileStatus(test::rootDir() + "/nothing.txt", chk), QString(kNotFound));
  EXPECT_EQ(GetFileStatus(test::rootDir(), chk), QString(kNotFound));  // a folder
  const QString f = test::rootDir() + "/young.txt";
  test::writeFile(f, "x", now);
  chk.showUnstableMessages = false;
  EXPECT_EQ(GetFileStatus(f, chk), QString(kLocked));
  EXPECT_TRUE(log.lines.isEmpty());
}

// A writer makes the file Locked whatever its age, for leases and for the /proc scan;
// once it has exited the file is Free.
TEST(Stability, WriterHoldsFileUntilItExits) {
  for (bool procScan : {false, true}) {
    SCOPED_TRACE(procScan ? "proc scan" : "lease");
    const QString f = test::rootDir() + (procScan ? "/p.txt" : "/l.txt");
    const QDateTime now = QDateTime::currentDateTime();
    test::writeFile(f, "x", now.addSecs(-3600));
    LeaseProbe probe;
    probe.setForceProcScan(procScan);
    StabilityCheck chk{&probe, now.toSecsSinceEpoch(), 20, true, true, {}};
    {
      test::Writer w(f);
      ASSERT_TRUE(w.started());
      probe.beginCycle();
      EXPECT_EQ(GetFileStatus(f, chk), QString(kLocked));
      EXPECT_EQ(GetFileStatus(f, chk), QString(kLocked));
      // Read-only while being written: still the writer test.
      ::chmod(QFile::encodeName(f).constData(), 0444);
      EXPECT_EQ(GetFileStatus(f, chk), QString(kLocked));
      ::chmod(QFile::encodeName(f).constData(), 0644);
      w.stop();
    }
    probe.beginCycle();
    EXPECT_EQ(GetFileStatus(f, chk), QString(kFree));
    if (procScan) {
      EXPECT_EQ(probe.procScans(), 2);  // once per cycle, not per file
    }
  }
}

// The probe leaves no lease behind: a writer that opens the file afterwards is not held
// up (a lease still held would make a non-blocking open fail at once).
TEST(Stability, ProbeLeavesNoLease) {
  const QString f = test::rootDir() + "/probed.txt";
  test::writeFile(f, "x");
  const QByteArray p = QFile::encodeName(f);
  LeaseProbe probe;
  for (bool forWriting : {false, true}) {
    SCOPED_TRACE(forWriting ? "read lease" : "write lease");
    EXPECT_FALSE(forWriting ? probe.heldForWriting(f) : probe.heldOpen(f));
    const int fd = ::open(p.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    EXPECT_GE(fd, 0) << std::strerror(errno);
    if (fd >= 0) ::close(fd);
  }
}

TEST(Stability, ReadOnlyFile) {
  const QString f = test::rootDir() + "/ro.txt";
  const QDateTime now = QDateTime::currentDateTime();
  test::writeFile(f, "x", now);  // young: the age test is skipped for it
  ::chmod(QFile::encodeName(f).constData(), 0444);
  LeaseProbe probe;
  Lines log;
  StabilityCheck chk{&probe, now.toSecsSinceEpoch(), 20, true, true, log.sink()};
  EXPECT_EQ(GetFileStatus(f, chk), QString(kFree));
  // A reader does not hold a read-only file back.
  QFile reader(f);
  ASSERT_TRUE(reader.open(QIODevice::ReadOnly));
  EXPECT_EQ(GetFileStatus(f, chk), QString(kFree));
  reader.close();
  chk.processReadOnly = false;
  EXPECT_EQ(GetFileStatus(f, chk), QString(kLocked));
  EXPECT_EQ(log.lines, QStringList{"1:WARNING: File [" + f +
                                   "] is ReadOnly and <Process ReadOnly> setting is disabled!"});
}

TEST(Stability, StableSecondsRoundsHalvesToEven) {
  EXPECT_EQ(StableSeconds(0.5), 0);
  EXPECT_EQ(StableSeconds(1.5), 2);
  EXPECT_EQ(StableSeconds(2.5), 2);
  EXPECT_EQ(StableSeconds(2.6), 3);
  EXPECT_EQ(StableSeconds(20), 20);
  EXPECT_EQ(StableSeconds(-1), -1);
}

// The engine reads the system clock's seconds directly; they are those of its date-time.
TEST(Stability, SystemClockSecondsAreThoseOfItsDateTime) {
  const SystemClock clock;
  const qint64 before = clock.now().toSecsSinceEpoch();
  const qint64 secs = clock.secsSinceEpoch();
  const qint64 after = clock.now().toSecsSinceEpoch();
  EXPECT_LE(before, secs);
  EXPECT_LE(secs, after);
  // Its date-time is the local time of the current second.
  const QDateTime local = clock.now(), real = QDateTime::currentDateTime();
  EXPECT_EQ(local.timeSpec(), Qt::LocalTime);
  EXPECT_EQ(local.time().msec(), 0);
  EXPECT_LE(local.secsTo(real), 1);
  EXPECT_GE(local.secsTo(real), 0);
  // A clock that gives only its date-time gets the same seconds by default.
  const test::FakeClock fake(QDateTime(QDate(2026, 10, 25), QTime(2, 30, 0)));
  EXPECT_EQ(fake.secsSinceEpoch(), fake.now().toSecsSinceEpoch());
  // The local time of other moments: the one remembered is never handed out for another,
  // and asking for now between them changes neither.
  for (const qint64 at : {secs + 1, secs + 1, secs + 86400 * 200, secs + 1}) {
    SCOPED_TRACE(at - secs);
    clock.now();
    const QDateTime t = clock.localAt(at);
    EXPECT_EQ(t, QDateTime::fromSecsSinceEpoch(at));
    EXPECT_EQ(t.timeSpec(), Qt::LocalTime);
    EXPECT_EQ(t.toSecsSinceEpoch(), at);
  }
}

// The probe says why it could not look at a file: the error of opening it.
TEST(Stability, ProbeTellsWhyAFileCouldNotBeOpened) {
  const QString f = test::rootDir() + "/secret.txt";
  test::writeFile(f, "x");
  ::chmod(QFile::encodeName(f).constData(), 0600);
  LeaseProbe probe;
  EXPECT_FALSE(probe.heldOpen(f));
  EXPECT_EQ(probe.openError(), 0);
  EXPECT_TRUE(probe.heldOpen(test::rootDir() + "/gone.txt"));
  EXPECT_EQ(probe.openError(), ENOENT);
  // Another user (root drops to nobody for the call) may not open it.
  const bool root = ::geteuid() == 0;
  if (!root) ::chmod(QFile::encodeName(f).constData(), 0);
  if (root) ASSERT_EQ(::seteuid(65534), 0) << std::strerror(errno);
  const bool held = probe.heldForWriting(f);
  const int error = probe.openError();
  if (root) ASSERT_EQ(::seteuid(0), 0);
  EXPECT_TRUE(held);
  EXPECT_EQ(error, EACCES);
  // The next answer that could look at the file forgets the error.
  ::chmod(QFile::encodeName(f).constData(), 0600);
  EXPECT_FALSE(probe.heldForWriting(f));
  EXPECT_EQ(probe.openError(), 0);
}

// One look at a file at its turn serves the existence test and the lease: the probe
// opens the file once, and the judgement after it still sees a writer.
TEST(Stability, OneLookServesStatusAndLease) {
  const QString f = test::rootDir() + "/looked.txt";
  test::writeFile(f, "twelve bytes");
  LeaseProbe probe;
  struct stat st {};
  EXPECT_FALSE(probe.look(test::rootDir() + "/none.txt", st));
  EXPECT_FALSE(probe.look(test::rootDir(), st)) << "a folder is no file";
  ASSERT_TRUE(probe.look(f, st));
  EXPECT_EQ(st.st_size, 12);
  EXPECT_FALSE(probe.heldOpen(f)) << "its own look is not another holder";
  {
    test::Writer w(f);
    ASSERT_TRUE(w.started());
    ASSERT_TRUE(probe.look(f, st));
    EXPECT_TRUE(probe.heldOpen(f));
    ASSERT_TRUE(probe.look(f, st));
    EXPECT_TRUE(probe.heldForWriting(f));
    w.stop();
  }
  // Looks never answered by a lease keep no descriptor open once the cycle is over
  // (during it the probe keeps the folder of its last look).
  probe.endCycle();
  const auto openFds = [] { return QDir("/proc/self/fd").entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(); };
  const qsizetype before = openFds();
  for (int i = 0; i < 50; ++i) ASSERT_TRUE(probe.look(f, st));
  probe.beginCycle();
  EXPECT_EQ(openFds(), before);
}

// The probe reaches the files of one folder through the folder it opened for the first
// of them; each file is still opened afresh, and a folder renamed and replaced under
// its path is let go (within the probe's short trust in it).
TEST(Stability, LooksFollowTheFolderPathNotAKeptFolder) {
  const QString dir = test::makeDir("kept");
  for (const char* n : {"a.txt", "b.txt", "c.txt"}) test::writeFile(dir + "/" + n, "data");
  LeaseProbe probe;
  struct stat st {};
  ASSERT_TRUE(probe.look(dir + "/a.txt", st));
  ASSERT_TRUE(QFile::remove(dir + "/b.txt"));
  EXPECT_FALSE(probe.look(dir + "/b.txt", st)) << "a removed file, however its folder is reached";
  ASSERT_TRUE(probe.look(dir + "/c.txt", st));
  ASSERT_TRUE(QDir().rename(dir, dir + ".old"));
  ASSERT_TRUE(QDir().mkdir(dir));
  test::writeFile(dir + "/c.txt", "new one");
  QThread::msleep(30);
  ASSERT_TRUE(probe.look(dir + "/c.txt", st));
  EXPECT_EQ(st.st_size, 7) << "the file the path names now";
  EXPECT_FALSE(probe.look(dir + "/a.txt", st)) << "a.txt went with the renamed folder";
  EXPECT_TRUE(probe.look(dir + ".old/a.txt", st));
}
