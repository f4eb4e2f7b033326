// The log class "mvnd.MVNdcom": in-process for the plug-ins the daemon runs, and on
// a local socket for other processes.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <algorithm>
#include <list>

#include "daemon/logging.h"
#include "platform/paths.h"
#include "platform/runtimefolder.h"
#include "library/contract.h"

namespace mvnz::mvnd {

namespace {

class MVNdcomObject : public MVNdcom {
 public:
  explicit MVNdcomObject(QPointer<Daemon> d) : d_(std::move(d)) {}
  void* queryInterface(const char* iid) noexcept override {
    if (qstrcmp(iid, MVNdcom::kInterfaceId) == 0) return static_cast<MVNdcom*>(this);
    return nullptr;
  }
  bool SetMessage(short iType, const QString& iText, const QString& iTimestamp) noexcept override {
    if (!d_) return false;
    try {
      return mvnd::SetMessage(*d_, iType, iText, iTimestamp);
    } catch (const std::exception& e) {
      WriteLogLine(*d_, QStringLiteral("D"),
                   QStringLiteral("SetMessage: [mvnd][%1]").arg(QString::fromLocal8Bit(e.what())),
                   2);
      return false;
    } catch (...) {
      return false;
    }
  }

 private:
  QPointer<Daemon> d_;
};

// The largest request a client may send (a log message, not a file).
constexpr qint64 kMaxRequest = 1 << 20;

}  // namespace

void RegisterMVNdcom(Daemon& d) {
  QPointer<Daemon> p(&d);
  // Creating the object before the daemon is initialised is harmless: its lines
  // are dropped (SetMessage answers false) and the daemon goes on.
  activation::registerClass(
      QString::fromLatin1(MVNdcom::kProgId),
      [p]() -> std::unique_ptr<Object> { return std::make_unique<MVNdcomObject>(p); });
}

void UnregisterMVNdcom() { activation::unregisterClass(QString::fromLatin1(MVNdcom::kProgId)); }

QString LogSocketPath() {
  return paths::join(paths::runtimeDir(), QString::fromLatin1(MVNdcom::kProgId));
}

namespace {

// One SetMessage request per connection. Idle clients cannot hold the daemon's
// descriptors: a connection that has sent nothing for kIdleMs is closed, one that has
// not finished its request within kTimeoutMs too, and when kMaxConnections are open a
// new client ends the oldest connection that has sent nothing yet (or is refused when
// every open one is busy).
class LogServer : public QLocalServer {
 public:
  static constexpr int kMaxConnections = 32;
  static constexpr int kIdleMs = 5000;
  static constexpr int kTimeoutMs = 10000;

  explicit LogServer(Daemon& d) : d_(&d) {
    connect(this, &QLocalServer::newConnection, this, &LogServer::Accept);
  }

 private:
  void Accept() {
    while (QLocalSocket* s = nextPendingConnection()) {
      if (open_.size() >= kMaxConnections && !idle_.empty()) End(idle_.front());
      if (open_.size() >= kMaxConnections) {
        s->abort();
        s->deleteLater();
        continue;
      }
      Serve(s);
    }
  }

  // The connection no longer counts; it goes once control is back in the event loop.
  void Forget(QLocalSocket* s) {
    open_.remove(s);
    idle_.remove(s);
  }

  void End(QLocalSocket* s) {
    const bool counted = open_.contains(s);
    Forget(s);
    if (counted) s->abort();  // its own disconnected signal comes back here uncounted
    s->deleteLater();
  }

  void Serve(QLocalSocket* s) {
    open_.insert(s);
    idle_.push_back(s);
    auto* timer = new QTimer(s);
    timer->setSingleShot(true);
    QElapsedTimer since;
    since.start();
    connect(timer, &QTimer::timeout, this, [this, s] { End(s); });
    connect(s, &QLocalSocket::disconnected, this, [this, s] { End(s); });
    connect(s, &QLocalSocket::readyRead, this, [this, s, timer, since] {
      if (!open_.contains(s)) return;
      if (idle_.remove(s) > 0) timer->start(std::max<qint64>(0, kTimeoutMs - since.elapsed()));
      if (s->bytesAvailable() > kMaxRequest) return End(s);
      if (!s->canReadLine()) return;
      const QByteArray line = s->readLine(kMaxRequest);
      bool ok = false;
      const QJsonObject o = QJsonDocument::fromJson(line).object();
      if (d_ && o.contains(QLatin1String("text"))) {
        const int level = o.value(QLatin1String("level")).toInt();
        ok = SetMessage(*d_, static_cast<short>(qBound(-32768, level, 32767)),
                        o.value(QLatin1String("text")).toString(),
                        o.value(QLatin1String("time")).toString());
      }
      // The daemon may have served other events inside SetMessage: the connection
      // may be gone already.
      if (!open_.contains(s)) return;
      s->write(ok ? "1\n" : "0\n");
      s->flush();
      s->disconnectFromServer();
    });
    timer->start(kIdleMs);
  }

  QPointer<Daemon> d_;
  QSet<QLocalSocket*> open_;
  std::list<QLocalSocket*> idle_;  // oldest first
};

}  // namespace

std::unique_ptr<QObject> StartLogServer(Daemon& d, QString* error) {
  const QString path = LogSocketPath();
  // The caller holds the daemon's instance lock, so a socket of ours left here is stale.
  if (const QString why = runtimefolder::claimSocket(path); !why.isEmpty()) {
    if (error) *error = why;
    return nullptr;
  }
  auto server = std::make_unique<LogServer>(d);
  server->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server->listen(path)) {
    if (error) *error = server->errorString();
    return nullptr;
  }
  return server;
}

}  // namespace mvnz::mvnd
