#pragma once
#include <QString>

namespace mvnz::test {
// The test process's own temporary root; all system paths point below it.
QString rootDir();
// Creates (if needed) and returns rootDir()/relative.
QString makeDir(const QString& relative);
}  // namespace mvnz::test
