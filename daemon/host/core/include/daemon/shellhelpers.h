#pragma once
// Reaching other windows and the shell: the configuration manager, the default
// browser, and a small text helper of the filters.
#include <QString>

#include "daemon/core.h"

namespace mvnz::mvnd {

// "Orvendel · Mervane Zuri v" + VersionText + " · Configuration Manager".
QString ManagerCaption(const Settings& s);
// The local socket of a manager window of the daemon's own major.minor version.
QString ManagerSocketPath(const Settings& s);
// The manager's program file name in the daemon's folder.
inline constexpr const char* kManagerProgram = "MervaneZuri";

// Brings a running manager of the same version to the front; when none answers,
// logs "Start Configuration Manager" and starts the manager from programDir
// (default: the daemon's own folder) without waiting for it.
void StartConfigurationManager(Daemon& d, const QString& programDir = {});
// True when a window listens at socketPath.
bool WindowExists(const QString& socketPath);

// Opens url in the default browser; nothing when no browser is registered.
void OpenInBrowser(const QString& url);
// True when the desktop names a default browser.
bool FindDefaultBrowser();

// Text without any occurrence of Character (exact, case-sensitive); a Character that
// is not one character leaves Text unchanged.
QString RemoveCharacter(const QString& Text, const QString& Character);

}  // namespace mvnz::mvnd
