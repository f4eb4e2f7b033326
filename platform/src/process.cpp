// Process list from /proc and the single-instance lock.
#include "platform/process.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>

#include "platform/paths.h"
#include "platform/runtimefolder.h"

namespace mvnz::process {

QStringList runningExecutables() {
  QStringList out;
  const QStringList ids = QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  for (const QString& id : ids) {
    bool numeric = false;
    id.toLong(&numeric);
    if (!numeric) continue;
    // Processes of other users (no permission) and ended ones give no link: left out.
    char buf[4096];
    const QByteArray link = QFile::encodeName("/proc/" + id + "/exe");
    const ssize_t n = ::readlink(link.constData(), buf, sizeof buf - 1);
    if (n <= 0) continue;
    out << QFile::decodeName(QByteArray(buf, n));
  }
  return out;
}

InstanceLock::InstanceLock(const QString& name)
    : path_(paths::join(paths::runtimeDir(), name + ".lock")) {}

InstanceLock::~InstanceLock() { unlock(); }

bool InstanceLock::tryLock() {
  if (fd_ >= 0) return true;
  error_ = runtimefolder::prepare();
  if (!error_.isEmpty()) return false;
  // Never through a link, and never blocked by a FIFO someone put in its place.
  const int fd = ::open(QFile::encodeName(path_).constData(),
                        O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
  if (fd < 0) {
    error_ = QStringLiteral("Lock [%1] not used: %2")
                 .arg(path_, QString::fromLocal8Bit(std::strerror(errno)));
    return false;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    error_ = QStringLiteral("Lock [%1] not used: it is not a plain file").arg(path_);
    return false;
  }
  int rc;
  do rc = ::flock(fd, LOCK_EX | LOCK_NB);
  while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

void InstanceLock::unlock() {
  if (fd_ < 0) return;
  ::close(fd_);  // releases the lock; the file stays, so no one locks a stale name
  fd_ = -1;
}

void raiseDescriptorLimit() {
  struct rlimit lim;
  if (::getrlimit(RLIMIT_NOFILE, &lim) != 0 || lim.rlim_cur >= lim.rlim_max) return;
  lim.rlim_cur = lim.rlim_max;
  ::setrlimit(RLIMIT_NOFILE, &lim);
}

bool isInstanceRunning(const QString& name) {
  InstanceLock probe(name);
  // A lock that cannot even be opened is held by no one.
  return !probe.tryLock() && probe.error().isEmpty();  // released again when the probe goes
}

}  // namespace mvnz::process
