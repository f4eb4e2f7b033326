#pragma once
#include <QByteArray>
#include <QString>

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
}  // namespace mvnz::test
