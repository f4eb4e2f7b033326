#pragma once
// The log files. Each line is appended to its file, which is opened and closed for
// every line. A line its file refuses (a folder that cannot be made, no permission, a
// full file system) goes to stderr instead, which a service manager keeps in its
// journal: the first failure adds one line saying why, a file that keeps failing at
// most one reminder a minute, and one line says so once the file takes lines again.
#include <QByteArray>
#include <QHash>
#include <QString>
#include <memory>

namespace mvnz::mvnd {

// What the writer needs of the system; tests put faults in through it.
class LogFilePort {
 public:
  virtual ~LogFilePort() = default;
  // Appends bytes to folder/fileName, making the folder and the file when missing.
  // Empty on success, else the system's reason.
  virtual QString Append(const QString& folder, const QString& fileName, const QByteArray& bytes);
  // Writes the bytes to stderr.
  virtual void ToStderr(const QByteArray& bytes);
  // Milliseconds of a clock that never goes back.
  virtual qint64 NowMs() const;
};

class LogFileWriter {
 public:
  explicit LogFileWriter(std::shared_ptr<LogFilePort> port = nullptr);

  // Writes "[time] text" to folder/base.log, or to stderr when the file refuses it.
  void Write(const QString& folder, const QString& base, const QString& time, const QString& text);

  static constexpr qint64 kReminderMs = 60 * 1000;

 private:
  void Notice(const QString& text);

  std::shared_ptr<LogFilePort> port_;
  QHash<QString, qint64> failing_;  // base name -> when stderr last said why
};

}  // namespace mvnz::mvnd
