#include "manager/services.h"

#include <QFileInfo>
#include <QUrl>

#include "library/regexpr.h"
#include "library/regwrap.h"
#include "manager/identity.h"
#include "platform/paths.h"
#include "platform/shell.h"

namespace mvnz::manager {

namespace {

const QString kKey = QLatin1String(kManagerKey);

QString folderOrOwn(const QString& folder) { return folder.isEmpty() ? paths::appDir() : folder; }

}  // namespace

ManagerPrefs LoadManagerSettings() {
  ManagerPrefs p;
  const QString size = GetRegString(kKey, QStringLiteral("ScriptIconSize"));
  p.LargeScriptIcons = !size.isEmpty() && size != QLatin1String("Small");
  p.AutoCheckUpdates = GetRegString(kKey, QStringLiteral("WebUpdate")) != QLatin1String("0");
  return p;
}

bool SaveManagerSettings(const ManagerPrefs& prefs) {
  const long a = SaveRegString(kKey, QStringLiteral("ScriptIconSize"),
                               prefs.LargeScriptIcons ? QStringLiteral("Large") : QStringLiteral("Small"));
  const long b = SaveRegString(kKey, QStringLiteral("WebUpdate"),
                               prefs.AutoCheckUpdates ? QStringLiteral("1") : QStringLiteral("0"));
  return a == 0 && b == 0;
}

QSettings UserSettings() {
  return QSettings(paths::join(paths::userSettingsDir(), QStringLiteral("MervaneZuri.ini")),
                   QSettings::IniFormat);
}

void OpenInBrowser(const QString& url) {
  if (!shell::defaultBrowser().isEmpty()) shell::openUrl(url);
}

bool OpenFolderInExplorer(const QString& path) {
  if (path.isEmpty() || !QFileInfo(path).isDir()) return false;
  // As a file: URL, so a folder name beginning with "-" is never read as an option.
  return shell::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString());
}

bool IsWindowsNT() { return true; }

bool StartDaemon(const QString& folder) {
  return shell::startProgram(folderOrOwn(folder), QStringLiteral("mvnd"));
}

bool StartServiceInstaller(const QString& folder) {
  return shell::startProgram(folderOrOwn(folder), QStringLiteral("svcwright"));
}

bool ValidateRegExpr(const QString& pattern) {
  RegExprError error;
  RegExpr(QStringLiteral("TestString"), pattern, 0, &error);
  return !error;
}

}  // namespace mvnz::manager
