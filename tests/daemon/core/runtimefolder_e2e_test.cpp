// Where the real mvnd keeps its lock and sockets when nothing names the folder, run as
// root and as the user nobody (setpriv), with /run a private tmpfs (unshare) where a
// row needs it; and the one line a folder another user made first is refused with.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QProcess>

#include "support.h"
#include "testenv.h"

using namespace mvnz::mvnd::test;

namespace {

constexpr int kWaitMs = 90000;

// Starts "$@" (the daemon), waits up to a minute for its log socket in $1, prints
// "chosen <owner uid> <mode>" of that folder, ends the daemon and prints its status.
const char* const kProbe = R"(want=$1; shift
"$@" & pid=$!
i=0
while [ ! -S "$want/mvnd.MVNdcom" ] && kill -0 $pid 2>/dev/null && [ $i -lt 1200 ]; do
  sleep 0.05; i=$((i+1))
done
[ -S "$want/mvnd.MVNdcom" ] && stat -c "chosen %u %a" "$want"
kill -TERM $pid 2>/dev/null; wait $pid; echo "status $?")";

QStringList AsNobody(const QStringList& command) {
  return QStringList{"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"} + command;
}

// command in a mount namespace of its own with an empty tmpfs on /run, after prep
// (run there as root).
QStringList WithPrivateRun(const QString& prep, const QStringList& command) {
  return QStringList{
             "unshare", "--mount",
             "--",      "sh",
             "-c",      "mount -t tmpfs -o mode=0755 mvnz-run /run && " + prep + " && exec \"$@\"",
             "sh"} +
         command;
}

bool PrivateRunPossible() {
  QProcess p;
  p.start("unshare", {"--mount", "--", "sh", "-c", "mount -t tmpfs mvnz-run /run"});
  return p.waitForFinished(kWaitMs) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QString NobodysFolder(const QString& relative, unsigned mode) {
  const QString dir = mvnz::test::makeDir(relative);
  EXPECT_TRUE(mvnz::test::giveToNobody(dir));
  EXPECT_TRUE(mvnz::test::setMode(dir, mode));
  return dir;
}

}  // namespace

TEST(MvndProgram, RuntimeFolderByUserAndEnvironment) {
  if (::geteuid() != 0) GTEST_SKIP() << "the rows act as root and as the user nobody";
  const bool privateRun = PrivateRunPossible();
  const QString root = mvnz::test::rootDir();
  ASSERT_TRUE(mvnz::test::setMode(root, 0711));  // nobody reaches the folders given to it
  // A hidden daemon with nothing to do, readable by nobody.
  WriteCrlf(QDir(mvnz::test::makeDir("windows")).filePath("MVNZuri.ini"),
            {"[CONFIGURATION]", "AutoStart=1", "AutoStartState=4"});
  const QString home = NobodysFolder("home-nobody", 0700);
  const QString xdg = NobodysFolder("xdg-nobody", 0700);
  const QString rootXdg = mvnz::test::makeDir("xdg-root");
  const QString tmp = mvnz::test::makeDir("tmp");  // a shared temporary folder, as /tmp
  ASSERT_TRUE(mvnz::test::setMode(tmp, 01777));
  const QString squatted = tmp + "/mervanezuri-65534";

  const struct {
    const char* what;
    bool nobody, privateRun;
    QString xdgRuntime, home;
    QString prep;  // a shell command run first (as root)
    QString folder;
    QString outcome;  // "chosen <uid> <mode>", or the refusal
  } cases[] = {
      {"root", false, true, "", "/root", "true", "/run/mervanezuri", "chosen 0 700"},
      {"root with XDG_RUNTIME_DIR", false, false, rootXdg, "/root", "true",
       rootXdg + "/mervanezuri", "chosen 0 700"},
      {"another user", true, false, "", home, "true", home + "/.local/state/mervanezuri/run",
       "chosen 65534 700"},
      {"another user with XDG_RUNTIME_DIR", true, false, xdg, home, "true", xdg + "/mervanezuri",
       "chosen 65534 700"},
      {"another user without a home of its own", true, false, "", "/nonexistent", "true", squatted,
       "chosen 65534 700"},
      // A user that is not known to the system made the folder first.
      {"another user's squatted folder", true, false, "", "/nonexistent",
       "rm -rf '" + squatted +
           "' && setpriv --reuid=4242 --regid=4242 --clear-groups mkdir -m "
           "0777 '" +
           squatted + "'",
       squatted, "owned by user 4242, not by user nobody (65534)"},
      {"root's folder made by another user", false, true, "", "/root",
       "mkdir -m 0700 /run/mervanezuri && chown 65534 /run/mervanezuri", "/run/mervanezuri",
       "owned by user nobody (65534), not by user root (0)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.privateRun && !privateRun) {
      std::printf("row %s skipped: no mount namespace for a private /run\n", c.what);
      continue;
    }
    QProcessEnvironment env = MvndEnvironment();
    for (const char* var : {"MVNZ_RUNTIME_DIR", "XDG_RUNTIME_DIR", "XDG_STATE_HOME"})
      env.remove(var);
    if (!c.xdgRuntime.isEmpty()) env.insert("XDG_RUNTIME_DIR", c.xdgRuntime);
    env.insert("HOME", c.home);
    env.insert("TMPDIR", tmp);
    QStringList command =
        QStringList{"sh", "-c", kProbe, "sh", c.folder, QStringLiteral(MVNZ_BIN_DIR "/mvnd")};
    if (c.nobody) command = AsNobody(command);
    if (c.privateRun)
      command = WithPrivateRun(c.prep, command);
    else
      command = QStringList{"sh", "-c", c.prep + " && exec \"$@\"", "sh"} + command;
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(command.takeFirst(), command);
    ASSERT_TRUE(p.waitForFinished(kWaitMs));
    const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    if (c.outcome.startsWith("chosen")) {
      EXPECT_EQ(out, c.outcome + "\nstatus 0\n") << err.toStdString();
      continue;
    }
    EXPECT_EQ(out, "status 2\n") << err.toStdString();
    // One line: the folder, its owner, and the variable that moves it.
    EXPECT_TRUE(err.contains("mvnd: Runtime folder [" + c.folder + "] not used: " + c.outcome +
                             "; set MVNZ_RUNTIME_DIR to a folder of your own\n"))
        << err.toStdString();
  }
}
