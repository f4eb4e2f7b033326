// The configuration reader against CR LF fixtures.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "daemon/config.h"
#include "daemon/logging.h"
#include "daemon/modules.h"
#include "platform/activation.h"
#include "testenv.h"
#include "support.h"

using namespace mvnz::mvnd;
using namespace mvnz::mvnd::test;

namespace {

QStringList Warnings(const Daemon& d) {
  QStringList w;
  for (const clsLogging& l : d.log.TotalLog)
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
  EXPECT_EQ(t.d.view.MainCaption, "My Daemon");
  EXPECT_EQ(t.d.settings.InitialGlobalsValue, "g=1");
  EXPECT_EQ(t.d.jobs.GlobalVariables[0], "g=1");
  EXPECT_EQ(t.d.jobs.GlobalVariables[15], "g=1");
  EXPECT_EQ(t.d.settings.GlobalConstants[1], "one");
  EXPECT_EQ(t.d.settings.GlobalConstants[2], "");
  EXPECT_EQ(t.d.settings.GlobalConstants[3], "three");
  EXPECT_TRUE(t.d.settings.NoTrayIcon);  // AUTOSTART=1 came first

  ASSERT_EQ(t.d.jobs.RoziRorunerCount, 2);
  const RoziRoruner& r = t.d.jobs.RoziRoruners[0];
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
  ASSERT_EQ(r.Commands.size(), 2);
  EXPECT_EQ(r.Commands[0].Name, "Relocate");
  EXPECT_EQ(r.Commands[0].Data[1], "/a");
  EXPECT_EQ(r.Commands[0].Data[2], "/b");
  EXPECT_EQ(r.Commands[0].Data[3], "");
  EXPECT_EQ(r.Commands[1].Name, "!Erase");
  EXPECT_EQ(r.LocalConstants[1], "c1");
  EXPECT_EQ(r.LocalConstants[2], "c=2");
  EXPECT_EQ(r.Description, "Inbox job");  // "Description " is another key

  // A blank after the closing bracket: the header is read as "[Broken]" and said so.
  const RoziRoruner& b = t.d.jobs.RoziRoruners[1];
  EXPECT_EQ(b.Name, "Broken");
  EXPECT_EQ(b.Description, "not read");
  EXPECT_TRUE(b.Active);
  // Every line not taken as written is reported once, with its line.
  EXPECT_EQ(t.d.log.PendingWarnings,
            (QStringList{
                "WARNING: Configuration section [INBOX] line 15 ignored [ ScanDirectory=/ignored]"
                "[indented line]",
                "WARNING: Configuration section [INBOX] line 23 replaced [IncludeSubdir=2.5]"
                "[read as 2]",
                "WARNING: Configuration section [INBOX] line 24 replaced [OldestFirst=3.5]"
                "[read as 4]",
                "WARNING: Configuration section [INBOX] line 30 ignored [Description =never]"
                "[blank before \"=\"]",
                "WARNING: Configuration section [BROKEN] line 31 replaced [[Broken] ]"
                "[header does not end in \"]\", read as [Broken]]",
            }));
}

// A bad line is skipped alone: what came before and after it stays, the next
// section is read, and one warning names the section, the line and why.
TEST(ConfigReader, BadLineIsSkippedWithWarning) {
  QStringList params;
  for (int i = 1; i <= 31; ++i) params << QString::number(i);
  const QString many = QStringLiteral("Command=Many]~[") + params.join(QStringLiteral("]~["));
  const struct {
    const char* bad;  // null: 16 constants, the last one is the bad line
    const char* why;
  } cases[] = {
      {"SkipRejected=", "not True, False or a number"},
      {"MoveRejected=maybe", "not True, False or a number"},
      {"no equals sign here", "no \"=\""},
      {"Enabled=40000", "number out of range"},
      {"many", "more than 30 parameters"},
      {nullptr, "more than 15 constants"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    TestDaemon t;
    QStringList lines{QStringLiteral("[A]"), QStringLiteral("Description=before"),
                      QStringLiteral("Command=First")};
    QString bad;
    if (!c.bad) {
      for (int i = 1; i <= 16; ++i) lines << QStringLiteral("Constant=k%1").arg(i);
      bad = lines.last();
    } else {
      bad = QLatin1String(c.bad) == QLatin1String("many") ? many : QString::fromLatin1(c.bad);
      lines << bad;
    }
    lines << QStringLiteral("Enabled=1") << QStringLiteral("Command=After") << QString()
          << QStringLiteral("[B]") << QStringLiteral("Description=next section");
    // Warnings found before initialisation are written once the log is open.
    WriteCrlf(t.configPath, Config(t.logDir, lines));
    ReloadConfiguration(t.d);
    EXPECT_EQ(t.d.log.PendingWarnings.size(), 1);
    t.d.run.DaemonInitialized = true;
    FlushPendingWarnings(t.d);

    ASSERT_EQ(t.d.jobs.RoziRorunerCount, 2);
    const RoziRoruner& a = t.d.jobs.RoziRoruners[0];
    EXPECT_EQ(a.Description, "before");
    ASSERT_EQ(a.Commands.size(), 2);  // the command with too many parameters is not counted
    EXPECT_EQ(a.Commands[1].Name, "After");
    EXPECT_EQ(a.Enabled, 1);
    if (!c.bad) EXPECT_EQ(a.LocalConstants[15], "k15");
    EXPECT_EQ(t.d.jobs.RoziRoruners[1].Description, "next section");
    const QStringList w = Warnings(t.d);
    ASSERT_EQ(w.size(), 1);
    const int line = c.bad ? 10 : 25;
    EXPECT_EQ(w[0], QStringLiteral("WARNING: Configuration section [A] line %1 skipped [%2][%3]")
                        .arg(line)
                        .arg(bad, QLatin1String(c.why)));
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
  EXPECT_FALSE(t.d.settings.ShowUnstableMessages);
  EXPECT_FALSE(t.d.settings.NoTrayIcon);  // AUTOSTARTSTATE before AUTOSTART keeps the icon
  EXPECT_EQ(t.d.settings.EnableLogging, 1);
  t.d.jobs.RoziRoruners[0].NextRun = QStringLiteral("runtime");

  // Slots and settings the new file does not reach keep their values.
  t.Load({QStringLiteral("[CONFIGURATION]"), QStringLiteral("GlobalConstant=x"),
          QStringLiteral("ShowUnstableMessages="), QStringLiteral("[Job]")});
  EXPECT_EQ(t.d.settings.GlobalConstants[1], "x");
  EXPECT_EQ(t.d.settings.GlobalConstants[2], "b");
  EXPECT_EQ(t.d.settings.GlobalConstants[3], "c");
  EXPECT_TRUE(t.d.settings.ShowUnstableMessages);  // present and empty counts as "1"
  EXPECT_EQ(t.d.settings.EnableLogging, 1);
  EXPECT_TRUE(t.d.jobs.RoziRoruners[0].NextRun.isEmpty());  // records start fresh

  // No CONFIGURATION section: the RoziRoruners still load, settings stay.
  t.Load({QStringLiteral("[Other]"), QStringLiteral("Enabled=1")});
  ASSERT_EQ(t.d.jobs.RoziRorunerCount, 1);
  EXPECT_EQ(t.d.jobs.RoziRoruners[0].Name, "Other");
  EXPECT_EQ(t.d.settings.GlobalConstants[1], "x");
}

// A file that is missing or cannot be read is never loaded as empty.
TEST(ConfigReader, MissingOrUnreadableFileKeepsRecordsAndWarns) {
  const struct {
    const char* what;
    bool folder;  // a folder stands at the path; else nothing does
    const char* warning;
  } cases[] = {
      {"missing", false, "WARNING: Config-file not found ["},
      {"a folder", true, "WARNING: Config-file is not a file ["},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TestDaemon t;
    t.Load(Config(t.logDir, {QStringLiteral("[Job]"), QStringLiteral("Enabled=1")}));
    ASSERT_EQ(t.d.jobs.RoziRorunerCount, 1);
    QFile::remove(t.configPath);
    if (c.folder) ASSERT_TRUE(QDir().mkdir(t.configPath));
    ReloadConfiguration(t.d);
    EXPECT_EQ(t.d.jobs.RoziRorunerCount, 1);
    EXPECT_EQ(t.d.jobs.RoziRoruners[0].Name, "Job");
    const QStringList log = t.SystemLog();
    ASSERT_GE(log.size(), 4);
    EXPECT_EQ(log[log.size() - 4], "Reloading configuration .....");
    EXPECT_TRUE(log[log.size() - 3].startsWith(QLatin1String(c.warning)))
        << log[log.size() - 3].toStdString();
    EXPECT_TRUE(log[log.size() - 3].endsWith(QLatin1String("the RoziRoruners stay as they were")));
    EXPECT_EQ(log[log.size() - 2], "1 RoziRoruners loaded");
    EXPECT_EQ(log.last(), "Config-file: " + t.configPath);
    if (c.folder) QDir().rmdir(t.configPath);
  }
}

// Commands no module provides and filter patterns the scan cannot use are said once,
// at the load; the job keeps them as written. Before the module table is loaded no
// command is judged.
TEST(ConfigReader, UnknownCommandsAndBadFiltersReportedAtLoad) {
  mvnz::activation::setPluginFolder(mvnz::test::makeDir(QStringLiteral("noplugins")));
  TestDaemon t;
  const QStringList job{QStringLiteral("[Job]"),
                        QStringLiteral("InputFilter=\\.txt$;(open"),
                        QStringLiteral("RejectFilter=*"),
                        CommandLine(QStringLiteral("StopDaemon")),
                        CommandLine(QStringLiteral("!Nosuch")),
                        QStringLiteral("Enabled=1")};
  const QStringList lines = Config(t.logDir, job);
  const int first = static_cast<int>(lines.indexOf(job[0])) + 1;
  t.Load(lines);
  EXPECT_TRUE(t.d.log.PendingWarnings.filter(QStringLiteral("no module")).isEmpty());

  LoadPluginModules(t.d);
  t.d.run.DaemonInitialized = false;  // held back, so the test reads them in one list
  t.d.log.PendingWarnings.clear();
  t.Load(lines);
  ASSERT_EQ(t.d.log.PendingWarnings.size(), 2) << t.d.log.PendingWarnings.join('\n').toStdString();
  EXPECT_TRUE(t.d.log.PendingWarnings[0].startsWith(
      QStringLiteral("WARNING: Configuration section [JOB] line %1 kept [InputFilter=\\.txt$;(open]"
                     "[pattern [(open] cannot be used [")
          .arg(first + 1)))
      << t.d.log.PendingWarnings[0].toStdString();
  EXPECT_EQ(t.d.log.PendingWarnings[1],
            QStringLiteral("WARNING: Configuration section [JOB] line %1 kept [%2]"
                           "[no module provides [Nosuch]]")
                .arg(first + 4)
                .arg(CommandLine(QStringLiteral("!Nosuch"))));
  ASSERT_EQ(t.d.jobs.RoziRoruners[0].Commands.size(), 2);
  EXPECT_EQ(t.d.jobs.RoziRoruners[0].Commands[1].Name, "!Nosuch");
  EXPECT_EQ(t.d.jobs.RoziRoruners[0].InputFilter, "\\.txt$;(open");
}

// The patterns the load reports are marked on the record, so the scan does not say them
// again; a reload starts each record afresh with what the new file's load reported.
TEST(ConfigReader, PatternsReportedAtLoadAreMarkedOnTheRecord) {
  TestDaemon t;
  const auto job = [&](const QString& input, const QString& reject) {
    return Config(t.logDir, {QStringLiteral("[Job]"), "InputFilter=" + input,
                             "RejectFilter=" + reject, QStringLiteral("Enabled=1"),
                             QStringLiteral("[Other]"), "InputFilter=" + input});
  };
  const auto marked = [&](int i) {
    QStringList m = t.d.jobs.RoziRoruners[i].ReportedPatterns.values();
    m.sort();
    return m.join(QLatin1Char(' ')).toStdString();
  };
  t.Load(job(QStringLiteral("\\.txt$;(open"), QStringLiteral("[b;\\.bak$")));
  ASSERT_EQ(t.d.jobs.RoziRorunerCount, 2);
  EXPECT_EQ(marked(0), "(open [b");
  EXPECT_EQ(marked(1), "(open");

  t.d.jobs.RoziRoruners[0].ReportedPatterns.insert(QStringLiteral("x|[z-a]"));  // said by a scan
  t.Load(job(QStringLiteral("\\.txt$"), QString()));
  EXPECT_EQ(marked(0), "");
  EXPECT_EQ(marked(1), "");
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
  ASSERT_EQ(t.d.jobs.RoziRorunerCount, 2);
  EXPECT_EQ(t.d.jobs.RoziRoruners[0].Name, QString::fromUtf8("Caf\xc3\xa9"));
  EXPECT_EQ(t.d.jobs.RoziRoruners[0].Description, QString::fromUtf8("Gr\xc3\xbc\xc3\x9f"
                                                                    "e"));
  EXPECT_EQ(t.d.jobs.RoziRoruners[1].Description, QString::fromUtf8("caf\xc3\xa9"));
}

// The run mode is read from the [CONFIGURATION] sections alone, wherever they stand.
TEST(ConfigReader, GlobalSettingsWithoutTheRoziRoruners) {
  const struct {
    const char* what;
    QStringList lines;
    int autoStart, state;
  } cases[] = {
      {"first", {"[CONFIGURATION]", "AutoStart=1", "AutoStartState=4", "[Job]", "AutoStart=0"}, 1, 4},
      {"after a job, lower case", {"[Job]", "Enabled=1", "[configuration]", "AutoStart=1",
                                   "AutoStartState=3"}, 1, 3},
      {"blank after the bracket", {"[CONFIGURATION] ", "AutoStart=1", "AutoStartState=2"}, 1, 2},
      {"none", {"[Job]", "AutoStart=1", "AutoStartState=4"}, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TestDaemon t;
    WriteCrlf(t.configPath, c.lines);
    const mvnz::jobfile::GlobalSettings g = ReadGlobalSettings(t.configPath);
    EXPECT_EQ(g.AutoStart, c.autoStart);
    EXPECT_EQ(g.AutoStartState, c.state);
  }
  EXPECT_EQ(ReadGlobalSettings(QStringLiteral("/nonexistent/MVNZuri.ini")).AutoStart, 0);
}
