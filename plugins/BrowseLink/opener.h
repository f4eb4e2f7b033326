#pragma once
// BrowseLink: opens a URL in the desktop's default web browser (through the
// platform shell, which finds the browser and hands the URL to the opener).
#include <QString>
#include <QStringList>
#include <functional>

namespace mvnz::browselink {

using LogFn = std::function<void(const QString& text, short level)>;

// The action on Data(1). Returns the Error flag.
bool OpenLink(const QStringList& data, bool autoLog, const LogFn& log);

}  // namespace mvnz::browselink
