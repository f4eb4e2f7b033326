// The window and shell helpers: finding and raising the configuration manager or
// starting it, the default browser, and RemoveCharacter.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>
#include <atomic>
#include <thread>

#include "daemon/logging.h"
#include "daemon/shellhelpers.h"
#include "platform/windowlink.h"
#include "testenv.h"

using namespace mvnz;
using namespace mvnz::mvnd;

namespace {

void WriteScript(const QString& path, const QString& body) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(("#!/bin/sh\n" + body + "\n").toUtf8());
  f.close();
  f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

bool WaitForFile(const QString& path) {
  QDeadlineTimer deadline(30000);
  while (!QFile::exists(path) && !deadline.hasExpired()) QThread::msleep(20);
  return QFile::exists(path);
}

struct Fixture {
  Fixture() {
    d.AllowDoEvents = false;
    d.settings.VersionText = "1.0";
    d.run.DaemonInitialized = true;
    programDir = test::makeDir("programs");
    started = test::rootDir() + "/manager-started";
  }
  QStringList Messages() const {
    QStringList out;
    for (const clsLogging& l : d.log.TotalLog) out << l.message;
    return out;
  }
  // Runs StartConfigurationManager on a thread of its own while this thread serves
  // the manager's socket.
  void StartManagerServed() {
    std::atomic<bool> done = false;
    std::thread t([&] {
      StartConfigurationManager(d, programDir);
      done = true;
    });
    while (!done) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    t.join();
  }
  Daemon d;
  QString programDir, started;
};

}  // namespace

TEST(ShellHelpers, ManagerCaptionAndSocket) {
  Fixture f;
  EXPECT_EQ(ManagerCaption(f.d.settings),
            QString::fromUtf8("Orvendel \u00B7 Mervane Zuri v1.0 \u00B7 Configuration Manager"));
  EXPECT_EQ(ManagerSocketPath(f.d.settings), windowlink::socketPath("MervaneZuri", "1.0"));
  EXPECT_TRUE(ManagerSocketPath(f.d.settings).startsWith(qEnvironmentVariable("MVNZ_RUNTIME_DIR")));
}

// A running manager of the same version is raised; nothing is logged or started.
TEST(ShellHelpers, RunningManagerIsRaised) {
  Fixture f;
  WriteScript(f.programDir + "/MervaneZuri", "touch '" + f.started + "'");
  int raised = 0;
  windowlink::Listener manager(ManagerSocketPath(f.d.settings), [&] { ++raised; });
  ASSERT_TRUE(manager.listen());
  f.StartManagerServed();
  EXPECT_EQ(raised, 1);
  EXPECT_TRUE(f.Messages().isEmpty());
  QThread::msleep(200);
  EXPECT_FALSE(QFile::exists(f.started));
}

// A manager of another version is not found: a new one is started from the folder.
TEST(ShellHelpers, OtherVersionStartsOneFromTheProgramFolder) {
  Fixture f;
  WriteScript(f.programDir + "/MervaneZuri", "printf '%s|' \"$#\" \"$PWD\" > '" + f.started + "'");
  int raised = 0;
  windowlink::Listener other(windowlink::socketPath("MervaneZuri", "2.0"), [&] { ++raised; });
  ASSERT_TRUE(other.listen());
  f.StartManagerServed();
  EXPECT_EQ(raised, 0);
  EXPECT_EQ(f.Messages(), QStringList{"Start Configuration Manager"});
  ASSERT_TRUE(WaitForFile(f.started));
  QThread::msleep(100);
  QFile out(f.started);
  ASSERT_TRUE(out.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(out.readAll()), "0|" + f.programDir + "|");  // no arguments
}

// No manager program: the attempt is logged and its failure said, nothing else.
TEST(ShellHelpers, MissingManagerProgramIsReported) {
  Fixture f;
  f.programDir = test::makeDir("no-programs");
  StartConfigurationManager(f.d, f.programDir);
  const QStringList m = f.Messages();
  ASSERT_EQ(m.size(), 2);
  EXPECT_EQ(m[0], "Start Configuration Manager");
  EXPECT_EQ(m[1], "WARNING: Configuration Manager could not be started [" + f.programDir +
                      "/MervaneZuri]");
  EXPECT_EQ(f.d.log.TotalLog[1].mType, "1");
}

TEST(ShellHelpers, WindowExists) {
  const QString path = windowlink::socketPath("Probe", "1.0");
  EXPECT_FALSE(WindowExists(path));
  windowlink::Listener l(path, [] {});
  ASSERT_TRUE(l.listen());
  EXPECT_TRUE(WindowExists(path));
}

// The browser is found through the desktop's tools; no probe file is written.
TEST(ShellHelpers, DefaultBrowserWithoutProbeFile) {
  const QString bin = test::makeDir("fakebin");
  const QString opened = test::rootDir() + "/opened";
  qputenv("PATH", bin.toLocal8Bit());
  WriteScript(bin + "/xdg-open", "printf '%s\\n' \"$@\" > '" + opened + "'");
  const QStringList before = QDir::current().entryList(QDir::Files);

  EXPECT_FALSE(FindDefaultBrowser());
  OpenInBrowser("https://example.invalid/");
  QThread::msleep(300);
  EXPECT_FALSE(QFile::exists(opened));  // no browser: nothing opened

  WriteScript(bin + "/xdg-mime", "[ \"$*\" = 'query default text/html' ] && echo web.desktop");
  EXPECT_TRUE(FindDefaultBrowser());
  OpenInBrowser("https://example.invalid/a b?c=$(x)");
  ASSERT_TRUE(WaitForFile(opened));
  QThread::msleep(100);
  QFile f(opened);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), "https://example.invalid/a b?c=$(x)\n");
  EXPECT_EQ(QDir::current().entryList(QDir::Files), before);
}

TEST(ShellHelpers, RemoveCharacterTable) {
  const struct {
    QString text, character, result;
  } rows[] = {
      {"*.txt", "*", ".txt"}, {"a*b*", "*", "ab"},    {"", "*", ""},
      {"A*a", "a", "A*"},     {"a**b", "**", "a**b"}, {"abc", "", "abc"},
  };
  for (const auto& r : rows)
    EXPECT_EQ(RemoveCharacter(r.text, r.character), r.result) << r.text.toStdString();
  // Long texts keep their characters.
  const QString longText = QString(40000, 'x') + "*";
  EXPECT_EQ(RemoveCharacter(longText, "*"), QString(40000, 'x'));
}
