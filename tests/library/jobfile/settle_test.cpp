// When the reader takes a file that may be rewritten in place: a clock and waits of the
// test's own, so that each case acts on the file at a known step and takes no time.
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>

#include <functional>

#include "library/jobfile.h"
#include "testenv.h"

using namespace mvnz::jobfile;
using namespace std::chrono_literals;
using std::chrono::milliseconds;

namespace {

const QByteArray kFirstHalf = "[CONFIGURATION]\r\nAutoStart=1\r\n[One]\r\nEnabled=1\r\n[Tw";
const QByteArray kSecondHalf = "o]\r\nEnabled=1\r\n[Three]\r\nEnabled=1\r\n";
const QByteArray kOneJob = "[CONFIGURATION]\r\nAutoStart=1\r\n[One]\r\n";

void Write(const QString& path, const QByteArray& bytes, QIODevice::OpenMode mode) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | mode));
  ASSERT_EQ(f.write(bytes), bytes.size());
}

// The settle rule on a clock that only the waits move. act(n) runs at the n-th wait
// (from 1); it returns false to play the program's end.
struct Rig {
  QString path;
  std::chrono::system_clock::time_point clock = std::chrono::system_clock::now();
  std::function<bool(int)> act = [](int) { return true; };
  int waits = 0;
  milliseconds waited{0};

  explicit Rig(const QString& name) : path(QDir(mvnz::test::makeDir("settle")).filePath(name)) {}
  ReadResult Read(ReadOptions o = {}) {
    o.settle.settle = 500ms;
    o.settle.bound = 3000ms;
    o.settle.now = [this] { return clock; };
    o.settle.wait = [this](milliseconds pause) {
      clock += pause;
      waited += pause;
      return act(++waits);
    };
    return ReadJobFile(path, o);
  }
};

// The names of the jobs read, as "One,Two".
std::string Names(const ReadResult& r) {
  QStringList names;
  for (const RoziRoruner& j : r.file.RoziRoruners) names << j.Name;
  return names.join(',').toStdString();
}

}  // namespace

TEST(JobFileSettle, AFileIsTakenOnlyOnceItHasSettled) {
  const QStringList all{"One", "Two", "Three"};
  const struct Case {
    const char* what;
    QByteArray bytes;        // the file before the read
    milliseconds age;        // how far its times lie back when the read starts
    std::function<bool(const QString& path, int wait)> act;
    QStringList names;       // the jobs read
    bool stillChanging;
    bool waits;              // the reader waited
  } cases[] = {
      {"an old file is read at once", kFirstHalf + kSecondHalf, 10s, {}, all, false, false},
      {"an old empty file is read at once, as empty", "", 10s, {}, {}, false, false},
      {"a file just emptied, that stays empty, is loaded empty", "", 0ms, {}, {}, false, true},
      {"a file written in two halves is waited for", kFirstHalf, 100ms,
       [](const QString& path, int wait) {
         if (wait == 1) Write(path, kSecondHalf, QIODevice::Append);
         return true;
       },
       all, false, true},
      {"a file that keeps changing is read at the bound, with the warning", kOneJob, 0ms,
       [](const QString& path, int) {
         Write(path, ";\r\n", QIODevice::Append);
         return true;
       },
       {"One"}, true, true},
      {"the program's end stops the wait: the file is read as it is", kOneJob, 0ms,
       [](const QString& path, int) {
         Write(path, ";\r\n", QIODevice::Append);
         return false;
       },
       {"One"}, false, true},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rig rig(QString("case%1.ini").arg(n++));
    Write(rig.path, c.bytes, QIODevice::Truncate);
    rig.clock += c.age;
    if (c.act) rig.act = [&](int wait) { return c.act(rig.path, wait); };
    const ReadResult r = rig.Read();
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(Names(r), c.names.join(',').toStdString());
    EXPECT_EQ(r.stillChanging, c.stillChanging);
    EXPECT_EQ(rig.waits > 0, c.waits) << rig.waits;
    EXPECT_LE(rig.waited, 3000ms);
    if (c.stillChanging) {
      EXPECT_EQ(rig.waited, 3000ms);
    }
  }
}

// A file replaced by a rename while it is read (the manager's save) is read again: the
// result is the new file, with only its own faults.
TEST(JobFileSettle, AFileReplacedDuringTheReadIsReadAgain) {
  Rig rig("renamed.ini");
  Write(rig.path, "[Old]\r\nCommand=Unknown]~[x\r\n", QIODevice::Truncate);
  rig.clock += 10s;
  ReadOptions o;
  int asked = 0;
  o.knownCommand = [&](const QString&) {
    if (++asked == 1) {  // the old file is being read: a new one takes its name
      Write(rig.path + ".new", "[New]\r\nEnabled=1\r\n", QIODevice::Truncate);
      EXPECT_TRUE(QFile::remove(rig.path));
      EXPECT_TRUE(QFile::rename(rig.path + ".new", rig.path));
    }
    return false;
  };
  const ReadResult r = rig.Read(o);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(Names(r), "New");
  EXPECT_TRUE(r.faults.isEmpty());
  EXPECT_FALSE(r.stillChanging);
  EXPECT_GE(rig.waits, 1);
}

// Without a settle time the file is read once, as it is (the callers that ask for no
// rule).
TEST(JobFileSettle, NoSettleTimeReadsAtOnce) {
  Rig rig("plain.ini");
  Write(rig.path, kFirstHalf, QIODevice::Truncate);
  const ReadResult r = ReadJobFile(rig.path);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(Names(r), "One,Tw");
  EXPECT_FALSE(r.stillChanging);
}
