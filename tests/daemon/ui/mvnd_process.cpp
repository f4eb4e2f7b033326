#include "mvnd_process.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include "daemon/status.h"
#include "library/regwrap.h"
#include "testenv.h"

namespace mvnz::mvnd::test {

quint16 FreePort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  return probe.serverPort();
}

QStringList StatusConfig(bool autoStart) {
  const QString logDir = QDir(mvnz::test::rootDir()).filePath(QStringLiteral("logs"));
  return {QStringLiteral("[CONFIGURATION]"),
          QStringLiteral("LogDirectory=") + logDir,
          QStringLiteral("EnableLogging=1"),
          QStringLiteral("AutoStart=") + (autoStart ? "1" : "0"),
          QStringLiteral("AutoStartState=4"),
          QString(),
          QStringLiteral("[Job]"),
          QStringLiteral("Description=the job"),
          QStringLiteral("Trigger=TIME"),
          QStringLiteral("Interval=3600"),
          QStringLiteral("Enabled=1"),
          QString()};
}

MvndProcess::MvndProcess(const QStringList& config) {
  QFile f(
      QDir(mvnz::test::makeDir(QStringLiteral("windows"))).filePath(QStringLiteral("MVNZuri.ini")));
  if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
    for (const QString& l : config) f.write((l + QStringLiteral("\r\n")).toUtf8());
  f.close();
  port_ = FreePort();
  SaveRegString(StatusSettingsKey(), QStringLiteral("StatusPort"), QString::number(port_));
  process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process_.start(QStringLiteral(MVNZ_BIN_DIR "/mvnd"), {});
  if (!process_.waitForStarted(20000)) return;
  QDeadlineTimer deadline(60000);
  while (!deadline.hasExpired() && process_.state() == QProcess::Running) {
    QTcpSocket probe;
    probe.connectToHost(QHostAddress::LocalHost, port_);
    if (probe.waitForConnected(500)) {
      started_ = true;
      return;
    }
    QThread::msleep(100);
  }
}

MvndProcess::~MvndProcess() {
  if (process_.state() == QProcess::NotRunning) return;
  process_.terminate();
  if (!process_.waitForFinished(20000)) {
    process_.kill();
    process_.waitForFinished(5000);
  }
}

QByteArray MvndProcess::Curl(const QString& path) const {
  QProcess curl;
  curl.start(QStringLiteral("curl"),
             {QStringLiteral("-s"), QStringLiteral("-i"), QStringLiteral("--noproxy"),
              QStringLiteral("*"), QStringLiteral("--max-time"), QStringLiteral("30"),
              QStringLiteral("http://127.0.0.1:%1%2").arg(port_).arg(path)});
  curl.waitForFinished(40000);
  return curl.readAllStandardOutput();
}

QByteArray MvndProcess::Exchange(const QList<QByteArray>& chunks, int pauseMs) const {
  QTcpSocket s;
  s.connectToHost(QHostAddress::LocalHost, port_);
  if (!s.waitForConnected(10000)) return "no connection";
  for (qsizetype i = 0; i < chunks.size(); ++i) {
    if (i > 0 && pauseMs > 0) QThread::msleep(pauseMs);
    s.write(chunks[i]);
    s.waitForBytesWritten(5000);
  }
  QByteArray got;
  QDeadlineTimer deadline(30000);
  while (s.state() == QAbstractSocket::ConnectedState && !deadline.hasExpired()) {
    s.waitForReadyRead(200);
    got += s.readAll();
  }
  return got + s.readAll();
}

}  // namespace mvnz::mvnd::test
