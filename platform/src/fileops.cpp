#include "platform/fileops.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace mvnz::fileops {
namespace {

QByteArray native(const QString& path) { return QFile::encodeName(path); }

QString errnoText(int e) { return qt_error_string(e); }

Outcome result(Status s, const QString& text = {}) { return Outcome{s, text}; }
Outcome failed(int e) { return result(Status::Failed, errnoText(e)); }

// Closes a descriptor on every path out of a scope.
struct Fd {
  int fd = -1;
  explicit Fd(int f) : fd(f) {}
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
};

QString folderOf(const QString& path) {
  const int slash = path.lastIndexOf('/');
  if (slash < 0) return QStringLiteral(".");
  if (slash == 0) return QStringLiteral("/");
  return path.left(slash);
}

QString nameOf(const QString& path) { return path.mid(path.lastIndexOf('/') + 1); }

bool statPath(const QString& path, struct stat* st) {
  return ::stat(native(path).constData(), st) == 0;
}

bool sameInode(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// None of the owner, group and other write bits set.
bool writeProtected(const struct stat& st) { return (st.st_mode & 0222) == 0; }

Outcome accessDenied(const QString& path) {
  return result(Status::AccessDenied, QStringLiteral("Access denied [%1]").arg(path));
}

// AccessDenied when folder is a write-protected folder, whose entries must not change.
Outcome checkFolderWritable(const QString& folder) {
  struct stat st {};
  if (statPath(folder, &st) && S_ISDIR(st.st_mode) && writeProtected(st))
    return accessDenied(folder);
  return {};
}

// What a move or copy must be allowed to change: the target's folder, an existing
// target it replaces and, for a move, the source's folder.
Outcome checkChanges(const QString& source, const QString& target, Replace replace, bool move) {
  Outcome o = replace == Replace::Yes ? checkRemovable(target) : checkFolderWritable(folderOf(target));
  if (o.ok() && move) o = checkFolderWritable(folderOf(source));
  return o;
}

int renameat2NoReplace(const char* from, const char* to) {
#ifdef SYS_renameat2
  return static_cast<int>(::syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE));
#else
  errno = ENOSYS;
  return -1;
#endif
}

// Renames without ever replacing an existing target; 0 or an errno (EEXIST when the
// target exists). Where the file system refuses RENAME_NOREPLACE, an empty
// placeholder created with O_EXCL claims the name first, so a concurrent creator
// still makes the rename fail instead of being replaced.
int renameNoReplace(const QString& from, const QString& to) {
  const QByteArray f = native(from), t = native(to);
  if (renameat2NoReplace(f.constData(), t.constData()) == 0) return 0;
  const int e = errno;
  if (e != EINVAL && e != ENOSYS) return e;
  const int ph = ::open(t.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (ph < 0) return errno;
  ::close(ph);
  if (::rename(f.constData(), t.constData()) != 0) {
    const int re = errno;
    ::unlink(t.constData());
    return re;
  }
  return 0;
}

int renameTo(const QString& from, const QString& to, Replace replace) {
  if (replace == Replace::No) return renameNoReplace(from, to);
  return ::rename(native(from).constData(), native(to).constData()) == 0 ? 0 : errno;
}

Outcome renameOutcome(int e) {
  if (e == 0) return {};
  if (e == EEXIST) return result(Status::TargetExists, errnoText(e));
  return failed(e);
}

void syncFolder(const QString& folder) {
  const int fd = ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Copies the bytes of in to out (both open); 0 or an errno.
int copyBytes(int in, int out, off_t size) {
  off_t done = 0;
  bool tryRange = true;
  while (done < size) {
    ssize_t n = -1;
    if (tryRange) {
      n = ::copy_file_range(in, nullptr, out, nullptr, static_cast<size_t>(size - done), 0);
      if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
        tryRange = false;
        continue;
      }
    } else {
      n = ::sendfile(out, in, nullptr, static_cast<size_t>(size - done));
    }
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) break;  // the source shrank while being copied
    done += n;
  }
  // Whatever was appended to the source after fstat.
  char buf[65536];
  for (;;) {
    const ssize_t r = ::read(in, buf, sizeof buf);
    if (r < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (r == 0) return 0;
    for (ssize_t off = 0; off < r;) {
      const ssize_t w = ::write(out, buf + off, static_cast<size_t>(r - off));
      if (w < 0) {
        if (errno == EINTR) continue;
        return errno;
      }
      off += w;
    }
  }
}

// Opens a fresh hidden temporary file beside target, exclusively created.
int openTemporary(const QString& target, QString* tempPath) {
  const QString folder = folderOf(target);
  const QString base = nameOf(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const QString candidate =
        folder + "/." + base + ".mvnz-" +
        QString::number(QRandomGenerator::global()->generate64() & 0xffffffffffULL, 36);
    const int fd =
        ::open(native(candidate).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      *tempPath = candidate;
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  errno = EEXIST;
  return -1;
}

// Copies source to a temporary name beside target with the source's mode and time
// stamps, flushed to disk, then renames it into place. The target is untouched
// unless the whole copy succeeded.
Outcome copyIntoPlace(const QString& source, const QString& target, Replace replace) {
  Fd in(::open(native(source).constData(), O_RDONLY | O_CLOEXEC));
  if (in.fd < 0) {
    const int e = errno;
    return e == ENOENT ? result(Status::SourceMissing, errnoText(e)) : failed(e);
  }
  struct stat st {};
  if (::fstat(in.fd, &st) != 0) return failed(errno);
  if (!S_ISREG(st.st_mode)) return result(Status::SourceMissing, errnoText(EISDIR));

  QString temp;
  Fd out(openTemporary(target, &temp));
  if (out.fd < 0) {
    const int e = errno;
    return e == ENOENT ? result(Status::TargetFolderMissing, errnoText(e)) : failed(e);
  }
  auto discard = [&](int e) {
    ::close(out.fd);
    out.fd = -1;
    ::unlink(native(temp).constData());
    return failed(e);
  };
  if (const int e = copyBytes(in.fd, out.fd, st.st_size)) return discard(e);
  if (::fchmod(out.fd, st.st_mode & 07777) != 0) return discard(errno);
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  if (::futimens(out.fd, times) != 0) return discard(errno);
  if (::fsync(out.fd) != 0) return discard(errno);
  if (::close(out.fd) != 0) {
    out.fd = -1;
    const int e = errno;
    ::unlink(native(temp).constData());
    return failed(e);
  }
  out.fd = -1;

  if (const int e = renameTo(temp, target, replace)) {
    ::unlink(native(temp).constData());
    return renameOutcome(e);
  }
  syncFolder(folderOf(target));
  return {};
}

// Checks shared by move and copy: a regular source, a target folder, and a target
// that is not the source itself.
Outcome checkPair(const QString& source, const QString& target) {
  struct stat s {
  }, t{};
  if (!statPath(source, &s)) return result(Status::SourceMissing, errnoText(errno));
  if (!S_ISREG(s.st_mode)) return result(Status::SourceMissing, errnoText(EISDIR));
  if (statPath(target, &t) && sameInode(s, t))
    return result(Status::SameFile, QStringLiteral("Source and target are the same file"));
  struct stat f {};
  if (!statPath(folderOf(target), &f) || !S_ISDIR(f.st_mode))
    return result(Status::TargetFolderMissing, errnoText(ENOENT));
  return {};
}

}  // namespace

Outcome checkRemovable(const QString& path) {
  struct stat st {};
  if (::lstat(native(path).constData(), &st) == 0 && !S_ISLNK(st.st_mode) && writeProtected(st))
    return accessDenied(path);
  return checkFolderWritable(folderOf(path));
}

Outcome moveFile(const QString& source, const QString& target, Replace replace) {
  if (Outcome c = checkPair(source, target); !c.ok()) return c;
  if (Outcome c = checkChanges(source, target, replace, true); !c.ok()) return c;

  const int e = renameTo(source, target, replace);
  if (e == 0) {
    syncFolder(folderOf(target));
    return {};
  }
  if (e != EXDEV) return renameOutcome(e);

  // Another file system: the copy must be safely in place before the source goes.
  if (replace == Replace::No && QFileInfo::exists(target))
    return result(Status::TargetExists, errnoText(EEXIST));
  if (Outcome copied = copyIntoPlace(source, target, replace); !copied.ok()) return copied;
  if (::unlink(native(source).constData()) != 0) {
    const int e = errno;
    if (e == ENOENT) return {};  // someone else removed it meanwhile; the copy is in place
    return result(Status::Failed,
                  QStringLiteral("Copied, but the source could not be removed: ") + errnoText(e));
  }
  syncFolder(folderOf(source));
  return {};
}

Outcome copyFile(const QString& source, const QString& target, Replace replace) {
  if (Outcome c = checkPair(source, target); !c.ok()) return c;
  if (replace == Replace::No && QFileInfo::exists(target))
    return result(Status::TargetExists, errnoText(EEXIST));
  if (Outcome c = checkChanges(source, target, replace, false); !c.ok()) return c;
  return copyIntoPlace(source, target, replace);
}

Outcome deleteFile(const QString& path) {
  struct stat st {};
  const QByteArray p = native(path);
  if (::lstat(p.constData(), &st) != 0) {
    const int e = errno;
    return e == ENOENT ? result(Status::SourceMissing, errnoText(e)) : failed(e);
  }
  if (S_ISDIR(st.st_mode)) return failed(EISDIR);
  if (Outcome c = checkRemovable(path); !c.ok()) return c;
  if (::unlink(p.constData()) != 0) return failed(errno);
  return {};
}

Outcome trashFile(const QString& path) {
  struct stat st {};
  if (::lstat(native(path).constData(), &st) != 0) {
    const int e = errno;
    return e == ENOENT ? result(Status::SourceMissing, errnoText(e)) : failed(e);
  }
  if (S_ISDIR(st.st_mode)) return failed(EISDIR);
  if (Outcome c = checkRemovable(path); !c.ok()) return c;
  // QFile::moveToTrash falls back to the user's Trash when the file's own volume has
  // none; when that one cannot be established either, it moves the file into
  // "files/" below the current folder. Make sure the user's Trash is there first.
  const QString userTrash =
      QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash";
  if (!QDir().mkpath(userTrash) || !QFileInfo(userTrash).isDir())
    return result(Status::Failed,
                  QStringLiteral("The Trash folder [%1] cannot be used").arg(userTrash));
  QFile::setPermissions(userTrash,
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  QFile file(path);
  if (!file.moveToTrash()) {
    const QString why = file.errorString();
    return result(Status::Failed, why.isEmpty() || why == QLatin1String("Unknown error")
                                      ? QStringLiteral("The file could not be moved to the Trash")
                                      : why);
  }
  return {};
}

Outcome makeFolder(const QString& path, bool* created) {
  if (created) *created = false;
  const QByteArray p = native(path);
  if (::mkdir(p.constData(), 0777) == 0) {
    if (created) *created = true;
    return {};
  }
  const int e = errno;
  struct stat st {};
  if (e == EEXIST) {
    if (::stat(p.constData(), &st) == 0 && S_ISDIR(st.st_mode)) return {};
    return failed(ENOTDIR);
  }
  return e == ENOENT ? result(Status::TargetFolderMissing, errnoText(e)) : failed(e);
}

Outcome makeFolders(const QString& path) {
  if (path.isEmpty()) return failed(ENOENT);
  for (int i = 1; i <= path.size(); ++i) {
    if (i < path.size() && path.at(i) != '/') continue;
    const QString level = path.left(i);
    if (level.endsWith('/')) continue;  // a doubled "/"
    if (Outcome o = makeFolder(level); !o.ok()) return o;
  }
  return {};
}

Outcome removeEmptyFolder(const QString& path) {
  if (::rmdir(native(path).constData()) == 0) return {};
  const int e = errno;
  return e == ENOENT ? result(Status::SourceMissing, errnoText(e)) : failed(e);
}

Outcome listSubfolders(const QString& path, QStringList* names) {
  names->clear();
  const QByteArray p = native(path.isEmpty() ? QStringLiteral(".") : path);
  DIR* dir = ::opendir(p.constData());
  if (!dir) {
    const int e = errno;
    return e == ENOENT ? result(Status::SourceMissing, errnoText(e)) : failed(e);
  }
  const int dfd = ::dirfd(dir);
  for (;;) {
    errno = 0;
    const dirent* ent = ::readdir(dir);
    if (!ent) {
      const int e = errno;
      ::closedir(dir);
      // By name, as the listing order of a file system is its own.
      std::sort(names->begin(), names->end());
      return e ? failed(e) : Outcome{};
    }
    if (ent->d_name[0] == '.') continue;  // ".", ".." and hidden entries
    bool isDir = ent->d_type == DT_DIR;
    if (ent->d_type == DT_UNKNOWN) {
      struct stat st {};
      isDir = ::fstatat(dfd, ent->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
    }
    if (isDir) names->append(QFile::decodeName(ent->d_name));
  }
}

bool sameFile(const QString& a, const QString& b) {
  struct stat sa {
  }, sb{};
  return statPath(a, &sa) && statPath(b, &sb) && sameInode(sa, sb);
}

}  // namespace mvnz::fileops
