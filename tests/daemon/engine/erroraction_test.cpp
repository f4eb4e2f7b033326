// ErrorAction's choices and the built-in delete and move, over temporary folders.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>

#include "engine/erroraction.h"
#include "scriptfixture.h"

using namespace mvnz;
using namespace mvnz::test;
using engine::ScriptParams;

namespace {

ScriptParams Params(const mvnd::CommandEntry& e) {
  ScriptParams p;
  for (int k = 1; k <= 30; ++k) p[k] = e.Data[k];
  return p;
}

}  // namespace

TEST(ErrorAction, Choices) {
  const QString elsewhere = rootDir() + "/failed/deep";
  const struct {
    const char* what;
    mvnd::CommandEntry line;
    bool abort;
    QStringList queue;
    QString fileAt;  // where a.txt is afterwards ("" = gone)
    QStringList messages;
  } cases[] = {
      {"delete",
       OnError("delete"),
       true,
       {},
       "",
       {"Executing [OnError] Command <Delete File>", "Deleting file [%h/a.txt]"}},
      {"delete and resume",
       OnError("delete", "1"),
       false,
       {},
       "",
       {"Executing [OnError] Command <Delete File>", "Deleting file [%h/a.txt]",
        "Resuming CommandScript after Error"}},
      {"move, creating the folders",
       OnError("move", "0", elsewhere),
       true,
       {},
       elsewhere + "/a.txt",
       {"Executing [OnError] Command <Move File>",
        "Moving file [%h/a.txt] to [" + elsewhere + "/a.txt]..."}},
      {"move into a folder given with a trailing slash",
       OnError("move", "0", elsewhere + "/"),
       true,
       {},
       elsewhere + "/a.txt",
       {"Executing [OnError] Command <Move File>",
        "Moving file [%h/a.txt] to [" + elsewhere + "/a.txt]..."}},
      {"move into the file's own folder keeps the file",
       OnError("move", "0", "%h"),
       true,
       {},
       "%h/a.txt",
       {"Executing [OnError] Command <Move File>", "Moving file [%h/a.txt] to [%h/a.txt]...",
        "ERROR_RELOCATE: Could not move file [%h/a.txt] to [%h/a.txt] [][Source and target are "
        "the same file]"}},
      {"move into an empty folder is refused",
       OnError("move"),
       true,
       {},
       "%h/a.txt",
       {"Executing [OnError] Command <Move File>",
        "ERROR_DO-ON-ERROR: Destination folder is empty, file [%h/a.txt] not moved!"}},
      {"abort",
       OnError("abort"),
       true,
       {},
       "%h/a.txt",
       {"Executing [OnError] Command <Abort CommandScript>"}},
      {"abort and resume only resumes",
       OnError("abort", "1"),
       false,
       {},
       "%h/a.txt",
       {"Resuming CommandScript after Error"}},
      {"stop",
       OnError("stop"),
       true,
       {"STOP"},
       "%h/a.txt",
       {"Executing [OnError] Command <StopDaemon>"}},
      {"stop and resume",
       OnError("stop", "1"),
       false,
       {"STOP"},
       "%h/a.txt",
       {"Executing [OnError] Command <StopDaemon>", "Resuming CommandScript after Error"}},
      {"fork takes no file action", OnError("fork"), true, {}, "%h/a.txt", {}},
      {"nothing chosen", OnError("none"), true, {}, "%h/a.txt", {}},
  };
  for (const auto& c : cases) {
    ScriptFixture f;
    f.d.settings.AutoLogInternalCommands = 1;
    f.Files({"a.txt"});
    test::removeTree(rootDir() + "/failed");
    mvnd::CommandEntry line = c.line;
    line.Data[5].replace("%h", f.hot);
    engine::DoOnError(f.d, 0, Params(line), f.ports);
    EXPECT_EQ(f.rr().AbortScript, c.abort) << c.what;
    EXPECT_EQ(f.d.run.CommandQueue, c.queue) << c.what;
    QString at = c.fileAt;
    at.replace("%h", f.hot);
    if (at.isEmpty())
      EXPECT_FALSE(QFile::exists(f.hot + "/a.txt")) << c.what;
    else
      EXPECT_EQ(readFile(at), "data") << c.what;
    QStringList expected = c.messages;
    expected.replaceInStrings("%h", f.hot);
    EXPECT_EQ(f.Messages(), expected) << c.what;
  }
}

TEST(ErrorAction, MoveReplacesAFileOfThatName) {
  ScriptFixture f;
  f.Files({"a.txt"});
  const QString dest = makeDir("failed");
  writeFile(dest + "/a.txt", "older");
  engine::DoOnError(f.d, 0, Params(OnError("move", "0", dest)), f.ports);
  EXPECT_EQ(readFile(dest + "/a.txt"), "data");
  EXPECT_FALSE(QFile::exists(f.hot + "/a.txt"));
  EXPECT_TRUE(f.log.empty());  // built-in progress lines only with AutoLogInternalCommands
}

// A write-protected current file is not deleted, and a write-protected file of that
// name in the destination folder is not replaced: each ends in its error line.
TEST(ErrorAction, WriteProtectedFilesAreLeft) {
  ScriptFixture f;
  f.Files({"a.txt"});
  const QString file = f.hot + "/a.txt";
  const QString dest = makeDir("failed-ro");
  writeFile(dest + "/a.txt", "older");
  ::chmod(QFile::encodeName(file).constData(), 0444);
  ::chmod(QFile::encodeName(dest + "/a.txt").constData(), 0444);
  engine::DoOnError(f.d, 0, Params(OnError("delete", "0", dest)), f.ports);
  engine::DoOnError(f.d, 0, Params(OnError("move", "0", dest)), f.ports);
  EXPECT_EQ(f.Messages(2),
            (QStringList{"ERROR_KILLFILE: Could not delete file [" + file + "] [][Access denied [" +
                             file + "]]",
                         "ERROR_RELOCATE: Could not move file [" + file + "] to [" + dest +
                             "/a.txt] [][Access denied [" + dest + "/a.txt]]"}));
  EXPECT_TRUE(f.d.run.LastCommandError);
  EXPECT_EQ(readFile(file), "data");
  EXPECT_EQ(readFile(dest + "/a.txt"), "older");
}

TEST(ErrorAction, NoCurrentFileIsAnErrorLineAndResumeStillHolds) {
  for (const char* what : {"delete", "move"}) {
    ScriptFixture f;  // a time-triggered run: no file list
    engine::DoOnError(f.d, 0, Params(OnError(what, "1", rootDir() + "/x")), f.ports);
    EXPECT_EQ(f.Messages(2), QStringList{QString("ERROR_DO-ON-ERROR: Error while executing "
                                                 "DoOnError function [DoOnError][No current "
                                                 "file to ") +
                                         what + "]"});
    EXPECT_FALSE(f.rr().AbortScript) << what;
    f.Files({});  // a pass whose file list is used up
    f.rr().FilesPending = 1;
    engine::DoOnError(f.d, 0, Params(OnError(what, "0", rootDir() + "/x")), f.ports);
    EXPECT_EQ(f.Messages(2).size(), 2) << what;
    EXPECT_TRUE(f.rr().AbortScript) << what;
  }
}

TEST(BuiltinFiles, KillFile) {
  const struct {
    const char* what;
    QByteArray content;  // null: no file
    const char* onlyIfEmpty;
    bool gone;
    QString message;
    int level;
  } cases[] = {
      {"delete", "data", "0", true, "Deleting file [%p]", 0},
      {"only if empty, empty", "", "1", true, "Deleting empty file [%p]", 0},
      {"only if empty, not empty", "data", "1", false, "", 0},
      {"another flag value", "", "x", false, "", 0},
      {"missing", QByteArray(), "0", true, "WARNING_KILLFILE: Sourcefile [%p] not found!", 1},
  };
  for (bool autoLog : {true, false}) {
    for (const auto& c : cases) {
      ScriptFixture f;
      f.d.settings.AutoLogInternalCommands = autoLog ? 1 : 0;
      const QString p = makeDir("k") + "/victim.txt";
      QFile::remove(p);
      if (!c.content.isNull()) writeFile(p, c.content);
      engine::KillFile(f.d, p, c.onlyIfEmpty, f.ports);
      EXPECT_EQ(!QFile::exists(p), c.gone) << c.what;
      QStringList expected;
      if (!c.message.isEmpty() && (autoLog || c.level > 0))
        expected << QString(c.message).replace("%p", p);
      EXPECT_EQ(f.Messages(), expected) << c.what << autoLog;
      EXPECT_FALSE(f.d.run.LastCommandError) << c.what;
    }
  }
}

TEST(BuiltinFiles, TransferFile) {
  const struct {
    const char* what;
    bool source, target;
    const char* overwrite;
    const char* createFolders;
    bool nested;  // the destination's folder does not exist yet
    QByteArray sourceAfter, targetAfter;
    bool error;
    QString message;  // the last line (%s source, %t destination)
  } cases[] = {
      {"plain move", true, false, "0", "0", false, "<missing>", "new", false,
       "Moving file [%s] to [%t]..."},
      {"overwrite replaces", true, true, "1", "0", false, "<missing>", "new", false,
       "Moving file [%s] to [%t]..."},
      {"no overwrite keeps both", true, true, "0", "0", false, "new", "old", true,
       "ERROR_RELOCATE: File [%t] exists & OVERWRITE=OFF, file not copied!"},
      {"folders made", true, false, "0", "1", true, "<missing>", "new", false,
       "Moving file [%s] to [%t]..."},
      {"folder missing", true, false, "0", "0", true, "new", "<missing>", true,
       "ERROR_RELOCATE: Could not move file [%s] to [%t] [][No such file or directory]"},
      {"missing source", false, true, "1", "1", false, "<missing>", "old", false,
       "WARNING_RELOCATE: Sourcefile [%s] not found!"},
  };
  for (const auto& c : cases) {
    ScriptFixture f;
    f.d.settings.AutoLogInternalCommands = 1;
    const QString base = makeDir(QString("t/") + c.what);
    makeDir(QString("t/") + c.what + "/out");
    const QString src = base + "/in/a.txt";
    const QString dst = base + (c.nested ? "/new/deeper/a.txt" : "/out/a.txt");
    if (c.source) writeFile(src, "new");
    if (c.target) writeFile(dst, "old");
    engine::TransferFile(f.d, src, dst, c.overwrite, c.createFolders, f.ports);
    EXPECT_EQ(readFile(src), c.sourceAfter) << c.what;
    EXPECT_EQ(readFile(dst), c.targetAfter) << c.what;
    EXPECT_EQ(f.d.run.LastCommandError, c.error) << c.what;
    ASSERT_FALSE(f.log.empty()) << c.what;
    EXPECT_EQ(f.log.back().message, QString(c.message).replace("%s", src).replace("%t", dst))
        << c.what;
  }
}

// File operations that fail as a full disk or a denied folder would.
class FailingFiles : public engine::FileOperations {
 public:
  fileops::Outcome moveFile(const QString&, const QString&, fileops::Replace) override {
    return {fileops::Status::Failed, "Permission denied"};
  }
  fileops::Outcome deleteFile(const QString&) override {
    return {fileops::Status::Failed, "Permission denied"};
  }
};

TEST(BuiltinFiles, FailuresAreLoggedAndSetTheErrorFlag) {
  ScriptFixture f;
  FailingFiles failing;
  f.ports.files = &failing;
  const QString p = makeDir("k") + "/a.txt";
  writeFile(p, "data");
  engine::KillFile(f.d, p, "0", f.ports);
  EXPECT_TRUE(f.d.run.LastCommandError);
  f.d.run.LastCommandError = false;
  engine::TransferFile(f.d, p, p + ".moved", "1", "1", f.ports);
  EXPECT_TRUE(f.d.run.LastCommandError);
  EXPECT_EQ(f.Messages(2),
            (QStringList{"ERROR_KILLFILE: Could not delete file [" + p + "] [][Permission denied]",
                         "ERROR_RELOCATE: Could not move file [" + p + "] to [" + p +
                             ".moved] [][Permission denied]"}));
  EXPECT_EQ(readFile(p), "data");
}
