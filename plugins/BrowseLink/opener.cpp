#include "opener.h"

#include <QProcess>

namespace mvnz::browselink {
namespace {

// Output of a short query program; "" when it is missing, fails or hangs.
QString query(const QString& program, const QStringList& args) {
  QProcess p;
  p.setProcessChannelMode(QProcess::SeparateChannels);
  p.setStandardInputFile(QProcess::nullDevice());
  p.start(program, args, QIODevice::ReadOnly);
  if (!p.waitForStarted(5000)) return {};
  if (!p.waitForFinished(10000)) {
    p.kill();
    p.waitForFinished(1000);
    return {};
  }
  if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return {};
  return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

}  // namespace

QString FindDefaultBrowser() {
  QString browser = query(QStringLiteral("xdg-settings"),
                          {QStringLiteral("get"), QStringLiteral("default-web-browser")});
  if (browser.isEmpty())
    browser = query(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                                 QStringLiteral("text/html")});
  return browser;
}

bool OpenUrl(const QString& url) {
  QProcess p;
  p.setProgram(QStringLiteral("xdg-open"));
  p.setArguments({url});
  p.setStandardInputFile(QProcess::nullDevice());
  return p.startDetached();
}

bool OpenLink(const QStringList& data, bool autoLog, const LogFn& log) {
  const QString url = data.value(1);
  if (autoLog) log(QStringLiteral("Opening URL [") + url + QStringLiteral("]....."), 0);
  if (FindDefaultBrowser().isEmpty()) {
    log(QStringLiteral("ERROR_BROWSE-LINK: Cannot find default browser!"), 2);
    return true;
  }
  if (!OpenUrl(url)) {
    log(QStringLiteral("ERROR_BROWSE-LINK: Cannot browse link [") + url + QStringLiteral("]"), 2);
    return true;
  }
  return false;
}

}  // namespace mvnz::browselink
