// End to end under Xvfb: the real MervaneZuri on a file the daemon reads, found by its
// exact window name, saved through its File menu by keystrokes; the bytes are the
// input's; a second start is refused with its box; mvnd then runs what was saved.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include "manager/filecommands.h"
#include "manager/identity.h"
#include "testenv.h"

using namespace mvnz;
using namespace mvnz::manager;

namespace {

// The file as the manager writes it, with one job that Relocates *.txt from in to done.
QByteArray Canonical(const QString& in, const QString& done, const QString& logs) {
  QStringList l = {";", ";", "; Mervane Zuri - Configuration File", ";", "; Mervane Zuri v1.0.0",
                   ";", "", "[CONFIGURATION]", "RoziRoruTitle=End to end", "LogDirectory=" + logs,
                   "EnableLogging=1", "AutoLogInternalCommands=0", "InitialGlobalsValue="};
  for (int i = 0; i < 15; ++i) l << "GlobalConstant=";
  l << "AutoStart=1" << "AutoStartState=4" << "" << "[Mover]" << "Trigger=FILE" << "RunDays=1111111"
    << "Description=moves text files" << "ScanDirectory=" + in << "IncludeSubdir=0" << "OldestFirst=1"
    << "InputFilter=\\.txt$" << "RejectFilter=" << "SkipRejected=True" << "RemoveRejected=False"
    << "MoveRejected=False" << "MoveRejectedDirectory=" << "Interval=1" << "StableTimer=-1"
    << "SingleFileHandling=0" << "InitialLocalsValue=0";
  QStringList relocate = {"<SCANPATHFILENAME>", done + "/<FILENAME>", "0", "1"};
  while (relocate.size() < 30) relocate << QString();
  l << "Command=Relocate]~[" + relocate.join("]~[");
  for (int i = 0; i < 15; ++i) l << "Constant=";
  l << "Enabled=1" << "" << ";" << "; End of Mervane Zuri - Configuration File" << ";" << "";
  return l.join("\r\n").toUtf8() + "\r\n";
}

class Display {
 public:
  Display() {
    for (int n = 90 + (QCoreApplication::applicationPid() % 50); n < 200 && name_.isEmpty(); ++n) {
      if (QFile::exists(QString("/tmp/.X%1-lock").arg(n))) continue;
      xvfb_.start("Xvfb", {QString(":%1").arg(n), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
      if (!xvfb_.waitForStarted(10000)) return;
      QDeadlineTimer deadline(15000);
      while (!deadline.hasExpired() && xvfb_.state() == QProcess::Running) {
        if (QFile::exists(QString("/tmp/.X11-unix/X%1").arg(n))) {
          name_ = QString(":%1").arg(n);
          break;
        }
        QThread::msleep(50);
      }
      if (name_.isEmpty()) xvfb_.kill(), xvfb_.waitForFinished(5000);
    }
  }
  ~Display() {
    xvfb_.terminate();
    if (!xvfb_.waitForFinished(5000)) xvfb_.kill(), xvfb_.waitForFinished(5000);
  }
  QString name() const { return name_; }

  // Runs an X tool on this display; its output, or nullopt when it failed.
  std::optional<QString> tool(const QString& program, const QStringList& args) const {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", name_);
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForFinished(15000) || p.exitCode() != 0) return std::nullopt;
    return QString::fromUtf8(p.readAllStandardOutput());
  }
  // The id of the window whose name is exactly name (bounded wait), or "".
  QString waitForWindow(const QString& name) const {
    QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
      if (auto out = tool("xwininfo", {"-name", name})) {
        const auto m = QRegularExpression("Window id: (0x[0-9a-f]+)").match(*out);
        if (m.hasMatch()) return m.captured(1);
      }
      QThread::msleep(100);
    }
    return {};
  }
  // A mapped window whose name is exactly name (bounded wait), or "".
  QString waitForVisible(const QString& name) const {
    QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
      if (auto out = tool("xdotool", {"search", "--onlyvisible", "--name",
                                      "^" + QRegularExpression::escape(name) + "$"})) {
        const QString id = out->split('\n', Qt::SkipEmptyParts).value(0).trimmed();
        if (!id.isEmpty()) return id;
      }
      QThread::msleep(100);
    }
    return {};
  }
  bool keys(const QString& window, const QStringList& keys) const {
    if (!tool("xdotool", {"windowfocus", "--sync", window})) return false;
    for (const QString& k : keys) {
      if (!tool("xdotool", {"key", "--clearmodifiers", k})) return false;
      QThread::msleep(300);
    }
    return true;
  }

 private:
  QProcess xvfb_;
  QString name_;
};

void StartManager(QProcess& p, const QString& display) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("DISPLAY", display);
  env.insert("QT_QPA_PLATFORM", "xcb");
  p.setProcessEnvironment(env);
  p.setProgram(QStringLiteral(MVNZ_BIN_DIR) + "/MervaneZuri");
  p.start();
  ASSERT_TRUE(p.waitForStarted(30000));
}

}  // namespace

TEST(ManagerEndToEnd, SavedThroughTheFileMenuUnderXvfbAndRunByTheDaemon) {
  for (const char* tool : {"Xvfb", "xwininfo", "xdotool"})
    if (QStandardPaths::findExecutable(tool).isEmpty()) GTEST_SKIP() << tool << " is not installed";
  Display display;
  if (display.name().isEmpty()) GTEST_SKIP() << "Xvfb did not start";

  const QString in = test::makeDir("in"), done = test::makeDir("done"), logs = test::makeDir("logs");
  const QByteArray input = Canonical(in, done, logs);
  {
    QFile f(DefaultConfigPath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(input);
  }
  const QDateTime before = QFileInfo(DefaultConfigPath()).lastModified();
  QThread::msleep(1100);

  QProcess manager;
  StartManager(manager, display.name());
  const QString window = display.waitForWindow(MainCaption(VersionText()));
  ASSERT_FALSE(window.isEmpty()) << manager.readAllStandardError().toStdString();

  // File menu, Save; then the box that says so.
  ASSERT_TRUE(display.keys(window, {"alt+f", "s"}));
  const QString saved = display.waitForWindow("Settings Saved");
  ASSERT_FALSE(saved.isEmpty());
  ASSERT_TRUE(display.keys(saved, {"Return"}));
  EXPECT_GT(QFileInfo(DefaultConfigPath()).lastModified(), before);
  EXPECT_EQ(test::readFile(DefaultConfigPath()), input);

  QProcess second;
  StartManager(second, display.name());
  // The refusal box, titled with the program's title (a mapped window: the program's
  // hidden leader window carries the same name).
  const QString refusal = display.waitForVisible(QLatin1String(kProgramTitle));
  ASSERT_FALSE(refusal.isEmpty());
  ASSERT_TRUE(display.keys(refusal, {"Return"}));
  ASSERT_TRUE(second.waitForFinished(30000));
  EXPECT_EQ(second.exitCode(), 1);
  EXPECT_EQ(manager.state(), QProcess::Running);

  ASSERT_TRUE(display.keys(window, {"ctrl+q"}));
  ASSERT_TRUE(manager.waitForFinished(30000));
  EXPECT_EQ(manager.exitCode(), 0);
  EXPECT_EQ(test::readFile(DefaultConfigPath()), input);

  // The daemon runs what was saved.
  {
    QFile f(in + "/order.txt");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("order");
  }
  QProcess mvnd;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("DISPLAY");
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("MVNZ_SYSTEMCTL", "/bin/true");
  mvnd.setProcessEnvironment(env);
  mvnd.start(QStringLiteral(MVNZ_BIN_DIR) + "/mvnd", QStringList{});
  ASSERT_TRUE(mvnd.waitForStarted(30000));
  QDeadlineTimer deadline(60000);
  while (!deadline.hasExpired() && !QFile::exists(done + "/order.txt")) QThread::msleep(50);
  mvnd.terminate();
  ASSERT_TRUE(mvnd.waitForFinished(30000));
  EXPECT_EQ(test::readFile(done + "/order.txt"), "order");
  EXPECT_FALSE(QFile::exists(in + "/order.txt"));
}
