#include "engine/dirscan.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QSet>
#include <algorithm>
#include <cerrno>
#include <cstring>
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

namespace {

struct Walker {
  const WalkOptions& opt;
  const std::function<void(const WalkEntry&)>& visit;
  const std::function<void(const QString&, const QString&)>& onError;
  QSet<std::pair<quint64, quint64>> seen;

  bool walk(const QString& folder, const QString& subdir) {
    const int dfd =
        ::open(fileops::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0) {
      if (onError) onError(folder, QString::fromLocal8Bit(std::strerror(errno)));
      return false;
    }
    struct stat self;
    const bool haveSelf = ::fstat(dfd, &self) == 0;
    if (haveSelf) seen.insert({quint64(self.st_dev), quint64(self.st_ino)});
    DIR* d = ::fdopendir(dfd);
    if (!d) {
      if (onError) onError(folder, QString::fromLocal8Bit(std::strerror(errno)));
      ::close(dfd);
      return false;
    }
    struct Item {
      std::string name;
      unsigned char type;
      ino_t ino;
    };
    std::vector<Item> items;
    errno = 0;
    while (dirent* e = ::readdir(d)) {
      if (e->d_name[0] == '.') continue;  // ".", ".." and hidden names
      items.push_back({e->d_name, e->d_type, e->d_ino});
    }
    if (errno != 0 && onError) onError(folder, QString::fromLocal8Bit(std::strerror(errno)));
    std::sort(items.begin(), items.end(),
              [](const Item& a, const Item& b) { return a.name < b.name; });

    // Whether this folder's entries carry the inodes their files have (not so on
    // every file system): the first regular file is read to find out.
    enum class Inodes { Unknown, Hold, Differ };
    Inodes inodes = haveSelf ? Inodes::Unknown : Inodes::Differ;
    std::vector<std::pair<QString, QString>> subfolders;
    const QString prefix = folder.endsWith('/') ? folder : folder + '/';
    for (const Item& it : items) {
      if (it.type == DT_LNK) continue;
      if (it.type == DT_DIR && !opt.recursive) continue;
      const bool maybeDir = it.type == DT_DIR || it.type == DT_UNKNOWN;
      if (!maybeDir && it.type != DT_REG) continue;
      const QString name = fileops::decodeName(QByteArray(it.name.data(), qsizetype(it.name.size())));
      if (it.type == DT_REG && !opt.readFiles && opt.withReadOnly && inodes == Inodes::Hold) {
        visit(WalkEntry{folder, subdir, name, quint64(self.st_dev), quint64(it.ino), nullptr, dfd,
                        it.name.c_str()});
        continue;
      }
      struct stat st;
      if (::fstatat(dfd, it.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
      if (it.type == DT_REG && inodes == Inodes::Unknown)
        inodes = st.st_ino == it.ino && st.st_dev == self.st_dev ? Inodes::Hold : Inodes::Differ;
      if (S_ISDIR(st.st_mode)) {
        if (!opt.recursive) continue;
        if (opt.hasExcluded && st.st_dev == opt.excludedDev && st.st_ino == opt.excludedIno)
          continue;
        if (seen.contains({quint64(st.st_dev), quint64(st.st_ino)})) continue;
        subfolders.emplace_back(prefix + name, subdir == "." ? name : subdir + '/' + name);
        continue;
      }
      if (!S_ISREG(st.st_mode)) continue;
      if (!opt.withReadOnly && !(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH))) continue;
      visit(WalkEntry{folder, subdir, name, quint64(st.st_dev), quint64(st.st_ino), &st, dfd,
                      it.name.c_str()});
    }
    ::closedir(d);
    for (const auto& [path, sub] : subfolders) walk(path, sub);
    return true;
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

bool WalkFolder(const QString& folder, const WalkOptions& options,
                const std::function<void(const WalkEntry&)>& visit,
                const std::function<void(const QString&, const QString&)>& onError) {
  Walker w{options, visit, onError, {}};
  return w.walk(folder, ".");
}

QString StripTrailingSlash(const QString& text) {
  QString t = text.trimmed();
  if (t.size() > 1 && t.endsWith('/')) t.chop(1);
  return t;
}

bool FolderExists(QString& path) {
  if (path.endsWith("/.")) path.chop(1);
  path = StripTrailingSlash(path);
  if (path.isEmpty()) return false;
  struct stat st;
  return ::stat(fileops::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
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
