// The log class "mvnd.MVNdcom": in-process for the plug-ins the daemon runs, and on
// a local socket for other processes.
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>

#include "daemon/logging.h"
#include "platform/paths.h"
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
class LogServer : public QLocalServer {
 public:
  explicit LogServer(Daemon& d) : d_(&d) {
    connect(this, &QLocalServer::newConnection, this, [this] {
      while (QLocalSocket* s = nextPendingConnection()) Serve(s);
    });
  }

 private:
  void Serve(QLocalSocket* s) {
    connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
    connect(s, &QLocalSocket::readyRead, s, [this, s] {
      if (s->bytesAvailable() > kMaxRequest) {
        s->abort();
        return;
      }
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
      s->write(ok ? "1\n" : "0\n");
      s->flush();
      s->disconnectFromServer();
    });
  }
  QPointer<Daemon> d_;
};
}  // namespace

std::unique_ptr<QObject> StartLogServer(Daemon& d, QString* error) {
  auto server = std::make_unique<LogServer>(d);
  const QString path = LogSocketPath();
  // The caller holds the daemon's instance lock, so a socket left here is stale.
  QLocalServer::removeServer(path);
  server->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server->listen(path)) {
    if (error) *error = server->errorString();
    return nullptr;
  }
  return server;
}

}  // namespace mvnz::mvnd
