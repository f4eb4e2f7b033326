#pragma once
// The system's version (major.minor.revision), shared by every program.
#include <QString>

namespace mvnz {
int versionMajor();
int versionMinor();
int versionRevision();
// The configuration manager's main window caption for a "major.minor" version text
// (U+00B7 dots); the daemon finds a running manager by it.
QString ManagerCaption(const QString& versionText);
}  // namespace mvnz
