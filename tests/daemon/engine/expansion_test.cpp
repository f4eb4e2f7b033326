// Variable tokens: every token, case, unclosed and nested brackets, unknown names,
// week numbers at year ends, the file tokens with and without a pending file.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <QFile>

#include "library/dates.h"
#include "engine/expansion.h"
#include "enginetestutil.h"
#include "library/tokens.h"
#include "testenv.h"

using namespace mvnz;
using namespace mvnz::engine;

namespace {

struct Fixture {
  QString name = "Inbox", description = "Incoming orders";
  QString lc[16], lv[16], gc[16], gv[16];
  FileTable table;
  test::FakeClock clock{QDateTime(QDate(2026, 8, 9), QTime(10, 7, 33))};  // a Sunday
  OwnerCache owners;
  QStringList errors;
  ExpansionContext ctx;
  QString file;

  Fixture() {
    for (int i = 0; i < 16; ++i) {
      lc[i] = "lc" + QString::number(i);
      gc[i] = "gc" + QString::number(i);
      lv[i] = "lv" + QString::number(i);
      gv[i] = "gv" + QString::number(i);
    }
    const QString dir = test::makeDir("scan/sub/deep");
    file = dir + "/a.txt";
    test::writeFile(file, QByteArray(1234, 'x'), QDateTime(QDate(2026, 8, 1), QTime(9, 5, 42)));
    const int f = table.addFolder(dir, "sub/deep");
    table.addRow({f, "a.txt", 1234,
                  QDateTime(QDate(2026, 8, 1), QTime(9, 5, 42)).toSecsSinceEpoch() * 1000000000LL});
    ctx.name = &name;
    ctx.description = &description;
    ctx.localConstants = lc;
    ctx.localVariables = lv;
    ctx.globalConstants = gc;
    ctx.globalVariables = gv;
    ctx.filesPending = 3;
    ctx.currentFile = 1;
    ctx.fileList = &table;
    ctx.scanDirectory = test::rootDir() + "/scan";
    ctx.clock = &clock;
    ctx.owners = &owners;
    ctx.log = [this](const QString& m, int) { errors << m; };
  }
  QString x(const QString& t) { return CommandInterpreter(t, ctx); }
};

}  // namespace

TEST(Expansion, EveryToken) {
  Fixture f;
  const QString dir = test::rootDir() + "/scan/sub/deep";
  const struct {
    const char* text;
    QString expected;
  } cases[] = {
      {"<SCANPATHFILENAME>", dir + "/a.txt"},
      {"<ScanPath>", dir},
      {"<filename>", "a.txt"},
      {"<FILENAMEEXT>", "txt"},
      {"<FILENAMENOEXT>", "a"},
      {"<SUBDIR>", "sub/deep"},
      {"<SCANDIR>", test::rootDir() + "/scan"},
      {"<FILESIZE>", "1234"},
      {"<FILETIMESTAMP>", "01/08/2026 09:05:42"},
      {"<TOTALFILENUMBER>", "3"},
      {"<CURRENTFILENUMBER>", "2"},
      {"<HH:MM:SS>", "10:07:33"},
      {"<HH:MM>", "10:07"},
      {"<HH>", "10"},
      {"<MM>", "07"},
      {"<SS>", "33"},
      {"<DD-MMM-YYYY>", "09-Aug-2026"},
      {"<DD-MM-YYYY>", "09-08-2026"},
      {"<DD>", "09"},
      {"<MMM>", "Aug"},
      {"<DATE_MM>", "08"},
      {"<YYYY>", "2026"},
      {"<YY>", "26"},
      {"<WEEKNUM>", "32"},
      {"<DAYOFWEEK>", "7"},
      {"<RoziRorunerName>", "Inbox"},
      {"<ROZIRORUNERDESCRIPTION>", "Incoming orders"},
      {"<LC1>", "lc1"},
      {"<LC15>", "lc15"},
      {"<GC7>", "gc7"},
      {"<LV1>", "lv0"},
      {"<GV15>", "gv14"},
      {"<lc16>", ""},
      {"<LC0>", ""},
      {"<LC01>", ""},
      {"<LCX>", ""},
      {"<foo>", "<FOO>"},
      {"<file name>", "<FILE NAME>"},
      {"<>", "<>"},
      {"", ""},
      {"no tokens", "no tokens"},
      {"size <filesize> of <FILENAME>", "size 1234 of a.txt"},
      {"a<b<FILENAME>c", "a<ba.txtc"},
      {"x<FILENAME", "x<FILENAME"},
      {"<FILENAME>>", "a.txt>"},
      {"<<<LC2>", "<<lc2"},
  };
  for (const auto& c : cases) EXPECT_EQ(f.x(c.text), c.expected) << c.text;
  EXPECT_TRUE(f.errors.isEmpty());
}

TEST(Expansion, OwnerAndValuesNotExpandedAgain) {
  Fixture f;
  EXPECT_EQ(f.x("<FILEOWNER>"), QString::fromLocal8Bit(getpwuid(getuid())->pw_name));
  f.gv[0] = "<GV1>";
  EXPECT_EQ(f.x("<GV1>"), "<GV1>");
  f.table.moveNext();  // past the last row: the file tokens find no row
  EXPECT_EQ(f.x("[<FILENAME>]"), "[]");
  EXPECT_EQ(f.x("<FILEOWNER>"), "{unknown}");
}

TEST(Expansion, FileTokensEmptyWithoutPendingFiles) {
  Fixture f;
  f.ctx.filesPending = 0;
  for (const char* t : {"<SCANPATHFILENAME>", "<SCANPATH>", "<FILENAME>", "<FILENAMEEXT>",
                        "<FILENAMENOEXT>", "<FILEOWNER>", "<SUBDIR>", "<SCANDIR>", "<FILESIZE>",
                        "<FILETIMESTAMP>", "<TOTALFILENUMBER>", "<CURRENTFILENUMBER>"})
    EXPECT_EQ(f.x(t), "") << t;
  EXPECT_EQ(f.x("<ROZIRORUNERNAME> <HH:MM>"), "Inbox 10:07");
}

// The examples the configuration reference prints are what expansion gives in the
// situation it describes.
TEST(Expansion, ReferenceExamples) {
  QString name = "Inbox", description = "Incoming orders";
  FileTable table;
  const QDateTime modified(QDate(2026, 8, 1), QTime(9, 5, 42));
  table.addRow({table.addFolder("/srv/in/2026", "2026"), "orders.csv", 1234,
                modified.toSecsSinceEpoch() * 1000000000LL});
  test::FakeClock clock{QDateTime(QDate(2026, 8, 9), QTime(10, 7, 33))};
  ExpansionContext ctx;
  ctx.name = &name;
  ctx.description = &description;
  ctx.filesPending = 3;
  ctx.currentFile = 1;
  ctx.fileList = &table;
  ctx.scanDirectory = "/srv/in";
  ctx.clock = &clock;
  for (const tokens::TokenInfo& t : tokens::Fixed()) {
    if (t.token == tokens::Token::FileOwner) continue;  // the account depends on the host
    EXPECT_EQ(CommandInterpreter(tokens::Text(t.token), ctx), QString::fromUtf8(t.example))
        << t.name;
  }
}

TEST(Expansion, WeekNumbersAndWeekdays) {
  const struct {
    QDate d;
    const char* week;
    const char* dow;
  } cases[] = {
      {QDate(2026, 1, 1), "1", "4"},    {QDate(2027, 1, 1), "53", "5"},
      {QDate(2021, 1, 3), "53", "7"},   {QDate(2024, 12, 30), "1", "1"},
      {QDate(2026, 12, 31), "53", "4"}, {QDate(2026, 8, 10), "33", "1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetWeekNumber(c.d), c.week) << c.d.toString().toStdString();
    EXPECT_EQ(GetDayOfWeekIndex(c.d), c.dow) << c.d.toString().toStdString();
  }
}

TEST(DateTexts, ShortDatePatternAndParsing) {
  EXPECT_EQ(ShortDatePatternOf("25.08.1958"), "dd/mm/yyyy");
  EXPECT_EQ(ShortDatePatternOf("8/25/1958"), "mm/dd/yyyy");
  EXPECT_EQ(ShortDatePatternOf("1958-08-25"), "yyyy/mm/dd");
  EXPECT_EQ(ShortDatePatternOf("25/08/58"), "dd/mm/yyyy");
  EXPECT_EQ(ShortDatePatternOf("garbage"), "dd/mm/yyyy");
  const QDateTime t(QDate(2005, 3, 7), QTime(14, 5, 9));
  EXPECT_EQ(FormatDueTime(t), "07-Mar-2005 14:05:09");
  EXPECT_EQ(FormatShortDateTime(t, "mm/dd/yyyy"), "03/07/2005 14:05:09");
  EXPECT_EQ(ParseDateTimeText("07-Mar-2005 14:05:09"), t);
  EXPECT_EQ(ParseDateTimeText("07-03-2005 14:05:09"), t);
  EXPECT_EQ(ParseDateTimeText("03/07/2005 14:05:09", "mm/dd/yyyy"), t);
  EXPECT_EQ(ParseDateTimeText("07/03/2005 14:05:09", "dd/mm/yyyy"), t);
  EXPECT_EQ(ParseDateTimeText("24-12-2030"), QDateTime(QDate(2030, 12, 24), QTime(0, 0)));
  EXPECT_EQ(ParseDateTimeText("24-12-2030 7:30"), QDateTime(QDate(2030, 12, 24), QTime(7, 30)));
  for (const char* bad : {"", "-5", "31-02-2026", "24-12-2030 25:00", "abc", "1:2:3:4"})
    EXPECT_FALSE(ParseDateTimeText(bad).has_value()) << bad;
  EXPECT_EQ(ParseTimeOfDay("7:30"), QTime(7, 30));
  EXPECT_FALSE(ParseTimeOfDay("7:3x").has_value());
}
