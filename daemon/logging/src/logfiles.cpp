#include "daemon/logfiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <cerrno>

#include "daemon/core.h"
#include "daemon/logtext.h"
#include "library/dates.h"
#include "platform/fileops.h"

namespace mvnz::mvnd {

namespace {

QString ErrnoText(int e) { return qt_error_string(e); }

// Opens the file for appending; -1 with errno set when it cannot.
constexpr size_t kKeptOpen = 8;  // log files kept open between lines

int OpenForAppend(const QString& path) {
  return ::open(QFile::encodeName(path).constData(),
                O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY, 0644);
}

// Writes all bytes; errno of the failure, or 0.
int WriteAll(int fd, const QByteArray& bytes) {
  const char* p = bytes.constData();
  qsizetype left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, size_t(left));
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    p += n;
    left -= n;
  }
  return 0;
}

}  // namespace

LogFilePort::~LogFilePort() { CloseFiles(); }

void LogFilePort::CloseFiles() {
  for (const OpenFile& f : open_) ::close(f.fd);
  open_.clear();
}

int LogFilePort::KeptOpen(const QString& path) {
  for (const OpenFile& f : open_) {
    if (f.path != path) continue;
    struct stat st {};
    if (::fstat(f.fd, &st) == 0 && st.st_nlink > 0) return f.fd;
    Forget(f.fd);  // removed (or renamed away and removed) since: the next line makes it anew
    return -1;
  }
  return -1;
}

void LogFilePort::Forget(int fd) {
  for (auto it = open_.begin(); it != open_.end(); ++it)
    if (it->fd == fd) {
      ::close(fd);
      open_.erase(it);
      return;
    }
}

QString LogFilePort::Append(const QString& folder, const QString& fileName,
                            const QByteArray& bytes) {
  const QString path = folder.endsWith(QLatin1Char('/')) ? folder + fileName
                                                         : folder + QLatin1Char('/') + fileName;
  int fd = KeptOpen(path);
  if (fd < 0) {
    fd = OpenForAppend(path);
    if (fd < 0 && errno == ENOENT) {
      // Most lines find their folder; only the first line of a day makes it.
      const fileops::Outcome made = fileops::makeFolders(folder);
      if (!made.ok()) return made.errorText;
      fd = OpenForAppend(path);
    }
    if (fd < 0) return ErrnoText(errno);
    if (open_.size() >= kKeptOpen) Forget(open_.front().fd);
    open_.push_back({path, fd});
  }
  if (const int e = WriteAll(fd, bytes)) {
    Forget(fd);
    return ErrnoText(e);
  }
  return {};
}

void LogFilePort::ToStderr(const QByteArray& bytes) { WriteAll(STDERR_FILENO, bytes); }

qint64 LogFilePort::NowMs() const {
  static QElapsedTimer clock = [] {
    QElapsedTimer t;
    t.start();
    return t;
  }();
  return clock.elapsed();
}

LogFileWriter::LogFileWriter(std::shared_ptr<LogFilePort> port)
    : port_(port ? std::move(port) : std::make_shared<LogFilePort>()) {}

void LogFileWriter::Notice(const QString& text) {
  // Paths hold RoziRoruner names: they too stay on one line.
  port_->ToStderr((QStringLiteral("mvnd: ") + EscapeLogText(text) + QLatin1Char('\n')).toUtf8());
}

void LogFileWriter::Write(const QString& folder, const QString& base, const QString& time,
                          const QString& text) {
  const QString fileName = base + QStringLiteral(".log");
  const QString line = QLatin1Char('[') + time + QStringLiteral("] ") + text;
  const QString path = QDir(folder).filePath(fileName);
  const QString reason = port_->Append(folder, fileName, (line + QStringLiteral("\r\n")).toUtf8());
  const auto failing = failing_.find(base);
  if (reason.isEmpty()) {
    if (failing != failing_.end()) {
      failing_.erase(failing);
      Notice(QStringLiteral("the log file [%1] is written again").arg(path));
    }
    return;
  }
  const qint64 now = port_->NowMs();
  if (failing == failing_.end()) {
    failing_.insert(base, now);
    Notice(QStringLiteral("cannot write the log file [%1] [%2]; its lines go to stderr until it "
                          "can be written again")
               .arg(path, reason));
  } else if (now - *failing >= kReminderMs) {
    *failing = now;
    Notice(QStringLiteral("the log file [%1] still cannot be written [%2]").arg(path, reason));
  }
  Notice(fileName + QStringLiteral(": ") + line);
}

const LogFileWriter::LocalNow& LogFileWriter::Now() {
  const qint64 second = QDateTime::currentSecsSinceEpoch();
  if (second != now_.second) {
    const QDateTime local = QDateTime::fromSecsSinceEpoch(second);
    now_ = {second, FormatDate(local, kLogTimeFormat), local.date()};
  }
  return now_;
}

LogFileWriter& Daemon::LogFiles() {
  if (!logFiles_) logFiles_ = std::make_shared<LogFileWriter>();
  return *logFiles_;
}

}  // namespace mvnz::mvnd
