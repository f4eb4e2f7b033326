// Installing and removing the service through the command line, against a fake
// systemctl that records its calls and a temporary unit folder.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <thread>

#include "daemon/queue.h"
#include "daemon/service.h"
#include "daemon/startup.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "testenv.h"

using namespace mvnz::mvnd;

namespace {

// Installs a shell script, whose first line records its arguments in <root>/calls, as
// systemctl; returns the calls file, emptied.
QString InstallSystemctl(const QString& body) {
  const QString root = mvnz::test::rootDir();
  const QString script = root + "/systemctl";
  QFile f(script);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(QStringLiteral("#!/bin/sh\necho \"$*\" >> '%1/calls'\n").arg(root).toUtf8() +
          body.toUtf8());
  f.close();
  f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  qputenv("MVNZ_SYSTEMCTL", script.toLocal8Bit());
  QFile::remove(root + "/calls");
  return root + "/calls";
}

// Installs the fake systemctl; exitCode is what every call returns, except a call of the
// verb failing, which fails.
QString FakeSystemctl(int exitCode, const QString& failing = "none") {
  return InstallSystemctl(
      QStringLiteral("[ \"$1\" = %2 ] && exit 1\nexit %1\n").arg(exitCode).arg(failing));
}

QStringList Calls(const QString& file) {
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
}

QString ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QString Unit() { return mvnz::paths::join(mvnz::paths::unitDir(), "MVNDZuri.service"); }

const QString kBase =
    "-install]~[ServiceName=MVNDZuri]~[DisplayName=Mervane Zuri Daemon]~[Configuration=/x.ini";

}  // namespace

TEST(ServiceControl, InstallItems) {
  const struct {
    QString items;
    QStringList calls;
    QStringList inUnit, notInUnit;
  } cases[] = {
      {"]~[StartupMode=Automatic",
       {"daemon-reload", "unmask MVNDZuri.service", "enable MVNDZuri.service"},
       {"Description=Mervane Zuri Daemon", "Environment=MVNZ_RUNNING_AS_SERVICE=1", "/mvnd\"",
        "\nExecReload=/bin/kill -HUP $MAINPID\n", "\nNoNewPrivileges=yes\n",
        "\nRuntimeDirectory=mervanezuri\nRuntimeDirectoryMode=0700\n"
        "Environment=MVNZ_RUNTIME_DIR=/run/mervanezuri\n",
        "\nDocumentation=file://" + mvnz::paths::helpFile() + "\n"},
       {"User="}},
      {"]~[StartupMode=Disabled]~[LogonAccount=DOM\\bob]~[LogonPassword=p=w=d",
       {"daemon-reload", "mask MVNDZuri.service"},
       {"User=bob"},
       {"p=w=d", "pw"}},
      {"]~[StartupMode=Manual]~[LogonAccount=LocalSystem]~[LogonPassword=secret",
       {"daemon-reload", "unmask MVNDZuri.service"},
       {},
       {"User=", "secret"}},
      {"]~[StartupMode=Sometimes", {"daemon-reload", "unmask MVNDZuri.service"}, {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.items.toStdString());
    const QString calls = FakeSystemctl(0);
    QFile::remove(Unit());
    Daemon d;
    EXPECT_EQ(ProcessCommandLine(d, kBase + c.items), kExitOk);
    EXPECT_EQ(Calls(calls), c.calls);
    const QString unit = ReadAll(Unit());
    for (const QString& s : c.inUnit)
      EXPECT_TRUE(unit.contains(s)) << s.toStdString() << "\n" << unit.toStdString();
    for (const QString& s : c.notInUnit) EXPECT_FALSE(unit.contains(s)) << s.toStdString();
  }
}

TEST(ServiceControl, ApplyServiceSettings) {
  ServiceControl a;
  ApplyServiceSettings(a, QString("-install]~[ServiceName=S]~[LogonPassword=a=b=c]~[LogonAccount="
                                  "x\\y]~[StartupMode=Manual]~[novalue")
                              .split("]~["));
  EXPECT_EQ(a.ServicePassword, "a=b=c");  // everything after the first "="
  EXPECT_EQ(a.ServiceAccount, "x\\y");
  EXPECT_FALSE(a.UseLocalSystem);
  EXPECT_EQ(a.ServiceStartMode, 1);
  EXPECT_EQ(a.ServiceDescription, "Mervane Zuri");

  ServiceControl b;
  ApplyServiceSettings(b, QString("-install]~[ServiceName=S]~[LogonAccount=LocalSystem]~["
                                  "LogonPassword=pw]~[StartupMode=Other")
                              .split("]~["));
  EXPECT_EQ(b.ServiceAccount, "LocalSystem");
  EXPECT_TRUE(b.ServicePassword.isEmpty());
  EXPECT_EQ(b.ServiceStartMode, -1);

  ServiceControl c;
  ApplyServiceSettings(c, QString("-install]~[ServiceName=S").split("]~["));
  EXPECT_TRUE(c.UseLocalSystem);
}

TEST(ServiceControl, RefusedAndFailedEndsAreDistinct) {
  QString calls = FakeSystemctl(0);
  Daemon d;
  EXPECT_EQ(ProcessCommandLine(d, kBase), kExitOk);
  EXPECT_EQ(ProcessCommandLine(d, kBase), kExitAlreadyInstalled);
  EXPECT_EQ(ProcessCommandLine(d, "-uninstall]~[ServiceName=MVNDZuri"), kExitOk);
  EXPECT_FALSE(QFile::exists(Unit()));
  EXPECT_EQ(Calls(calls),
            (QStringList{"daemon-reload", "unmask MVNDZuri.service", "unmask MVNDZuri.service",
                         "disable MVNDZuri.service", "daemon-reload"}));
  // Not installed: nothing to remove, nothing called.
  calls = FakeSystemctl(0);
  EXPECT_EQ(ProcessCommandLine(d, "-uninstall]~[ServiceName=MVNDZuri"), kExitNotInstalled);
  EXPECT_TRUE(Calls(calls).isEmpty());

  FakeSystemctl(1);
  Daemon e;
  EXPECT_EQ(ProcessCommandLine(e, kBase), kExitServiceFailed);
  // A line break in a setting would add lines to the unit: refused.
  FakeSystemctl(0);
  QFile::remove(Unit());
  Daemon f;
  EXPECT_EQ(ProcessCommandLine(
                f, "-install]~[ServiceName=MVNDZuri]~[DisplayName=a\nExecStartPre=/bin/evil"),
            kExitServiceFailed);
  EXPECT_FALSE(QFile::exists(Unit()));
  Daemon g;
  EXPECT_EQ(ProcessCommandLine(g, "-install]~[ServiceName=../evil"), kExitServiceFailed);
}

// A running daemon (its instance lock held) is stopped through the service manager
// before its unit goes; one that does not end in time keeps its unit.
TEST(ServiceControl, UninstallStopsRunningDaemonFirst) {
  const struct {
    bool endsOnStop;
    int status;
    bool unitLeft;
    QStringList calls;
  } cases[] = {
      {true, kExitOk, false,
       {"stop --no-block MVNDZuri.service", "unmask MVNDZuri.service", "disable MVNDZuri.service",
        "daemon-reload"}},
      {false, kExitRefused, true, {"stop --no-block MVNDZuri.service"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.endsOnStop);
    FakeSystemctl(0);
    Daemon install;
    ASSERT_EQ(ProcessCommandLine(install, kBase), kExitOk);
    const QString calls = FakeSystemctl(0);
    mvnz::process::InstanceLock running(QString::fromLatin1(mvnz::process::kDaemonLock));
    ASSERT_TRUE(running.tryLock());
    // The "daemon" ends once the stop request has been made.
    std::thread daemon([&] {
      QElapsedTimer t;
      t.start();
      while (c.endsOnStop && t.elapsed() < 10000) {
        if (!Calls(calls).isEmpty()) return running.unlock();
        QThread::msleep(20);
      }
    });
    Daemon d;
    d.SVC().StopWaitMs = c.endsOnStop ? 20000 : 300;
    EXPECT_EQ(ProcessCommandLine(d, "-uninstall]~[ServiceName=MVNDZuri"), c.status);
    daemon.join();
    EXPECT_EQ(QFile::exists(Unit()), c.unitLeft);
    EXPECT_EQ(Calls(calls), c.calls);
    QFile::remove(Unit());
  }
}

TEST(ServiceControl, OtherCommandLinesStartNormally) {
  Daemon d;
  for (const char* line : {"", "-Install]~[ServiceName=X", "-Embedding", "-uninstallX"})
    EXPECT_EQ(ProcessCommandLine(d, line), kContinue) << line;
}

TEST(ServiceControl, StartupDelay) {
  const struct {
    const char* stored;
    const char* delay;
  } cases[] = {{nullptr, "10"}, {"5", "10"}, {"25", "25"}, {"abc", "10"}, {"", "10"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored ? c.stored : "(missing)");
    if (c.stored)
      mvnz::registry::writeValue("Software\\Orvendel\\MervaneZuri\\Daemon", "ServiceStartupDelay",
                                 c.stored);
    EXPECT_EQ(ServiceStartupDelayText(), c.delay);
  }
}

// An install the service manager refuses leaves no unit file behind, so a retry installs
// again instead of finding it "already installed".
TEST(ServiceControl, FailedEnableRemovesTheUnitAgain) {
  for (const char* verb : {"enable", "daemon-reload"}) {
    SCOPED_TRACE(verb);
    QFile::remove(Unit());
    const QString calls = FakeSystemctl(0, verb);
    Daemon d;
    EXPECT_EQ(ProcessCommandLine(d, kBase + "]~[StartupMode=Automatic"), kExitServiceFailed);
    EXPECT_FALSE(QFile::exists(Unit()));
    EXPECT_EQ(Calls(calls).last(), "daemon-reload");  // the manager forgets the unit again
    FakeSystemctl(0);
    Daemon e;
    EXPECT_EQ(ProcessCommandLine(e, kBase + "]~[StartupMode=Automatic"), kExitOk);
    EXPECT_TRUE(QFile::exists(Unit()));
  }
}

// Against the real systemctl working on a folder tree of its own (--root): Disabled
// masks the unit; another mode and the removal undo the mask, whatever left it.
TEST(ServiceControl, DisabledIsMaskedUntilTheModeChangesOrTheServiceGoes) {
  const QString root = mvnz::test::makeDir("sysroot");
  // The service manager itself is not there: its reload and stop are only recorded.
  InstallSystemctl(QStringLiteral("case \"$1\" in daemon-reload|stop) exit 0;; esac\n"
                                  "exec systemctl --root='%1' \"$@\"\n")
                       .arg(root));
  const QByteArray unitDir = qgetenv("MVNZ_UNIT_DIR");
  qputenv("MVNZ_UNIT_DIR", QFile::encodeName(root + "/usr/local/lib/systemd/system"));
  const QString mask = root + "/etc/systemd/system/MVNDZuri.service";
  // What systemd itself says of the unit ("" when it has none).
  const auto state = [&] {
    QProcess p;
    p.start("systemctl", {"--root=" + root, "is-enabled", "MVNDZuri.service"});
    p.waitForFinished(60000);
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
  };
  const auto run = [](const QString& line) {
    Daemon d;
    return ProcessCommandLine(d, line);
  };
  const QString remove = "-uninstall]~[ServiceName=MVNDZuri";

  ASSERT_EQ(run(kBase + "]~[StartupMode=Disabled"), kExitOk);
  EXPECT_EQ(state(), "masked");
  EXPECT_EQ(QFileInfo(mask).symLinkTarget(), "/dev/null");
  EXPECT_NE(run(kBase + "]~[StartupMode=Manual"), kExitOk);  // installed: left as it is
  EXPECT_EQ(state(), "masked");
  ASSERT_EQ(run(remove), kExitOk);
  EXPECT_EQ(state(), "");
  EXPECT_FALSE(QFileInfo::exists(Unit()));
  EXPECT_FALSE(QFileInfo(mask).isSymLink());

  ASSERT_EQ(run(kBase + "]~[StartupMode=Automatic"), kExitOk);
  EXPECT_EQ(state(), "enabled");
  ASSERT_EQ(run(remove), kExitOk);
  EXPECT_EQ(state(), "");
  EXPECT_TRUE(QDir(root + "/etc/systemd/system").entryList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                           QDir::System)
                  .filter("MVNDZuri")
                  .isEmpty());

  // A mask left behind (the unit file removed by hand) is undone by the next install.
  ASSERT_EQ(run(kBase + "]~[StartupMode=Disabled"), kExitOk);
  ASSERT_TRUE(QFile::remove(Unit()));
  ASSERT_EQ(run(kBase + "]~[StartupMode=Manual"), kExitOk);
  EXPECT_EQ(state(), "disabled");
  EXPECT_FALSE(QFileInfo(mask).isSymLink());
  qputenv("MVNZ_UNIT_DIR", unitDir);
}
