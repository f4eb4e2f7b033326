#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <clocale>
#include <sys/stat.h>

#include "library/jobfile.h"
#include "testenv.h"
#include "unprivileged.h"

using namespace mvnz::jobfile;

namespace {

const QString kVersion = QStringLiteral("2.1.34");

QByteArray Golden(const char* name) {
  return mvnz::test::readFile(QStringLiteral(MVNZ_SOURCE_DIR "/tests/library/jobfile/golden/") +
                              QLatin1String(name));
}

// A job with every field set, blanks where the writer trims, a disabled command, a
// comment and a command without a name (left out of the file).
JobFile FullModel() {
  JobFile f;
  GlobalSettings& g = f.Globals;
  g.RoziRoruTitle = "  Plant 7  ";
  g.LogDirectory = " /var/log/mz";
  g.EnableLogging = 1;
  g.AutoLogInternalCommands = 0;
  g.InitialGlobalsValue = " 0";
  g.GlobalConstants[1] = "/srv/in";
  g.GlobalConstants[15] = "last";
  g.AutoStart = 1;
  g.AutoStartState = 2;
  g.ShowUnstableMessages = "0";
  RoziRoruner j;
  j.Name = "Spool";
  j.Trigger = " FILE ";
  j.RunDays = "1111100";
  j.Description = "Spool job  ";
  j.ScanDirectory = "/srv/in/<DATE_MM>";
  j.IncludeSubdir = 1;
  j.OldestFirst = 1;
  j.InputFilter = "\\.pdf$";
  j.RejectFilter = "^~";
  j.SkipRejected = false;
  j.RemoveRejected = true;
  j.MoveRejected = false;
  j.MoveRejectedDirectory = " /srv/rej";
  j.Interval = "30";
  j.StableTimer = 20;
  j.SingleFileHandling = 0;
  j.InitialLocalsValue = "0";
  j.Enabled = 1;
  j.LocalConstants[1] = "a=b";
  j.LocalConstants[2] = " lead";
  CommandEntry reloc;
  reloc.Name = " Relocate ";
  reloc.Data[1] = "C:\\in";
  reloc.Data[3] = "x";
  CommandEntry off;
  off.Name = "!Erase";
  off.Data[1] = "<FILE>";
  CommandEntry unnamed;
  unnamed.Data[1] = "dropped";
  CommandEntry comment;
  comment.Name = "COMMENT";
  comment.Data[1] = "tidy up";
  j.Commands = {reloc, off, unnamed, comment};
  RoziRoruner t;
  t.Name = "night run";
  t.Trigger = "TIME";
  t.Interval = "23:30";
  t.StableTimer = -1;
  t.Enabled = 0;
  f.RoziRoruners = {j, t};
  return f;
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

}  // namespace

TEST(JobFileWriter, GoldenBytes) {
  struct Case {
    const char* golden;
    JobFile model;
  } cases[] = {{"empty.ini", JobFile{}}, {"full.ini", FullModel()}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.golden);
    const Rendered r = RenderJobFile(c.model, kVersion);
    ASSERT_TRUE(r.error.isEmpty()) << r.error.toStdString();
    EXPECT_EQ(r.bytes, Golden(c.golden));
  }
}

// The values written as typed keep their blanks to the line's end; the trimmed ones
// lose them. Both readers trim the line, so each reads the value without them.
TEST(JobFileWriter, ValuesAsTypedKeepTheirTrailingBlanks) {
  JobFile f;
  f.Globals.RoziRoruTitle = "title  ";
  f.Globals.LogDirectory = "/var/log/mz  ";
  f.Globals.InitialGlobalsValue = "0 ";
  f.Globals.GlobalConstants[2] = "g2  ";
  RoziRoruner j;
  j.Name = "J";
  j.Description = "about  ";
  j.MoveRejectedDirectory = "/srv/rej  ";
  j.LocalConstants[15] = "c15 ";
  CommandEntry e;
  e.Name = "Relocate  ";
  e.Data[1] = "a  ";
  e.Data[30] = "z  ";
  j.Commands = {e};
  f.RoziRoruners = {j};
  const Rendered r = RenderJobFile(f, kVersion);
  ASSERT_TRUE(r.error.isEmpty()) << r.error.toStdString();
  const QList<QByteArray> lines = r.bytes.split('\n');
  const auto has = [&lines](const QByteArray& line) { return lines.contains(line + '\r'); };
  for (const char* line : {"RoziRoruTitle=title", "LogDirectory=/var/log/mz  ", "InitialGlobalsValue=0 ",
                           "GlobalConstant=g2  ", "Description=about", "MoveRejectedDirectory=/srv/rej  ",
                           "Constant=c15 "})
    EXPECT_TRUE(has(line)) << line;
  QByteArray command = "Command=Relocate]~[a  ";
  for (int k = 2; k <= 29; ++k) command += "]~[";
  EXPECT_TRUE(has(command + "]~[z  "));
  for (ReadPolicy policy : {ReadPolicy::Daemon(), ReadPolicy::Manager()}) {
    ReadOptions o;
    o.policy = policy;
    const ReadResult back = ParseJobFile(r.bytes, o);
    EXPECT_EQ(back.file.Globals.LogDirectory, "/var/log/mz");
    EXPECT_EQ(back.file.Globals.GlobalConstants[2], "g2");
    EXPECT_EQ(back.file.RoziRoruners[0].LocalConstants[15], "c15");
    EXPECT_EQ(back.file.RoziRoruners[0].Commands[0].Data[1], "a  ");  // inside the line
    EXPECT_EQ(back.file.RoziRoruners[0].Commands[0].Data[30], "z");
  }
}

TEST(JobFileWriter, CommandLinesCarryThirtySeparators) {
  const QByteArray bytes = RenderJobFile(FullModel(), kVersion).bytes;
  int commands = 0;
  for (const QByteArray& line : bytes.split('\n')) {
    if (!line.startsWith("Command=")) continue;
    ++commands;
    EXPECT_EQ(line.count("]~["), 30) << line.constData();
  }
  EXPECT_EQ(commands, 3);  // the command without a name is left out
}

TEST(JobFileWriter, StableTimerIgnoresACommaLocale) {
  const char* had = std::setlocale(LC_ALL, nullptr);
  const std::string previous = had ? had : "C";
  const QLocale previousLocale;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  std::setlocale(LC_ALL, "de_DE.UTF-8");  // when installed; QLocale covers the rest
  JobFile f;
  RoziRoruner j;
  j.Name = "J";
  for (double v : {2.5, 0.1}) {
    j.StableTimer = v;
    f.RoziRoruners.append(j);
    j.Name += "J";
  }
  const Rendered r = RenderJobFile(f, kVersion);
  QLocale::setDefault(previousLocale);
  std::setlocale(LC_ALL, previous.c_str());
  EXPECT_EQ(r.bytes, Golden("comma-locale.ini"));
}

TEST(JobFileWriter, RefusesValuesTheFileCannotCarry) {
  struct Case {
    const char* what;
    std::function<void(JobFile&)> spoil;
    const char* field;  // the message names it
  } cases[] = {
      {"CR in a description", [](JobFile& f) { f.RoziRoruners[0].Description = "a\rb"; },
       "<Description> of RoziRoruner [Spool]"},
      {"LF in a global constant", [](JobFile& f) { f.Globals.GlobalConstants[4] = "a\nb"; },
       "<GlobalConstant 4> of [CONFIGURATION]"},
      {"separator in a parameter",
       [](JobFile& f) { f.RoziRoruners[0].Commands[1].Data[7] = "a]~[b"; },
       "<Command 2 parameter 7> of RoziRoruner [Spool]"},
      {"CR in a name", [](JobFile& f) { f.RoziRoruners[1].Name = "x\r"; }, "<Name> of RoziRoruner"},
      {"reserved name", [](JobFile& f) { f.RoziRoruners[1].Name = "configuration"; },
       "<Name> of RoziRoruner [configuration]"},
      {"names differing in case", [](JobFile& f) { f.RoziRoruners[1].Name = "SPOOL"; },
       "<Name> of RoziRoruner [SPOOL] differs only in case from [Spool]"},
      {"16-bit switch", [](JobFile& f) { f.RoziRoruners[0].Enabled = 40000; },
       "<Enabled> of RoziRoruner [Spool]"},
      {"no number", [](JobFile& f) { f.RoziRoruners[0].StableTimer = std::nan(""); },
       "<StableTimer> of RoziRoruner [Spool]"},
  };
  const QString path = mvnz::test::makeDir("w") + "/MVNZuri.ini";
  WriteBytes(path, "old");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    JobFile f = FullModel();
    c.spoil(f);
    const WriteResult w = WriteJobFile(path, f, kVersion);
    EXPECT_FALSE(w.ok);
    EXPECT_TRUE(w.error.contains(QLatin1String(c.field))) << w.error.toStdString();
    EXPECT_EQ(mvnz::test::readFile(path), "old");
  }
}

TEST(JobFileWriter, WritesAndKeepsTheMode) {
  const QString dir = mvnz::test::makeDir("mode");
  const QString path = dir + "/MVNZuri.ini";
  WriteBytes(path, "old");
  ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
  const WriteResult w = WriteJobFile(path, FullModel(), kVersion);
  ASSERT_TRUE(w.ok) << w.error.toStdString();
  EXPECT_EQ(mvnz::test::readFile(path), Golden("full.ini"));
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  // A new file is created too.
  EXPECT_TRUE(WriteJobFile(dir + "/new.ini", JobFile{}, kVersion).ok);
  EXPECT_EQ(mvnz::test::readFile(dir + "/new.ini"), Golden("empty.ini"));
}

TEST(JobFileWriter, ReadOnlyTargetIsRefusedAndKept) {
  const QString path = mvnz::test::makeDir("ro") + "/MVNZuri.ini";
  WriteBytes(path, "old");
  ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
  const WriteResult w = WriteJobFile(path, FullModel(), kVersion);  // root too
  EXPECT_FALSE(w.ok);
  EXPECT_TRUE(w.error.contains(path)) << w.error.toStdString();
  EXPECT_EQ(mvnz::test::readFile(path), "old");
}

TEST(JobFileWriter, FailedWriteKeepsTheOldFile) {
  const QString dir = mvnz::test::makeDir("rodir");
  const QString path = dir + "/MVNZuri.ini";
  WriteBytes(path, "old");
  ASSERT_EQ(::chmod(QFile::encodeName(dir).constData(), 0555), 0);
  // Without privileges the folder's mode counts, whoever runs the tests.
  const bool refused = mvnz::test::RunUnprivileged(
      [&] { return !WriteJobFile(path, FullModel(), kVersion).ok; });
  ::chmod(QFile::encodeName(dir).constData(), 0755);
  EXPECT_TRUE(refused);
  EXPECT_EQ(mvnz::test::readFile(path), "old");
  EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{"MVNZuri.ini"});

  // A target that is a folder is an error, not a write.
  EXPECT_FALSE(WriteJobFile(dir, FullModel(), kVersion).ok);
  EXPECT_FALSE(WriteJobFile(dir + "/missing/x.ini", FullModel(), kVersion).ok);
}
