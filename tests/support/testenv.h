#pragma once
#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace mvnz::test {
// The test process's own temporary root; all system paths point below it.
QString rootDir();
// Creates (if needed) and returns rootDir()/relative.
QString makeDir(const QString& relative);
// The bytes of a file; "<missing>" when it cannot be read.
QByteArray readFile(const QString& path);
// The user nobody, for tests that play an unprivileged user against a root process.
constexpr unsigned kNobody = 65534;
// Runs command with /bin/sh as nobody (setpriv; needs root) and returns its exit
// status, -1 when it could not run. The test root is first opened for search (0711)
// so nobody reaches the folders below it that it is given.
int runAsNobody(const QString& command);
// Hands path (not a link's target) to nobody; false when that fails.
bool giveToNobody(const QString& path);
// Sets path's permission bits; false when that fails.
bool setMode(const QString& path, unsigned mode);
// Removes path and everything below it, working by the bytes of the names (names that
// are not UTF-8 too), never following a link and opening folders a test made
// unreadable; true when nothing is left (also when there was nothing).
bool removeTree(const QString& path);
// A new private folder from a template ending in "XXXXXX" (mkdtemp), removed with
// everything below it by removeTree when the object ends.
class TempFolder {
 public:
  explicit TempFolder(const QString& pathTemplate);
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  bool isValid() const { return !path_.isEmpty(); }
  QString path() const { return path_; }

 private:
  QString path_;
};
// Runs pending events until process pid has ended and been reaped (its /proc entry
// gone), for at most ms; then delivers the deferred deletions it caused. False when
// the process is still there.
bool waitReaped(qint64 pid, int ms = 10000);
}  // namespace mvnz::test
