#include "opener.h"

#include "library/catalogue.h"
#include "platform/shell.h"

namespace mvnz::browselink {

using P = catalogue::param::BrowseLink;

bool OpenLink(const QStringList& data, bool autoLog, const LogFn& log) {
  const QString url = data.value(P::Url);
  if (autoLog) log(QStringLiteral("Opening URL [") + url + QStringLiteral("]....."), 0);
  if (shell::defaultBrowser().isEmpty()) {
    log(QStringLiteral("ERROR_BROWSE-LINK: Cannot find default browser!"), 2);
    return true;
  }
  if (!shell::openUrl(url)) {
    log(QStringLiteral("ERROR_BROWSE-LINK: Cannot browse link [") + url + QStringLiteral("]"), 2);
    return true;
  }
  return false;
}

}  // namespace mvnz::browselink
