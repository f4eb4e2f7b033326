// The shared move/copy routine over temporary folders: what it reports, in order, what
// it returns and where the files are afterwards, including files that vanish or appear
// while the transfer runs.
#include <gtest/gtest.h>

#include <QFile>
#include <functional>

#include "library/transfer.h"
#include "testenv.h"

using namespace mvnz;
using mvnz::test::makeDir;
using mvnz::test::readFile;
using transfer::Kind;
using transfer::Overwrite;
using transfer::Result;

namespace {

void writeFile(const QString& path, const QByteArray& data) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
  f.write(data);
}

// Records each report as a short word; folder levels relative to the case's folder.
class RecordingSink final : public transfer::Sink {
 public:
  explicit RecordingSink(QString base) : base_(std::move(base)) {}
  void sourceMissing() override { events << "missing"; }
  void overwriteOff() override { events << "overwrite off"; }
  void folderCreated(const QString& level) override {
    events << "created " + QString(level).remove(base_ + "/");
  }
  void folderFailed(const fileops::Outcome&) override { events << "folder failed"; }
  void starting() override { events << "starting"; }
  void failed(const fileops::Outcome& o) override {
    events << (o.status == fileops::Status::TargetExists ? "failed: exists" : "failed");
  }
  QStringList events;

 private:
  QString base_;
};

// The real operations, with a step run just before the move or copy.
class HookedFiles final : public transfer::Files {
 public:
  std::function<void()> beforeTransfer;
  fileops::Outcome moveFile(const QString& s, const QString& t, fileops::Replace r) override {
    if (beforeTransfer) beforeTransfer();
    return Files::moveFile(s, t, r);
  }
  fileops::Outcome copyFile(const QString& s, const QString& t, fileops::Replace r) override {
    if (beforeTransfer) beforeTransfer();
    return Files::copyFile(s, t, r);
  }
};

}  // namespace

TEST(Transfer, Run) {
  enum class Meanwhile { Nothing, SourceGoes, TargetAppears };
  const struct {
    const char* what;
    Kind kind;
    bool source, target;      // s and d there before
    const char* destination;  // below the case's folder
    Overwrite overwrite;
    bool createFolders;
    const char* fileAtA;  // a regular file named "a" in the case's folder, or null
    Meanwhile meanwhile;
    QStringList events;
    Result result;
    QByteArray sourceAfter, targetAfter;
  } cases[] = {
      {"plain move", Kind::Move, true, false, "d", Overwrite::Keep, false, nullptr,
       Meanwhile::Nothing, {"starting"}, Result::Done, "<missing>", "new"},
      {"missing source is tested before anything else", Kind::Move, false, true, "d",
       Overwrite::Replace, true, nullptr, Meanwhile::Nothing, {"missing"}, Result::SourceMissing,
       "<missing>", "old"},
      {"overwrite off touches nothing", Kind::Move, true, true, "d", Overwrite::Off, true,
       nullptr, Meanwhile::Nothing, {"overwrite off"}, Result::TargetExists, "new", "old"},
      {"keep lets the move fail", Kind::Move, true, true, "d", Overwrite::Keep, false, nullptr,
       Meanwhile::Nothing, {"starting", "failed: exists"}, Result::Failed, "new", "old"},
      {"replace", Kind::Move, true, true, "d", Overwrite::Replace, false, nullptr,
       Meanwhile::Nothing, {"starting"}, Result::Done, "<missing>", "new"},
      {"folders made level by level", Kind::Move, true, false, "a/b/d", Overwrite::Off, true,
       nullptr, Meanwhile::Nothing, {"created a", "created a/b", "starting"}, Result::Done,
       "<missing>", "new"},
      {"missing folder not made", Kind::Move, true, false, "a/b/d", Overwrite::Replace, false,
       nullptr, Meanwhile::Nothing, {"starting", "failed"}, Result::Failed, "new", "<missing>"},
      {"a folder level that cannot be made", Kind::Move, true, false, "a/b/d", Overwrite::Replace,
       true, "in the way", Meanwhile::Nothing, {"folder failed", "starting", "failed"},
       Result::Failed, "new", "<missing>"},
      {"copy replaces and keeps the source", Kind::Copy, true, true, "d", Overwrite::Replace,
       false, nullptr, Meanwhile::Nothing, {"starting"}, Result::Done, "new", "new"},
      {"copy with overwrite off", Kind::Copy, true, true, "d", Overwrite::Off, false, nullptr,
       Meanwhile::Nothing, {"overwrite off"}, Result::TargetExists, "new", "old"},
      {"source gone during the move", Kind::Move, true, false, "d", Overwrite::Replace, false,
       nullptr, Meanwhile::SourceGoes, {"starting", "missing"}, Result::SourceMissing,
       "<missing>", "<missing>"},
      {"target appears during the move, overwrite off", Kind::Move, true, false, "d",
       Overwrite::Off, false, nullptr, Meanwhile::TargetAppears, {"starting", "overwrite off"},
       Result::TargetExists, "new", "late"},
      {"target appears during the copy, replace", Kind::Copy, true, false, "d",
       Overwrite::Replace, false, nullptr, Meanwhile::TargetAppears, {"starting"}, Result::Done,
       "new", "new"},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const QString t = makeDir(QString("transfer%1").arg(n++));
    const QString S = t + "/s", D = t + "/" + c.destination;
    if (c.source) writeFile(S, "new");
    if (c.target) writeFile(D, "old");
    if (c.fileAtA) writeFile(t + "/a", c.fileAtA);
    HookedFiles files;
    files.beforeTransfer = [&] {
      if (c.meanwhile == Meanwhile::SourceGoes) QFile::remove(S);
      if (c.meanwhile == Meanwhile::TargetAppears) writeFile(D, "late");
    };
    RecordingSink sink(t);
    const transfer::Request r{c.kind, S, D, c.overwrite, c.createFolders};
    EXPECT_EQ(transfer::Run(r, sink, files), c.result);
    EXPECT_EQ(sink.events, c.events);
    EXPECT_EQ(readFile(S), c.sourceAfter);
    EXPECT_EQ(readFile(D), c.targetAfter);
  }
}

TEST(Transfer, FolderPart) {
  const struct {
    const char* path;
    const char* folder;
  } cases[] = {{"/a/b/c.txt", "/a/b"}, {"/c.txt", ""}, {"c.txt", ""}, {"a/", "a"}, {"", ""}};
  for (const auto& c : cases) EXPECT_EQ(transfer::FolderPart(c.path), c.folder) << c.path;
}
