#include <gtest/gtest.h>
#include <QDir>
#include <QFile>

#include "library/jobfile.h"
#include "testenv.h"
#include "unprivileged.h"

#include <sys/stat.h>

using namespace mvnz::jobfile;

namespace {

// Lines joined by CR LF, as the writer ends them.
QByteArray Lines(std::initializer_list<const char*> lines) {
  QByteArray out;
  for (const char* l : lines) out += QByteArray(l) + "\r\n";
  return out;
}

ReadResult Parse(const QByteArray& bytes, ReadPolicy policy = ReadPolicy::Daemon()) {
  ReadOptions o;
  o.policy = policy;
  return ParseJobFile(bytes, o);
}

// The one job of a file holding a [JOB] header and the given lines.
RoziRoruner JobWith(std::initializer_list<const char*> lines, QList<Fault>* faults = nullptr) {
  QByteArray bytes = "[JOB]\r\n";
  for (const char* l : lines) bytes += QByteArray(l) + "\r\n";
  const ReadResult r = Parse(bytes);
  if (faults) *faults = r.faults;
  EXPECT_EQ(r.file.RoziRoruners.size(), 1);
  return r.file.RoziRoruners.value(0);
}

}  // namespace

TEST(JobFileReader, KeysAnyCaseValuesWithEqualsAndMissingKeys) {
  const RoziRoruner j = JobWith({"description=a=b=c", "SCANDIRECTORY=/in  ", "TrIgGeR=TIME",
                                 "Interval=", "MoveRejectedDirectory=/x=y"});
  EXPECT_EQ(j.Description, "a=b=c");
  EXPECT_EQ(j.ScanDirectory, "/in");  // blanks at the line's end are trimmed away
  EXPECT_EQ(j.Trigger, "TIME");
  EXPECT_EQ(j.Interval, "");
  EXPECT_EQ(j.MoveRejectedDirectory, "/x=y");
  // Missing keys keep the fresh record's values; a missing RunDays is every day.
  EXPECT_EQ(j.RunDays, "1111111");
  EXPECT_EQ(j.Enabled, 0);
  EXPECT_EQ(j.StableTimer, 0);
  EXPECT_TRUE(j.Commands.isEmpty());
  EXPECT_EQ(JobWith({"RunDays="}).RunDays, "1111111");
}

TEST(JobFileReader, SectionNamesKeepTheirCaseAndOrder) {
  const ReadResult r = Parse(Lines({"[configuration]", "LogDirectory=/log", "[spool]",
                                    "Enabled=1", "[Second Job]", "Enabled=2"}));
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r.file.Globals.LogDirectory, "/log");
  ASSERT_EQ(r.file.RoziRoruners.size(), 2);
  EXPECT_EQ(r.file.RoziRoruners[0].Name, "spool");
  EXPECT_EQ(r.file.RoziRoruners[0].Enabled, 1);
  EXPECT_EQ(r.file.RoziRoruners[1].Name, "Second Job");
  EXPECT_EQ(r.file.RoziRoruners[1].Enabled, 2);
  EXPECT_TRUE(r.faults.isEmpty());
}

TEST(JobFileReader, SwitchValuesUnderEachPolicy) {
  struct Case {
    const char* value;
    std::optional<int> daemon;   // nullopt: the line is skipped
    std::optional<int> manager;
  } cases[] = {
      {"0", 0, 0},   {"1", 1, 1},       {"2", 2, 2},          {"3", 3, std::nullopt},
      {"-1", -1, std::nullopt},        {"1abc", 1, 1},       {"abc", 0, 0},
      {"", 0, 0},    {"1.5", 2, 2},     {"2.5", 2, 2},        {"99999", std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    for (const auto& [policy, expected] :
         {std::pair{ReadPolicy::Daemon(), c.daemon}, std::pair{ReadPolicy::Manager(), c.manager}}) {
      for (const char* key : {"EnableLogging", "AutoLogInternalCommands", "AutoStart"}) {
        ReadOptions o;
        o.policy = policy;
        o.startGlobals.EnableLogging = o.startGlobals.AutoLogInternalCommands =
            o.startGlobals.AutoStart = 7;  // a skipped line keeps this
        const QByteArray bytes = "[CONFIGURATION]\r\n" + QByteArray(key) + "=" + c.value + "\r\n";
        const ReadResult r = ParseJobFile(bytes, o);
        const GlobalSettings& g = r.file.Globals;
        const int got = QByteArray(key) == "EnableLogging" ? g.EnableLogging
                        : QByteArray(key) == "AutoStart"   ? g.AutoStart
                                                           : g.AutoLogInternalCommands;
        SCOPED_TRACE(std::string(key) + "=" + c.value);
        EXPECT_EQ(got, expected.value_or(7));
        if (!expected) {
          ASSERT_EQ(r.faults.size(), 1);
          EXPECT_EQ(r.faults[0].action, FaultAction::Skipped);
        }
      }
    }
  }
}

TEST(JobFileReader, AutoStartStateUnderEachPolicy) {
  struct Case {
    const char* lines;
    int daemon, manager;
    bool daemonNoTray;
    bool managerReplaced;  // the manager reads another value and reports it
  } cases[] = {
      {"AutoStart=1\r\nAutoStartState=4", 4, 4, true, false},
      {"AutoStartState=4\r\nAutoStart=1", 4, 4, false, false},  // written order matters
      {"AutoStart=0\r\nAutoStartState=4", 4, 4, false, false},
      {"AutoStartState=2", 2, 2, false, false},
      {"AutoStartState=9", 9, 1, false, true},
      {"AutoStartState=", 0, 1, false, true},
      {"AutoStartState=3x", 3, 1, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    const QByteArray bytes = "[CONFIGURATION]\r\n" + QByteArray(c.lines) + "\r\n";
    const ReadResult d = Parse(bytes, ReadPolicy::Daemon());
    EXPECT_EQ(d.file.Globals.AutoStartState, c.daemon);
    EXPECT_EQ(d.file.Globals.NoTrayIcon, c.daemonNoTray);
    const ReadResult m = Parse(bytes, ReadPolicy::Manager());
    EXPECT_EQ(m.file.Globals.AutoStartState, c.manager);
    const bool replaced = !m.faults.isEmpty() && m.faults[0].action == FaultAction::Replaced;
    EXPECT_EQ(replaced, c.managerReplaced);
  }
}

TEST(JobFileReader, JobValuesByForm) {
  struct Case {
    const char* line;
    std::function<bool(const RoziRoruner&)> holds;
    std::optional<FaultAction> fault;
  } cases[] = {
      {"SkipRejected=True", [](auto& j) { return j.SkipRejected; }, {}},
      {"SkipRejected=fALSE", [](auto& j) { return !j.SkipRejected; }, {}},
      {"RemoveRejected=-1", [](auto& j) { return j.RemoveRejected; }, {}},
      {"MoveRejected=0", [](auto& j) { return !j.MoveRejected; }, {}},
      {"SkipRejected=yes", [](auto& j) { return !j.SkipRejected; }, FaultAction::Skipped},
      {"SkipRejected=", [](auto& j) { return !j.SkipRejected; }, FaultAction::Skipped},
      {"StableTimer=-1", [](auto& j) { return j.StableTimer == -1; }, {}},
      {"StableTimer=2.5", [](auto& j) { return j.StableTimer == 2.5; }, {}},
      {"StableTimer=20s", [](auto& j) { return j.StableTimer == 20; }, FaultAction::Replaced},
      {"Enabled=1", [](auto& j) { return j.Enabled == 1; }, {}},
      {"Enabled=7", [](auto& j) { return j.Enabled == 7; }, {}},
      {"IncludeSubdir=1.6", [](auto& j) { return j.IncludeSubdir == 2; }, FaultAction::Replaced},
      {"OldestFirst=40000", [](auto& j) { return j.OldestFirst == 0; }, FaultAction::Skipped},
      {"SingleFileHandling=1", [](auto& j) { return j.SingleFileHandling == 1; }, {}},
      {"Trigger=time", [](auto& j) { return j.Trigger == "time"; }, FaultAction::Kept},
      {"Enabeld=1", [](auto& j) { return j.Enabled == 0; }, FaultAction::Ignored},
      {"Enabled =1", [](auto& j) { return j.Enabled == 0; }, FaultAction::Ignored},
      {"  Enabled=1", [](auto& j) { return j.Enabled == 0; }, FaultAction::Ignored},
      {"LogDirectory=/x", [](auto&) { return true; }, FaultAction::Ignored},
      {"Enabled", [](auto& j) { return j.Enabled == 0; }, FaultAction::Skipped},
      {"; Enabled=1", [](auto& j) { return j.Enabled == 0; }, {}},
      {"Description=a]~[b", [](auto& j) { return j.Description == "a]~[b"; }, FaultAction::Kept},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    QList<Fault> faults;
    const RoziRoruner j = JobWith({c.line}, &faults);
    EXPECT_TRUE(c.holds(j));
    if (c.fault) {
      ASSERT_EQ(faults.size(), 1);
      EXPECT_EQ(faults[0].action, *c.fault);
      EXPECT_EQ(faults[0].line, 2);
      EXPECT_EQ(faults[0].text, c.line);
    } else {
      EXPECT_TRUE(faults.isEmpty()) << faults.value(0).why.toStdString();
    }
  }
}

TEST(JobFileReader, BadLineIsSkippedAloneAndReportedOnce) {
  QList<Fault> faults;
  const RoziRoruner j =
      JobWith({"Trigger=FILE", "SkipRejected=yes", "RemoveRejected=True", "Enabled=1"}, &faults);
  EXPECT_EQ(j.Trigger, "FILE");
  EXPECT_TRUE(j.RemoveRejected);
  EXPECT_EQ(j.Enabled, 1);  // the keys after the bad line still count
  ASSERT_EQ(faults.size(), 1);
  EXPECT_EQ(FaultMessage(faults[0]),
            "WARNING: Configuration section [JOB] line 3 skipped [SkipRejected=yes][not True, "
            "False or a number]");
}

// Which faults a save writes back as they stand, and the comments a saving reader asks
// about: the writer's own header and trailer lines are never reported.
TEST(JobFileReader, FaultsSayWhetherASaveWritesThemBack) {
  const QByteArray text =
      ";\r\n; Mervane Zuri - Configuration File\r\n; Mervane Zuri v1.2.3\r\n; mine\r\n"
      "[J]\r\nTrigger=time\r\nDescription=a]~[b\r\nCommand=]~[x\r\nCommand=Nope]~[y\r\n"
      "Enabled=1.5\r\n  ; indented\r\n;\r\n; End of Mervane Zuri - Configuration File\r\n";
  ReadOptions o;
  o.knownCommand = [](const QString& name) { return name != "Nope"; };
  const auto faults = [&](bool comments) {
    o.reportComments = comments;
    QList<std::pair<int, bool>> out;  // line, saved back
    for (const Fault& f : ParseJobFile(text, o).faults) out << std::make_pair(f.line, f.savedBack);
    return out;
  };
  const QList<std::pair<int, bool>> held = {{6, true}, {7, false}, {8, false}, {9, true}, {10, false}};
  EXPECT_EQ(faults(false), held);
  QList<std::pair<int, bool>> withComments = held;
  withComments.insert(0, {4, false});
  withComments.append({11, false});
  EXPECT_EQ(faults(true), withComments);
}

TEST(JobFileReader, ConstantsAndCommands) {
  QByteArray bytes = "[JOB]\r\n";
  for (int n = 1; n <= 16; ++n) bytes += "Constant=c" + QByteArray::number(n) + "\r\n";
  bytes += "Command=Relocate]~[/in]~[]~[x\r\n";
  bytes += "Command=!Erase\r\n";
  bytes += "Command=Sleep" + QByteArray("]~[p").repeated(31) + "\r\n";  // 31 parameters
  bytes += "Command=Sleep" + QByteArray("]~[p").repeated(30) + "\r\n";
  const ReadResult r = Parse(bytes);
  const RoziRoruner& j = r.file.RoziRoruners[0];
  EXPECT_EQ(j.LocalConstants[0], "");
  EXPECT_EQ(j.LocalConstants[1], "c1");
  EXPECT_EQ(j.LocalConstants[15], "c15");
  ASSERT_EQ(j.Commands.size(), 3);
  EXPECT_EQ(j.Commands[0].Name, "Relocate");
  EXPECT_EQ(j.Commands[0].Data[1], "/in");
  EXPECT_EQ(j.Commands[0].Data[2], "");
  EXPECT_EQ(j.Commands[0].Data[3], "x");
  EXPECT_EQ(j.Commands[0].Data[4], "");
  EXPECT_EQ(j.Commands[1].Name, "!Erase");
  EXPECT_EQ(j.Commands[2].Data[30], "p");
  ASSERT_EQ(r.faults.size(), 2);
  EXPECT_EQ(r.faults[0].why, "more than 15 constants");
  EXPECT_EQ(r.faults[0].line, 17);
  EXPECT_EQ(r.faults[1].why, "more than 30 parameters");
  EXPECT_EQ(r.faults[1].line, 20);
}

TEST(JobFileReader, GlobalConstantsAndStartValues) {
  ReadOptions o;
  o.startGlobals.LogDirectory = "/old";
  o.startGlobals.GlobalConstants[3] = "old3";
  o.startGlobals.ShowUnstableMessages = "0";
  const ReadResult r =
      ParseJobFile(Lines({"[CONFIGURATION]", "GlobalConstant=g1", "GlobalConstant=", "RoziRoruTitle=T"}), o);
  const GlobalSettings& g = r.file.Globals;
  EXPECT_EQ(g.LogDirectory, "/old");  // missing keys keep the previous value
  EXPECT_EQ(g.GlobalConstants[1], "g1");
  EXPECT_EQ(g.GlobalConstants[2], "");
  EXPECT_EQ(g.GlobalConstants[3], "old3");
  EXPECT_EQ(g.RoziRoruTitle, "T");
  EXPECT_FALSE(ShowUnstableMessagesOn(g));
}

TEST(JobFileReader, ShowUnstableMessages) {
  struct Case {
    const char* line;  // nullptr: no line
    bool on;
  } cases[] = {{nullptr, true}, {"ShowUnstableMessages=", true}, {"SHOWUNSTABLEMESSAGES=1", true},
               {"showunstablemessages=0", false}, {"ShowUnstableMessages=yes", false}};
  for (const Case& c : cases) {
    const ReadResult r = Parse(Lines({"[CONFIGURATION]", c.line ? c.line : ""}));
    EXPECT_EQ(ShowUnstableMessagesOn(r.file.Globals), c.on) << (c.line ? c.line : "none");
    EXPECT_EQ(r.file.Globals.ShowUnstableMessages.has_value(), c.line != nullptr);
  }
}

TEST(JobFileReader, LineEndsAndEncodings) {
  struct Case {
    QByteArray bytes;
    QString description;
  } cases[] = {
      {"[J]\nDescription=lf\nEnabled=1", "lf"},
      {"[J]\r\nDescription=crlf\r\nEnabled=1\r\n", "crlf"},
      {"[J]\r\nDescription=a\rb\r\nEnabled=1\r\n", "a\rb"},  // a lone CR stays in the value
      {"[J]\r\nDescription=Gr\xc3\xbc\xc3\x9f" "e\r\nEnabled=1\r\n", QString::fromUtf8("Grüße")},
      {"[J]\r\nDescription=Gr\xfc\xdf" "e\r\nEnabled=1\r\n", QString::fromUtf8("Grüße")},  // Latin-1
  };
  for (const Case& c : cases) {
    const ReadResult r = Parse(c.bytes);
    ASSERT_EQ(r.file.RoziRoruners.size(), 1);
    EXPECT_EQ(r.file.RoziRoruners[0].Description, c.description);
    EXPECT_EQ(r.file.RoziRoruners[0].Enabled, 1);
  }
  // A Latin-1 line among UTF-8 lines: each line is decoded on its own.
  const ReadResult mixed = Parse("[J]\r\nDescription=\xe9\r\nScanDirectory=\xc3\xa9\r\n");
  EXPECT_EQ(mixed.file.RoziRoruners[0].Description, QString::fromUtf8("é"));
  EXPECT_EQ(mixed.file.RoziRoruners[0].ScanDirectory, QString::fromUtf8("é"));
  // The lone CR is reported: a save will refuse it.
  const ReadResult cr = Parse(cases[2].bytes);
  ASSERT_EQ(cr.faults.size(), 1);
  EXPECT_EQ(cr.faults[0].line, 2);
  EXPECT_EQ(cr.faults[0].action, FaultAction::Kept);
}

TEST(JobFileReader, HeadersThatDoNotParseAndNamesThatClash) {
  const ReadResult r = Parse(Lines({"Enabled=1", "[Spool", "Enabled=1", "[Other] ", "Enabled=1",
                                    "[SPOOL]", "Enabled=2", "[CONFIGURATION]", "LogDirectory=/a",
                                    "[Configuration]", "EnableLogging=1"}));
  ASSERT_EQ(r.file.RoziRoruners.size(), 3);
  EXPECT_EQ(r.file.RoziRoruners[0].Name, "Spool");
  EXPECT_EQ(r.file.RoziRoruners[0].Enabled, 1);
  EXPECT_EQ(r.file.RoziRoruners[1].Name, "Other");
  EXPECT_EQ(r.file.RoziRoruners[1].Enabled, 1);
  EXPECT_EQ(r.file.RoziRoruners[2].Name, "SPOOL");  // keeps its own content
  EXPECT_EQ(r.file.RoziRoruners[2].Enabled, 2);
  EXPECT_EQ(r.file.Globals.LogDirectory, "/a");
  EXPECT_EQ(r.file.Globals.EnableLogging, 1);  // the second [CONFIGURATION] counts too
  QList<int> lines;
  for (const Fault& f : r.faults) lines.append(f.line);
  EXPECT_EQ(lines, (QList<int>{1, 2, 4, 6, 10}));
  EXPECT_EQ(FaultMessage(r.faults[0]),
            "WARNING: Configuration line 1 ignored [Enabled=1][outside a section]");
  EXPECT_EQ(FaultMessage(r.faults[1]),
            "WARNING: Configuration section [SPOOL] line 2 replaced [[Spool][header does not end "
            "in \"]\", read as [Spool]]");
}

TEST(JobFileReader, CallerChecksCommandsAndFilters) {
  ReadOptions o;
  o.knownCommand = [](const QString& name) { return name == "Relocate"; };
  o.filterError = [](const QString& f) { return f == "(" ? QString("missing )") : QString(); };
  const ReadResult r = ParseJobFile(Lines({"[J]", "Command=Relocate", "Command=!Relocate",
                                           "Command=Relocat", "Command=", "InputFilter=(",
                                           "RejectFilter=x"}),
                                    o);
  EXPECT_EQ(r.file.RoziRoruners[0].Commands.size(), 4);  // kept as written
  EXPECT_EQ(r.file.RoziRoruners[0].InputFilter, "(");
  ASSERT_EQ(r.faults.size(), 3);
  EXPECT_EQ(r.faults[0].line, 4);
  EXPECT_EQ(r.faults[0].why, "no module provides [Relocat]");
  EXPECT_EQ(r.faults[1].line, 5);
  EXPECT_EQ(r.faults[2].line, 6);
  EXPECT_EQ(r.faults[2].why, "missing )");
}

TEST(JobFileReader, SizesFromNothingToThousands) {
  EXPECT_TRUE(Parse("").file.RoziRoruners.isEmpty());
  EXPECT_TRUE(Parse("[J]\r\n").file.RoziRoruners[0].Commands.isEmpty());

  QByteArray many = "[J]\r\n";
  for (int i = 0; i < 200; ++i) many += "Command=C" + QByteArray::number(i) + "]~[p\r\n";
  const RoziRoruner j = Parse(many).file.RoziRoruners[0];
  ASSERT_EQ(j.Commands.size(), 200);
  EXPECT_EQ(j.Commands[199].Name, "C199");

  QByteArray sections;
  for (int i = 0; i < 3000; ++i)
    sections += "[Job" + QByteArray::number(i) + "]\r\nEnabled=1\r\nCommand=C]~[" +
                QByteArray::number(i) + "\r\n\r\n";
  const ReadResult r = Parse(sections);
  ASSERT_EQ(r.file.RoziRoruners.size(), 3000);
  EXPECT_EQ(r.file.RoziRoruners[2999].Name, "Job2999");
  EXPECT_EQ(r.file.RoziRoruners[2999].Commands[0].Data[1], "2999");
  EXPECT_TRUE(r.faults.isEmpty());
}

TEST(JobFileReader, FileThatCannotBeReadIsAnError) {
  const QString dir = mvnz::test::makeDir("cfg");
  // A pipe is refused at once: it is opened without waiting for a writer.
  ASSERT_EQ(::mkfifo(QFile::encodeName(dir + "/pipe.ini").constData(), 0644), 0);
  struct Case {
    QString path;
    ReadStatus status;
  } cases[] = {
      {dir + "/none.ini", ReadStatus::Missing},
      {"", ReadStatus::Missing},
      {dir, ReadStatus::Unreadable},  // a folder
      {dir + "/pipe.ini", ReadStatus::Unreadable},
  };
  for (const Case& c : cases) {
    const ReadResult r = ReadJobFile(c.path);
    EXPECT_EQ(r.status, c.status) << c.path.toStdString();
    EXPECT_FALSE(r.ok());
    EXPECT_FALSE(r.error.isEmpty());
  }
  QFile f(dir + "/ok.ini");
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("[J]\r\nEnabled=1\r\n");
  f.close();
  const ReadResult ok = ReadJobFile(dir + "/ok.ini");
  ASSERT_TRUE(ok.ok());
  EXPECT_EQ(ok.file.RoziRoruners[0].Enabled, 1);

  // No read permission: an error, never an empty configuration.
  ASSERT_EQ(::chmod(QFile::encodeName(dir + "/ok.ini").constData(), 0), 0);
  EXPECT_TRUE(mvnz::test::RunUnprivileged([&] {
    const ReadResult r = ReadJobFile(dir + "/ok.ini");
    return r.status == ReadStatus::Unreadable && r.error.contains("ok.ini");
  }));
}

// A file is read in pieces of 64 KiB: a line cut by a piece's end (between CR and LF,
// inside a UTF-8 character, inside a command, right after a LF) reads as the whole file
// read at once; reading only the global settings gives the same settings.
TEST(JobFileReader, FileReadInPiecesReadsAsAWhole) {
  constexpr qsizetype kPiece = 64 * 1024;
  const struct {
    const char* what;
    QByteArray line;  // the line that stands across the end of the first piece
    qsizetype cut;    // bytes of it that fall into the first piece
  } cases[] = {
      {"between CR and LF", "Description=crlf\r\n", 17},
      {"inside a UTF-8 character", "Description=caf\xc3\xa9 au lait\r\n", 16},
      {"inside a command", "Command=Relocate]~[/in]~[]~[/out\r\n", 20},
      {"right after the LF", "Description=next\r\n", 18},
      {"a lone CR kept in the text", "Description=a\rb\r\n", 14},
  };
  const QString dir = mvnz::test::makeDir("pieces");
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    QByteArray bytes = "[CONFIGURATION]\r\nLogDirectory=/logs\r\n[JOB]\r\n;";
    bytes += QByteArray(kPiece - c.cut - bytes.size() - 2, 'x') + "\r\n";
    ASSERT_EQ(bytes.size() + c.cut, kPiece);
    bytes += c.line;
    for (int i = 0; i < 2000; ++i) bytes += "Command=C]~[" + QByteArray::number(i) + "\r\n";
    bytes += "[Second]\r\nAutoStart=1\r\n[CONFIGURATION]\r\nAutoStart=1\r\nEnableLogging=7";
    const QString path = dir + QString("/%1.ini").arg(n++);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();

    const ReadResult whole = Parse(bytes);
    const ReadResult read = ReadJobFile(path);
    ASSERT_TRUE(read.ok());
    EXPECT_TRUE(read.file == whole.file);
    EXPECT_EQ(read.faults, whole.faults);
    ASSERT_EQ(read.file.RoziRoruners.size(), 2);
    EXPECT_EQ(read.file.RoziRoruners[0].Commands.last().Data[1], "1999");
    EXPECT_EQ(read.file.Globals.EnableLogging, 7);  // the last line has no line end

    ReadOptions globalsOnly;
    globalsOnly.globalsOnly = true;
    const ReadResult globals = ReadJobFile(path, globalsOnly);
    EXPECT_TRUE(globals.file.Globals == whole.file.Globals);
    EXPECT_TRUE(globals.file.RoziRoruners.isEmpty());
    QList<Fault> globalFaults;  // the second [CONFIGURATION] header is said in both
    for (const Fault& f : whole.faults)
      if (f.section == "CONFIGURATION") globalFaults << f;
    EXPECT_EQ(globals.faults, globalFaults);
    EXPECT_FALSE(globalFaults.isEmpty());
  }
}
