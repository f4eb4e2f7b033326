#include "platform/runtimefolder.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/paths.h"

namespace mvnz::runtimefolder {

namespace {

QString errnoText(int e) { return QString::fromLocal8Bit(std::strerror(e)); }

// One line: the folder, what is wrong, and how to use another one.
QString refused(const QString& dir, const QString& why) {
  return QStringLiteral(
             "Runtime folder [%1] not used: %2; set MVNZ_RUNTIME_DIR to a folder of "
             "your own")
      .arg(dir, why);
}

// "name (uid)", or the number alone for a user the system does not know.
QString userText(uid_t uid) {
  struct passwd pw;
  struct passwd* found = nullptr;
  char buf[1024];
  if (::getpwuid_r(uid, &pw, buf, sizeof buf, &found) != 0 || !found) return QString::number(uid);
  return QStringLiteral("%1 (%2)").arg(QString::fromLocal8Bit(found->pw_name)).arg(uid);
}

QString modeText(mode_t mode) { return QString::number(mode & 07777, 8).rightJustified(4, '0'); }

// Why a folder whose status is st may not be used; "" when it may.
QString folderFault(const struct stat& st) {
  if (S_ISLNK(st.st_mode)) return QStringLiteral("it is a symbolic link");
  if (!S_ISDIR(st.st_mode)) return QStringLiteral("it is not a folder");
  if (st.st_uid != ::geteuid())
    return QStringLiteral("owned by user %1, not by user %2")
        .arg(userText(st.st_uid), userText(::geteuid()));
  if (st.st_mode & (S_IWGRP | S_IWOTH))
    return QStringLiteral("writable by %1 (mode %2)")
        .arg(st.st_mode & S_IWOTH ? QStringLiteral("others") : QStringLiteral("its group"),
             modeText(st.st_mode));
  return {};
}

bool trustedOwner(uid_t uid) { return uid == 0 || uid == ::geteuid(); }

// Why the entry at (what st describes) lets a user other than root and the effective
// user change what lies below it; "" when it does not. Whoever owns a folder can
// change it; whoever may write a folder that is not sticky can rename what is in it.
QString wayFault(const QByteArray& at, const struct stat& st) {
  const QString shown = QFile::decodeName(at.isEmpty() ? QByteArray("/") : at);
  if (!trustedOwner(st.st_uid))
    return QStringLiteral("[%1] on its way is owned by user %2").arg(shown, userText(st.st_uid));
  if (S_ISDIR(st.st_mode) && (st.st_mode & (S_IWGRP | S_IWOTH)) && !(st.st_mode & S_ISVTX))
    return QStringLiteral("the folder [%1] on its way is writable by %2 and not sticky (mode %3)")
        .arg(shown,
             st.st_mode & S_IWOTH ? QStringLiteral("others") : QStringLiteral("its group"),
             modeText(st.st_mode));
  return {};
}

// The way from "/" to a folder, walked one entry at a time by folder descriptors: a
// link is read and its target walked in its place, never followed in one step, so
// each folder and link passed is judged by wayFault.
class Way {
 public:
  Way() : fd_(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC)) {}
  ~Way() {
    if (fd_ >= 0) ::close(fd_);
  }
  Way(const Way&) = delete;
  Way& operator=(const Way&) = delete;

  // Walks the names of todo; the first fault on the way, "" when there is none.
  QString walk(QList<QByteArray> todo) {
    struct stat st;
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return errnoText(errno);
    if (QString why = wayFault({}, st); !why.isEmpty()) return why;
    while (!todo.isEmpty()) {
      const QByteArray name = todo.takeFirst();
      if (name.isEmpty() || name == ".") continue;
      if (QString why = step(name, &todo); !why.isEmpty()) return why;
    }
    return {};
  }

 private:
  QByteArray path(const QByteArray& name = {}) const {
    QByteArray p;
    for (const QByteArray& level : at_) p += '/' + level;
    return name.isEmpty() ? p : p + '/' + name;
  }
  QString fault(const QByteArray& name, int e) const {
    return QStringLiteral("[%1] on its way: %2").arg(QFile::decodeName(path(name)), errnoText(e));
  }

  // One name further: a link's target goes in front of the names still to walk.
  QString step(const QByteArray& name, QList<QByteArray>* todo) {
    struct stat st;
    if (name != "..") {
      if (::fstatat(fd_, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) return fault(name, errno);
      if (QString why = wayFault(path(name), st); !why.isEmpty()) return why;
      if (S_ISLNK(st.st_mode)) return follow(name, todo);
    }
    const int next = ::openat(fd_, name.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (next < 0) return fault(name, errno);
    ::close(fd_);
    fd_ = next;
    if (name != "..")
      at_.append(name);
    else if (!at_.isEmpty())
      at_.removeLast();
    // Judged again as opened, so that a swap after the look above is seen.
    if (::fstat(fd_, &st) != 0) return fault({}, errno);
    return wayFault(path(), st);
  }

  QString follow(const QByteArray& name, QList<QByteArray>* todo) {
    char target[PATH_MAX];
    const ssize_t n = ::readlinkat(fd_, name.constData(), target, sizeof target);
    if (n <= 0 || size_t(n) >= sizeof target) return fault(name, n < 0 ? errno : ENAMETOOLONG);
    if (++links_ > 40) return fault(name, ELOOP);
    const QByteArray to(target, n);
    *todo = to.split('/') + *todo;
    if (to.startsWith('/')) {
      const int top = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
      if (top < 0) return errnoText(errno);
      ::close(fd_);
      fd_ = top;
      at_.clear();
    }
    return {};
  }

  int fd_;
  QList<QByteArray> at_;  // the names from "/" to the folder fd_ is
  int links_ = 0;
};

// Why the folders leading to folder let someone else swap it; "" when none does.
QString ancestorFault(const QString& folder) {
  QList<QByteArray> names =
      QFile::encodeName(QDir::cleanPath(QDir(folder).absolutePath())).split('/');
  names.removeLast();  // the folder itself has its own, stricter check
  return Way().walk(names);
}

}  // namespace

QString prepare() {
  const QString dir = paths::runtimeDir();  // creates a missing folder with mode 0700
  if (QString why = ancestorFault(dir); !why.isEmpty()) return refused(dir, why);
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
