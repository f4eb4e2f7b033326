#pragma once
// The manager's names: its version text, the main window's caption (by which the
// daemon finds a running manager), the splash's version label, its program and
// lock names, and the registry key of its preferences.
#include <QString>

namespace mvnz::manager {

inline constexpr char kProgramName[] = "MervaneZuri";
inline constexpr char kProgramTitle[] = "MervaneZuri";
inline constexpr char kManagerKey[] = "Software\\Orvendel\\MervaneZuri\\Manager";

// "major.minor" of the running program.
QString VersionText();
// "Orvendel · Mervane Zuri v<version> · Configuration Manager" (U+00B7 dots).
QString MainCaption(const QString& versionText);
// "Version <version>   Build <revision>".
QString SplashVersionLabel(const QString& versionText, int revision);
// The window-link socket of the manager of this version.
QString WindowLinkPath(const QString& versionText);

}  // namespace mvnz::manager
