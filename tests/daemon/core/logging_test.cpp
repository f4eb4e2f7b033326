// The log routine's routing: sources x selection -> buffers, window, bar and files.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "daemon/logging.h"
#include "daemon/logtext.h"
#include "library/contract.h"
#include "library/dates.h"
#include "support.h"
#include "testenv.h"

using namespace mvnz::mvnd;
using namespace mvnz::mvnd::test;

namespace {

struct LogFixture {
  explicit LogFixture(const QStringList& names = {QStringLiteral("Alpha"),
                                                  QStringLiteral("Inbox")}) {
    mvnz::test::removeTree(t.logDir);  // each case of a table starts without files
    QStringList sections;
    for (const QString& n : names)
      sections << QLatin1Char('[') + n + QLatin1Char(']') << QStringLiteral("Enabled=1");
    t.Load(Config(t.logDir, sections));
    t.d.view.MessageBarShown = true;
    t.d.log.TotalLog.clear();
    t.ui->window.clear();
  }
  QString File(const QString& base) const {
    return QDir(DayFolder(t.logDir)).filePath(base + ".log");
  }
  TestDaemon t;
};

// A log time text that stands for the current time (within a few seconds).
bool IsNow(const QString& timeText) {
  const auto t = mvnz::ParseTimeText(timeText);
  return t && FormatLogTime(*t) == timeText &&
         qAbs(t->secsTo(QDateTime::currentDateTime())) <= 3;
}

}  // namespace

TEST(Logging, RoutingMatrix) {
  const struct {
    const char* source;
    int selected;        // SelectedLog
    bool buffered;       // in the buffer of RoziRoruner 1
    const char* total;   // total log text
    const char* window;  // window text, nullptr = not shown
    const char* bar;     // bar text
    const char* file;    // log file base name
  } cases[] = {
      {"S", 0, false, "msg", "msg", "[SYS] msg", "System"},
      {"S", 2, false, "msg", nullptr, "[SYS] msg", "System"},
      {"M", 0, true, "[FS2] msg", "[FS2] msg", "[FS2] msg", "FS2_Inbox"},
      {"M", 2, true, "[FS2] msg", "msg", "[FS2] msg", "FS2_Inbox"},
      {"M", 1, true, "[FS2] msg", nullptr, "[FS2] msg", "FS2_Inbox"},
      {"D", 0, true, "msg", "msg", "", "FS2_Inbox"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.source) + " selected " + std::to_string(c.selected));
    LogFixture f;
    f.t.d.view.SelectedLog = c.selected;
    WriteLogLine(f.t.d, QString::fromLatin1(c.source), QStringLiteral("msg"), 0, {}, 1);
    EXPECT_EQ(f.t.d.log.LogBuffers[2].size(), c.buffered ? 1 : 0);
    EXPECT_TRUE(f.t.d.log.LogBuffers[1].isEmpty());
    ASSERT_EQ(f.t.d.log.TotalLog.size(), 1);
    EXPECT_EQ(f.t.d.log.TotalLog[0].message, c.total);
    EXPECT_EQ(f.t.d.log.TotalLog[0].msType, c.source);
    EXPECT_EQ(f.t.ui->window, c.window ? QStringList{c.window} : QStringList{});
    EXPECT_EQ(f.t.ui->bar, QStringList{c.bar});
    // The file never carries the prefix.
    EXPECT_EQ(LogMessages(f.File(QString::fromLatin1(c.file))), QStringList{"msg"});
  }
}

TEST(Logging, SetMessageSplitsAtCrLf) {
  const struct {
    const char* text;
    QStringList lines;
  } cases[] = {
      {"a\r\nb", {"a", "b"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"", {""}},
      {"a\nb", {"a\\nb"}},  // split at CR LF only; the LF left is escaped
      {"a\r\nb\rc\t", {"a", "b\\rc\\t"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    LogFixture f;
    EXPECT_TRUE(SetMessage(f.t.d, 0, QString::fromLatin1(c.text), {}));
    QStringList got;
    for (const clsLogging& l : f.t.d.log.LogBuffers[1]) got << l.message;
    EXPECT_EQ(got, c.lines);
  }
}

TEST(Logging, TimeTextsAndLevels) {
  LogFixture f;
  // The plug-ins' time text is read back into the log's own form.
  SetMessage(f.t.d, 1, QStringLiteral("x"), QStringLiteral("08-Dec-2026 09:05.42"));
  EXPECT_EQ(f.t.d.log.LogBuffers[1].last().Timestamp, "08-12-2026 09:05.42");
  SetMessage(f.t.d, 1, QStringLiteral("x"), QStringLiteral("not a time"));
  EXPECT_TRUE(IsNow(f.t.d.log.LogBuffers[1].last().Timestamp)) << f.t.d.log.LogBuffers[1].last().Timestamp.toStdString();
  // A level outside 0-3 is kept as given and harms nothing; only level 2 counts.
  f.t.d.run.ErrorCount = 70000;  // beyond 16 bits
  SetMessage(f.t.d, 7, QStringLiteral("odd"), {});
  SetMessage(f.t.d, -1, QStringLiteral("odd"), {});
  SetMessage(f.t.d, 2, QStringLiteral("bad"), {});
  EXPECT_EQ(f.t.d.log.LogBuffers[1].last().mType, "2");
  EXPECT_EQ(f.t.d.log.LogBuffers[1][2].mType, "7");
  EXPECT_EQ(f.t.d.run.ErrorCount, 70001);
  EXPECT_EQ(f.t.ui->barErrors, 70001);
}

TEST(Logging, BufferSizeKeepsNewestPlusOne) {
  LogFixture f;
  f.t.d.settings.BufferSize = 5;
  for (int i = 1; i <= 7; ++i) WriteLogLine(f.t.d, "M", QString::number(i), 0, {}, 0);
  ASSERT_EQ(f.t.d.log.LogBuffers[1].size(), 6);
  EXPECT_EQ(f.t.d.log.LogBuffers[1].first().message, "2");
  EXPECT_EQ(f.t.d.log.TotalLog.size(), 6);
  EXPECT_EQ(f.t.ui->window, (QStringList{"[FS1] 3", "[FS1] 4", "[FS1] 5", "[FS1] 6", "[FS1] 7"}));
}

TEST(Logging, FilesOffMissingOrUncreatable) {
  {
    SCOPED_TRACE("EnableLogging 0");
    LogFixture f;
    mvnz::test::removeTree(f.t.logDir);
    f.t.d.settings.EnableLogging = 0;
    WriteLogLine(f.t.d, "S", "x", 0);
    EXPECT_FALSE(QDir(f.t.logDir).exists());
    EXPECT_EQ(f.t.d.log.TotalLog.size(), 1);
  }
  {
    SCOPED_TRACE("uncreatable folder");
    LogFixture f;
    const QString blocker = QDir(mvnz::test::rootDir()).filePath("afile");
    QFile b(blocker);
    ASSERT_TRUE(b.open(QIODevice::WriteOnly));
    b.close();
    f.t.d.settings.LogDirectory = blocker + "/logs";
    EXPECT_TRUE(SetMessage(f.t.d, 0, "still logged", {}));
    EXPECT_EQ(f.t.d.log.LogBuffers[1].size(), 1);
    EXPECT_EQ(f.t.ui->window.size(), 1);
  }
  {
    SCOPED_TRACE("before initialisation");
    LogFixture f;
    f.t.d.run.DaemonInitialized = false;
    EXPECT_FALSE(SetMessage(f.t.d, 0, "dropped", {}));
    WriteLogLine(f.t.d, "S", "dropped", 0);
    EXPECT_TRUE(f.t.d.log.TotalLog.isEmpty());
    EXPECT_FALSE(QFile::exists(f.File("System")));
  }
}

// A RoziRoruner name is only a part of a file name: nothing escapes the log folder.
TEST(Logging, RoziRorunerNameCannotLeaveTheLogFolder) {
  LogFixture f({QStringLiteral("../../escape/x"), QStringLiteral("..")});
  WriteLogLine(f.t.d, "M", "one", 0, {}, 0);
  WriteLogLine(f.t.d, "M", "two", 0, {}, 1);
  EXPECT_EQ(LogMessages(f.File("FS1_.._.._escape_x")), QStringList{"one"});
  EXPECT_EQ(LogMessages(f.File("FS2_..")), QStringList{"two"});
  EXPECT_EQ(QDir(DayFolder(f.t.logDir)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(),
            2);
  EXPECT_FALSE(QDir(DayFolder(f.t.logDir) + "/../../escape").exists());
}

TEST(Logging, MVNdcomObjectLogsIntoTheRoziRorunerWhoseScriptRuns) {
  LogFixture f;
  RegisterMVNdcom(f.t.d);
  f.t.d.run.ScriptRoziRoruner = 1;
  auto o = mvnz::activation::create(QString::fromLatin1(mvnz::MVNdcom::kProgId));
  auto* log = mvnz::interfaceCast<mvnz::MVNdcom>(o.get());
  ASSERT_NE(log, nullptr);
  EXPECT_TRUE(log->SetMessage(0, "from a plug-in", {}));
  EXPECT_EQ(LogMessages(f.File("FS2_Inbox")), QStringList{"from a plug-in"});
  // Before initialisation the object is harmless: its line is dropped, nothing ends.
  f.t.d.run.DaemonInitialized = false;
  auto early = mvnz::activation::create(QString::fromLatin1(mvnz::MVNdcom::kProgId));
  ASSERT_NE(early, nullptr);
  EXPECT_FALSE(mvnz::interfaceCast<mvnz::MVNdcom>(early.get())->SetMessage(0, "early", {}));
  EXPECT_TRUE(f.t.exits.isEmpty());
  UnregisterMVNdcom();
}

TEST(Logging, ControlCharactersAreEscaped) {
  const struct {
    QString text, shown;
  } cases[] = {
      {"plain text, C:\\path\\x and [brackets]", "plain text, C:\\path\\x and [brackets]"},
      {"a\nb", "a\\nb"},
      {"tab\there\r", "tab\\there\\r"},
      {"\x1b[31mred\x1b[0m", "\\x1b[31mred\\x1b[0m"},
      {QString("nul") + QChar(0) + "del\x7f", "nul\\x00del\\x7f"},
      {QString("next") + QChar(0x85) + "line" + QChar(0x9b), "next\\u0085line\\u009b"},
      {"caf\u00e9 \u65e5\u672c \U0001F600", "caf\u00e9 \u65e5\u672c \U0001F600"},
      // Bytes that are not UTF-8 travel as U+DC00 + byte; other lone halves as themselves.
      {QString("bad") + QChar(0xdcff) + QChar(0xdc80) + ".txt", "bad\\xff\\x80.txt"},
      {QString("half") + QChar(0xd800) + "x" + QChar(0xdc00), "half\\ud800x\\udc00"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.shown.toStdString());
    EXPECT_EQ(EscapeLogText(c.text), c.shown);
  }
}

// A file name with line breaks cannot add or forge lines: every sink gets one line.
TEST(Logging, EveryLineIsOneLineInEverySink) {
  LogFixture f;
  const QString name = "in/x.txt\n[01-01-2026 00:00.00] Daemon stopped\t\x1b[2J";
  const QString shown = "in/x.txt\\n[01-01-2026 00:00.00] Daemon stopped\\t\\x1b[2J";
  f.t.d.run.ScriptRoziRoruner = 1;
  WriteLogLine(f.t.d, "M", "File [" + name + "] is not stable", 0);
  SetMessage(f.t.d, 0, "first\r\nsecond\nthird", "forged\ntime");
  const QStringList lines = {"File [" + shown + "] is not stable", "first", "second\\nthird"};
  QStringList buffered;
  for (const clsLogging& l : f.t.d.log.LogBuffers[2]) buffered << l.message;
  EXPECT_EQ(buffered, lines);
  EXPECT_TRUE(IsNow(f.t.d.log.LogBuffers[2].last().Timestamp));
  EXPECT_EQ(f.t.ui->window.size(), 3);
  EXPECT_EQ(f.t.ui->bar.first(), "[FS2] " + lines.first());
  const QByteArray file = mvnz::test::readFile(f.File("FS2_Inbox"));
  EXPECT_EQ(file.count("\n"), 3) << file.toStdString();
  EXPECT_EQ(file.count("\r"), 3);
  EXPECT_FALSE(file.contains('\t') || file.contains('\x1b'));
  EXPECT_EQ(LogMessages(f.File("FS2_Inbox")), lines);
}

// Another process's SetMessage cannot write a line that looks like the daemon's own:
// each piece of its text is one escaped line, and a time text that is no date and
// time gives the current time instead of standing where the daemon's time stands.
TEST(Logging, SetMessageCannotForgeALine) {
  const struct {
    const char* text;
    const char* time;
    QStringList lines;  // the file's lines after their time
    const char* shownTime;  // nullptr: the current time
  } cases[] = {
      {"ok\r\n[01-01-2026 00:00.00] Daemon stopped", "", {"ok", "[01-01-2026 00:00.00] Daemon stopped"}, nullptr},
      {"a\nb\x1b[2J\r\nc\rd", "08-Dec-2026 09:05.42", {"a\\nb\\x1b[2J", "c\\rd"}, "08-12-2026 09:05.42"},
      {"x", "01-01-2026 00:00.00] Daemon stopped\r\n[02-01-2026 00:00.00", {"x"}, nullptr},
      {"x", "\x1b[2J", {"x"}, nullptr},
      {"x", "31-02-2026 10:00.00", {"x"}, nullptr},
      {"x", "tomorrow", {"x"}, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text + std::string(" / ") + c.time);
    LogFixture f;
    ASSERT_TRUE(SetMessage(f.t.d, 0, QString::fromLatin1(c.text), QString::fromLatin1(c.time)));
    const QByteArray file = mvnz::test::readFile(f.File("FS1_Alpha"));
    const QList<QByteArray> raw = file.split('\n');
    ASSERT_EQ(raw.size(), c.lines.size() + 1) << file.toStdString();  // the last is empty
    for (qsizetype i = 0; i < c.lines.size(); ++i) {
      QByteArray line = raw[i];
      ASSERT_TRUE(line.endsWith('\r'));
      line.chop(1);
      ASSERT_TRUE(line.startsWith('['));
      const qsizetype close = line.indexOf("] ");
      ASSERT_GT(close, 0);
      const QString time = QString::fromUtf8(line.mid(1, close - 1));
      if (c.shownTime)
        EXPECT_EQ(time, QString::fromLatin1(c.shownTime));
      else
        EXPECT_TRUE(IsNow(time)) << time.toStdString();
      EXPECT_EQ(QString::fromUtf8(line.mid(close + 2)), c.lines[i]);
    }
  }
}
