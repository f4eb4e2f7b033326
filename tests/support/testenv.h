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
}  // namespace mvnz::test
