#pragma once
// A private Xvfb display for the end-to-end tests, with the X tools that find windows
// by their exact name and send them keys, the real MervaneZuri started on it, the
// configuration file it writes, and the daemon run on what was saved.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <QStringList>
#include <sys/prctl.h>

#include <functional>
#include <optional>

#include "fixture.h"
#include "manager/identity.h"

namespace mvnz::test {

class TestDisplay {
 public:
  // Starts Xvfb when the X tools are there; name() is empty and why() says what is
  // missing otherwise.
  TestDisplay() {
    for (const char* tool : {"Xvfb", "xwininfo", "xdotool"})
      if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty()) {
        why_ = std::string(tool) + " is not installed";
        return;
      }
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
    if (name_.isEmpty()) why_ = "Xvfb did not start";
  }
  ~TestDisplay() {
    xvfb_.terminate();
    if (!xvfb_.waitForFinished(5000)) xvfb_.kill(), xvfb_.waitForFinished(5000);
  }
  QString name() const { return name_; }
  std::string why() const { return why_; }

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
  // Types text into the focused field of window.
  bool type(const QString& window, const QString& text) const {
    if (!tool("xdotool", {"windowfocus", "--sync", window})) return false;
    const bool typed = tool("xdotool", {"type", "--delay", "30", text}).has_value();
    QThread::msleep(300);
    return typed;
  }
  // The text on this display's clipboard (copied there by the program), or nullopt.
  std::optional<QString> clipboard() const { return tool("xclip", {"-o", "-selection", "clipboard"}); }
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
  std::string why_;
};

// How the real program is started: its command line, and whether without any
// capability (so file modes bind it even when the tests run as root).
struct ManagerStart {
  QStringList arguments;
  bool withoutCapabilities = false;
};

inline void StartManager(QProcess& p, const QString& display, const ManagerStart& how = {}) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("DISPLAY", display);
  env.insert("QT_QPA_PLATFORM", "xcb");
  p.setProcessEnvironment(env);
  p.setProgram(QStringLiteral(MVNZ_BIN_DIR) + "/MervaneZuri");
  p.setArguments(how.arguments);
  if (how.withoutCapabilities) {
    // An empty bounding set, so the program keeps none across its exec.
    p.setChildProcessModifier([] {
      for (int cap = 0; cap < 64; ++cap) ::prctl(PR_CAPBSET_DROP, cap, 0, 0, 0);
    });
  }
  p.start();
  ASSERT_TRUE(p.waitForStarted(30000));
}

// Starts the real MervaneZuri on display; the id of its main window, found by its exact
// caption, or "" (the program's error output then goes into the failure).
inline QString StartManagerWindow(QProcess& p, const TestDisplay& display, const ManagerStart& how = {}) {
  StartManager(p, display.name(), how);
  const QString window = display.waitForWindow(manager::MainCaption(manager::VersionText()));
  if (window.isEmpty()) ADD_FAILURE() << "no main window: " << p.readAllStandardError().toStdString();
  return window;
}

// Answers the box that a save succeeded.
inline void AcknowledgeSaved(const TestDisplay& display, QProcess& manager) {
  const QString saved = display.waitForWindow("Settings Saved");
  ASSERT_FALSE(saved.isEmpty()) << manager.readAllStandardError().toStdString();
  ASSERT_TRUE(display.keys(saved, {"Return"}));
}

// Quits the manager with Ctrl+Q in window; it ends with status 0.
inline void QuitManager(const TestDisplay& display, const QString& window, QProcess& manager) {
  ASSERT_TRUE(display.keys(window, {"ctrl+q"}));
  ASSERT_TRUE(manager.waitForFinished(30000));
  EXPECT_EQ(manager.exitCode(), 0);
}

// The file as the manager writes it, with one job "Mover" that Relocates the files
// matching filter from in to done.
inline QByteArray Canonical(const QString& in, const QString& done, const QString& logs, const QString& filter) {
  QStringList l = {";", ";", "; Mervane Zuri - Configuration File", ";", "; Mervane Zuri v1.0.0",
                   ";", "", "[CONFIGURATION]", "RoziRoruTitle=End to end", "LogDirectory=" + logs,
                   "EnableLogging=1", "AutoLogInternalCommands=0", "InitialGlobalsValue="};
  for (int i = 0; i < 15; ++i) l << "GlobalConstant=";
  l << "AutoStart=1" << "AutoStartState=4" << "" << "[Mover]" << "Trigger=FILE" << "RunDays=1111111"
    << "Description=moves text files" << "ScanDirectory=" + in << "IncludeSubdir=0" << "OldestFirst=1"
    << "InputFilter=" + filter << "RejectFilter=" << "SkipRejected=True" << "RemoveRejected=False"
    << "MoveRejected=False" << "MoveRejectedDirectory=" << "Interval=1" << "StableTimer=-1"
    << "SingleFileHandling=0" << "InitialLocalsValue=0";
  QStringList relocate = {"<SCANPATHFILENAME>", done + "/<FILENAME>", "0", "1"};
  while (relocate.size() < 30) relocate << QString();
  l << "Command=Relocate]~[" + relocate.join("]~[");
  for (int i = 0; i < 15; ++i) l << "Constant=";
  l << "Enabled=1" << "" << ";" << "; End of Mervane Zuri - Configuration File" << ";" << "";
  return l.join("\r\n").toUtf8() + "\r\n";
}

// Runs the real mvnd (no display) until done() holds or a minute passed, then ends it.
inline void RunDaemonUntil(const std::function<bool()>& done) {
  QProcess mvnd;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("DISPLAY");
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("MVNZ_SYSTEMCTL", "/bin/true");
  mvnd.setProcessEnvironment(env);
  mvnd.start(QStringLiteral(MVNZ_BIN_DIR) + "/mvnd", QStringList{});
  ASSERT_TRUE(mvnd.waitForStarted(30000));
  QDeadlineTimer deadline(60000);
  while (!deadline.hasExpired() && !done()) QThread::msleep(50);
  mvnd.terminate();
  ASSERT_TRUE(mvnd.waitForFinished(30000));
}

// The real mvnd, run on the saved file, moves a new file "order.txt" from in to done.
inline void ExpectDaemonMovesAnOrder(const QString& in, const QString& done) {
  ASSERT_NO_FATAL_FAILURE(PutFile(in + "/order.txt", "order"));
  RunDaemonUntil([&] { return QFile::exists(done + "/order.txt"); });
  EXPECT_EQ(readFile(done + "/order.txt"), "order");
  EXPECT_FALSE(QFile::exists(in + "/order.txt"));
}

}  // namespace mvnz::test
