#include "daemon/startup.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QSettings>
#include <cstdio>

#include "daemon/config.h"
#include "daemon/logging.h"
#include "daemon/logtext.h"
#include "daemon/modules.h"
#include "daemon/queue.h"
#include "library/common.h"
#include "library/version.h"
#include "platform/fileops.h"
#include "platform/paths.h"

namespace mvnz::mvnd {

namespace {

const QString S = QStringLiteral("S");

void PrintError(const QString& text) {
  std::fprintf(stderr, "mvnd: %s\n", EscapeLogText(text).toLocal8Bit().constData());
  std::fflush(stderr);
}

// The settings file is created empty with mode 0600 (less the umask) before QSettings
// writes it, as QSettings keeps the mode of the file it replaces.
QSettings UserSettings() {
  const QString path = paths::join(paths::userSettingsDir(), QStringLiteral("MervaneZuri.ini"));
  if (fileops::makeFolders(paths::userSettingsDir()).ok()) {
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) ::close(fd);
  }
  return QSettings(path, QSettings::IniFormat);
}

}  // namespace

void ApplyServiceSettings(ServiceControl& svc, const QStringList& items) {
  QString name, display, account, password, mode;
  bool haveMode = false;
  for (qsizetype i = 1; i < items.size(); ++i) {
    const qsizetype eq = items[i].indexOf(QLatin1Char('='));
    if (eq < 0) continue;  // the installer never sends an item without "="
    const QString key = items[i].left(eq);
    // Everything after the first "=" is the value: a password may hold "=".
    const QString value = items[i].mid(eq + 1);
    if (key == QLatin1String("ServiceName"))
      name = value;
    else if (key == QLatin1String("DisplayName"))
      display = value;
    else if (key == QLatin1String("LogonAccount"))
      account = value;
    else if (key == QLatin1String("LogonPassword"))
      password = value;
    else if (key == QLatin1String("StartupMode"))
      mode = value, haveMode = true;
  }
  if (account == QLatin1String("LocalSystem")) password.clear();
  svc.ServiceKeyName = name;
  svc.ServiceDisplayName = display;
  svc.ServiceDescription = QStringLiteral("Mervane Zuri");
  if (!account.isEmpty())
    svc.ServiceAccount = account;
  else
    svc.UseLocalSystem = true;
  if (!password.isEmpty()) svc.ServicePassword = password;
  if (haveMode) {
    if (mode == QLatin1String("Automatic"))
      svc.ServiceStartMode = 0;
    else if (mode == QLatin1String("Manual"))
      svc.ServiceStartMode = 1;
    else if (mode == QLatin1String("Disabled"))
      svc.ServiceStartMode = 2;
  }
}

int ProcessCommandLine(Daemon& d, const QString& commandLine) {
  if (commandLine.isEmpty()) return kContinue;
  const QStringList items =
      commandLine.split(QStringLiteral("]~["), Qt::KeepEmptyParts, Qt::CaseInsensitive);
  const QString command = items.value(0);
  ServiceControl& svc = d.SVC();
  if (command == QLatin1String("-install")) {
    ApplyServiceSettings(svc, items);
    if (svc.IsInstalled()) {
      PrintError(QStringLiteral("service [%1] is already installed").arg(svc.ServiceKeyName));
      return kExitAlreadyInstalled;
    }
    QString error;
    const bool ok = svc.InstallService(false, &error);
    d.ui().RemoveSystemTray();
    if (!ok) {
      PrintError(QStringLiteral("cannot install service [%1]: %2").arg(svc.ServiceKeyName, error));
      return kExitServiceFailed;
    }
    return kExitOk;
  }
  if (command == QLatin1String("-uninstall")) {
    ApplyServiceSettings(svc, items);
    if (!svc.IsInstalled()) {
      PrintError(QStringLiteral("service [%1] is not installed").arg(svc.ServiceKeyName));
      return kExitNotInstalled;
    }
    if (!svc.StopRunningDaemon()) {
      PrintError(QStringLiteral("cannot uninstall service [%1]: the daemon is still running")
                     .arg(svc.ServiceKeyName));
      return kExitRefused;
    }
    QString error;
    if (!svc.UninstallService(&error)) {
      PrintError(
          QStringLiteral("cannot uninstall service [%1]: %2").arg(svc.ServiceKeyName, error));
      return kExitServiceFailed;
    }
    return kExitOk;
  }
  return kContinue;
}

void SaveLastStartTime(const QDateTime& t) {
  QSettings s = UserSettings();
  s.setValue(QStringLiteral("mvnd/LastStartTime"),
             QLocale::c().toString(t, QStringLiteral("dd-MMM-yyyy hh:mm:ss")));
  s.sync();
}

QString LastStartTime() {
  return UserSettings().value(QStringLiteral("mvnd/LastStartTime")).toString();
}

QString DefaultConfigPath() { return paths::configFile(); }

void InitDaemon(Daemon& d) {
  d.settings.VersionText = QStringLiteral("%1.%2").arg(versionMajor()).arg(versionMinor());
  d.jobs.RoziRorunerCount = 0;
  d.run.State = RunState::Stopped;
  d.run.RunningAsService = d.view.TrayIconShown = d.run.DaemonInitialized = false;
  d.jobs.RoziRoruners.clear();
  d.view.MainCaption = QStringLiteral("Mervane Daemon v") + d.settings.VersionText;
  d.run.IdleTicks = 0;
  d.ui().RefillLogSelector({QStringLiteral("All")});
  d.settings.NoTrayIcon = d.run.ShuttingDown = false;
  d.run.ErrorCount = 0;
  d.view.MessageBarShown = false;
  d.settings.BufferSize = 75;
  d.settings.IdleLogging = 1;
  d.settings.IdleInterval = 30;
  d.settings.ShowUnstableMessages = true;
  d.settings.DatedLogFolders = 1;
  d.settings.ProcessReadOnly = 1;
  d.log.LevelNames = {QStringLiteral("OK"), QStringLiteral("WARNING"), QStringLiteral("ERROR"),
                      QString()};
  SaveLastStartTime(QDateTime::currentDateTime());
  d.settings.SettingsKeySuffix = QStringLiteral("1");
  d.settings.ConfigPath = DefaultConfigPath();
  InitKnownPlugins();
  d.view.LogWindowNextRow = 1;
  LoadPluginModules(d);
  ReloadConfiguration(d);
  if (d.settings.NoTrayIcon) d.ui().RemoveSystemTray();
  d.run.DaemonInitialized = true;
  WriteLogLine(d, S,
               QStringLiteral("Program Started, version %1.%2.%3")
                   .arg(versionMajor())
                   .arg(versionMinor())
                   .arg(versionRevision()),
               0);
  WriteLogLine(d, S, QStringLiteral("Config-file: ") + d.settings.ConfigPath, 0);
  WriteLogLine(d, S, QStringLiteral("%1 Plugins loaded").arg(PluginCount), 0);
  WriteLogLine(d, S, QStringLiteral("%1 RoziRoruners loaded").arg(d.jobs.RoziRorunerCount), 0);
  WriteLogLine(d, S, QStringLiteral("Daemon initialized"), 0);
  FlushPendingWarnings(d);
  if (!IsMdacInstalled()) {
    WriteLogLine(d, S, QStringLiteral("ERROR: MDAC not installed!"), 2);
    WriteLogLine(
        d, S, QStringLiteral("Please download and install Microsoft Data Access Components!"), 2);
    WriteLogLine(
        d, S, QStringLiteral("The components are available from the operating system vendor."), 2);
  }
  d.ui().ShowTrayRunState();
  d.ui().StateChanged();
}

void AutoStart(Daemon& d) {
  if (d.settings.AutoStartEnabled == 0) return;
  int mode = d.settings.AutoStartState;
  if ((mode == 1 || mode == 2) && !d.ui().IsWindowed()) {
    WriteLogLine(
        d, S,
        QStringLiteral("WARNING: no window available for run mode %1, running hidden").arg(mode),
        1);
    mode = 4;
  }
  switch (mode) {
    case 1:
      d.ui().ShowMainWindow();
      WriteLogLine(d, S, QStringLiteral("AutoStarting - Normal"), 0);
      PostCommand(d, QStringLiteral("START"));
      break;
    case 2:
      WriteLogLine(d, S, QStringLiteral("AutoStarting - SystemTray"), 0);
      PostCommand(d, QStringLiteral("START"));
      break;
    case 3:
      WriteLogLine(d, S, QStringLiteral("AutoStarting - Service"), 0);
      d.tmrService.start();
      break;
    case 4:
      WriteLogLine(d, S, QStringLiteral("AutoStarting - SystemTray"), 0);
      d.settings.NoTrayIcon = true;
      d.ui().RemoveSystemTray();
      PostCommand(d, QStringLiteral("START"));
      break;
    default:
      break;
  }
}

}  // namespace mvnz::mvnd
