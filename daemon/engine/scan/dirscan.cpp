#include "engine/dirscan.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QSet>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "library/regexpr.h"
#include "platform/fileops.h"

namespace mvnz::engine {

QStringList SplitFilter(const QString& filter) {
  if (filter == "*" || filter == "*.*") return {filter};
  QString f = filter;
  f.remove('*');
  if (!f.contains(';')) return {f, QString()};
  return f.split(';');
}

QString FilterPatternError(const QString& pattern) {
  if (pattern.isEmpty() || pattern == "*" || pattern == "*.*") return {};
  RegExprError err;
  RegExpr(QString(), pattern, 0, &err);
  return err ? err.text() : QString();
}

bool MatchesAny(const QString& name, const QStringList& patterns, const PatternMatcher& match,
                const PatternError& onError, PatternFault* unfinished) {
  PatternFault open;
  for (const QString& p : patterns) {
    if (p.isEmpty()) continue;
    if (p == "*" || p == "*.*") return true;
    if (!match) continue;
    PatternFault fault;
    if (match(name, p, &fault)) return true;
    if (fault.unfinished) {
      if (!open.unfinished) open = {p, fault.text, true};
    } else if (!fault.text.isEmpty() && onError) {
      onError(p, fault.text);
    }
  }
  if (unfinished) *unfinished = open;
  return false;
}

ScanFolder::ScanFolder(QString& path) {
  if (path.endsWith("/.")) path.chop(1);
  path = StripTrailingSlash(path);
  if (path.isEmpty()) return;
  const QByteArray name = fileops::encodeName(path);
  // A link to the folder is followed, as the folder named in the job may be one.
  fd_ = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ >= 0) {
    state_ = State::Open;
    return;
  }
  error_ = QString::fromLocal8Bit(std::strerror(errno));
  // Only a folder that is there yet cannot be opened is unreadable; its status is read
  // on this path alone, never in the turn of a folder that opens.
  struct stat st;
  if (::stat(name.constData(), &st) == 0 && S_ISDIR(st.st_mode)) state_ = State::Unreadable;
}

ScanFolder::~ScanFolder() {
  if (fd_ >= 0) ::close(fd_);
}

int ScanFolder::release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

namespace {

struct Walker {
  Walker(const WalkOptions& o, const std::function<void(const WalkEntry&)>& v,
         const std::function<void(const QString&, const QString&)>& e)
      : opt(o), visit(v), onError(e) {}
  const WalkOptions& opt;
  const std::function<void(const WalkEntry&)>& visit;
  const std::function<void(const QString&, const QString&)>& onError;
  QSet<std::pair<quint64, quint64>> seen;
  // The folder's entries are read straight from the kernel into this buffer: one read
  // (and the one that says the end) for a small folder, no directory stream around it.
  alignas(struct dirent64) char buffer[32 * 1024];

  struct Item {
    std::string name;
    unsigned char type;
    ino_t ino;
  };
  struct Subfolder {
    QString path, subdir;
    dev_t dev;
    ino_t ino;
  };

  // The folder's entries in name order, without ".", ".." and hidden names.
  std::vector<Item> read(int dfd, const QString& folder) {
    std::vector<Item> items;
    for (;;) {
      const ssize_t n = ::getdents64(dfd, buffer, sizeof buffer);
      if (n == 0) break;
      if (n < 0) {
        if (onError) onError(folder, QString::fromLocal8Bit(std::strerror(errno)));
        break;
      }
      for (ssize_t at = 0; at < n;) {
        const auto* e = reinterpret_cast<const struct dirent64*>(buffer + at);
        at += e->d_reclen;
        if (e->d_name[0] == '.') continue;
        items.push_back({e->d_name, e->d_type, ino_t(e->d_ino)});
      }
    }
    std::sort(items.begin(), items.end(),
              [](const Item& a, const Item& b) { return a.name < b.name; });
    return items;
  }

  // Lists the open folder dfd (closed here); self is its status when already read.
  void list(int dfd, const struct stat* self, const QString& folder, const QString& subdir) {
    const std::vector<Item> items = read(dfd, folder);
    if (items.empty()) {
      ::close(dfd);
      return;
    }
    struct stat own;
    if (!self && ::fstat(dfd, &own) == 0) self = &own;
    if (self) seen.insert({quint64(self->st_dev), quint64(self->st_ino)});

    // Whether this folder's entries carry the inodes their files have (not so on
    // every file system): the first regular file is read to find out.
    enum class Inodes { Unknown, Hold, Differ };
    Inodes inodes = self ? Inodes::Unknown : Inodes::Differ;
    std::vector<Subfolder> subfolders;
    const QString prefix = folder.endsWith('/') ? folder : folder + '/';
    for (const Item& it : items) {
      if (it.type == DT_LNK) continue;
      if (it.type == DT_DIR && !opt.recursive) continue;
      const bool maybeDir = it.type == DT_DIR || it.type == DT_UNKNOWN;
      if (!maybeDir && it.type != DT_REG) continue;
      const QString name = fileops::decodeName(QByteArray(it.name.data(), qsizetype(it.name.size())));
      if (it.type == DT_REG && !opt.readFiles && opt.withReadOnly && inodes == Inodes::Hold) {
        visit(WalkEntry{folder, subdir, name, quint64(self->st_dev), quint64(it.ino), nullptr, dfd,
                        it.name.c_str()});
        continue;
      }
      struct stat st;
      if (::fstatat(dfd, it.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
      if (it.type == DT_REG && inodes == Inodes::Unknown)
        inodes = st.st_ino == it.ino && st.st_dev == self->st_dev ? Inodes::Hold : Inodes::Differ;
      if (S_ISDIR(st.st_mode)) {
        if (!opt.recursive) continue;
        if (opt.hasExcluded && st.st_dev == opt.excludedDev && st.st_ino == opt.excludedIno)
          continue;
        if (seen.contains({quint64(st.st_dev), quint64(st.st_ino)})) continue;
        subfolders.push_back(
            {prefix + name, subdir == "." ? name : subdir + '/' + name, st.st_dev, st.st_ino});
        continue;
      }
      if (!S_ISREG(st.st_mode)) continue;
      if (!opt.withReadOnly && !(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH))) continue;
      visit(WalkEntry{folder, subdir, name, quint64(st.st_dev), quint64(st.st_ino), &st, dfd,
                      it.name.c_str()});
    }
    ::close(dfd);
    for (const Subfolder& sub : subfolders) enter(sub);
  }

  // Enters a subfolder the listing found: never through a link, and only the folder
  // that was listed (one replaced since, or reached through a link put in above it
  // meanwhile, is not entered; the next turn lists what is there then).
  void enter(const Subfolder& sub) {
    const QByteArray name = fileops::encodeName(sub.path);
    const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
      const int error = errno;
      struct stat st;
      const bool link = ::lstat(name.constData(), &st) == 0 && S_ISLNK(st.st_mode);
      if (!link && onError) onError(sub.path, QString::fromLocal8Bit(std::strerror(error)));
      return;
    }
    struct stat self;
    if (::fstat(fd, &self) != 0 || self.st_dev != sub.dev || self.st_ino != sub.ino) {
      ::close(fd);
      return;
    }
    list(fd, &self, sub.path, sub.subdir);
  }
};

}  // namespace

bool StatEntry(const WalkEntry& entry, struct stat& st) {
  if (entry.st) {
    st = *entry.st;
    return true;
  }
  return ::fstatat(entry.folderFd, entry.rawName, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
         S_ISREG(st.st_mode);
}

bool WalkFolder(ScanFolder& top, const QString& folder, const WalkOptions& options,
                const std::function<void(const WalkEntry&)>& visit,
                const std::function<void(const QString&, const QString&)>& onError) {
  if (top.state() != ScanFolder::State::Open) {
    if (onError) onError(folder, top.error());
    return false;
  }
  const auto w = std::make_unique<Walker>(options, visit, onError);
  w->list(top.release(), nullptr, folder, QStringLiteral("."));
  return true;
}

bool WalkFolder(const QString& folder, const WalkOptions& options,
                const std::function<void(const WalkEntry&)>& visit,
                const std::function<void(const QString&, const QString&)>& onError) {
  QString path = folder;
  ScanFolder top(path);
  return WalkFolder(top, folder, options, visit, onError);
}

QString StripTrailingSlash(const QString& text) {
  QString t = text.trimmed();
  if (t.size() > 1 && t.endsWith('/')) t.chop(1);
  return t;
}

bool StatFile(const QString& path, struct stat& st) {
  if (path.isEmpty()) return false;
  return ::stat(fileops::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FileExists(const QString& path) {
  struct stat st;
  return StatFile(path, st);
}

}  // namespace mvnz::engine
