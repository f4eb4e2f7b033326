#include <gtest/gtest.h>

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
