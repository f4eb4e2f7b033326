#include "platform/windowlink.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <memory>

#include "platform/paths.h"
#include "platform/runtimefolder.h"

namespace mvnz::windowlink {

namespace {
constexpr qsizetype kMaxRequest = 64;
}

QString socketPath(const QString& program, const QString& version) {
  return paths::join(paths::runtimeDir(),
                     program + QLatin1Char('-') + version + QStringLiteral(".window"));
}

bool exists(const QString& path, int timeoutMs) {
  QLocalSocket s;
  s.connectToServer(path);
  const bool ok = s.waitForConnected(timeoutMs);
  s.abort();
  return ok;
}

bool raise(const QString& path, int timeoutMs) {
  QDeadlineTimer deadline(timeoutMs);
  QLocalSocket s;
  s.connectToServer(path);
  if (!s.waitForConnected(deadline.remainingTime())) return false;
  s.write("raise\n");
  if (!s.waitForBytesWritten(deadline.remainingTime())) return false;
  QByteArray answer;
  while (!answer.contains('\n') && answer.size() < kMaxRequest) {
    if (!s.waitForReadyRead(deadline.remainingTime())) break;
    answer += s.readAll();
  }
  s.abort();
  return answer.startsWith("ok\n");
}

Listener::Listener(const QString& path, std::function<void()> onRaise, QObject* parent)
    : QObject(parent), path_(path), onRaise_(std::move(onRaise)) {}

Listener::~Listener() = default;

bool Listener::listen(QString* error) {
  // A socket file left by an ended program would refuse the name; nothing else at
  // the name is touched.
  if (const QString why = runtimefolder::claimSocket(path_); !why.isEmpty()) {
    if (error) *error = why;
    return false;
  }
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(path_)) {
    if (error) *error = server_->errorString();
    server_.reset();
    return false;
  }
  QObject::connect(server_.get(), &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* c = server_->nextPendingConnection()) {
      QObject::connect(c, &QLocalSocket::disconnected, c, &QObject::deleteLater);
      // A client that never completes its line is dropped.
      QTimer::singleShot(5000, c, [c] { c->abort(); });
      auto buffer = std::make_shared<QByteArray>();
      QObject::connect(c, &QLocalSocket::readyRead, c, [this, c, buffer] {
        // At most one byte past the cap is kept: enough to tell a line that is too long.
        *buffer += c->read(kMaxRequest + 1 - buffer->size());
        const qsizetype end = buffer->indexOf('\n');
        if (end < 0) {
          if (buffer->size() > kMaxRequest) c->abort();
          return;
        }
        const QByteArray request = buffer->left(end);
        buffer->clear();
        if (request == "raise") {
          if (onRaise_) onRaise_();
          c->write("ok\n");
        }
        c->disconnectFromServer();
      });
    }
  });
  return true;
}

}  // namespace mvnz::windowlink
