// Process list from /proc and the single-instance lock.
#include "platform/process.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <cerrno>

#include "platform/paths.h"

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
  const int fd = ::open(QFile::encodeName(path_).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return false;
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

bool isInstanceRunning(const QString& name) {
  InstanceLock probe(name);
  return !probe.tryLock();  // released again when the probe goes
}

}  // namespace mvnz::process
