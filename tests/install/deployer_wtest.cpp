// The uninstall utility: its window offscreen, its registry routines as tables, the
// steps against a fake svcwright, and the real programs chained together.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <optional>

#include "deployer/frmremove.h"
#include "deployer/modreg.h"
#include "deployer/removal.h"
#include "installsupport.h"
#include "library/exitstatus.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "svcwright/installer.h"
#include "testenv.h"

using namespace mvnz;
using namespace mvnz::deployer;
using namespace mvnz::install::test;
using prompts::Answer;

namespace {

const QString kProduct = "Software\\Orvendel\\MervaneZuri";

// The product key with keys up to three levels below an area key, a second daemon
// key, and a neighbour under the maker key that must stay.
void FillRegistry() {
  for (const char* key : {"Daemon\\Windows\\Log\\Columns", "Daemon1", "Manager\\Recent",
                          "Plugins\\Relocate", "Plugins\\Sleep\\Last"})
    ASSERT_EQ(registry::writeValue(kProduct + "\\" + key, "v", "1"), registry::kOk);
  ASSERT_EQ(registry::writeValue(kProduct, "Top", "1"), registry::kOk);
  ASSERT_EQ(registry::writeValue("Software\\Orvendel\\Other", "v", "1"), registry::kOk);
}

void WriteConfig() {
  QFile f(paths::configFile());
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write("[CONFIGURATION]\r\n");
}

struct Rig {
  explicit Rig(int svcStatus = 0, bool held = false)
      : folder(ProgramFolder("deploy")), svcwright(folder, "svcwright", svcStatus, held),
        window(folder) {}
  QString SummaryText() const {
    return scope.prompts->entries.isEmpty() ? QString() : scope.prompts->entries.last().text;
  }
  PromptsScope scope;
  QString folder;
  FakeProgram svcwright;
  frmRemove window;
};

}  // namespace

TEST(DeployerWindow, InitialStateAndTickButtons) {
  Rig r;
  EXPECT_EQ(r.window.objectName(), "frmRemove");
  EXPECT_EQ(r.window.windowTitle(), "Mervane Zuri Uninstall");
  const struct {
    const char* name;
    const char* text;
  } controls[] = {
      {"chkRemoveServices", "Remove Service"},
      {"chkRemoveConfig", "Remove Configuration (ini-files)"},
      {"chkRemoveRegistry", "Remove Registry Keys"},
      {"cmdOk", "&Ok"},
      {"cmdDefault", "&Default"},
      {"cmdSelectAll", "Select &All"},
  };
  for (const auto& c : controls) {
    auto* b = r.window.findChild<QAbstractButton*>(c.name);
    ASSERT_NE(b, nullptr) << c.name;
    EXPECT_EQ(b->text(), c.text);
  }
  const auto ticks = [&] {
    return QList<bool>{r.window.chkRemoveServices->isChecked(),
                       r.window.chkRemoveConfig->isChecked(),
                       r.window.chkRemoveRegistry->isChecked()};
  };
  EXPECT_EQ(ticks(), (QList<bool>{true, false, false}));
  r.window.cmdSelectAll->click();
  EXPECT_EQ(ticks(), (QList<bool>{true, true, true}));
  r.window.cmdDefault->click();
  EXPECT_EQ(ticks(), (QList<bool>{true, false, false}));
}

TEST(DeployerRegistry, SplitRegPath) {
  const struct {
    QString in;
    RootKey root;
    QString path;
  } cases[] = {
      {"HKEY_LOCAL_MACHINE\\Software\\Orvendel", RootKey::LocalMachine, "Software\\Orvendel"},
      {"HKEY_LOCAL_MACHINE", RootKey::LocalMachine, ""},
      {"HKEY_CURRENT_USER\\x", RootKey::CurrentUser, "x"},
      {"HKEY_DYN_DATA\\x\\y", RootKey::DynData, "x\\y"},
      {"HKEY_LOCAL_MACHINE\\Software\\", RootKey::None, "HKEY_LOCAL_MACHINE\\Software\\"},
      {"HKEY_LOCAL_MACHINE\\", RootKey::None, "HKEY_LOCAL_MACHINE\\"},
      {"Software\\Orvendel", RootKey::None, "Software\\Orvendel"},
      {"hkey_local_machine\\Software", RootKey::None, "hkey_local_machine\\Software"},
      {"HKEY_NOWHERE\\Software", RootKey::None, "Software"},
      {"", RootKey::None, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in.toStdString());
    QString path = c.in;
    RootKey root = RootKey::CurrentConfig;
    SplitRegPath(path, root);
    EXPECT_EQ(root, c.root);
    EXPECT_EQ(path, c.path);
  }
  const struct {
    const char* name;
    unsigned handle;
  } roots[] = {{"HKEY_CLASSES_ROOT", 0x80000000u},     {"HKEY_CURRENT_USER", 0x80000001u},
               {"HKEY_LOCAL_MACHINE", 0x80000002u},    {"HKEY_USERS", 0x80000003u},
               {"HKEY_PERFORMANCE_DATA", 0x80000004u}, {"HKEY_CURRENT_CONFIG", 0x80000005u},
               {"HKEY_DYN_DATA", 0x80000006u},         {"HKEY_Local_Machine", 0},
               {"", 0}};
  for (const auto& r : roots)
    EXPECT_EQ(static_cast<unsigned>(RootKeyFromName(r.name)), r.handle) << r.name;
}

TEST(DeployerRegistry, ListAndDeleteKeys) {
  FillRegistry();
  const QString hklm = "HKEY_LOCAL_MACHINE\\";
  EXPECT_EQ(EnumRegSubKeys(hklm + kProduct),
            (QStringList{"Daemon", "Daemon1", "Manager", "Plugins"}));
  EXPECT_EQ(EnumRegSubKeys("HKEY_LOCAL_MACHINE"), QStringList{"Software"});  // the root
  for (const QString& path : {hklm + kProduct + "\\Missing", hklm + kProduct + "\\",
                              kProduct, QString("HKEY_CURRENT_USER\\Software")})
    EXPECT_TRUE(EnumRegSubKeys(path).isEmpty()) << path.toStdString();

  // Keys three levels deep go with their parent.
  EXPECT_TRUE(DeleteRegKey(hklm + kProduct + "\\Daemon"));
  EXPECT_FALSE(registry::keyExists(kProduct + "\\Daemon\\Windows\\Log\\Columns"));
  EXPECT_TRUE(registry::keyExists(kProduct + "\\Daemon1"));
  for (const QString& path : {hklm + kProduct + "\\Daemon", QString("HKEY_LOCAL_MACHINE"),
                              hklm + kProduct + "\\Manager\\", kProduct + "\\Manager",
                              "HKEY_CURRENT_USER\\" + kProduct})
    EXPECT_FALSE(DeleteRegKey(path)) << path.toStdString();
  EXPECT_TRUE(registry::keyExists(kProduct + "\\Manager\\Recent"));
}

TEST(DeployerWindow, OkCarriesOutTheTickedSteps) {
  const struct {
    const char* what;
    bool service, config, registry;
    Answer answer;
    int svcStatus;
    bool configLeft, keysLeft;
    QStringList inSummary;
  } cases[] = {
      {"initial ticks", true, false, false, Answer::Yes, 0, true, true,
       {"Removed:\r\n  the service"}},
      {"everything", true, true, true, Answer::Yes, 0, false, false,
       {"the service", "the configuration file", "the registry keys HKEY_LOCAL_MACHINE\\" +
                                                     kProduct}},
      {"registry not confirmed", true, true, true, Answer::No, 0, false, true,
       {"Left alone:\r\n  the registry keys (not confirmed)"}},
      {"service removal failed", true, true, false, Answer::Yes, 4, false, true,
       {"Not removed:\r\n  the service:", "-remove ended with status 4",
        "Removed:\r\n  the configuration file"}},
      {"nothing ticked", false, false, false, Answer::Yes, 0, true, true,
       {"Nothing was removed."}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FillRegistry();
    WriteConfig();
    Rig r(c.svcStatus);
    r.window.chkRemoveServices->setChecked(c.service);
    r.window.chkRemoveConfig->setChecked(c.config);
    r.window.chkRemoveRegistry->setChecked(c.registry);
    r.scope.prompts->script = {c.answer};
    r.window.show();
    r.window.cmdOk->click();
    EXPECT_EQ(r.svcwright.Ran(), c.service);
    if (c.service) {
      EXPECT_EQ(r.svcwright.Args(), QStringList{"-remove"});
    }
    EXPECT_EQ(QFile::exists(paths::configFile()), c.configLeft);
    EXPECT_EQ(registry::keyExists(kProduct), c.keysLeft);
    EXPECT_TRUE(registry::keyExists("Software\\Orvendel\\Other"));
    const QStringList titles = r.scope.prompts->Titles();
    EXPECT_EQ(titles.contains("Remove Registry-Keys"), c.registry);
    EXPECT_EQ(titles.last(), "Mervane Zuri Uninstall");
    for (const QString& s : c.inSummary)
      EXPECT_TRUE(r.SummaryText().contains(s)) << s.toStdString() << "\n"
                                               << r.SummaryText().toStdString();
    EXPECT_FALSE(r.window.isVisible());
    EXPECT_FALSE(r.window.frmProgress->isVisible());
    EXPECT_EQ(r.window.result(), QDialog::Accepted);
  }
}

// Each end of "mvnd -uninstall" as the real svcwright prints it and ends, and as the
// deployer then lists the service.
TEST(DeployerService, EachDaemonStatusIsReportedAsItIs) {
  const struct {
    int daemonStatus;  // -1: no daemon program in the folder
    QString svcwrightLine;
    int svcwrightStatus;
    QString summary;
  } cases[] = {
      {kExitOk, "Remove Mervane Service: The Mervane Zuri Daemon service has been removed.", 0,
       "Removed:\r\n  the service"},
      {kExitNotInstalled, "Remove Mervane Service: The Mervane Zuri Daemon service is not installed.",
       5, "Left alone:\r\n  the service: not installed"},
      {kExitRefused,
       "Remove Mervane Service: The daemon refused to remove the service (status 2).  fake mvnd "
       "says why",
       2, "-remove ended with status 2"},
      {kExitServiceFailed, "ended with status 4).  fake mvnd says why", 4,
       "-remove ended with status 4"},
      {kExitFatal, "ended with status 1).", 1, "-remove ended with status 1"},
      {kExitAlreadyInstalled, "The service could not be removed (", 3, "-remove ended with status 3"},
      {-1, "The daemon program cannot be run: ", 127, "-remove ended with status 127"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.daemonStatus);
    const QString folder = ProgramFolder(QString("status%1").arg(c.daemonStatus));
    std::optional<FakeProgram> mvnd;
    if (c.daemonStatus >= 0) mvnd.emplace(folder, "mvnd", c.daemonStatus);
    const QString svcwright = CopyProgram("svcwright", folder);
    QProcess p;
    p.start(svcwright, {"-remove"});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), c.svcwrightStatus);
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    EXPECT_TRUE(err.contains(c.svcwrightLine)) << err.toStdString();

    Summary summary;
    RemoveService(folder, kServiceLimitMs, summary);
    EXPECT_TRUE(summary.Text().contains(c.summary)) << summary.Text().toStdString();
    EXPECT_EQ(summary.anyFailed(), c.svcwrightStatus != 0 && c.svcwrightStatus != 5);
  }
}

TEST(DeployerConfigFile, OnlyAWritableRegularFileIsDeleted) {
  const QString dir = mvnz::test::makeDir("cfgkinds");
  const QString target = QDir(dir).filePath("precious.txt");
  const struct {
    const char* what;
    std::function<void(const QString&)> make;
    bool kept;
    QString line;
  } cases[] = {
      {"writable file", [](const QString& p) { QFile f(p); f.open(QIODevice::WriteOnly); },
       false, "Removed:\r\n  the configuration file"},
      {"read-only file",
       [](const QString& p) {
         QFile f(p);
         f.open(QIODevice::WriteOnly);
         f.setPermissions(QFile::ReadOwner | QFile::ReadGroup);
       },
       true, ": read-only"},
      {"link to another file", [&](const QString& p) { QFile::link(target, p); }, true,
       ": not a regular file"},
      {"folder", [](const QString& p) { QDir().mkpath(p); }, true, ": not a regular file"},
      {"missing", [](const QString&) {}, false, "Left alone:\r\n  the configuration file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    {
      QFile t(target);
      ASSERT_TRUE(t.open(QIODevice::WriteOnly | QIODevice::Truncate));
      t.write("keep me");
    }
    const QString path = QDir(dir).filePath(QString("MVNZuri-%1.ini").arg(&c - cases));
    c.make(path);
    Summary s;
    RemoveConfigFile(path, s);
    EXPECT_EQ(QFileInfo(path).exists() || QFileInfo(path).isSymLink(), c.kept);
    EXPECT_TRUE(s.Text().contains(c.line)) << s.Text().toStdString();
    EXPECT_EQ(mvnz::test::readFile(target), "keep me");
  }
}

TEST(DeployerWindow, GivesUpOnAServiceRemovalThatDoesNotEnd) {
  WriteConfig();
  Rig r(0, /*held=*/true);
  r.window.serviceLimitMs = 1500;
  r.window.cmdSelectAll->click();
  r.scope.prompts->script = {Answer::Yes};
  QString progressMeanwhile;
  QTimer::singleShot(300, [&] {
    if (r.window.frmProgress->isVisible()) progressMeanwhile = r.window.lblProgress->text();
  });
  r.window.show();
  r.window.cmdOk->click();
  EXPECT_EQ(progressMeanwhile, "Removing the service ...");
  // Later steps still ran; the child is named and left running.
  EXPECT_TRUE(r.SummaryText().contains(r.svcwright.path + " -remove is still running after 1.5 s"))
      << r.SummaryText().toStdString();
  EXPECT_FALSE(QFile::exists(paths::configFile()));
  // Once it ends, nothing of it is left behind (the sanitizer run checks the memory).
  EXPECT_TRUE(r.svcwright.ReleaseAndWaitReaped());
}

namespace {

// A fake systemctl recording its calls; "stop" ends the process whose id is in the
// pid file, as the service manager would end the service's daemon.
QString FakeSystemctl(const QString& pidFile) {
  const QString root = mvnz::test::rootDir();
  const QString script = root + "/systemctl";
  QFile f(script);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(QStringLiteral("#!/bin/sh\necho \"$*\" >> '%1/calls'\n"
                         "if [ \"$1\" = stop ] && [ -s '%2' ]; then kill \"$(cat '%2')\"; fi\n")
              .arg(root, pidFile)
              .toUtf8());
  f.close();
  f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  qputenv("MVNZ_SYSTEMCTL", script.toLocal8Bit());
  QFile::remove(root + "/calls");
  return root + "/calls";
}

QStringList Calls(const QString& file) {
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
}

bool WaitFor(const std::function<bool()>& done) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < 60000) {
    if (done()) return true;
    QThread::msleep(50);
  }
  return false;
}

}  // namespace

// deployer -> svcwright -remove -> mvnd -uninstall, the real programs of the build.
TEST(DeployerChain, RemovesWhatTheRealProgramsInstalled) {
  const QString bin = QStringLiteral(MVNZ_BIN_DIR);
  const QString unit = paths::join(paths::unitDir(), "MVNDZuri.service");
  const QString pidFile = mvnz::test::rootDir() + "/daemon.pid";
  const struct {
    const char* what;
    bool all;
    Answer answer;
    bool daemonRuns;
    bool configLeft, keysLeft;
  } cases[] = {
      {"initial ticks", false, Answer::Yes, false, true, true},
      {"everything, a daemon running", true, Answer::Yes, true, false, false},
      {"registry not confirmed", true, Answer::No, false, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const QString calls = FakeSystemctl(pidFile);
    QFile::remove(pidFile);
    PromptsScope scope;
    const svcwright::Report installed = svcwright::RunInstall(bin, {}, "Automatic");
    ASSERT_TRUE(installed.ok()) << installed.text.toStdString();
    ASSERT_TRUE(QFile::exists(unit));
    EXPECT_TRUE(mvnz::test::readFile(unit).contains("ExecStart=\"" + bin.toUtf8() + "/mvnd\""));
    FillRegistry();
    {
      QFile f(paths::configFile());
      ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
      f.write(("[CONFIGURATION]\r\nLogDirectory=" + mvnz::test::makeDir("logs") +
               "\r\nAutoStart=1\r\nAutoStartState=4\r\n")
                  .toUtf8());
    }
    QProcess daemon;
    if (c.daemonRuns) {
      daemon.start(bin + "/mvnd", {});
      ASSERT_TRUE(daemon.waitForStarted());
      ASSERT_TRUE(WaitFor([] {
        return process::isInstanceRunning(QString::fromLatin1(process::kDaemonLock));
      }));
      QFile pid(pidFile);
      ASSERT_TRUE(pid.open(QIODevice::WriteOnly));
      pid.write(QByteArray::number(daemon.processId()));
    }

    frmRemove window(bin);
    if (c.all) window.cmdSelectAll->click();
    scope.prompts->script = {c.answer};
    window.show();
    window.cmdOk->click();
    EXPECT_FALSE(QFile::exists(unit)) << scope.prompts->entries.last().text.toStdString();
    EXPECT_TRUE(Calls(calls).contains("disable MVNDZuri.service"));
    EXPECT_EQ(Calls(calls).contains("stop --no-block MVNDZuri.service"), c.daemonRuns);
    EXPECT_EQ(QFile::exists(paths::configFile()), c.configLeft);
    EXPECT_EQ(registry::keyExists(kProduct), c.keysLeft);
    if (c.daemonRuns) {
      // Its end may have been seen already while the removal waited.
      ASSERT_TRUE(daemon.state() == QProcess::NotRunning || daemon.waitForFinished(60000));
      EXPECT_EQ(daemon.exitStatus(), QProcess::NormalExit);
      EXPECT_EQ(daemon.exitCode(), 0);  // a clean end on the service manager's stop
    }
    EXPECT_FALSE(scope.prompts->entries.last().text.contains("Not removed"))
        << scope.prompts->entries.last().text.toStdString();
  }
  // With the service gone, another removal is not reported as done.
  PromptsScope scope;
  frmRemove window(bin);
  window.show();
  window.cmdOk->click();
  EXPECT_EQ(scope.prompts->entries.last().text, "Left alone:\r\n  the service: not installed");
}
