#include "library/version.h"

namespace mvnz {
int versionMajor() { return 1; }
int versionMinor() { return 0; }
int versionRevision() { return 0; }
}  // namespace mvnz
