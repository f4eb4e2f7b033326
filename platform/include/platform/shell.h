#pragma once
// The desktop shell: the default web browser, opening a URL, starting a program.
// Programs are started from a given folder by their file name, never found by a
// search of PATH; arguments go as a list, never through a shell command string.
#include <QString>
#include <QStringList>

namespace mvnz::shell {

// The desktop entry of the default web browser (`xdg-settings`, else the handler of
// text/html from `xdg-mime`); "" when none is registered or the tools are missing.
QString defaultBrowser();
// Hands the URL to `xdg-open` as one argument; false when it could not be started.
bool openUrl(const QString& url);
// Starts folder/name detached with args; false when it could not be started (for
// example when there is no such program).
bool startProgram(const QString& folder, const QString& name, const QStringList& args = {});

}  // namespace mvnz::shell
