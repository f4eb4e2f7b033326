#include "library/version.h"

namespace mvnz {
int versionMajor() { return 1; }
int versionMinor() { return 0; }
int versionRevision() { return 0; }

QString ManagerCaption(const QString& versionText) {
  return QStringLiteral("Orvendel \u00B7 Mervane Zuri v") + versionText +
         QStringLiteral(" \u00B7 Configuration Manager");
}
}  // namespace mvnz
