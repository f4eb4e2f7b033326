#include "support.h"

#include <QDir>
#include <QFile>

#include "daemon/config.h"
#include "testenv.h"

namespace mvnz::mvnd::test {

void WriteCrlf(const QString& path, const QStringList& lines) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
  for (const QString& l : lines) f.write((l + QStringLiteral("\r\n")).toUtf8());
}

QStringList LogMessages(const QString& file) {
  QFile f(file);
  QStringList out;
  if (!f.open(QIODevice::ReadOnly)) return out;
  for (QByteArray line : f.readAll().split('\n')) {
    if (line.isEmpty()) continue;
    if (line.endsWith('\r')) line.chop(1);
    const int at = line.indexOf("] ");
    out << QString::fromUtf8(at >= 0 ? line.mid(at + 2) : line);
  }
  return out;
}

QString DayFolder(const QString& logDir) {
  return QDir(logDir).filePath(QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")));
}

TestDaemon::TestDaemon() : ui(std::make_shared<RecordingUi>()) {
  configPath =
      QDir(mvnz::test::makeDir(QStringLiteral("windows"))).filePath(QStringLiteral("MVNZuri.ini"));
  logDir = QDir(mvnz::test::rootDir()).filePath(QStringLiteral("logs"));
  d.SetUi(ui);
  d.settings.ConfigPath = configPath;
  d.settings.SettingsKeySuffix = QStringLiteral("1");
  d.AllowDoEvents = false;
  d.ExitHook = [this](int status) { exits << status; };
}

void TestDaemon::Load(const QStringList& lines) {
  WriteCrlf(configPath, lines);
  ReloadConfiguration(d);
  d.run.DaemonInitialized = true;
}

QStringList TestDaemon::SystemLog() const {
  return LogMessages(QDir(DayFolder(logDir)).filePath(QStringLiteral("System.log")));
}

QProcessEnvironment MvndEnvironment() {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("MVNZ_SYSTEMCTL"), QStringLiteral("/bin/true"));
  env.remove(QStringLiteral("MVNZ_RUNNING_AS_SERVICE"));
  return env;
}

QString CommandLine(const QString& name, const QStringList& params) {
  QStringList p = params;
  while (p.size() < 30) p << QString();
  return QStringLiteral("Command=") + name + QStringLiteral("]~[") + p.join(QStringLiteral("]~["));
}

namespace {

// The [CONFIGURATION] section's settings, logging into logDir.
QStringList Settings(const QString& logDir, bool logInternal) {
  return {QStringLiteral("; test configuration"), QStringLiteral("[CONFIGURATION]"),
          QStringLiteral("LogDirectory=") + logDir, QStringLiteral("EnableLogging=1"),
          QStringLiteral("AutoLogInternalCommands=") + (logInternal ? u'1' : u'0')};
}

}  // namespace

QStringList Config(const QString& logDir, const QStringList& sections) {
  return Settings(logDir, false) + QStringList{QString()} + sections;
}

QStringList StartingConfig(const QString& logDir, const QStringList& sections, bool logInternal) {
  return Settings(logDir, logInternal) +
         QStringList{QStringLiteral("AutoStart=1"), QStringLiteral("AutoStartState=4"), QString()} +
         sections;
}

}  // namespace mvnz::mvnd::test
