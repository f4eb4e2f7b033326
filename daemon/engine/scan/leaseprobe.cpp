#include "engine/leaseprobe.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstring>

#include "platform/fileops.h"

namespace mvnz::engine {

namespace {

// A lease break arrives as SIGIO, whose default action ends the process. The probe
// releases its lease at once, so the signal only needs to be harmless.
void onLeaseBreak(int) {}

void installLeaseBreakHandler() {
  static const bool done = [] {
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = onLeaseBreak;
    sa.sa_flags = SA_RESTART;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGIO, &sa, nullptr);
    return true;
  }();
  (void)done;
}

}  // namespace

LeaseProbe::LeaseProbe() { installLeaseBreakHandler(); }

LeaseProbe::~LeaseProbe() {
  dropKept();
  dropFolder();
}

void LeaseProbe::dropKept() {
  if (kept_ >= 0) ::close(kept_);
  kept_ = -1;
  keptPath_.clear();
}

int LeaseProbe::takeKept(const QString& path) {
  if (kept_ < 0 || keptPath_ != path) {
    dropKept();
    return -1;
  }
  const int fd = kept_;
  kept_ = -1;
  keptPath_.clear();
  return fd;
}

namespace {

constexpr int kOpenFlags = O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC;
// How long a kept folder is trusted to be the one its path leads to before the path is
// looked up again: a folder renamed or replaced is noticed within this time.
constexpr qint64 kFolderTrustMs = 20;

}  // namespace

void LeaseProbe::dropFolder() {
  if (folderFd_ >= 0) ::close(folderFd_);
  folderFd_ = -1;
  folder_.clear();
}

int LeaseProbe::folderFd(QStringView folder) {
  if (folderFd_ >= 0 && folder_ == folder) {
    if (folderChecked_.elapsed() < kFolderTrustMs) return folderFd_;
    struct stat now;
    if (::stat(fileops::encodeName(folder_).constData(), &now) == 0 && now.st_dev == folderDev_ &&
        now.st_ino == folderIno_) {
      folderChecked_.start();
      return folderFd_;
    }
  }
  dropFolder();
  const int fd = ::open(fileops::encodeName(folder.toString()).constData(),
                        O_PATH | O_DIRECTORY | O_CLOEXEC);
  struct stat st;
  if (fd < 0) return -1;
  if (::fstat(fd, &st) != 0) {
    ::close(fd);
    return -1;
  }
  folderFd_ = fd;
  folder_ = folder.toString();
  folderDev_ = st.st_dev;
  folderIno_ = st.st_ino;
  folderChecked_.start();
  return fd;
}

bool LeaseProbe::look(const QString& path, struct stat& st) {
  dropKept();
  // The file is opened afresh at every look; only the way to its folder is reused.
  const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
  const int dir = slash > 0 ? folderFd(QStringView(path).first(slash)) : -1;
  const int fd =
      dir >= 0 ? ::openat(dir, fileops::encodeName(path.mid(slash + 1)).constData(), kOpenFlags)
               : ::open(fileops::encodeName(path).constData(), kOpenFlags);
  // A file this process cannot open is looked at by its path; the lease then says why.
  if (fd < 0) return LockProbe::look(path, st);
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  kept_ = fd;
  keptPath_ = path;
  return true;
}

void LeaseProbe::endCycle() {
  dropKept();
  dropFolder();
}

void LeaseProbe::beginCycle() {
  dropKept();
  dropFolder();
  scanned_ = false;
  open_.clear();
  writing_.clear();
}

LeaseProbe::Answer LeaseProbe::lease(const QString& path, bool writeLease) {
  int fd = takeKept(path);
  if (fd < 0)
    fd = ::open(fileops::encodeName(path).constData(), kOpenFlags);
  if (fd < 0) {
    openError_ = errno;
    return Answer::Held;  // vanished or unreadable: not free to work on
  }
  Answer a = Answer::Free;
  if (::fcntl(fd, F_SETLEASE, writeLease ? F_WRLCK : F_RDLCK) != 0) {
    // EAGAIN, EBUSY: another descriptor is in the way; EACCES, EINVAL: no leases here.
    a = (errno == EAGAIN || errno == EBUSY) ? Answer::Held : Answer::Refused;
  }
  ::close(fd);  // also gives up a lease granted on it
  return a;
}

void LeaseProbe::scanProc() {
  scanned_ = true;
  ++procScans_;
  const pid_t self = ::getpid();
  DIR* proc = ::opendir("/proc");
  if (!proc) return;
  while (dirent* e = ::readdir(proc)) {
    char* end = nullptr;
    const long pid = std::strtol(e->d_name, &end, 10);
    if (!end || *end || pid <= 0 || pid == self) continue;
    char fdDir[64];
    std::snprintf(fdDir, sizeof fdDir, "/proc/%ld/fd", pid);
    const int dfd = ::open(fdDir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0) continue;
    DIR* fds = ::fdopendir(dfd);
    if (!fds) {
      ::close(dfd);
      continue;
    }
    while (dirent* f = ::readdir(fds)) {
      if (f->d_name[0] == '.') continue;
      struct stat target, link;
      if (::fstatat(dfd, f->d_name, &target, 0) != 0 || !S_ISREG(target.st_mode)) continue;
      const auto key = std::make_pair(quint64(target.st_dev), quint64(target.st_ino));
      open_.insert(key);
      // The link's permission bits mirror the descriptor's open mode.
      if (::fstatat(dfd, f->d_name, &link, AT_SYMLINK_NOFOLLOW) == 0 && (link.st_mode & S_IWUSR))
        writing_.insert(key);
    }
    ::closedir(fds);
  }
  ::closedir(proc);
}

bool LeaseProbe::procHeld(const QString& path, bool writersOnly) {
  struct stat st;
  if (::lstat(fileops::encodeName(path).constData(), &st) != 0) return true;
  if (!scanned_) scanProc();
  const auto key = std::make_pair(quint64(st.st_dev), quint64(st.st_ino));
  return writersOnly ? writing_.contains(key) : open_.contains(key);
}

bool LeaseProbe::heldOpen(const QString& path) {
  openError_ = 0;
  if (!forceProc_) {
    const Answer a = lease(path, true);
    if (a != Answer::Refused) return a == Answer::Held;
  }
  return procHeld(path, false);
}

bool LeaseProbe::heldForWriting(const QString& path) {
  openError_ = 0;
  if (!forceProc_) {
    const Answer a = lease(path, false);
    if (a != Answer::Refused) return a == Answer::Held;
  }
  return procHeld(path, true);
}

}  // namespace mvnz::engine
