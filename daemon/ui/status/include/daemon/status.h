#pragma once
// The status page for monitoring tools: a TCP listener that answers the request
// line "<any word> /ping-daemon ..." with a small HTML page of the daemon's state.
//
// Every connection is served on its own: its bytes are collected up to the end of
// the first line (at most kMaxRequestLine bytes, within the connection timeout), then
// either the page is sent and the connection closed, or the connection is closed
// without a byte. Any other path, a line that is too long and an idle client are
// all closed silently. Idle clients cannot hold the listener: a connection that has
// sent nothing for kDefaultIdleMs is closed, and when kMaxConnections are open a new
// client ends the oldest connection that has sent nothing yet. Connections not yet
// accepted wait in a queue as long as the system allows, so a flood is not lost there.
#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <functional>
#include <list>
#include <memory>

#include "daemon/core.h"

class QTcpServer;
class QTcpSocket;

namespace mvnz::mvnd {

// Registry values under StatusSettingsKey().
constexpr quint16 kDefaultStatusPort = 8791;
constexpr const char* kDefaultStatusBindAddress = "127.0.0.1";
QString StatusSettingsKey();

class StatusServer : public QObject {
 public:
  static constexpr qsizetype kMaxRequestLine = 8192;
  static constexpr int kDefaultTimeoutMs = 10000;
  static constexpr int kDefaultIdleMs = 5000;
  static constexpr int kMaxConnections = 32;

  explicit StatusServer(Daemon& d, QObject* parent = nullptr);
  ~StatusServer() override;
  // Starts listening; false with a reason when the address cannot be bound.
  bool Listen(const QHostAddress& address, quint16 port, QString* error = nullptr);
  quint16 Port() const;
  // Milliseconds a connection may take to deliver its request line.
  void SetTimeout(int ms) { timeoutMs_ = ms; }
  // Milliseconds a connection may stay without sending its first byte.
  void SetIdleTimeout(int ms) { idleMs_ = ms; }

 private:
  void Accept();
  void Serve(QTcpSocket* socket);
  void Forget(QTcpSocket* socket);

  // A connection that has sent nothing yet and the way to end it.
  struct Silent {
    QTcpSocket* socket;
    std::function<void()> drop;
  };

  Daemon& d_;
  QTcpServer* server_ = nullptr;
  int timeoutMs_ = kDefaultTimeoutMs;
  int idleMs_ = kDefaultIdleMs;
  int open_ = 0;
  std::list<Silent> silent_;  // oldest first
};

// The path of a request, judged on its first line: the second of its words split at
// every single blank ("" when there is none).
QString RequestPath(const QByteArray& firstLine);
// The page body and the whole reply (Content-Length counts the body's bytes).
QByteArray StatusBody(const Daemon& d, const QString& localIp);
QByteArray StatusReply(const QByteArray& body);
// The computer name; "N/A" when the system has none.
QString GetMachineName();
// The first address of this machine other than the loopback one; "" when none.
QString LocalIP();

// Reads StatusBindAddress and StatusPort (defaults for missing or invalid values)
// and opens the listener; null with a reason when it cannot be opened.
std::unique_ptr<StatusServer> StartStatusServer(Daemon& d, QString* error = nullptr);

}  // namespace mvnz::mvnd
