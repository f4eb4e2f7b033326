// The configuration reader against CR LF fixtures.
#include <gtest/gtest.h>

#include <QFile>

#include "daemon/config.h"
#include "daemon/logging.h"
#include "support.h"

using namespace mvnz::mvnd;
using namespace mvnz::mvnd::test;

namespace {

QStringList Warnings(const Daemon& d) {
  QStringList w;
  for (const clsLogging& l : d.TotalLog)
    if (l.message.startsWith(QLatin1String("WARNING"))) w << l.message;
  return w;
}

}  // namespace

TEST(ConfigReader, HeaderAndKeyRules) {
  TestDaemon t;
  t.Load({
      QStringLiteral("; comment"),
      QStringLiteral("[CONFIGURATION]"),
      QStringLiteral("RoziRoruTitle=My Daemon"),
      QStringLiteral("InitialGlobalsValue=g=1"),
      QStringLiteral("GlobalConstant=one"),
      QStringLiteral("GlobalConstant="),
      QStringLiteral("GlobalConstant=three"),
      QStringLiteral("AutoStart=1"),
      QStringLiteral("AutoStartState=4"),
      QString(),
      QStringLiteral("[inbox]"),
      QStringLiteral("Trigger=FILE"),
      QStringLiteral("RunDays="),
      QStringLiteral("Description=Inbox job   "),
      QStringLiteral(" ScanDirectory=/ignored"),
      QStringLiteral("ScanDirectory=/data/in"),
      QStringLiteral("Interval=a=b"),
      QStringLiteral("InputFilter="),
      QStringLiteral("SkipRejected=true"),
      QStringLiteral("RemoveRejected=0"),
      QStringLiteral("MoveRejected=FALSE"),
      QStringLiteral("StableTimer=2.5"),
      QStringLiteral("IncludeSubdir=2.5"),
      QStringLiteral("OldestFirst=3.5"),
      QStringLiteral("Enabled=1"),
      QStringLiteral("Command=Relocate]~[/a]~[/b"),
      QStringLiteral("Command=!Erase]~[x"),
      QStringLiteral("Constant=c1"),
      QStringLiteral("Constant=c=2"),
      QStringLiteral("Description =never"),
      QStringLiteral("[Broken] "),
      QStringLiteral("Description=not read"),
  });
  EXPECT_EQ(t.d.MainCaption, "My Daemon");
  EXPECT_EQ(t.d.InitialGlobalsValue, "g=1");
  EXPECT_EQ(t.d.GlobalVariables[0], "g=1");
  EXPECT_EQ(t.d.GlobalVariables[15], "g=1");
  EXPECT_EQ(t.d.GlobalConstants[1], "one");
  EXPECT_EQ(t.d.GlobalConstants[2], "");
  EXPECT_EQ(t.d.GlobalConstants[3], "three");
  EXPECT_TRUE(t.d.NoTrayIcon);  // AUTOSTART=1 came first

  ASSERT_EQ(t.d.RoziRorunerCount, 2);
  const RoziRoruner& r = t.d.RoziRoruners[0];
  EXPECT_EQ(r.Name, "inbox");  // header compared without case, name kept
  EXPECT_EQ(r.RunDays, "1111111");
  EXPECT_EQ(r.Description, "Inbox job");   // trailing blanks trimmed
  EXPECT_EQ(r.ScanDirectory, "/data/in");  // a line beginning with a blank is skipped
  EXPECT_EQ(r.Interval, "a=b");
  EXPECT_TRUE(r.SkipRejected);
  EXPECT_FALSE(r.RemoveRejected);
  EXPECT_FALSE(r.MoveRejected);
  EXPECT_DOUBLE_EQ(r.StableTimer, 2.5);
  EXPECT_EQ(r.IncludeSubdir, 2);  // halves to even
  EXPECT_EQ(r.OldestFirst, 4);
  EXPECT_TRUE(r.Active);
  ASSERT_EQ(r.CommandCount, 2);
  EXPECT_EQ(r.Commands[1].Name, "Relocate");
  EXPECT_EQ(r.Commands[1].Data[1], "/a");
  EXPECT_EQ(r.Commands[1].Data[2], "/b");
  EXPECT_EQ(r.Commands[1].Data[3], "");
  EXPECT_EQ(r.Commands[2].Name, "!Erase");
  EXPECT_EQ(r.LocalConstants[1], "c1");
  EXPECT_EQ(r.LocalConstants[2], "c=2");
  EXPECT_EQ(r.Description, "Inbox job");  // "Description " is another key

  // A blank after the closing bracket: listed with the bracket, never found.
  const RoziRoruner& b = t.d.RoziRoruners[1];
  EXPECT_EQ(b.Name, "Broken]");
  EXPECT_TRUE(b.Description.isEmpty());
  EXPECT_TRUE(b.Active);
  EXPECT_TRUE(Warnings(t.d).isEmpty());
}

// A bad line ends its section: what came before stays, the rest is not read, the
// next section is read, and a warning names the section and the line.
TEST(ConfigReader, BadLineStopsSectionWithWarning) {
  QStringList params;
  for (int i = 1; i <= 31; ++i) params << QString::number(i);
  const struct {
    const char* bad;
    const char* why;
  } cases[] = {
      {"SkipRejected=", "empty Boolean"},
      {"MoveRejected=maybe", "other Boolean text"},
      {"no equals sign here", "line without ="},
      {"Enabled=40000", "beyond 16 bits"},
      {nullptr, "31 parameters"},
      {nullptr, "16 constants"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    TestDaemon t;
    QStringList lines{QStringLiteral("[A]"), QStringLiteral("Description=before"),
                      QStringLiteral("Command=First")};
    if (c.bad) {
      lines << QString::fromLatin1(c.bad);
    } else if (QString::fromLatin1(c.why) == QLatin1String("31 parameters")) {
      lines << QStringLiteral("Command=Many]~[") + params.join(QStringLiteral("]~["));
    } else {
      for (int i = 1; i <= 16; ++i) lines << QStringLiteral("Constant=k%1").arg(i);
    }
    lines << QStringLiteral("Enabled=1") << QStringLiteral("Command=After") << QString()
          << QStringLiteral("[B]") << QStringLiteral("Description=next section");
    // Warnings found before initialisation are written once the log is open.
    WriteCrlf(t.configPath, Config(t.logDir, lines));
    ReloadConfiguration(t.d);
    EXPECT_EQ(t.d.PendingWarnings.size(), 1);
    t.d.DaemonInitialized = true;
    FlushPendingWarnings(t.d);

    ASSERT_EQ(t.d.RoziRorunerCount, 2);
    const RoziRoruner& a = t.d.RoziRoruners[0];
    EXPECT_EQ(a.Description, "before");
    EXPECT_EQ(a.CommandCount, 1);  // the command being split is not counted
    EXPECT_EQ(a.Enabled, 0);
    EXPECT_EQ(t.d.RoziRoruners[1].Description, "next section");
    const QStringList w = Warnings(t.d);
    ASSERT_EQ(w.size(), 1);
    EXPECT_TRUE(w[0].contains(QLatin1String("[A]"))) << w[0].toStdString();
    const int line = QString::fromLatin1(c.why) == QLatin1String("16 constants") ? 25 : 10;
    EXPECT_TRUE(w[0].contains(QStringLiteral("line %1 ").arg(line))) << w[0].toStdString();
    EXPECT_TRUE(t.SystemLog().contains(w[0]));
  }
}

TEST(ConfigReader, GlobalSettingsAcrossReloads) {
  TestDaemon t;
  t.Load({QStringLiteral("[CONFIGURATION]"), QStringLiteral("GlobalConstant=a"),
          QStringLiteral("GlobalConstant=b"), QStringLiteral("GlobalConstant=c"),
          QStringLiteral("ShowUnstableMessages=0"), QStringLiteral("AutoStartState=4"),
          QStringLiteral("AutoStart=1"), QStringLiteral("EnableLogging=1"), QStringLiteral("[Job]"),
          QStringLiteral("Enabled=1")});
  EXPECT_FALSE(t.d.ShowUnstableMessages);
  EXPECT_FALSE(t.d.NoTrayIcon);  // AUTOSTARTSTATE before AUTOSTART keeps the icon
  EXPECT_EQ(t.d.EnableLogging, 1);
  t.d.RoziRoruners[0].NextRun = QStringLiteral("runtime");

  // Slots and settings the new file does not reach keep their values.
  t.Load({QStringLiteral("[CONFIGURATION]"), QStringLiteral("GlobalConstant=x"),
          QStringLiteral("ShowUnstableMessages="), QStringLiteral("[Job]")});
  EXPECT_EQ(t.d.GlobalConstants[1], "x");
  EXPECT_EQ(t.d.GlobalConstants[2], "b");
  EXPECT_EQ(t.d.GlobalConstants[3], "c");
  EXPECT_TRUE(t.d.ShowUnstableMessages);  // present and empty counts as "1"
  EXPECT_EQ(t.d.EnableLogging, 1);
  EXPECT_TRUE(t.d.RoziRoruners[0].NextRun.isEmpty());  // records start fresh

  // No CONFIGURATION section: the RoziRoruners still load, settings stay.
  t.Load({QStringLiteral("[Other]"), QStringLiteral("Enabled=1")});
  ASSERT_EQ(t.d.RoziRorunerCount, 1);
  EXPECT_EQ(t.d.RoziRoruners[0].Name, "Other");
  EXPECT_EQ(t.d.GlobalConstants[1], "x");
}

TEST(ConfigReader, MissingFileKeepsRecordsAndWarns) {
  TestDaemon t;
  t.Load(Config(t.logDir, {QStringLiteral("[Job]"), QStringLiteral("Enabled=1")}));
  ASSERT_EQ(t.d.RoziRorunerCount, 1);
  QFile::remove(t.configPath);
  ReloadConfiguration(t.d);
  EXPECT_EQ(t.d.RoziRorunerCount, 1);
  EXPECT_EQ(t.d.RoziRoruners[0].Name, "Job");
  const QStringList log = t.SystemLog();
  ASSERT_GE(log.size(), 4);
  EXPECT_EQ(log[log.size() - 4], "Reloading configuration .....");
  EXPECT_TRUE(log[log.size() - 3].startsWith(QLatin1String("WARNING: Config-file not found [")));
  EXPECT_EQ(log[log.size() - 2], "1 RoziRoruners loaded");
  EXPECT_EQ(log.last(), "Config-file: " + t.configPath);
}

TEST(ConfigReader, LinesThatAreNotUtf8AreReadAsLatin1) {
  TestDaemon t;
  QFile f(t.configPath);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(
      "[Caf\xe9]\r\nDescription=Gr\xfc\xdf"
      "e\r\n[Ok]\r\nDescription=caf\xc3\xa9\r\n");
  f.close();
  ReloadConfiguration(t.d);
  ASSERT_EQ(t.d.RoziRorunerCount, 2);
  EXPECT_EQ(t.d.RoziRoruners[0].Name, QString::fromUtf8("Caf\xc3\xa9"));
  EXPECT_EQ(t.d.RoziRoruners[0].Description, QString::fromUtf8("Gr\xc3\xbc\xc3\x9f"
                                                               "e"));
  EXPECT_EQ(t.d.RoziRoruners[1].Description, QString::fromUtf8("caf\xc3\xa9"));
}
