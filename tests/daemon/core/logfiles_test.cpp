// Log lines a log file refuses: they go to stderr with one line saying why, at most one
// reminder a minute, and one line once the file takes lines again.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <functional>

#include "daemon/logfiles.h"
#include "testenv.h"

using namespace mvnz::mvnd;

namespace {

// The real file port with a fault switched in, stderr recorded and a clock set by hand.
class FaultPort : public LogFilePort {
 public:
  QString Append(const QString& folder, const QString& fileName, const QByteArray& bytes) override {
    if (!fault.isEmpty()) return fault;
    return LogFilePort::Append(folder, fileName, bytes);
  }
  void ToStderr(const QByteArray& bytes) override { err += QString::fromUtf8(bytes); }
  qint64 NowMs() const override { return now; }
  QStringList TakeStderr() {
    QStringList lines = err.split('\n', Qt::SkipEmptyParts);
    err.clear();
    return lines;
  }
  QString fault;
  QString err;
  qint64 now = 1000;
};

}  // namespace

TEST(LogFiles, RefusedLinesGoToStderrUntilTheFileWorksAgain) {
  const QString root = mvnz::test::makeDir("logfiles");
  const QString blocker = root + "/blocker";
  const struct {
    const char* name;
    QString folder;
    const char* reason;
    std::function<void(FaultPort&)> fail, mend;
  } cases[] = {
      {"missing folder that cannot be made", blocker + "/logs", "Not a directory",
       [&](FaultPort&) {
         QFile f(blocker);
         ASSERT_TRUE(f.open(QIODevice::WriteOnly));
       },
       [&](FaultPort&) { ASSERT_TRUE(QFile::remove(blocker)); }},
      {"folder without write permission", root + "/ro", "Permission denied",
       [](FaultPort& p) { p.fault = "Permission denied"; }, [](FaultPort& p) { p.fault.clear(); }},
      {"full file system", root + "/full", "No space left on device",
       [](FaultPort& p) { p.fault = "No space left on device"; },
       [](FaultPort& p) { p.fault.clear(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto port = std::make_shared<FaultPort>();
    LogFileWriter w(port);
    const QString path = c.folder + "/System.log";
    c.fail(*port);
    w.Write(c.folder, "System", "11-12-2026 03:00.00", "one");
    w.Write(c.folder, "System", "11-12-2026 03:00.01", "two");
    EXPECT_EQ(port->TakeStderr(),
              (QStringList{"mvnd: cannot write the log file [" + path + "] [" + c.reason +
                               "]; its lines go to stderr until it can be written again",
                           "mvnd: System.log: [11-12-2026 03:00.00] one",
                           "mvnd: System.log: [11-12-2026 03:00.01] two"}));
    // While it keeps failing: a reminder once a minute, not with every line.
    port->now += LogFileWriter::kReminderMs - 1;
    w.Write(c.folder, "System", "t", "three");
    EXPECT_EQ(port->TakeStderr(), QStringList{"mvnd: System.log: [t] three"});
    port->now += 1;
    w.Write(c.folder, "System", "t", "four");
    w.Write(c.folder, "System", "t", "five");
    EXPECT_EQ(
        port->TakeStderr(),
        (QStringList{"mvnd: the log file [" + path + "] still cannot be written [" + c.reason + "]",
                     "mvnd: System.log: [t] four", "mvnd: System.log: [t] five"}));
    // Working again: one line says so, and the lines go to the file alone.
    c.mend(*port);
    w.Write(c.folder, "System", "t", "six");
    w.Write(c.folder, "System", "t", "seven");
    EXPECT_EQ(port->TakeStderr(),
              QStringList{"mvnd: the log file [" + path + "] is written again"});
    EXPECT_EQ(mvnz::test::readFile(path), "[t] six\r\n[t] seven\r\n");
  }
}

// Each file has its own state: one that fails does not silence or flag the others. Its
// name (a RoziRoruner's) stays on one line too.
TEST(LogFiles, FilesFailAndRecoverOnTheirOwn) {
  const QString good = mvnz::test::makeDir("logfiles-own/good");
  const QString blocked = mvnz::test::rootDir() + "/logfiles-own/blocked";
  {
    QFile f(blocked);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  auto port = std::make_shared<FaultPort>();
  LogFileWriter w(port);
  w.Write(blocked + "/day", "FS1_In\nbox", "t", "lost?");
  w.Write(good, "System", "t", "kept");
  w.Write(blocked + "/day", "FS1_In\nbox", "t", "again");
  const QStringList err = port->TakeStderr();
  ASSERT_EQ(err.size(), 3) << err.join('|').toStdString();
  EXPECT_TRUE(
      err[0].startsWith("mvnd: cannot write the log file [" + blocked + "/day/FS1_In\\nbox.log]"));
  EXPECT_EQ(err.mid(1), (QStringList{"mvnd: FS1_In\\nbox.log: [t] lost?",
                                     "mvnd: FS1_In\\nbox.log: [t] again"}));
  EXPECT_EQ(mvnz::test::readFile(good + "/System.log"), "[t] kept\r\n");
}

// The real port makes the missing folder levels of a day folder for the first line.
TEST(LogFiles, FirstLineOfADayMakesItsFolder) {
  const QString day = mvnz::test::rootDir() + "/logfiles-day/2026/12/11";
  auto port = std::make_shared<FaultPort>();
  LogFileWriter w(port);
  w.Write(day, "System", "t", "first");
  w.Write(day, "System", "t", "second");
  EXPECT_TRUE(port->TakeStderr().isEmpty());
  EXPECT_EQ(mvnz::test::readFile(day + "/System.log"), "[t] first\r\n[t] second\r\n");
}

// The file a line goes to stays open between lines. One removed meanwhile is made anew
// once it is looked at (a second after the last look, or when the files are closed at
// the end of a cycle) and gets again every line written since that look, so no line is
// lost. One renamed away gets no more lines once the files are closed.
TEST(LogFiles, FilesKeptOpenFollowRemovalAndRenaming) {
  const QString dir = mvnz::test::makeDir("logfiles-kept");
  const QString path = dir + "/System.log";
  auto port = std::make_shared<FaultPort>();
  LogFileWriter w(port);
  w.Write(dir, "System", "t", "one");
  port->now += LogFilePort::kLookMs;
  w.Write(dir, "System", "t", "two");  // looked at first: still there
  ASSERT_TRUE(QFile::remove(path));
  w.Write(dir, "System", "t", "three");
  port->now += LogFilePort::kLookMs;
  w.Write(dir, "System", "t", "four");
  EXPECT_EQ(mvnz::test::readFile(path), "[t] two\r\n[t] three\r\n[t] four\r\n");

  // Removed again: the end of the cycle looks before it closes.
  port->now += LogFilePort::kLookMs;
  w.Write(dir, "System", "t", "five");
  ASSERT_TRUE(QFile::remove(path));
  w.Write(dir, "System", "t", "six");
  w.CloseFiles();
  EXPECT_EQ(mvnz::test::readFile(path), "[t] five\r\n[t] six\r\n");

  ASSERT_TRUE(QFile::remove(path));
  w.Write(dir, "System", "t", "seven");
  ASSERT_TRUE(QFile::rename(path, dir + "/old.log"));
  port->now += LogFilePort::kLookMs;
  w.Write(dir, "System", "t", "eight");  // still the open file, now named old.log
  w.CloseFiles();
  w.Write(dir, "System", "t", "nine");
  w.CloseFiles();
  EXPECT_EQ(mvnz::test::readFile(dir + "/old.log"), "[t] seven\r\n[t] eight\r\n");
  EXPECT_EQ(mvnz::test::readFile(path), "[t] nine\r\n");
  EXPECT_TRUE(port->TakeStderr().isEmpty());
}

// A removed file whose folder cannot be made again: the lines written to it since the
// last look go to stderr with one line saying why, then the line that found it so.
TEST(LogFiles, LinesOfARemovedFileThatCannotBeMadeAgainGoToStderr) {
  const QString root = mvnz::test::makeDir("logfiles-gone");
  const QString dir = root + "/day";
  auto port = std::make_shared<FaultPort>();
  LogFileWriter w(port);
  w.Write(dir, "System", "t", "one");
  ASSERT_TRUE(mvnz::test::removeTree(dir));
  {
    QFile blocker(dir);  // a file where the folder was
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  }
  w.Write(dir, "System", "t", "two");
  port->now += LogFilePort::kLookMs;
  w.Write(dir, "System", "t", "three");
  EXPECT_EQ(port->TakeStderr(),
            (QStringList{"mvnd: the log file [" + dir +
                             "/System.log] was removed and cannot be made again [Not a "
                             "directory]; its last lines follow",
                         "mvnd: System.log: [t] one", "mvnd: System.log: [t] two",
                         "mvnd: cannot write the log file [" + dir +
                             "/System.log] [Not a directory]; its lines go to stderr until it "
                             "can be written again",
                         "mvnd: System.log: [t] three"}));
}
