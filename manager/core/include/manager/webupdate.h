#pragma once
// The web update check: one plain HTTP/1.1 GET to the update server, the reply read
// until the server closes the connection, and the published version compared with
// the running one. The check only reports; the windows show its boxes and dialog.
#include <QByteArray>
#include <QObject>
#include <QString>

class QTcpSocket;
class QTimer;

namespace mvnz::manager {

// Where the update page is asked for: the registry values "UpdateServer" (host, or
// host:port) and "UpdatePage" (absolute path) under the manager's key; without them
// the environment's MVNZ_UPDATE_SERVER, then the built-in server, port 80.
struct UpdateServer {
  QString host;
  quint16 port = 80;
  QString page;
};
UpdateServer LoadUpdateServer();
// "host" or "host:port"; false (server untouched) for an empty host or a bad port.
bool ParseUpdateServer(const QString& text, UpdateServer* server);

// The request: absolute URL, Host, Connection: close, Accept: */*, CR LF lines and
// the empty line.
QByteArray UpdateRequest(const UpdateServer& server);

// The two fields of a reply. The body starts after the first CR LF CR LF; "version:"
// and "url:" are found without regard to case and each value ends before the next
// "|" (or at the end of the body); the version is at most kVersionChars long.
inline constexpr int kVersionChars = 5;
struct UpdateReply {
  bool hasVersion = false;  // no "version:" (or no header end): the reply is ignored
  QString version;
  QString url;
};
UpdateReply ParseUpdateReply(const QByteArray& buffer);

// The running version as the update page writes it: "major.minor.revision".
QString RunningUpdateVersion();

// Only an absolute http or https URL with a host and nothing that a program could
// read as an option or a command is handed to the browser.
bool IsSafeDownloadUrl(const QString& url);

// One check at a time. start() opens a fresh socket (abandoning any earlier check
// without its result); results arrive queued, after the socket's handler returned.
class WebUpdateCheck : public QObject {
  Q_OBJECT
 public:
  static constexpr int kMaxReply = 64 * 1024;

  explicit WebUpdateCheck(QObject* parent = nullptr);
  ~WebUpdateCheck() override;

  // interactive: the menu command (boxes wanted); false for the start-up check.
  void start(bool interactive, const UpdateServer& server);
  // Abandons a running check; nothing is reported for it.
  void abort();
  bool running() const { return socket_ != nullptr; }
  // How long a check may take before it is abandoned silently.
  void setTimeout(int ms) { timeoutMs_ = ms; }

 signals:
  // The published version differs in any way (older, newer, malformed) from the
  // running one's first kVersionChars characters.
  void offer(const QString& running, const QString& published, const QString& url);
  // Interactive only: the published version is the running one.
  void upToDate();
  // Interactive only: the server could not be reached.
  void notConnected();

 private:
  void onReadyRead();
  void evaluate();
  void onError();
  void finish();
  void report(void (WebUpdateCheck::*signal)(), quint64 check);

  QTcpSocket* socket_ = nullptr;  // the current check's own socket
  QTimer* timer_ = nullptr;
  QByteArray buffer_;
  QByteArray request_;
  bool interactive_ = false;
  bool connected_ = false;
  quint64 check_ = 0;  // the current check's number; a queued result of another is dropped
  int timeoutMs_ = 30000;
};

}  // namespace mvnz::manager
