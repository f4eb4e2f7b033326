#include "daemon/shellhelpers.h"

#include "daemon/logging.h"
#include "library/version.h"
#include "platform/paths.h"
#include "platform/shell.h"
#include "platform/windowlink.h"

namespace mvnz::mvnd {

QString ManagerCaption(const Settings& s) { return mvnz::ManagerCaption(s.VersionText); }

QString ManagerSocketPath(const Settings& s) {
  return windowlink::socketPath(QLatin1String(kManagerProgram), s.VersionText);
}

bool WindowExists(const QString& socketPath) { return windowlink::exists(socketPath); }

void StartConfigurationManager(Daemon& d, const QString& programDir) {
  const QString socket = ManagerSocketPath(d.settings);
  // A manager that listens but does not answer the raise is left alone: starting a
  // second one would only be refused by its single-instance check.
  if (WindowExists(socket)) {
    windowlink::raise(socket);
    return;
  }
  const QString S = QStringLiteral("S");
  WriteLogLine(d, S, QStringLiteral("Start Configuration Manager"), 0, {}, -1);
  const QString folder = programDir.isEmpty() ? paths::appDir() : programDir;
  if (!shell::startProgram(folder, QLatin1String(kManagerProgram)))
    WriteLogLine(d, S,
                 QStringLiteral("WARNING: Configuration Manager could not be started [%1]")
                     .arg(paths::join(folder, QLatin1String(kManagerProgram))),
                 1, {}, -1);
}

bool FindDefaultBrowser() { return !shell::defaultBrowser().isEmpty(); }

void OpenInBrowser(const QString& url) {
  if (FindDefaultBrowser()) shell::openUrl(url);
}

QString RemoveCharacter(const QString& Text, const QString& Character) {
  if (Character.size() != 1) return Text;
  QString out = Text;
  out.remove(Character.at(0), Qt::CaseSensitive);
  return out;
}

}  // namespace mvnz::mvnd
