#include "platform/fileops.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <signal.h>
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
#include <climits>
#include <cstdio>
#include <functional>
#include <utility>

namespace mvnz::fileops {
namespace {

QByteArray native(const QString& path) { return encodeName(path); }

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

bool exists(const QString& path) {
  struct stat st {};
  return statPath(path, &st);
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

// A file as the operations reach it: a descriptor of the folder that holds it and its
// name there. A path as written is reached through its folder's path (links in it
// followed); the listed file from its scan folder one real folder at a time.
struct Place {
  Fd dir{-1};
  QByteArray name;
  QString path;         // as given, for messages
  bool listed = false;  // the listed file: its last component is never followed
  struct stat seen {};  // what the listing's name held when it was reached (listed only)

  int statFlags() const { return listed ? AT_SYMLINK_NOFOLLOW : 0; }
  int stat(struct stat* st) const {
    return ::fstatat(dir.fd, name.constData(), st, statFlags()) == 0 ? 0 : errno;
  }
  // True while the descriptor in is the file the listing saw (always for a path as
  // written).
  bool holds(int in) const {
    struct stat st {};
    return !listed || (::fstat(in, &st) == 0 && sameInode(st, seen));
  }
};

thread_local const ListedFile* tListed = nullptr;
thread_local std::function<void()> tBeforeListedAct;

void runBeforeListedAct(const Place& p) {
  if (p.listed && tBeforeListedAct) std::exchange(tBeforeListedAct, nullptr)();
}

Outcome notTheListedFile(const QString& path) {
  return result(Status::Failed,
                QStringLiteral("[%1] is no longer the file the listing found; it was not touched")
                    .arg(path));
}

Outcome notAFolder(const QString& folder) {
  return result(Status::Failed,
                QStringLiteral("[%1] is no longer a folder of the scan folder (a link?); the file "
                               "below it was not touched")
                    .arg(folder));
}

// Reaches the listed file f (whose path is path): the scan folder as written, then each
// folder below it with O_NOFOLLOW, so a folder replaced by a link is never passed;
// the name must still hold the device and inode the listing saw.
Outcome reachListed(const ListedFile& f, const QString& path, Place* p) {
  p->listed = true;
  p->path = path;
  p->dir.fd = ::open(native(f.root).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (p->dir.fd < 0) {
    const int e = errno;
    return e == ENOENT ? result(Status::SourceMissing, errnoText(e)) : failed(e);
  }
  const QStringList parts = f.relative.split(QLatin1Char('/'), Qt::SkipEmptyParts);
  if (parts.isEmpty()) return result(Status::SourceMissing, errnoText(ENOENT));
  QString walked = f.root;
  for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
    if (parts[i] == QLatin1String(".")) continue;
    walked += QLatin1Char('/') + parts[i];
    if (parts[i] == QLatin1String("..")) return notAFolder(walked);
    const int next = ::openat(p->dir.fd, native(parts[i]).constData(),
                              O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (next < 0) {
      const int e = errno;
      if (e == ENOENT) return result(Status::SourceMissing, errnoText(e));
      return e == ENOTDIR || e == ELOOP ? notAFolder(walked) : failed(e);
    }
    struct stat st {};
    const bool isDir = ::fstat(next, &st) == 0 && S_ISDIR(st.st_mode);
    ::close(p->dir.fd);
    p->dir.fd = next;
    if (!isDir) return notAFolder(walked);
  }
  p->name = native(parts.last());
  if (const int e = p->stat(&p->seen))
    return e == ENOENT ? result(Status::SourceMissing, errnoText(e)) : failed(e);
  if (p->seen.st_dev != dev_t(f.device) || p->seen.st_ino != ino_t(f.inode))
    return notTheListedFile(path);
  return {};
}

// True when path names the listed file (spelt with or without "." levels and doubled
// "/").
bool isListed(const QString& path) {
  return tListed &&
         QDir::cleanPath(path) == QDir::cleanPath(tListed->root + QLatin1Char('/') + tListed->relative);
}

// Reaches the file path names: the listed file by its listing's way, any other path as
// written.
Outcome reach(const QString& path, Place* p) {
  if (isListed(path)) return reachListed(*tListed, path, p);
  p->path = path;
  p->dir.fd = ::open(native(folderOf(path)).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (p->dir.fd < 0) {
    const int e = errno;
    return e == ENOENT || e == ENOTDIR ? result(Status::SourceMissing, errnoText(e)) : failed(e);
  }
  const QString name = nameOf(path);
  p->name = name.isEmpty() ? QByteArrayLiteral(".") : native(name);  // "dir/" is the folder
  return {};
}

// AccessDenied when dir is a write-protected folder (whose path is folder).
Outcome checkFolderWritable(int dir, const QString& folder) {
  struct stat st {};
  if (::fstat(dir, &st) == 0 && S_ISDIR(st.st_mode) && writeProtected(st))
    return accessDenied(folder);
  return {};
}

// AccessDenied when removing the file at p would change a write-protected file or the
// entries of a write-protected folder.
Outcome checkRemovableAt(const Place& p) {
  struct stat st {};
  if (::fstatat(p.dir.fd, p.name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
      !S_ISLNK(st.st_mode) && writeProtected(st))
    return accessDenied(p.path);
  return checkFolderWritable(p.dir.fd, folderOf(p.path));
}

// What a move or copy must be allowed to change: the target's folder, an existing
// target it replaces and, for a move, the source's folder.
Outcome checkChanges(const Place& source, const QString& target, Replace replace, bool move) {
  Outcome o = replace == Replace::Yes ? checkRemovable(target) : checkFolderWritable(folderOf(target));
  if (o.ok() && move) o = checkFolderWritable(source.dir.fd, folderOf(source.path));
  return o;
}

int renameat2NoReplace(int fromDir, const char* from, int toDir, const char* to) {
  return ::renameat2(fromDir, from, toDir, to, RENAME_NOREPLACE);
}

// Renames without ever replacing an existing target; 0 or an errno (EEXIST when the
// target exists). Where the file system refuses RENAME_NOREPLACE, an empty
// placeholder created with O_EXCL claims the name first, so a concurrent creator
// still makes the rename fail instead of being replaced. Names are relative to the
// folder descriptors (AT_FDCWD: paths).
int renameNoReplace(int fromDir, const QByteArray& from, int toDir, const QByteArray& to) {
  if (renameat2NoReplace(fromDir, from.constData(), toDir, to.constData()) == 0) return 0;
  const int e = errno;
  if (e != EINVAL && e != ENOSYS) return e;
  const int ph = ::openat(toDir, to.constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (ph < 0) return errno;
  ::close(ph);
  if (::renameat(fromDir, from.constData(), toDir, to.constData()) != 0) {
    const int re = errno;
    ::unlinkat(toDir, to.constData(), 0);
    return re;
  }
  return 0;
}

// After the file at p was renamed to (toDir, to): whether what arrived there is the
// file the listing saw (always for a path as written). When it is not (someone put
// another file or a link under the name after it was checked), it is renamed back
// and *putBack says whether that worked.
bool arrivedAsListed(const Place& p, int toDir, const QByteArray& to, bool* putBack) {
  struct stat moved {};
  if (!p.listed || (::fstatat(toDir, to.constData(), &moved, AT_SYMLINK_NOFOLLOW) == 0 &&
                    sameInode(moved, p.seen)))
    return true;
  *putBack = renameNoReplace(toDir, to, p.dir.fd, p.name) == 0;
  return false;
}

Outcome replacedMeanwhile(const QString& path, const QString& now) {
  return result(Status::Failed,
                QStringLiteral("[%1] was replaced after it was checked; what was put there is now [%2]")
                    .arg(path, now));
}

int renameTo(int fromDir, const QByteArray& from, const QString& to, Replace replace) {
  const QByteArray t = native(to);
  if (replace == Replace::No) return renameNoReplace(fromDir, from, AT_FDCWD, t);
  return ::renameat(fromDir, from.constData(), AT_FDCWD, t.constData()) == 0 ? 0 : errno;
}

int renameTo(const QString& from, const QString& to, Replace replace) {
  return renameTo(AT_FDCWD, native(from), to, replace);
}

Outcome renameOutcome(int e) {
  if (e == 0) return {};
  if (e == EEXIST) return result(Status::TargetExists, errnoText(e));
  return failed(e);
}

// Flushes a folder's entries to disk; 0 or an errno.
int syncFolder(const QString& folder) {
  const int fd = ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  const int e = ::fsync(fd) == 0 ? 0 : errno;
  ::close(fd);
  return e;
}

// The batch open on this thread, if any. Plug-ins call the file operations from the
// daemon's thread through this same library, so their moves join the daemon's batch.
thread_local FolderSyncBatch* openBatch = nullptr;

// A folder whose entries a move changed where losing that change to a power cut can
// only hand a file back to its old place: flushed by the open batch, else now.
void syncFolderLater(const QString& folder) {
  if (openBatch)
    openBatch->note(folder);
  else
    syncFolder(folder);
}

// A lease break arrives as SIGIO, whose default action ends the process; a lease is
// watched by asking for it (F_GETLEASE), so the signal only needs to be harmless.
void onLeaseBreak(int) {}

void makeLeaseBreakHarmless() {
  struct sigaction current {};
  if (::sigaction(SIGIO, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) return;
  struct sigaction sa {};
  sa.sa_handler = onLeaseBreak;
  sa.sa_flags = SA_RESTART;
  sigemptyset(&sa.sa_mask);
  ::sigaction(SIGIO, &sa, nullptr);
}

bool sameTime(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// The source of a move while it is copied: a read lease on its descriptor when one
// could be taken (the kernel breaks it when anyone opens the file for writing), and
// the size and times the copy started from.
struct SourceWatch {
  int fd = -1;
  bool leased = false;
  struct stat start {};

  static SourceWatch take(int fd) {
    SourceWatch w;
    w.fd = fd;
    makeLeaseBreakHarmless();
    w.leased = ::fcntl(fd, F_SETLEASE, F_RDLCK) == 0;
    ::fstat(fd, &w.start);
    return w;
  }
  // True once the lease is broken or the file's size, mtime or ctime moved. Our own
  // rename of the source moves its ctime: withCtime false leaves that out.
  bool changed(bool withCtime = true) const {
    if (leased && ::fcntl(fd, F_GETLEASE) != F_RDLCK) return true;
    struct stat now {};
    if (::fstat(fd, &now) != 0) return true;
    return now.st_size != start.st_size || !sameTime(now.st_mtim, start.st_mtim) ||
           (withCtime && !sameTime(now.st_ctim, start.st_ctim));
  }
};

constexpr size_t kChunk = 8u << 20;  // bytes copied between two looks at a watched source

// Copies the bytes of in to out (both open); 0 or an errno. With a watch, a change of
// the source after any chunk ends the copy with ECANCELED.
int copyBytes(int in, int out, off_t size, const SourceWatch* watch) {
  off_t done = 0;
  bool tryRange = true;
  while (done < size) {
    const size_t want = std::min<size_t>(kChunk, static_cast<size_t>(size - done));
    ssize_t n = -1;
    if (tryRange) {
      n = ::copy_file_range(in, nullptr, out, nullptr, want, 0);
      if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
        tryRange = false;
        continue;
      }
    } else {
      n = ::sendfile(out, in, nullptr, want);
    }
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) break;  // the source shrank while being copied
    done += n;
    if (watch && watch->changed()) return ECANCELED;
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

const char kTemporaryMark[] = ".mvnz-";
constexpr int kTemporaryNameBytes = 200;  // of the target's name, so the whole fits 255
constexpr int kTemporaryRandom = 6;

bool isAlnum(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// The start of this process in nanoseconds since the epoch: its start in clock ticks
// since boot, moved onto the wall clock; 0 when the system does not tell.
qint64 processStartNs() {
  QFile stat(QStringLiteral("/proc/self/stat"));
  if (!stat.open(QIODevice::ReadOnly)) return 0;
  const QByteArray self = stat.readAll();
  // The fields after the command name (which may hold blanks) start behind its ")".
  const QList<QByteArray> fields = self.mid(self.lastIndexOf(')') + 2).split(' ');
  const long hz = ::sysconf(_SC_CLK_TCK);
  if (fields.size() < 20 || hz <= 0) return 0;
  const qint64 ticks = fields[19].toLongLong();  // field 22, starttime
  struct timespec real {}, boot{};
  if (::clock_gettime(CLOCK_REALTIME, &real) != 0 || ::clock_gettime(CLOCK_BOOTTIME, &boot) != 0)
    return 0;
  const auto ns = [](const struct timespec& t) { return qint64(t.tv_sec) * 1000000000 + t.tv_nsec; };
  return ns(real) - ns(boot) + ticks * (1000000000 / hz);
}

// Removes the entry name of folder dfd when it is a temporary file of ours that no
// process holds open: a write lease is granted only on a file open nowhere else.
void removeIfUnused(int dfd, const char* name, uid_t owner, qint64 beforeNs) {
  const int fd = ::openat(dfd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return;
  struct stat st {}, again{};
  makeLeaseBreakHarmless();
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == owner &&
      qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec < beforeNs &&
      ::fcntl(fd, F_SETLEASE, F_WRLCK) == 0 &&
      ::fstatat(dfd, name, &again, AT_SYMLINK_NOFOLLOW) == 0 && sameInode(st, again))
    ::unlinkat(dfd, name, 0);
  ::close(fd);  // also gives up the lease
}

// A fresh temporary name for a file named name (not yet taken when made, by chance
// alone).
QString temporaryName(const QString& name) {
  static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  QString temp = "." + cutToBytes(name, kTemporaryNameBytes) + QLatin1String(kTemporaryMark);
  for (int i = 0; i < kTemporaryRandom; ++i)
    temp += QLatin1Char(kAlphabet[QRandomGenerator::global()->bounded(62)]);
  return temp;
}

// The same beside path.
QString temporaryCandidate(const QString& path) {
  return folderOf(path) + "/" + temporaryName(nameOf(path));
}

// Opens a fresh hidden temporary file beside target, exclusively created.
int openTemporary(const QString& target, QString* tempPath) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const QString candidate = temporaryCandidate(target);
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

// Renames the file at p to a fresh temporary name in its folder; 0 or an errno.
int renameAside(const Place& p, QByteArray* aside) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    *aside = native(temporaryName(decodeName(p.name)));
    const int e = renameNoReplace(p.dir.fd, p.name, p.dir.fd, *aside);
    if (e != EEXIST) return e;
  }
  return EEXIST;
}

// Opens the source at p for reading; the listed file only while it is the one listed.
// Non-blocking, so a FIFO put under the name cannot hang the open; a regular file
// whose lease is held answers EWOULDBLOCK, and is then opened waiting for the lease.
Outcome openSource(const Place& p, Fd& in, struct stat* st) {
  const int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | (p.listed ? O_NOFOLLOW : 0);
  runBeforeListedAct(p);
  in.fd = ::openat(p.dir.fd, p.name.constData(), flags | O_NONBLOCK);
  if (in.fd < 0 && errno == EWOULDBLOCK) in.fd = ::openat(p.dir.fd, p.name.constData(), flags);
  if (in.fd < 0) {
    const int e = errno;
    if (p.listed && e == ELOOP) return notTheListedFile(p.path);
    return e == ENOENT ? result(Status::SourceMissing, errnoText(e)) : failed(e);
  }
  if (::fstat(in.fd, st) != 0) return failed(errno);
  if (!p.holds(in.fd)) return notTheListedFile(p.path);
  if (!S_ISREG(st->st_mode)) return result(Status::SourceMissing, errnoText(EISDIR));
  return {};
}

Outcome sourceChanged() {
  return result(Status::Failed,
                QStringLiteral("The source changed while it was copied; it was left in place"));
}

// Who owns the file a copy writes: a move keeps the source's owner and group (as a
// rename does), a copy belongs to this process's user.
enum class Owner { Source, Ours };

// Gives the open copy its owner and mode. The set-user-id and set-group-id bits are
// kept only on a file that also carries the source's owner and group, so a program
// someone dropped in a folder never becomes one that runs as this process's user.
// A copy takes the source's mode less those bits and less the umask, as cp does.
int setOwnerAndMode(int fd, const struct stat& st, Owner owner) {
  mode_t mode = st.st_mode & 07777;
  bool sourceOwner = false;
  if (owner == Owner::Source) {
    struct stat now {};
    sourceOwner = (::fchown(fd, st.st_uid, st.st_gid) == 0 ||
                   (::fstat(fd, &now) == 0 && now.st_uid == st.st_uid && now.st_gid == st.st_gid));
  } else {
    mode = mode_t(underUmask(int(mode)));
  }
  if (!sourceOwner) mode &= ~mode_t(S_ISUID | S_ISGID);
  return ::fchmod(fd, mode) == 0 ? 0 : errno;
}

// Copies the open source (as st describes it) to a temporary name beside target with
// its time stamps and the owner and mode setOwnerAndMode gives, flushed to disk, then
// renames it into place (the caller flushes the folder); *placed is the file that went
// into place. The target is untouched unless the whole copy succeeded, and a watched
// source that changes first ends the copy.
Outcome copyIntoPlace(int in, const struct stat& st, const QString& target, Replace replace,
                      Owner owner, const SourceWatch* watch, struct stat* placed) {
  // Within a batch (one turn of the daemon) a folder is cleaned before its first copy
  // only: what an earlier run left there cannot appear while this one runs.
  if (!openBatch || openBatch->firstCopyInto(folderOf(target)))
    removeStaleTemporaries(folderOf(target));
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
    return e == ECANCELED ? sourceChanged() : failed(e);
  };
  if (const int e = copyBytes(in, out.fd, st.st_size, watch)) return discard(e);
  if (const int e = setOwnerAndMode(out.fd, st, owner)) return discard(e);
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  if (::futimens(out.fd, times) != 0) return discard(errno);
  if (::fsync(out.fd) != 0) return discard(errno);
  if (::fstat(out.fd, placed) != 0) return discard(errno);
  if (::close(out.fd) != 0) {
    out.fd = -1;
    const int e = errno;
    ::unlink(native(temp).constData());
    return failed(e);
  }
  out.fd = -1;
  if (watch && watch->changed()) {
    ::unlink(native(temp).constData());
    return sourceChanged();
  }

  if (const int e = renameTo(temp, target, replace)) {
    ::unlink(native(temp).constData());
    return renameOutcome(e);
  }
  return {};
}

Outcome notFlushed(const QString& folder, int e) {
  return result(Status::Failed, QStringLiteral("The folder [%1] could not be flushed to disk: %2")
                                    .arg(folder, errnoText(e)));
}

// A move to another file system: the copy is in place before the source goes, and a
// source that changes at any moment before it is removed (a writer returning to it)
// abandons the move: the copy goes, the source stays.
Outcome moveAcrossFileSystems(const Place& source, const QString& target, Replace replace) {
  Fd in(-1);
  struct stat st {};
  if (Outcome o = openSource(source, in, &st); !o.ok()) return o;
  const SourceWatch watch = SourceWatch::take(in.fd);
  struct stat placed {};
  // The file just renamed into place is ours: take it away again, not anyone's newer one.
  auto takeBack = [&] {
    struct stat now {};
    if (statPath(target, &now) && sameInode(now, placed)) ::unlink(native(target).constData());
  };
  if (Outcome copied =
          copyIntoPlace(in.fd, watch.start, target, replace, Owner::Source, &watch, &placed);
      !copied.ok())
    return copied;
  // The source goes only once the copy's folder entry is on disk. When the folder
  // cannot be flushed, a power cut could still take the copy away: the source stays
  // (the copy too, as it may have replaced a file already).
  if (const int e = syncFolder(folderOf(target)))
    return result(Status::Failed,
                  QStringLiteral("Copied, but the folder [%1] could not be flushed to disk, so "
                                 "the source was kept: %2")
                      .arg(folderOf(target), errnoText(e)));
  if (watch.changed()) {
    takeBack();
    return sourceChanged();
  }
  // The source steps aside under a temporary name before it goes: a writer that found
  // it by its name before that shows as a broken lease, and the source goes back.
  QByteArray aside;
  if (const int e = renameAside(source, &aside)) {
    if (e == ENOENT) return {};  // someone else removed it meanwhile; the copy is in place
    return result(Status::Failed,
                  QStringLiteral("Copied, but the source could not be removed: ") + errnoText(e));
  }
  const int dir = source.dir.fd;
  if (watch.changed(false)) {
    takeBack();
    if (renameNoReplace(dir, aside, dir, source.name) != 0)
      return result(Status::Failed,
                    QStringLiteral("The source changed while it was copied; it was kept as [%1]")
                        .arg(folderOf(source.path) + "/" + decodeName(aside)));
    return sourceChanged();
  }
  if (::unlinkat(dir, aside.constData(), 0) != 0) {
    const int e = errno;
    renameNoReplace(dir, aside, dir, source.name);
    takeBack();
    return result(Status::Failed,
                  QStringLiteral("Copied, but the source could not be removed: ") + errnoText(e));
  }
  syncFolderLater(folderOf(source.path));
  return {};
}

// Checks shared by move and copy: a regular source, a target folder, and a target
// that is not the source itself.
Outcome checkPair(const Place& source, const QString& target) {
  struct stat s {
  }, t{};
  if (const int e = source.stat(&s)) return result(Status::SourceMissing, errnoText(e));
  if (!S_ISREG(s.st_mode)) return result(Status::SourceMissing, errnoText(EISDIR));
  if (statPath(target, &t) && sameInode(s, t))
    return result(Status::SameFile, QStringLiteral("Source and target are the same file"));
  struct stat f {};
  if (!statPath(folderOf(target), &f) || !S_ISDIR(f.st_mode))
    return result(Status::TargetFolderMissing, errnoText(ENOENT));
  return {};
}

}  // namespace

int underUmask(int mode) {
  QFile status(QStringLiteral("/proc/self/status"));
  int mask = 022;
  if (status.open(QIODevice::ReadOnly))
    for (const QByteArray& line : status.readAll().split('\n'))
      if (line.startsWith("Umask:")) mask = int(line.mid(6).trimmed().toUInt(nullptr, 8));
  return mode & ~mask;
}

QFileDevice::Permissions createPermissions(int mode) {
  const int m = underUmask(mode);
  QFileDevice::Permissions p;
  const struct {
    int bit;
    QFileDevice::Permission flag;
  } bits[] = {{0400, QFileDevice::ReadOwner}, {0200, QFileDevice::WriteOwner},
              {0100, QFileDevice::ExeOwner},  {040, QFileDevice::ReadGroup},
              {020, QFileDevice::WriteGroup}, {010, QFileDevice::ExeGroup},
              {04, QFileDevice::ReadOther},   {02, QFileDevice::WriteOther},
              {01, QFileDevice::ExeOther}};
  for (const auto& b : bits)
    if (m & b.bit) p |= b.flag;
  return p;
}

QString cutToBytes(const QString& name, int maxBytes) {
  int bytes = 0;
  qsizetype end = 0;
  while (end < name.size()) {
    const qsizetype step =
        name.at(end).isHighSurrogate() && end + 1 < name.size() ? 2 : 1;
    const int size = int(native(name.mid(end, step)).size());
    if (bytes + size > maxBytes) break;
    bytes += size;
    end += step;
  }
  return name.left(end);
}

bool isTemporaryName(const QByteArray& name) {
  const qsizetype mark = qsizetype(sizeof kTemporaryMark) - 1;
  const qsizetype stem = name.size() - 1 - mark - kTemporaryRandom;  // bytes of the cut name
  if (name.isEmpty() || name.at(0) != '.' || stem < 1 || stem > kTemporaryNameBytes) return false;
  if (name.mid(1 + stem, mark) != kTemporaryMark) return false;
  const QByteArray tail = name.right(kTemporaryRandom);
  return std::all_of(tail.begin(), tail.end(), isAlnum);
}

void removeStaleTemporaries(const QString& folder) {
  const qint64 started = processStartNs();
  if (started <= 0) return;
  DIR* dir = ::opendir(native(folder).constData());
  if (!dir) return;
  const int dfd = ::dirfd(dir);
  const uid_t me = ::geteuid();
  while (const dirent* ent = ::readdir(dir))
    if (ent->d_name[0] == '.' && isTemporaryName(QByteArray(ent->d_name)))
      removeIfUnused(dfd, ent->d_name, me, started);
  ::closedir(dir);
}

Outcome checkRemovable(const QString& path) {
  Place p;
  if (!reach(path, &p).ok()) return {};
  return checkRemovableAt(p);
}

ListedScope::ListedScope(ListedFile file) : file_(std::move(file)), previous_(tListed) {
  tListed = &file_;
}

ListedScope::~ListedScope() { tListed = previous_; }

Outcome moveFile(const QString& source, const QString& target, Replace replace) {
  Place from;
  if (Outcome o = reach(source, &from); !o.ok()) return o;
  if (Outcome c = checkPair(from, target); !c.ok()) return c;
  if (Outcome c = checkChanges(from, target, replace, true); !c.ok()) return c;

  runBeforeListedAct(from);
  const int e = renameTo(from.dir.fd, from.name, target, replace);
  bool putBack = false;
  if (e == 0 && !arrivedAsListed(from, AT_FDCWD, native(target), &putBack))
    return putBack ? notTheListedFile(source) : replacedMeanwhile(source, target);
  if (e == 0) {
    // The file is in one of its two places at every instant; the flush only settles
    // which one a power cut leaves it in, so an open batch may do it later.
    if (openBatch) {
      openBatch->note(folderOf(target));
      openBatch->note(folderOf(source));
    } else {
      syncFolder(folderOf(target));
    }
    return {};
  }
  if (e != EXDEV) return renameOutcome(e);

  // Another file system: the copy must be safely in place before the source goes.
  if (replace == Replace::No && exists(target))
    return result(Status::TargetExists, errnoText(EEXIST));
  return moveAcrossFileSystems(from, target, replace);
}

Outcome copyFile(const QString& source, const QString& target, Replace replace) {
  Place from;
  if (Outcome o = reach(source, &from); !o.ok()) return o;
  if (Outcome c = checkPair(from, target); !c.ok()) return c;
  if (replace == Replace::No && exists(target))
    return result(Status::TargetExists, errnoText(EEXIST));
  if (Outcome c = checkChanges(from, target, replace, false); !c.ok()) return c;
  Fd in(-1);
  struct stat st {}, placed{};
  if (Outcome o = openSource(from, in, &st); !o.ok()) return o;
  Outcome o = copyIntoPlace(in.fd, st, target, replace, Owner::Ours, nullptr, &placed);
  if (o.ok()) syncFolder(folderOf(target));
  return o;
}

namespace {

// Reaches a file to remove: not a folder, and allowed to go (checkRemovable).
Outcome reachRemovable(const QString& path, Place* p) {
  if (Outcome o = reach(path, p); !o.ok()) return o;
  struct stat st {};
  if (::fstatat(p->dir.fd, p->name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
    const int e = errno;
    return e == ENOENT ? result(Status::SourceMissing, errnoText(e)) : failed(e);
  }
  if (S_ISDIR(st.st_mode)) return failed(EISDIR);
  return checkRemovableAt(*p);
}

}  // namespace

Outcome deleteFile(const QString& path) {
  Place p;
  if (Outcome o = reachRemovable(path, &p); !o.ok()) return o;
  if (::unlinkat(p.dir.fd, p.name.constData(), 0) != 0) return failed(errno);
  return {};
}

namespace {


// Opens the folder name in at, made 0700 when missing, as a folder private to this
// user: a real folder (never a link), owned by the effective user, writable by no one
// else, narrowed to 0700. -1 with errno set otherwise.
int openPrivateFolder(int at, const QByteArray& name) {
  if (::mkdirat(at, name.constData(), 0700) != 0 && errno != EEXIST) return -1;
  const int fd = ::openat(at, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || st.st_uid != ::geteuid() || (st.st_mode & 022) ||
      ((st.st_mode & 077) && ::fchmod(fd, 0700) != 0)) {
    ::close(fd);
    errno = EACCES;
    return -1;
  }
  return fd;
}

// A Trash folder (freedesktop.org layout) open for one file: its "files" and "info"
// folders, and how the info file's Path is written.
struct TrashPlace {
  Fd files{-1};
  Fd info{-1};
  QString shown;          // the Trash folder, for messages
  int relativeLevels = -1;  // -1: Path is absolute; else it keeps the last n folders
};

// Opens the Trash folder name in at with its files/ and info/; 0 or an errno.
int openTrash(int at, const QByteArray& name, TrashPlace* t) {
  Fd trash(openPrivateFolder(at, name));
  if (trash.fd < 0) return errno;
  t->files.fd = openPrivateFolder(trash.fd, "files");
  if (t->files.fd < 0) return errno;
  t->info.fd = openPrivateFolder(trash.fd, "info");
  return t->info.fd < 0 ? errno : 0;
}

// The top folder of the volume the folder dir is on (device): the highest folder
// above it on the same device; *levels is how far up it is. -1 with errno on failure.
int volumeTop(int dir, dev_t device, int* levels) {
  int cur = ::openat(dir, ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
  for (*levels = 0; cur >= 0; ++*levels) {
    const int up = ::openat(cur, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
    struct stat a {}, b{};
    if (up < 0 || ::fstat(cur, &a) != 0 || ::fstat(up, &b) != 0 || b.st_dev != device ||
        sameInode(a, b)) {
      if (up >= 0) ::close(up);
      return cur;
    }
    ::close(cur);
    cur = up;
  }
  return -1;
}

// The Trash of the volume whose top folder is top (at path shown): "$top/.Trash/$uid"
// when "$top/.Trash" is a real sticky folder of root or this user, else
// "$top/.Trash-$uid"; 0 or an errno.
int openVolumeTrash(int top, const QString& shown, TrashPlace* t) {
  const QByteArray uid = QByteArray::number(::geteuid());
  // Opened first, then judged by its descriptor: what is judged is what is used.
  Fd shared(::openat(top, ".Trash", O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  struct stat st {};
  if (shared.fd >= 0 && ::fstat(shared.fd, &st) == 0 && (st.st_mode & S_ISVTX) &&
      (st.st_uid == 0 || st.st_uid == ::geteuid()) && openTrash(shared.fd, uid, t) == 0) {
    t->shown = shown + "/.Trash/" + QString::fromLatin1(uid);
    return 0;
  }
  t->files.fd = t->info.fd = -1;
  t->shown = shown + "/.Trash-" + QString::fromLatin1(uid);
  return openTrash(top, ".Trash-" + uid, t);
}

Outcome trashUnusable(const QString& trash, int e) {
  return result(Status::Failed,
                QStringLiteral("The Trash folder [%1] cannot be used: %2").arg(trash, errnoText(e)));
}

// The Trash for a file on device in the folder dir, whose real path is dirPath: the
// user's ($XDG_DATA_HOME/Trash) when the file is on its volume, else that volume's own.
// A file is never copied into a Trash on another volume.
Outcome findTrash(dev_t device, int dir, const QByteArray& dirPath, TrashPlace* t) {
  const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  t->shown = dataHome + "/Trash";
  struct stat home {};
  if (makeFolders(dataHome).ok() && ::stat(native(dataHome).constData(), &home) == 0 &&
      home.st_dev == device) {
    Fd at(::open(native(dataHome).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    const int e = at.fd < 0 ? errno : openTrash(at.fd, "Trash", t);
    return e ? trashUnusable(t->shown, e) : Outcome{};
  }
  int levels = 0;
  Fd top(volumeTop(dir, device, &levels));
  if (top.fd < 0) return failed(errno);
  QList<QByteArray> parts = dirPath.split('/');
  const QString shown = decodeName(parts.mid(0, parts.size() - levels).join('/'));
  if (const int e = openVolumeTrash(top.fd, shown.isEmpty() ? "/" : shown, t))
    return trashUnusable(t->shown, e);
  t->relativeLevels = levels;
  return {};
}

// The name a file named name takes in the Trash at its n-th try: the name itself, then
// "name.2", "name.3", ...; cut so that its info file's name fits NAME_MAX.
QByteArray trashName(const QByteArray& name, int n) {
  const QByteArray suffix = n == 1 ? QByteArray() : '.' + QByteArray::number(n);
  const int room = NAME_MAX - int(sizeof ".trashinfo" - 1) - int(suffix.size());
  if (name.size() <= room) return name + suffix;
  return native(cutToBytes(decodeName(name), room)) + suffix;
}

// The info file's text: where the file was (its bytes percent-encoded; relative to
// the volume's top folder for a volume's Trash) and when it was trashed.
QByteArray trashInfo(const TrashPlace& t, const QByteArray& dirPath, const QByteArray& name) {
  QByteArray where = (dirPath == "/" ? QByteArray() : dirPath) + '/' + name;
  if (t.relativeLevels >= 0) {
    const QList<QByteArray> parts = where.split('/');
    where = parts.mid(parts.size() - 1 - t.relativeLevels).join('/');
  }
  return "[Trash Info]\nPath=" + where.toPercentEncoding("/") + "\nDeletionDate=" +
         QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")).toLatin1() +
         "\n";
}

int writeAll(int fd, const QByteArray& bytes) {
  for (qsizetype done = 0; done < bytes.size();) {
    const ssize_t w = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
    if (w < 0 && errno == EINTR) continue;
    if (w < 0) return errno;
    done += w;
  }
  return 0;
}

// The real path of the folder descriptor dir points at.
QByteArray realPathOf(int dir) {
  char real[PATH_MAX];
  const QByteArray link = "/proc/self/fd/" + QByteArray::number(dir);
  const ssize_t n = ::readlink(link.constData(), real, sizeof real);
  return n > 0 && size_t(n) < sizeof real ? QByteArray(real, n) : QByteArray();
}

// Moves the file at p into the Trash t under the n-th free name:
// its info file is claimed first (O_EXCL), then the file is renamed beside, from its
// folder's descriptor. EEXIST: that name is taken.
int moveIntoTrash(const Place& p, const TrashPlace& t, const QByteArray& info, int n,
                  Outcome* why) {
  const QByteArray entry = trashName(p.name, n);
  const QByteArray infoName = entry + ".trashinfo";
  const int fd = ::openat(t.info.fd, infoName.constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return errno;
  int e = writeAll(fd, info);
  if (::close(fd) != 0 && e == 0) e = errno;
  if (e == 0) runBeforeListedAct(p);
  if (e == 0) e = renameNoReplace(p.dir.fd, p.name, t.files.fd, entry);
  bool putBack = false;
  if (e == 0 && !arrivedAsListed(p, t.files.fd, entry, &putBack)) {
    e = ECANCELED;
    if (!putBack) {
      // Its name was taken again meanwhile: it stays in the Trash with its info file,
      // so it can be found and restored there.
      *why = replacedMeanwhile(p.path, t.shown + "/files/" + decodeName(entry));
      return e;
    }
    *why = notTheListedFile(p.path);
  }
  if (e != 0) ::unlinkat(t.info.fd, infoName.constData(), 0);
  return e;
}

}  // namespace

void beforeNextListedAct(std::function<void()> hook) { tBeforeListedAct = std::move(hook); }

Outcome trashFile(const QString& path) {
  Place p;
  if (Outcome o = reachRemovable(path, &p); !o.ok()) return o;
  struct stat st {};
  if (::fstatat(p.dir.fd, p.name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) return failed(errno);
  if (p.listed) st = p.seen;
  const QByteArray dirPath = realPathOf(p.dir.fd);
  if (dirPath.isEmpty()) return failed(errno);
  TrashPlace t;
  if (Outcome o = findTrash(st.st_dev, p.dir.fd, dirPath, &t); !o.ok()) return o;
  const QByteArray info = trashInfo(t, dirPath, p.name);
  for (int n = 1; n <= 10000; ++n) {
    Outcome why;
    const int e = moveIntoTrash(p, t, info, n, &why);
    if (e == 0) return {};
    if (e == ECANCELED) return why;
    if (e != EEXIST)
      return result(Status::Failed, QStringLiteral("The file could not be moved to the Trash [%1]: %2")
                                        .arg(t.shown, errnoText(e)));
  }
  return trashUnusable(t.shown, EEXIST);
}

Outcome makeFolder(const QString& path, bool* created) {
  if (created) *created = false;
  const QByteArray p = native(path);
  if (::mkdir(p.constData(), 0755) == 0) {
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

Outcome makeFolders(const QString& path, const std::function<void(const QString&)>& onCreated) {
  if (path.isEmpty()) return failed(ENOENT);
  struct stat st {};
  if (statPath(path, &st) && S_ISDIR(st.st_mode)) return {};  // every level is there
  // Each level is tested at the "/" that ends it, the last one at the end of path.
  for (qsizetype i = 0; i < path.size(); ++i) {
    const bool last = i == path.size() - 1;
    if (path.at(i) != '/' && !last) continue;
    const QString level = last ? path : path.left(i);
    if (level.isEmpty() || (!last && level.endsWith('/'))) continue;  // the root, a doubled "/"
    bool created = false;
    if (Outcome o = makeFolder(level, &created); !o.ok()) return o;
    if (created && onCreated) onCreated(level);
  }
  return {};
}

Outcome removeEmptyFolder(const QString& path) {
  if (::rmdir(native(path).constData()) == 0) return {};
  const int e = errno;
  return e == ENOENT ? result(Status::SourceMissing, errnoText(e)) : failed(e);
}

namespace {

// The real subfolders of the open folder dirFd (taken over and closed), sorted by
// name; links and hidden entries left out.
Outcome listFolder(int dirFd, QStringList* names) {
  names->clear();
  DIR* dir = ::fdopendir(dirFd);
  if (!dir) {
    const int e = errno;
    ::close(dirFd);
    return failed(e);
  }
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
      isDir = ::fstatat(dirFd, ent->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
    }
    if (isDir) names->append(decodeName(QByteArray(ent->d_name)));
  }
}

QStringList levelsOf(const QString& relative) {
  return relative.split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

// Opens the folder name in the folder at, never through a link: -1 with errno set
// (ELOOP or ENOTDIR for anything but a real folder; ".." is never passed).
int openLevel(int at, const QString& name, int flags) {
  if (name == QLatin1String("..")) {
    errno = ELOOP;
    return -1;
  }
  const int fd =
      ::openat(at, native(name).constData(), flags | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode))) return fd;
  ::close(fd);
  errno = ENOTDIR;
  return -1;
}

}  // namespace

Outcome listSubfolders(const QString& path, QStringList* names) {
  names->clear();
  const FolderTree tree(path.isEmpty() ? QStringLiteral(".") : path);
  return tree.opened().ok() ? tree.listSubfolders({}, names) : tree.opened();
}

FolderTree::FolderTree(const QString& path) : path_(path) {
  while (path_.size() > 1 && path_.endsWith(QLatin1Char('/'))) path_.chop(1);
  fd_ = ::open(native(path_).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) {
    const int e = errno;
    opened_ = e == ENOENT ? result(Status::SourceMissing, errnoText(e)) : failed(e);
  }
}

FolderTree::~FolderTree() {
  if (fd_ >= 0) ::close(fd_);
}

// Opens the folder levels lead to from the tree's folder, one level at a time (the
// last one with flags, the others O_PATH); -1 with *why set when one cannot be passed.
int FolderTree::openBelow(const QStringList& levels, int flags, Outcome* why) const {
  if (!opened_.ok()) {
    *why = opened_;
    return -1;
  }
  int fd = ::openat(fd_, ".", (levels.isEmpty() ? flags : O_PATH) | O_DIRECTORY | O_CLOEXEC);
  QString walked = path_;
  for (qsizetype i = 0; fd >= 0 && i < levels.size(); ++i) {
    walked += (walked.endsWith(QLatin1Char('/')) ? "" : "/") + levels[i];
    const int next = openLevel(fd, levels[i], i + 1 == levels.size() ? flags : O_PATH);
    const int e = errno;
    ::close(fd);
    fd = next;
    errno = e;
  }
  if (fd >= 0) return fd;
  const int e = errno;
  if (e == ENOENT)
    *why = result(Status::SourceMissing, errnoText(e));
  else if (e == ELOOP || e == ENOTDIR)
    *why = result(Status::Failed,
                  QStringLiteral("[%1] is no longer a folder (a link?); it was not followed")
                      .arg(walked));
  else
    *why = failed(e);
  return -1;
}

Outcome FolderTree::listSubfolders(const QString& relative, QStringList* names) const {
  names->clear();
  Outcome why;
  const int fd = openBelow(levelsOf(relative), O_RDONLY, &why);
  return fd < 0 ? why : listFolder(fd, names);
}

Outcome FolderTree::removeEmptyFolder(const QString& relative) const {
  QStringList levels = levelsOf(relative);
  if (levels.isEmpty()) return failed(EBUSY);  // the tree's folder itself stays
  const QByteArray name = native(levels.takeLast());
  Outcome why;
  const int parent = openBelow(levels, O_PATH, &why);
  if (parent < 0) return why;
  Fd hold(parent);
  if (::unlinkat(parent, name.constData(), AT_REMOVEDIR) == 0) return {};
  const int e = errno;
  return e == ENOENT ? result(Status::SourceMissing, errnoText(e)) : failed(e);
}

FolderSyncBatch::FolderSyncBatch() : outer_(openBatch) {
  if (!outer_) openBatch = this;
}

FolderSyncBatch::~FolderSyncBatch() {
  if (openBatch == this) {
    openBatch = nullptr;
    flush();
  }
}

void FolderSyncBatch::note(const QString& folder) { folders_.insert(folder); }

bool FolderSyncBatch::firstCopyInto(const QString& folder) {
  if (cleaned_.contains(folder)) return false;
  cleaned_.insert(folder);
  return true;
}

Outcome FolderSyncBatch::flush() {
  Outcome first;
  for (const QString& folder : std::as_const(folders_))
    if (const int e = syncFolder(folder); e != 0 && first.ok())
      first = notFlushed(folder, e);
  folders_.clear();
  return first;
}

bool regularFile(const QString& path, FileFacts* facts) {
  struct stat st {};
  if (path.isEmpty() || !statPath(path, &st) || !S_ISREG(st.st_mode)) return false;
  if (facts) {
    facts->size = qint64(st.st_size);
    facts->modified =
        QDateTime::fromMSecsSinceEpoch(qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000);
  }
  return true;
}

bool sameFile(const QString& a, const QString& b) {
  struct stat sa {
  }, sb{};
  return statPath(a, &sa) && statPath(b, &sb) && sameInode(sa, sb);
}

}  // namespace mvnz::fileops
