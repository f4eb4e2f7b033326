#pragma once
// The system's version (major.minor.revision), shared by every program.
namespace mvnz {
int versionMajor();
int versionMinor();
int versionRevision();
}  // namespace mvnz
