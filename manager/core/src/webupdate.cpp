#include "manager/webupdate.h"

#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include "library/regwrap.h"
#include "library/version.h"
#include "manager/identity.h"

namespace mvnz::manager {

namespace {

const QString kDefaultServer = QStringLiteral("orvendel.example");
const QString kDefaultPage = QStringLiteral("/webupdate/webupdate_zuri.html");

// Text that can go into a request line or a command argument as it is: no blanks, no
// control characters, nothing outside printable ASCII.
bool isPlainToken(const QString& text) {
  if (text.isEmpty()) return false;
  for (const QChar c : text)
    if (c.unicode() <= 0x20 || c.unicode() >= 0x7f) return false;
  return true;
}

bool isHostName(const QString& host) {
  if (!isPlainToken(host) || host.contains(QLatin1Char('/')) || host.contains(QLatin1Char('@')))
    return false;
  QUrl probe;
  probe.setScheme(QStringLiteral("http"));
  probe.setHost(host, QUrl::StrictMode);
  return probe.isValid() && !probe.host().isEmpty();
}

// The value after marker (found without regard to case), up to the next "|".
QString fieldAfter(const QString& body, QLatin1String marker, bool* found) {
  const qsizetype at = body.indexOf(marker, 0, Qt::CaseInsensitive);
  *found = at >= 0;
  if (at < 0) return {};
  const QString rest = body.mid(at + marker.size());
  const qsizetype bar = rest.indexOf(QLatin1Char('|'));
  return bar < 0 ? rest : rest.left(bar);
}

QString hostHeader(const UpdateServer& s) {
  return s.port == 80 ? s.host : s.host + QLatin1Char(':') + QString::number(s.port);
}

}  // namespace

bool ParseUpdateServer(const QString& text, UpdateServer* server) {
  QString host = text.trimmed();
  quint16 port = 80;
  const qsizetype colon = host.lastIndexOf(QLatin1Char(':'));
  if (colon >= 0 && host.count(QLatin1Char(':')) == 1) {
    bool ok = false;
    const uint value = host.mid(colon + 1).toUInt(&ok);
    if (!ok || value == 0 || value > 65535) return false;
    port = static_cast<quint16>(value);
    host.truncate(colon);
  }
  if (!isHostName(host)) return false;
  server->host = host;
  server->port = port;
  return true;
}

UpdateServer LoadUpdateServer() {
  const QString key = QLatin1String(kManagerKey);
  UpdateServer s;
  QString text = GetRegString(key, QStringLiteral("UpdateServer"));
  if (text.isEmpty()) text = qEnvironmentVariable("MVNZ_UPDATE_SERVER").trimmed();
  if (text.isEmpty()) text = kDefaultServer;
  // A server that cannot be parsed leaves the host empty: the check then fails to
  // connect rather than asking some other server.
  ParseUpdateServer(text, &s);
  const QString page = GetRegString(key, QStringLiteral("UpdatePage"));
  s.page = isPlainToken(page) && page.startsWith(QLatin1Char('/')) ? page : kDefaultPage;
  return s;
}

QByteArray UpdateRequest(const UpdateServer& server) {
  const QString host = hostHeader(server);
  const QString text = QStringLiteral("GET http://") + host + server.page + QStringLiteral(" HTTP/1.1\r\n") +
                       QStringLiteral("Host: ") + host + QStringLiteral("\r\n") +
                       QStringLiteral("Connection: close\r\nAccept: */*\r\n\r\n");
  return text.toLatin1();
}

UpdateReply ParseUpdateReply(const QByteArray& buffer) {
  UpdateReply reply;
  const qsizetype end = buffer.indexOf("\r\n\r\n");
  if (end < 0) return reply;  // the headers never ended: not a reply
  const QString body = QString::fromUtf8(buffer.mid(end + 4));
  reply.version =
      fieldAfter(body, QLatin1String("version:"), &reply.hasVersion).left(kVersionChars);
  bool hasUrl = false;
  reply.url = fieldAfter(body, QLatin1String("url:"), &hasUrl).trimmed();
  return reply;
}

QString RunningUpdateVersion() {
  return QStringLiteral("%1.%2.%3").arg(versionMajor()).arg(versionMinor()).arg(versionRevision());
}

bool IsSafeDownloadUrl(const QString& url) {
  if (!isPlainToken(url) || url.size() > 2048) return false;
  const QUrl u(url, QUrl::StrictMode);
  if (!u.isValid() || u.isRelative()) return false;
  const QString scheme = u.scheme().toLower();
  return (scheme == QLatin1String("http") || scheme == QLatin1String("https")) && !u.host().isEmpty();
}

WebUpdateCheck::WebUpdateCheck(QObject* parent) : QObject(parent) {}

WebUpdateCheck::~WebUpdateCheck() { abort(); }

void WebUpdateCheck::start(bool interactive, const UpdateServer& server) {
  abort();
  interactive_ = interactive;
  connected_ = false;
  buffer_.clear();
  request_ = UpdateRequest(server);
  socket_ = new QTcpSocket(this);
  connect(socket_, &QTcpSocket::connected, this, [this] {
    connected_ = true;
    socket_->write(request_);
  });
  connect(socket_, &QTcpSocket::readyRead, this, &WebUpdateCheck::onReadyRead);
  connect(socket_, &QTcpSocket::disconnected, this, &WebUpdateCheck::evaluate);
  connect(socket_, &QTcpSocket::errorOccurred, this, &WebUpdateCheck::onError);
  timer_ = new QTimer(this);
  timer_->setSingleShot(true);
  connect(timer_, &QTimer::timeout, this, &WebUpdateCheck::abort);
  timer_->start(timeoutMs_);
  const quint64 check = check_;
  if (server.host.isEmpty()) {  // nothing to connect to
    finish();
    if (interactive_) report(&WebUpdateCheck::notConnected, check);
    return;
  }
  socket_->connectToHost(server.host, server.port);
}

void WebUpdateCheck::abort() {
  ++check_;  // a result already queued belongs to another check now
  finish();
}

void WebUpdateCheck::finish() {
  if (timer_) {
    timer_->stop();
    timer_->deleteLater();
    timer_ = nullptr;
  }
  if (!socket_) return;
  QTcpSocket* s = socket_;
  socket_ = nullptr;
  s->disconnect(this);
  s->abort();
  s->deleteLater();
}

void WebUpdateCheck::onReadyRead() {
  if (!socket_) return;
  buffer_ += socket_->read(kMaxReply - buffer_.size());
  // What fits is the reply: a longer one is cut there and evaluated as it stands.
  if (buffer_.size() >= kMaxReply) evaluate();
}

void WebUpdateCheck::onError() {
  if (!socket_) return;
  // The server closing the connection ends the reply; disconnected() evaluates it.
  if (socket_->error() == QAbstractSocket::RemoteHostClosedError) return;
  const bool reached = connected_;
  const quint64 check = check_;
  finish();
  if (!reached && interactive_) report(&WebUpdateCheck::notConnected, check);
}

void WebUpdateCheck::evaluate() {
  if (!socket_) return;
  if (buffer_.size() < kMaxReply) buffer_ += socket_->read(kMaxReply - buffer_.size());
  const quint64 check = check_;
  finish();
  const UpdateReply reply = ParseUpdateReply(buffer_);
  buffer_.clear();
  if (!reply.hasVersion) return;
  const QString running = RunningUpdateVersion();
  // The reply carries at most kVersionChars of its version, so that many of the running
  // one are compared: a longer running version is not offered to itself forever.
  if (reply.version == running.left(kVersionChars)) {
    if (interactive_) report(&WebUpdateCheck::upToDate, check);
    return;
  }
  QTimer::singleShot(0, this, [this, check, running, published = reply.version, url = reply.url] {
    if (check == check_) emit offer(running, published, url);
  });
}

void WebUpdateCheck::report(void (WebUpdateCheck::*signal)(), quint64 check) {
  QTimer::singleShot(0, this, [this, signal, check] {
    if (check == check_) emit(this->*signal)();
  });
}

}  // namespace mvnz::manager
