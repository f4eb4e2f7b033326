#include "platform/runtimefolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstring>

#include "platform/paths.h"

namespace mvnz::runtimefolder {

namespace {

QString errnoText(int e) { return QString::fromLocal8Bit(std::strerror(e)); }

QString refused(const QString& dir, const QString& why) {
  return QStringLiteral("Runtime folder [%1] not used: %2").arg(dir, why);
}

QString modeText(mode_t mode) { return QString::number(mode & 07777, 8).rightJustified(4, '0'); }

// Why a folder whose status is st may not be used; "" when it may.
QString folderFault(const struct stat& st) {
  if (S_ISLNK(st.st_mode)) return QStringLiteral("it is a symbolic link");
  if (!S_ISDIR(st.st_mode)) return QStringLiteral("it is not a folder");
  if (st.st_uid != ::geteuid())
    return QStringLiteral("owned by user %1, not by user %2").arg(st.st_uid).arg(::geteuid());
  if (st.st_mode & (S_IWGRP | S_IWOTH))
    return QStringLiteral("writable by %1 (mode %2)")
        .arg(st.st_mode & S_IWOTH ? QStringLiteral("others") : QStringLiteral("its group"),
             modeText(st.st_mode));
  return {};
}

}  // namespace

QString prepare() {
  const QString dir = paths::runtimeDir();  // creates a missing folder with mode 0700
  const QByteArray native = QFile::encodeName(dir);
  struct stat st;
  if (::lstat(native.constData(), &st) != 0) return refused(dir, errnoText(errno));
  if (QString why = folderFault(st); !why.isEmpty()) return refused(dir, why);
  // Judged again on the folder itself, so that a swap after the look above is seen.
  const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return refused(dir, errnoText(errno));
  QString why;
  if (::fstat(fd, &st) != 0)
    why = errnoText(errno);
  else
    why = folderFault(st);
  if (why.isEmpty() && (st.st_mode & 07777) != 0700 && ::fchmod(fd, 0700) != 0)
    why = errnoText(errno);
  ::close(fd);
  return why.isEmpty() ? QString() : refused(dir, why);
}

QString claimSocket(const QString& path) {
  if (QString why = prepare(); !why.isEmpty()) return why;
  const QByteArray native = QFile::encodeName(path);
  struct stat st;
  if (::lstat(native.constData(), &st) != 0) {
    if (errno == ENOENT) return {};
    return QStringLiteral("Socket [%1] not used: %2").arg(path, errnoText(errno));
  }
  QString why;
  if (S_ISLNK(st.st_mode))
    why = QStringLiteral("a symbolic link is in its place");
  else if (!S_ISSOCK(st.st_mode))
    why = QStringLiteral("a file that is not a socket is in its place");
  else if (st.st_uid != ::geteuid())
    why = QStringLiteral("the socket there belongs to user %1").arg(st.st_uid);
  else if (::unlink(native.constData()) != 0 && errno != ENOENT)
    why = errnoText(errno);
  return why.isEmpty() ? QString() : QStringLiteral("Socket [%1] not used: %2").arg(path, why);
}

}  // namespace mvnz::runtimefolder
