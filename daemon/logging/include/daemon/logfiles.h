#pragma once
// The log files. Each line is appended to its file. The few files lines went to lately
// stay open between lines until CloseFiles(), which the daemon calls at the end of every
// cycle. Whether a kept file was removed meanwhile is asked at most once a second (or
// per 64 KB written) and when it is closed: the lines written to a removed file since
// the last look are written again to the file made anew, so none is lost. A line its
// file refuses (a folder that cannot be made, no permission, a full file system) goes
// to stderr instead, which a service manager keeps in its journal: the first failure
// adds one line saying why, a file that keeps failing at most one reminder a minute,
// and one line says so once the file takes lines again.
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

  // How often a kept file is looked at for removal: after this time or these bytes.
  static constexpr qint64 kLookMs = 1000;
  static constexpr qsizetype kLookBytes = 64 * 1024;

 private:
  struct OpenFile {
    QString path;
    QString folder;
    int fd;
    qint64 lookedMs;  // when the file was last seen still in place
    QByteArray since;  // bytes written since then
  };
  // The file kept open for path, or null. One that was removed since the last look is
  // closed and its bytes since that look are moved to carried.
  OpenFile* KeptOpen(const QString& path, QByteArray& carried);
  // True when the file is still in place; then its bytes since are forgotten.
  bool StillThere(OpenFile& f);
  // Opens folder/path for appending, making the folder when missing; -1 with the
  // reason otherwise.
  int Open(const QString& folder, const QString& path, QString& reason);
  // Writes carried (the lines of a removed file since the last look) again, to the file
  // made anew at the same path, or to stderr when that cannot be made.
  void Rewrite(const QString& folder, const QString& path, const QByteArray& carried);
  void CarriedToStderr(const QString& path, const QString& reason, const QByteArray& carried);
  // Closes a kept file, its lines since the last look rewritten when it was removed.
  void Close(OpenFile& f);
  // Closes a kept file without a look (its write failed).
  void Forget(int fd);

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

  // What the log routine works out for a line and uses again while what it is made of
  // stays the same (the date text and path joining cost more than the line's write).
  struct Reuse {
    // Today's log folder, of these settings.
    QDate day;
    QString directory;
    int enabled = -1, dated = -1;
    QString folder;
    // The base name of the last RoziRoruner line's file, and its "[FS<n>] " prefix.
    int index = -2;
    bool known = false;  // index names a RoziRoruner
    QString name, base, prefix;
  };
  Reuse& reuse() { return reuse_; }

  static constexpr qint64 kReminderMs = 60 * 1000;

  // Writes "mvnd: " and the text (escaped to one line) to stderr.
  void Notice(const QString& text);

 private:
  std::shared_ptr<LogFilePort> port_;
  QHash<QString, qint64> failing_;  // base name -> when stderr last said why
  LocalNow now_;
  Reuse reuse_;
};

}  // namespace mvnz::mvnd
