#include "manager/identity.h"

#include "library/version.h"
#include "platform/windowlink.h"

namespace mvnz::manager {

QString VersionText() {
  return QString::number(versionMajor()) + QLatin1Char('.') + QString::number(versionMinor());
}

QString MainCaption(const QString& versionText) { return ManagerCaption(versionText); }

QString SplashVersionLabel(const QString& versionText, int revision) {
  return QStringLiteral("Version ") + versionText + QStringLiteral("   Build ") +
         QString::number(revision);
}

QString WindowLinkPath(const QString& versionText) {
  return windowlink::socketPath(QLatin1String(kProgramName), versionText);
}

}  // namespace mvnz::manager
