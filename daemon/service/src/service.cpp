#include "daemon/service.h"

#include <syslog.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>
#include <QThread>
#include <QUrl>

#include "platform/fileops.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace mvnz::mvnd {

namespace {

// Runs the service manager's control program and waits for it; false on failure.
bool RunSystemctl(const QStringList& args, QString* errorText) {
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(paths::systemctlProgram(), args);
  if (!p.waitForStarted(10000)) {
    if (errorText) *errorText = QStringLiteral("cannot run %1").arg(paths::systemctlProgram());
    return false;
  }
  if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
    if (errorText)
      *errorText = QStringLiteral("%1 %2 failed: %3")
                       .arg(paths::systemctlProgram(), args.join(QLatin1Char(' ')),
                            QString::fromLocal8Bit(p.readAll()).trimmed());
    return false;
  }
  return true;
}

bool ValidKeyName(const QString& name) {
  static const QRegularExpression re(QStringLiteral("^[A-Za-z0-9_.@-]+$"));
  return re.match(name).hasMatch();
}

// A text that goes into one unit line: no line breaks, no control characters.
bool ValidLineText(const QString& s) {
  for (QChar c : s)
    if (c.unicode() < 0x20 || c.unicode() == 0x7f) return false;
  return true;
}

// "DOMAIN\user" and ".\user" run as "user".
QString UnitUser(const QString& account) {
  const qsizetype at = account.lastIndexOf(QLatin1Char('\\'));
  return at >= 0 ? account.mid(at + 1) : account;
}

QString Quoted(const QString& s) {
  QString q = s;
  q.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
      .replace(QLatin1Char('"'), QStringLiteral("\\\""));
  return QLatin1Char('"') + q + QLatin1Char('"');
}

}  // namespace

QString ServiceControl::UnitPath() const {
  return paths::join(paths::unitDir(), ServiceKeyName + QStringLiteral(".service"));
}

QString ServiceControl::UnitText() const {
  QString t;
  t += QStringLiteral("[Unit]\n");
  t += QStringLiteral("Description=%1\n")
           .arg(ServiceDisplayName.isEmpty() ? ServiceKeyName : ServiceDisplayName);
  if (!ServiceDescription.isEmpty()) t += QStringLiteral("# %1\n").arg(ServiceDescription);
  t += QStringLiteral("Documentation=%1\n")
           .arg(QUrl::fromLocalFile(paths::helpFile()).toString(QUrl::FullyEncoded));
  t += QStringLiteral("After=network.target\n\n[Service]\nType=simple\n");
  t += QStringLiteral("ExecStart=%1\n")
           .arg(Quoted(paths::join(paths::appDir(), QStringLiteral("mvnd"))));
  // The service manager's reload is the daemon's own (SIGHUP: STOP,RELOAD,START).
  t += QStringLiteral("ExecReload=/bin/kill -HUP $MAINPID\n");
  t += QStringLiteral("Environment=%1=1\n").arg(QLatin1String(kServiceMarkerVar));
  t += QStringLiteral("Environment=%1=%2\n").arg(QLatin1String(kServiceNameVar), ServiceKeyName);
  // The locks and sockets in a folder below /run that the service manager makes for the
  // daemon's account alone, so no other user can make it first.
  const QString runtime = QString::fromLatin1(paths::kServiceRuntimeDir);
  t += QStringLiteral(
           "RuntimeDirectory=%1\nRuntimeDirectoryMode=0700\nEnvironment=MVNZ_RUNTIME_DIR=%2\n")
           .arg(QFileInfo(runtime).fileName(), runtime);
  const QByteArray windir = qgetenv("windir");
  if (!windir.isEmpty())
    t += QStringLiteral("Environment=%1\n")
             .arg(Quoted(QStringLiteral("windir=") + QString::fromLocal8Bit(windir)));
  if (!UseLocalSystem && !ServiceAccount.isEmpty() &&
      ServiceAccount.compare(QLatin1String("LocalSystem"), Qt::CaseInsensitive) != 0)
    t += QStringLiteral("User=%1\n").arg(UnitUser(ServiceAccount));
  // Only what cannot keep the daemon from the folders its jobs name is restricted.
  t += QStringLiteral(
      "NoNewPrivileges=yes\nRestart=on-failure\nKillSignal=SIGTERM\n\n[Install]\n"
      "WantedBy=multi-user.target\n");
  return t;
}

bool ServiceControl::IsInstalled() const {
  return ValidKeyName(ServiceKeyName) && QFile::exists(UnitPath());
}

bool ServiceControl::IsRunningAsService() const { return qgetenv(kServiceMarkerVar) == "1"; }

bool ServiceControl::InstallService(bool /*interactive*/, QString* errorText) {
  if (!ValidKeyName(ServiceKeyName)) {
    if (errorText) *errorText = QStringLiteral("invalid service name [%1]").arg(ServiceKeyName);
    return false;
  }
  if (!ValidLineText(ServiceDisplayName) || !ValidLineText(ServiceAccount) ||
      !ValidLineText(ServiceDescription)) {
    if (errorText) *errorText = QStringLiteral("a service setting holds a line break");
    return false;
  }
  fileops::makeFolders(paths::unitDir());
  QSaveFile f(UnitPath());
  // The unit says what runs as root: only root may change it, whatever the umask.
  if (!f.open(QIODevice::WriteOnly) || !f.setPermissions(fileops::createPermissions(0644)) ||
      f.write(UnitText().toUtf8()) < 0 || !f.commit()) {
    if (errorText)
      *errorText = QStringLiteral("cannot write %1: %2").arg(UnitPath(), f.errorString());
    return false;
  }
  const QString unit = ServiceKeyName + QStringLiteral(".service");
  bool ok = RunSystemctl({QStringLiteral("daemon-reload")}, errorText);
  // Disabled: masked, so nothing can start it, not even by hand. Any other mode first
  // undoes a mask an earlier Disabled install may have left.
  const QString maskVerb =
      ServiceStartMode == 2 ? QStringLiteral("mask") : QStringLiteral("unmask");
  if (ok) ok = RunSystemctl({maskVerb, unit}, errorText);
  if (ok && ServiceStartMode == 0) ok = RunSystemctl({QStringLiteral("enable"), unit}, errorText);
  if (!ok) {
    // A failed install leaves nothing behind, so that a retry installs again.
    QFile::remove(UnitPath());
    RunSystemctl({QStringLiteral("daemon-reload")}, nullptr);
  }
  return ok;
}

bool ServiceControl::UninstallService(QString* errorText) {
  if (!IsInstalled()) {
    if (errorText) *errorText = QStringLiteral("service [%1] is not installed").arg(ServiceKeyName);
    return false;
  }
  const QString unit = ServiceKeyName + QStringLiteral(".service");
  if (!RunSystemctl({QStringLiteral("unmask"), unit}, errorText) ||
      !RunSystemctl({QStringLiteral("disable"), unit}, errorText))
    return false;
  if (!QFile::remove(UnitPath())) {
    if (errorText) *errorText = QStringLiteral("cannot remove %1").arg(UnitPath());
    return false;
  }
  return RunSystemctl({QStringLiteral("daemon-reload")}, errorText);
}

bool ServiceControl::StopRunningDaemon() {
  const QString lock = QString::fromLatin1(process::kDaemonLock);
  if (!process::isInstanceRunning(lock)) return true;
  // The stop is not awaited here: the lock tells when the daemon has ended. A daemon
  // started outside the service manager is not stopped by it and keeps the lock.
  if (ValidKeyName(ServiceKeyName)) {
    QString ignored;
    RunSystemctl({QStringLiteral("stop"), QStringLiteral("--no-block"),
                  ServiceKeyName + QStringLiteral(".service")},
                 &ignored);
  }
  QElapsedTimer waited;
  waited.start();
  while (process::isInstanceRunning(lock)) {
    if (waited.elapsed() >= StopWaitMs) return false;
    QThread::msleep(100);
  }
  return true;
}

void ServiceControl::StopService() {
  // Under our unit the name comes from the unit's environment. The stop arrives back
  // as SIGTERM, so the request does not wait for it.
  QString name = ServiceKeyName;
  if (name.isEmpty()) name = QString::fromLocal8Bit(qgetenv(kServiceNameVar));
  if (!ValidKeyName(name)) return;
  QProcess::startDetached(
      paths::systemctlProgram(),
      {QStringLiteral("stop"), QStringLiteral("--no-block"), name + QStringLiteral(".service")});
}

void ServiceControl::LogServiceEvent(int type, const QString& text) {
  const int priority = type == 1 ? LOG_ERR : (type == 2 ? LOG_WARNING : LOG_INFO);
  openlog("mvnd", LOG_PID, LOG_DAEMON);
  syslog(priority, "%s", text.toUtf8().constData());
  closelog();
}

}  // namespace mvnz::mvnd
