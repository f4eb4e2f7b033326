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

constexpr size_t kKeptOpen = 8;  // log files kept open between lines

// Opens the file for appending; -1 with errno set when it cannot.

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
  for (OpenFile& f : open_) Close(f);
  open_.clear();
}

void LogFilePort::Close(OpenFile& f) {
  if (!f.since.isEmpty() && !StillThere(f)) Rewrite(f.folder, f.path, f.since);
  ::close(f.fd);
}

bool LogFilePort::StillThere(OpenFile& f) {
  struct stat st {};
  if (::fstat(f.fd, &st) != 0 || st.st_nlink == 0) return false;
  f.lookedMs = NowMs();
  f.since.clear();
  return true;
}

LogFilePort::OpenFile* LogFilePort::KeptOpen(const QString& path, QByteArray& carried) {
  for (OpenFile& f : open_) {
    if (f.path != path) continue;
    if (f.since.size() < kLookBytes && NowMs() - f.lookedMs < kLookMs) return &f;
    if (StillThere(f)) return &f;
    // Removed (or renamed away and removed) since: the next line makes it anew.
    carried = std::move(f.since);
    Forget(f.fd);
    return nullptr;
  }
  return nullptr;
}

void LogFilePort::Forget(int fd) {
  for (auto it = open_.begin(); it != open_.end(); ++it)
    if (it->fd == fd) {
      ::close(fd);
      open_.erase(it);
      return;
    }
}

int LogFilePort::Open(const QString& folder, const QString& path, QString& reason) {
  int fd = OpenForAppend(path);
  if (fd < 0 && errno == ENOENT) {
    // Most lines find their folder; only the first line of a day makes it.
    const fileops::Outcome made = fileops::makeFolders(folder);
    if (!made.ok()) {
      reason = made.errorText;
      return -1;
    }
    fd = OpenForAppend(path);
  }
  if (fd < 0) reason = ErrnoText(errno);
  return fd;
}

void LogFilePort::CarriedToStderr(const QString& path, const QString& reason,
                                  const QByteArray& carried) {
  const QString fileName = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
  ToStderr((QStringLiteral("mvnd: ") +
            EscapeLogText(QStringLiteral("the log file [%1] was removed and cannot be made "
                                         "again [%2]; its last lines follow")
                              .arg(path, reason)) +
            QLatin1Char('\n'))
               .toUtf8());
  for (const QByteArray& line : carried.split('\n')) {
    if (line.isEmpty()) continue;
    ToStderr("mvnd: " + EscapeLogText(fileName).toUtf8() + ": " +
             (line.endsWith('\r') ? line.chopped(1) : line) + '\n');
  }
}

void LogFilePort::Rewrite(const QString& folder, const QString& path, const QByteArray& carried) {
  QString reason;
  const int fd = Open(folder, path, reason);
  if (fd < 0) {
    CarriedToStderr(path, reason, carried);
    return;
  }
  if (const int e = WriteAll(fd, carried)) CarriedToStderr(path, ErrnoText(e), carried);
  ::close(fd);
}

QString LogFilePort::Append(const QString& folder, const QString& fileName,
                            const QByteArray& bytes) {
  const QString path = folder.endsWith(QLatin1Char('/')) ? folder + fileName
                                                         : folder + QLatin1Char('/') + fileName;
  QByteArray carried;
  OpenFile* f = KeptOpen(path, carried);
  if (!f) {
    QString reason;
    const int fd = Open(folder, path, reason);
    if (fd < 0) {
      if (!carried.isEmpty()) CarriedToStderr(path, reason, carried);
      return reason;
    }
    if (open_.size() >= kKeptOpen) {
      Close(open_.front());
      open_.erase(open_.begin());
    }
    open_.push_back({path, folder, fd, NowMs(), {}});
    f = &open_.back();
  }
  // The lines a removed file took since the last look go first, in their order.
  const QByteArray& out = carried.isEmpty() ? bytes : carried.append(bytes);
  if (const int e = WriteAll(f->fd, out)) {
    Forget(f->fd);
    if (!carried.isEmpty()) CarriedToStderr(path, ErrnoText(e), carried.chopped(bytes.size()));
    return ErrnoText(e);
  }
  f->since.append(out);
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
  QByteArray bytes;
  bytes.reserve(time.size() + text.size() * 3 + 8);
  bytes.append('[').append(time.toUtf8()).append("] ").append(text.toUtf8()).append("\r\n");
  const QString reason = port_->Append(folder, fileName, bytes);
  const auto failing = failing_.isEmpty() ? failing_.end() : failing_.find(base);
  if (reason.isEmpty()) {
    if (failing != failing_.end()) {
      failing_.erase(failing);
      Notice(QStringLiteral("the log file [%1] is written again")
                 .arg(QDir(folder).filePath(fileName)));
    }
    return;
  }
  const QString path = QDir(folder).filePath(fileName);
  const QString line = QLatin1Char('[') + time + QStringLiteral("] ") + text;
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
