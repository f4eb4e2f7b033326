// Temporary folders of the tests and their removal by the bytes of the names: a name
// that is not UTF-8 cannot be named through QString, so Qt's own removal leaves it.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QThread>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "testenv.h"

namespace mvnz::test {

namespace {

// Removes the entry name of the folder parent (a folder with all it holds).
bool removeAt(int parent, const char* name) {
  if (::unlinkat(parent, name, 0) == 0 || errno == ENOENT) return true;
  if (errno != EISDIR) return false;
  if (::unlinkat(parent, name, AT_REMOVEDIR) == 0 || errno == ENOENT) return true;
  // Not empty: a folder (never a link, those were unlinked above), opened for its
  // entries even when a test took its permissions away.
  ::fchmodat(parent, name, S_IRWXU, 0);
  const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  DIR* dir = ::fdopendir(fd);
  if (!dir) {
    ::close(fd);
    return false;
  }
  std::vector<std::string> names;
  while (const dirent* e = ::readdir(dir))
    if (std::string_view(e->d_name) != "." && std::string_view(e->d_name) != "..")
      names.emplace_back(e->d_name);
  bool ok = true;
  for (const std::string& n : names) ok = removeAt(::dirfd(dir), n.c_str()) && ok;
  ::closedir(dir);
  return ::unlinkat(parent, name, AT_REMOVEDIR) == 0 && ok;
}

}  // namespace

bool removeTree(const QString& path) {
  return !path.isEmpty() && removeAt(AT_FDCWD, QFile::encodeName(path).constData());
}

TempFolder::TempFolder(const QString& pathTemplate) {
  QByteArray name = QFile::encodeName(pathTemplate);
  if (::mkdtemp(name.data())) path_ = QFile::decodeName(name);
}

TempFolder::~TempFolder() { removeTree(path_); }

bool waitReaped(qint64 pid, int ms) {
  const QString entry = QStringLiteral("/proc/%1").arg(pid);
  QDeadlineTimer deadline(ms);
  while (QFile::exists(entry) && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return !QFile::exists(entry);
}

}  // namespace mvnz::test
