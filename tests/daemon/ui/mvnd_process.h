#pragma once
// Runs the real mvnd in the test's own folders: a configuration in windir, the
// status listener on a free port of 127.0.0.1.
#include <QByteArray>
#include <QProcess>
#include <QStringList>

namespace mvnz::mvnd::test {

// A port of 127.0.0.1 that nothing listens on right now.
quint16 FreePort();

class MvndProcess {
 public:
  // Writes the configuration (CR LF lines) and the status port, starts mvnd and
  // waits (bounded) until its status listener accepts connections.
  explicit MvndProcess(const QStringList& config);
  ~MvndProcess();
  bool Started() const { return started_; }
  quint16 Port() const { return port_; }
  qint64 Pid() const { return process_.processId(); }
  // curl's output of http://127.0.0.1:<port><path>, headers included.
  QByteArray Curl(const QString& path) const;
  // Sends the chunks (pausing between them) on one connection and returns every byte
  // received until the daemon closes it.
  QByteArray Exchange(const QList<QByteArray>& chunks, int pauseMs = 0) const;

 private:
  QProcess process_;
  quint16 port_ = 0;
  bool started_ = false;
};

// A configuration without auto-start (stopped) or auto-starting hidden (running),
// with one enabled TIME RoziRoruner.
QStringList StatusConfig(bool autoStart);

}  // namespace mvnz::mvnd::test
