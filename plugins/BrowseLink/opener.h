#pragma once
// BrowseLink: opens a URL in the desktop's default web browser.
#include <QString>
#include <QStringList>
#include <functional>

namespace mvnz::browselink {

using LogFn = std::function<void(const QString& text, short level)>;

// The desktop entry of the default web browser as the desktop's settings name it
// (`xdg-settings`, else the handler of text/html from `xdg-mime`); "" when none.
QString FindDefaultBrowser();

// Hands the URL to `xdg-open` as one argument (never through a shell). False when the
// opener could not be started.
bool OpenUrl(const QString& url);

// The action on Data(1). Returns the Error flag.
bool OpenLink(const QStringList& data, bool autoLog, const LogFn& log);

}  // namespace mvnz::browselink
