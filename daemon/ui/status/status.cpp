#include "daemon/status.h"

#include <sys/socket.h>

#include <algorithm>

#include <QDateTime>
#include <QFile>
#include <QElapsedTimer>
#include <QNetworkInterface>
#include <QSysInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include "daemon/startup.h"
#include "library/dates.h"
#include "library/numbers.h"
#include "library/regwrap.h"
#include "library/version.h"

namespace mvnz::mvnd {

namespace {

const char* const kRowStart = R"(<tr><td nowrap width="25%"><div align="right">)";
const char* const kRowMiddle = R"(</div></td><td nowrap width="75%"><div align="left">)";
const char* const kRowEnd = "</div></td></tr>\r\n";

// The longest queue of connections waiting to be accepted the system allows: a flood
// of connections then waits there beside a monitor's ping instead of crowding it out.
int SystemBacklog() {
  QFile f(QStringLiteral("/proc/sys/net/core/somaxconn"));
  bool ok = false;
  const int n = f.open(QIODevice::ReadOnly) ? f.readAll().trimmed().toInt(&ok) : 0;
  return ok && n > 0 ? n : SOMAXCONN;
}

}  // namespace

QString StatusSettingsKey() { return QStringLiteral("Software\\Orvendel\\MervaneZuri\\Daemon"); }

QString RequestPath(const QByteArray& firstLine) {
  const QList<QByteArray> words = firstLine.split(' ');
  return words.size() >= 2 ? QString::fromLatin1(words[1]) : QString();
}

QString GetMachineName() {
  const QString name = QSysInfo::machineHostName();
  return name.isEmpty() ? QStringLiteral("N/A") : name;
}

QString LocalIP() {
  for (const QHostAddress& a : QNetworkInterface::allAddresses())
    if (!a.isLoopback() && a.protocol() == QAbstractSocket::IPv4Protocol) return a.toString();
  return {};
}

QByteArray StatusBody(const Daemon& d, const QString& localIp) {
  const QString version =
      QStringLiteral("%1.%2.%3").arg(versionMajor()).arg(versionMinor()).arg(versionRevision());
  const QPair<const char*, QString> rows[] = {
      {"Status :", d.run.Running() ? QStringLiteral("running") : QStringLiteral("stopped")},
      {"Version :", version},
      {"Last Start Time :", LastStartTime()},
      {"System Time :", FormatDate(QDateTime::currentDateTime(), kDueTimeFormat)},
      {"Number of RoziRoruners :", QString::number(d.jobs.RoziRorunerCount)},
      {"Commands Executed :", CStr(d.run.CommandsExecuted)},
      {"Computername :", GetMachineName()},
      {"IP Address :", localIp},
  };
  QByteArray body;
  body += "<title>Mervane Zuri Debug Status</title>\r\n";
  body += "<body bgcolor=\"#FFFFFF\">\r\n";
  body += "<p><b>Mervane Zuri Daemon Status</b></p>\r\n";
  body += "<table width=\"400\" border=\"0\" cellspacing=\"1\" cellpadding=\"2\">\r\n";
  for (const auto& [label, value] : rows)
    body += QByteArray(kRowStart) + label + kRowMiddle + value.toUtf8() + kRowEnd;
  body += "</table>\r\n";
  return body;
}

QByteArray StatusReply(const QByteArray& body) {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" +
         body;
}

StatusServer::StatusServer(Daemon& d, QObject* parent)
    : QObject(parent), d_(d), server_(new QTcpServer(this)) {
  connect(server_, &QTcpServer::newConnection, this, &StatusServer::Accept);
}

StatusServer::~StatusServer() {
  // Open connections end with the listener, and their handlers count on this object:
  // the listener goes while the object is still whole, not among its children later.
  delete server_;
}

bool StatusServer::Listen(const QHostAddress& address, quint16 port, QString* error) {
  server_->setListenBacklogSize(SystemBacklog());
  if (server_->listen(address, port)) return true;
  if (error) *error = server_->errorString();
  return false;
}

quint16 StatusServer::Port() const { return server_->serverPort(); }

void StatusServer::Accept() {
  while (QTcpSocket* socket = server_->nextPendingConnection()) {
    // A full listener makes room by ending its oldest connection that has sent nothing.
    if (open_ >= kMaxConnections && !silent_.empty()) {
      const std::function<void()> drop = silent_.front().drop;  // it forgets itself
      drop();
    }
    if (open_ >= kMaxConnections) {
      socket->abort();
      socket->deleteLater();
      continue;
    }
    Serve(socket);
  }
}

void StatusServer::Forget(QTcpSocket* socket) {
  silent_.remove_if([socket](const Silent& s) { return s.socket == socket; });
}

void StatusServer::Serve(QTcpSocket* socket) {
  ++open_;
  auto* timer = new QTimer(socket);
  timer->setSingleShot(true);
  auto buffer = std::make_shared<QByteArray>();
  auto closing = std::make_shared<bool>(false);
  auto since = std::make_shared<QElapsedTimer>();
  since->start();
  // Ends the connection once: with flush the reply is written out first (bounded by
  // the timeout), otherwise it is dropped at once. The listener never stops.
  auto close = [this, socket, closing, timer](bool flush) {
    if (*closing) return;
    *closing = true;
    --open_;
    Forget(socket);
    if (flush && socket->state() == QAbstractSocket::ConnectedState) {
      timer->start(timeoutMs_);
      socket->disconnectFromHost();
      if (socket->state() == QAbstractSocket::UnconnectedState) socket->deleteLater();
      return;
    }
    socket->abort();
    socket->deleteLater();
  };
  auto drop = [socket, closing, close] {
    if (!*closing) return close(false);
    socket->abort();
    socket->deleteLater();
  };
  connect(timer, &QTimer::timeout, socket, drop);
  connect(socket, &QTcpSocket::disconnected, socket, drop);
  connect(socket, &QTcpSocket::errorOccurred, socket, [closing, close] {
    // The peer's close after our reply is the normal end, not an error to act on.
    if (!*closing) close(false);
  });
  connect(socket, &QTcpSocket::readyRead, socket,
          [this, socket, buffer, close, closing, timer, since] {
            if (*closing) {
              socket->readAll();
              return;
            }
            if (buffer->isEmpty()) {
              // First data: no longer idle; the rest of the request time applies.
              Forget(socket);
              timer->start(std::max<qint64>(0, timeoutMs_ - since->elapsed()));
            }
            *buffer += socket->read(kMaxRequestLine + 2 - buffer->size());
            const qsizetype end = buffer->indexOf("\r\n");
            if (end < 0) {
              if (buffer->size() > kMaxRequestLine) close(false);
              return;
            }
            socket->readAll();
            if (RequestPath(buffer->left(end)) != QLatin1String("/ping-daemon"))
              return close(false);
            const QString ip = LocalIP();
            socket->write(
                StatusReply(StatusBody(d_, ip.isEmpty() ? socket->localAddress().toString() : ip)));
            close(true);
          });
  silent_.push_back({socket, [close] { close(false); }});
  timer->start(std::min(idleMs_, timeoutMs_));
}

std::unique_ptr<StatusServer> StartStatusServer(Daemon& d, QString* error) {
  QHostAddress address;
  const QString addressText =
      GetRegString(StatusSettingsKey(), QStringLiteral("StatusBindAddress"));
  if (addressText.isEmpty() || !address.setAddress(addressText))
    address.setAddress(QString::fromLatin1(kDefaultStatusBindAddress));
  bool ok = false;
  const uint port = GetRegString(StatusSettingsKey(), QStringLiteral("StatusPort")).toUInt(&ok);
  auto server = std::make_unique<StatusServer>(d);
  if (!server->Listen(address, ok && port >= 1 && port <= 65535 ? port : kDefaultStatusPort, error))
    return nullptr;
  return server;
}

}  // namespace mvnz::mvnd
