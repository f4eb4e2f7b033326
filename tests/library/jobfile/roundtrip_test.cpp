#include <gtest/gtest.h>

#include <random>

#include "library/jobfile.h"
#include "testenv.h"

using namespace mvnz::jobfile;

namespace {

QByteArray Cycle(const QByteArray& bytes, ReadPolicy policy) {
  ReadOptions o;
  o.policy = policy;
  const Rendered r = RenderJobFile(ParseJobFile(bytes, o).file, "2.1.34");
  EXPECT_TRUE(r.error.isEmpty()) << r.error.toStdString();
  return r.bytes;
}

// Files no writer produced: hand-written, odd key case, trailing blanks, a bad line,
// a header without "]", keys the reader ignores, LF line ends, Latin-1 bytes.
const char* const kHandWritten[] = {
    "",
    "[Spool]\nenabled=1\n",
    "; notes\r\n[configuration]\r\nROZIRORUTITLE=  T  \r\nAutoStartState=9\r\n"
    "ShowUnstableMessages=0\r\nGlobalConstant=a \r\n",
    "[J]\r\nTrigger=time  \r\nSkipRejected=yes\r\nRunDays=\r\nCommand= Relocate ]~[a\r\n"
    "Command=]~[x\r\nStableTimer=2.50\r\nIncludeSubdir=1.6\r\nEnabeld=1\r\n",
    "[Broken\r\nEnabled=1\r\n[Other] \r\nConstant=\xe9\r\n  Enabled=1\r\nDescription=a=b\r\n",
    "x=1\r\n[CONFIGURATION]\r\nEnableLogging=1\r\n[J]\r\n[CONFIGURATION]\r\nAutoStart=1\r\n",
};

}  // namespace

TEST(JobFileRoundTrip, HandWrittenFilesSettleAfterOneCycle) {
  for (ReadPolicy policy : {ReadPolicy::Daemon(), ReadPolicy::Manager()}) {
    for (const char* text : kHandWritten) {
      SCOPED_TRACE(text);
      const QByteArray once = Cycle(text, policy);
      EXPECT_EQ(Cycle(once, policy), once);
      // What the writer produced reads back without a fault, except values it kept
      // as written (a lower-case trigger stays what the user wrote).
      ReadOptions o;
      o.policy = policy;
      for (const Fault& f : ParseJobFile(once, o).faults)
        EXPECT_EQ(f.action, FaultAction::Kept) << FaultMessage(f).toStdString();
    }
  }
}

TEST(JobFileRoundTrip, WrittenFilesReadBackByteForByte) {
  for (const char* name : {"empty.ini", "full.ini", "comma-locale.ini"}) {
    const QByteArray golden = mvnz::test::readFile(
        QStringLiteral(MVNZ_SOURCE_DIR "/tests/library/jobfile/golden/") + QLatin1String(name));
    for (ReadPolicy policy : {ReadPolicy::Daemon(), ReadPolicy::Manager()})
      EXPECT_EQ(Cycle(golden, policy), golden) << name;
  }
}

TEST(JobFileRoundTrip, CaseClashIsRefusedUntilRenamed) {
  const ReadResult r = ParseJobFile("[J]\r\nEnabled=1\r\n[j]\r\nEnabled=2\r\n");
  ASSERT_EQ(r.file.RoziRoruners.size(), 2);
  EXPECT_EQ(r.file.RoziRoruners[1].Enabled, 2);  // each section keeps its content
  EXPECT_FALSE(RenderJobFile(r.file).error.isEmpty());
  JobFile renamed = r.file;
  renamed.RoziRoruners[1].Name = "j2";
  EXPECT_TRUE(RenderJobFile(renamed).error.isEmpty());
}

namespace {

// Seeded random texts, models and files: the same cases on every run.
class Random {
 public:
  explicit Random(unsigned seed) : rng_(seed) {}
  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool Chance(int percent) { return Int(1, 100) <= percent; }
  // Texts with the characters the file's rules care about (blanks, "=", ";", brackets,
  // "~", a tab), digits and non-ASCII letters; no line breaks and no "]~[".
  QString Text(int maxLength) {
    static const QString kChars = QString::fromUtf8("ab Z09=;[]~\té€ ");
    QString s;
    for (int n = Int(0, maxLength); n > 0; --n) {
      s += kChars[Int(0, kChars.size() - 1)];
      if (s.endsWith(QLatin1String("]~["))) s.chop(1);
    }
    return s;
  }
  template <typename T>
  const T& Pick(std::initializer_list<T> items) {
    return items.begin()[Int(0, static_cast<int>(items.size()) - 1)];
  }

 private:
  std::mt19937 rng_;
};

JobFile RandomModel(Random& r) {
  JobFile f;
  GlobalSettings& g = f.Globals;
  g.RoziRoruTitle = r.Text(8);
  g.LogDirectory = r.Text(8);
  g.EnableLogging = r.Int(0, 2);
  g.AutoLogInternalCommands = r.Int(0, 2);
  g.InitialGlobalsValue = r.Text(4);
  for (int n = 1; n <= kConstantCount; ++n) g.GlobalConstants[n] = r.Text(4);
  g.AutoStart = r.Int(0, 2);
  g.AutoStartState = r.Int(0, 4);
  if (r.Chance(50)) g.ShowUnstableMessages = r.Text(2);
  for (int i = r.Int(0, 4); i > 0; --i) {
    RoziRoruner j;
    j.Name = QStringLiteral("J%1").arg(i) + r.Text(6);  // distinct in any case
    j.Description = r.Text(10);
    j.ScanDirectory = r.Text(10);
    j.IncludeSubdir = r.Int(-32768, 32767);
    j.InputFilter = r.Text(6);
    j.RejectFilter = r.Text(6);
    j.SkipRejected = r.Chance(50);
    j.RemoveRejected = r.Chance(50);
    j.MoveRejected = r.Chance(50);
    j.MoveRejectedDirectory = r.Text(8);
    j.Interval = r.Text(6);
    j.Trigger = r.Pick({QStringLiteral("FILE"), QStringLiteral("TIME"), r.Text(4)});
    j.StableTimer = r.Pick({0.0, -1.0, 20.0, 2.5, 0.1, 1e21, 1e-9, r.Int(-999, 999) / 7.0});
    j.Enabled = r.Int(-5, 5);
    for (int n = 1; n <= kConstantCount; ++n) j.LocalConstants[n] = r.Text(4);
    j.SingleFileHandling = r.Int(0, 1);
    j.InitialLocalsValue = r.Text(4);
    j.RunDays = r.Text(7);
    j.OldestFirst = r.Int(0, 1);
    for (int c = r.Int(0, 5); c > 0; --c) {
      CommandEntry e;
      e.Name = r.Pick({QStringLiteral("Relocate"), QStringLiteral("!Erase"), r.Text(5)});
      for (int k = 1; k <= kParameterCount; ++k)
        if (r.Chance(20)) e.Data[k] = r.Text(5);
      j.Commands.append(e);
    }
    f.RoziRoruners.append(j);
  }
  return f;
}

// Lines a hand might write: headers (some broken, some clashing), keys of both kinds
// in any case with good and bad values, comments, indented and stray lines.
QByteArray RandomFile(Random& r) {
  static const char* const kKeys[] = {
      "RoziRoruTitle", "EnableLogging", "GlobalConstant", "AutoStart", "AutoStartState",
      "ShowUnstableMessages", "Trigger", "RunDays", "Description", "IncludeSubdir",
      "SkipRejected", "StableTimer", "Command", "Constant", "Enabled", "Enabeld"};
  QString text;
  for (int n = r.Int(0, 40); n > 0; --n) {
    switch (r.Int(0, 9)) {
      case 0:
        text += r.Pick({QStringLiteral("[CONFIGURATION]"), QStringLiteral("[configuration] "),
                        QStringLiteral("[Job"), QStringLiteral("[Job]"), QStringLiteral("[job]"),
                        QStringLiteral("[") + r.Text(4) + QStringLiteral("]")});
        break;
      case 1:
        text += r.Pick({QStringLiteral(";"), QStringLiteral(" "), QString()}) + r.Text(6);
        break;
      default: {
        QString key = QString::fromLatin1(kKeys[r.Int(0, std::size(kKeys) - 1)]);
        if (r.Chance(30)) key = key.toUpper();
        const QString value = r.Pick({r.Text(6), QString::number(r.Int(-3, 40000)),
                                      QStringLiteral("True"), QStringLiteral("x]~[y]~[z")});
        text += key + r.Pick({QStringLiteral("="), QStringLiteral(" =")}) + value;
      }
    }
    text += r.Pick({QStringLiteral("\r\n"), QStringLiteral("\n"), QStringLiteral("\r\r\n")});
  }
  return r.Chance(20) ? text.toLatin1() : text.toUtf8();
}

// The bytes less the blanks at each line's end: the writer keeps the values it writes
// as typed, and both readers trim a line before they read it.
QByteArray WithoutLineEndBlanks(const QByteArray& bytes) {
  QList<QByteArray> lines = bytes.split('\n');
  for (QByteArray& l : lines) {
    const bool cr = l.endsWith('\r');
    if (cr) l.chop(1);
    while (l.endsWith(' ')) l.chop(1);
    if (cr) l += '\r';
  }
  return lines.join('\n');
}

}  // namespace

TEST(JobFileRoundTrip, EveryWrittenModelReadsBackByteForByte) {
  Random r(13);
  for (int i = 0; i < 300; ++i) {
    const JobFile model = RandomModel(r);
    const Rendered first = RenderJobFile(model, "2.1.34");
    ASSERT_TRUE(first.error.isEmpty()) << first.error.toStdString();
    for (ReadPolicy policy : {ReadPolicy::Daemon(), ReadPolicy::Manager()}) {
      ReadOptions o;
      o.policy = policy;
      const ReadResult back = ParseJobFile(first.bytes, o);
      for (const Fault& f : back.faults)
        ASSERT_EQ(f.action, FaultAction::Kept) << FaultMessage(f).toStdString();
      ASSERT_EQ(RenderJobFile(back.file, "2.1.34").bytes, WithoutLineEndBlanks(first.bytes)) << "model " << i;
    }
  }
}

TEST(JobFileRoundTrip, EveryHandWrittenFileSettlesAfterOneCycle) {
  Random r(17);
  int written = 0;
  for (int i = 0; i < 500; ++i) {
    const QByteArray file = RandomFile(r);
    for (ReadPolicy policy : {ReadPolicy::Daemon(), ReadPolicy::Manager()}) {
      ReadOptions o;
      o.policy = policy;
      const Rendered once = RenderJobFile(ParseJobFile(file, o).file, "2.1.34");
      if (!once.error.isEmpty()) continue;  // a value or a name the user must change first
      ++written;
      ASSERT_EQ(RenderJobFile(ParseJobFile(once.bytes, o).file, "2.1.34").bytes, once.bytes)
          << file.toStdString();
    }
  }
  EXPECT_GT(written, 300);  // most files are saved, so the check has teeth
}
