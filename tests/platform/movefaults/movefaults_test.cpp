// Moves with a failure injected at each file system call in turn: whatever step fails,
// the file is in its source or its target with its whole content, never in neither; a
// move that reports failure keeps its source; one that reports success has its target.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <cstring>
#include <optional>

#include "../filefixture.h"
#include "interpose.h"
#include "platform/fileops.h"
#include "testenv.h"

using namespace mvnz;
using fileops::Replace;
using test::writeFile;

namespace {

std::optional<QByteArray> contentOf(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
  return f.readAll();
}

dev_t deviceOf(const QString& path) {
  struct stat st {};
  ::stat(QFile::encodeName(path).constData(), &st);
  return st.st_dev;
}

struct Case {
  const char* name;
  bool acrossFileSystems;
  bool replaceExisting;  // an old target is there and Replace::Yes is asked
  bool batch;            // the move runs inside a FolderSyncBatch
};

}  // namespace

TEST(MoveFaults, EveryFailedStepLeavesTheFileInItsSourceOrTarget) {
  test::TempFolder shm("/dev/shm/mvnz-movefaults-XXXXXX");
  ASSERT_TRUE(shm.isValid());
  const Case cases[] = {
      {"same file system", false, false, false},
      {"same file system, replacing", false, true, false},
      {"same file system, batched", false, false, true},
      {"across file systems", true, false, false},
      {"across file systems, replacing", true, true, false},
      {"across file systems, batched", true, false, true},
  };
  const QByteArray content(200 * 1024 + 3, 'm');
  int folder = 0;
  for (const Case& c : cases) {
    const QString tag = QString::number(++folder);
    int step = 1;
    for (; step < 200; ++step) {
      SCOPED_TRACE(testing::Message() << c.name << ", failing call " << step);
      const QString from = c.acrossFileSystems ? shm.path() : test::makeDir("from" + tag);
      const QString to = test::makeDir("to" + tag);
      ASSERT_TRUE(!c.acrossFileSystems || deviceOf(from) != deviceOf(to));
      const QString source = from + QStringLiteral("/f%1.dat").arg(step);
      const QString target = to + QStringLiteral("/f%1.dat").arg(step);
      writeFile(source, content);
      if (c.replaceExisting) writeFile(target, "old");

      fileops::Outcome o;
      test::faults::Arm(step);
      if (c.batch) {
        fileops::FolderSyncBatch syncs;
        o = fileops::moveFile(source, target, c.replaceExisting ? Replace::Yes : Replace::No);
        syncs.flush();
      } else {
        o = fileops::moveFile(source, target, c.replaceExisting ? Replace::Yes : Replace::No);
      }
      const bool injected = test::faults::Disarm() >= step;

      const auto inSource = contentOf(source), inTarget = contentOf(target);
      EXPECT_TRUE(inSource == content || inTarget == content) << "the file is in neither place";
      if (inTarget && inTarget != content) {
        EXPECT_EQ(*inTarget, "old") << "a partial target";
      }
      // Across file systems the source goes only after the copy and its folder entry
      // are on disk: a failed flush of either keeps it.
      const test::faults::Failed& f = test::faults::LastFailure();
      if (c.acrossFileSystems && std::strcmp(f.name, "fsync") == 0 &&
          QFile::decodeName(f.path) != from) {
        EXPECT_EQ(inSource, content) << "the source went before its copy was on disk";
      }
      if (o.ok()) {
        EXPECT_EQ(inTarget, content);
        EXPECT_FALSE(inSource) << "moved, yet the source is still there";
      } else {
        EXPECT_TRUE(injected) << "failed without a fault: " << o.errorText.toStdString();
        EXPECT_EQ(inSource, content) << "a failed move lost its source";
      }
      if (!injected) {
        EXPECT_TRUE(o.ok()) << o.errorText.toStdString();
        break;
      }
    }
    EXPECT_GT(step, 2) << c.name << ": no call was caught";
    std::printf("%s: %d calls\n", c.name, step - 1);
    EXPECT_LT(step, 200) << c.name;
  }
}
