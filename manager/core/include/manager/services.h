#pragma once
// The manager's small services: its preferences in the registry store, the browser,
// the file manager, the daemon and the service installer started from the program's
// own folder, and the syntax test of a regular expression.
#include <QSettings>
#include <QString>

namespace mvnz::manager {

struct ManagerPrefs {
  bool LargeScriptIcons = false;
  bool AutoCheckUpdates = true;
};

// "ScriptIconSize": large unless "Small" or empty; "WebUpdate": on unless "0".
ManagerPrefs LoadManagerSettings();
// Writes "ScriptIconSize" then "WebUpdate"; false when the store refused a value.
bool SaveManagerSettings(const ManagerPrefs& prefs);

// The per-user settings (side-bar states and the like), application "MervaneZuri".
QSettings UserSettings();

// The browser gets the URL as one argument; nothing happens without a browser.
void OpenInBrowser(const QString& url);
// Opens an existing folder in the desktop's file manager; anything else starts nothing.
bool OpenFolderInExplorer(const QString& path);
// Service mode exists on this platform (systemd units).
bool IsWindowsNT();
// Start mvnd / svcwright from folder (default: the program's own folder), without
// arguments and without waiting; a missing program is silently not started.
bool StartDaemon(const QString& folder = {});
bool StartServiceInstaller(const QString& folder = {});
// True when the system's engine accepts the pattern (whether it matches is not asked).
bool ValidateRegExpr(const QString& pattern);

}  // namespace mvnz::manager
