#pragma once
// The log files. Each line is appended to its file. The few files lines went to lately
// stay open between lines (a file removed meanwhile is opened afresh) until
// CloseFiles(), which the daemon calls at the end of every cycle. A line its file refuses (a folder that cannot be made, no permission, a
// full file system) goes to stderr instead, which a service manager keeps in its
// journal: the first failure adds one line saying why, a file that keeps failing at
// most one reminder a minute, and one line says so once the file takes lines again.
#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QString>
#include <memory>
#include <vector>

namespace mvnz::mvnd {

// What the writer needs of the system; tests put faults in through it.
class LogFilePort {
 public:
  LogFilePort() = default;
  LogFilePort(const LogFilePort&) = delete;
  LogFilePort& operator=(const LogFilePort&) = delete;
  virtual ~LogFilePort();
  // Appends bytes to folder/fileName, making the folder and the file when missing.
  // Empty on success, else the system's reason.
  virtual QString Append(const QString& folder, const QString& fileName, const QByteArray& bytes);
  // Closes the files Append keeps open between lines.
  virtual void CloseFiles();
  // Writes the bytes to stderr.
  virtual void ToStderr(const QByteArray& bytes);
  // Milliseconds of a clock that never goes back.
  virtual qint64 NowMs() const;

 private:
  // The descriptor kept open for path, or -1; one whose file was removed is closed.
  int KeptOpen(const QString& path);
  void Forget(int fd);

  struct OpenFile {
    QString path;
    int fd;
  };
  std::vector<OpenFile> open_;  // newest last
};

class LogFileWriter {
 public:
  explicit LogFileWriter(std::shared_ptr<LogFilePort> port = nullptr);

  // Writes "[time] text" to folder/base.log, or to stderr when the file refuses it.
  void Write(const QString& folder, const QString& base, const QString& time, const QString& text);
  // Closes the log files kept open between lines.
  void CloseFiles() { port_->CloseFiles(); }

  // The local time of this second as a log line gives it, and today's date. Worked out
  // at most once a second: the local time looks at the time-zone file every time.
  struct LocalNow {
    qint64 second = -1;  // since the epoch
    QString timeText;
    QDate today;
  };
  const LocalNow& Now();

  static constexpr qint64 kReminderMs = 60 * 1000;

 private:
  void Notice(const QString& text);

  std::shared_ptr<LogFilePort> port_;
  QHash<QString, qint64> failing_;  // base name -> when stderr last said why
  LocalNow now_;
};

}  // namespace mvnz::mvnd
