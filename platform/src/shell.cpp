#include "platform/shell.h"

#include <QFileInfo>
#include <QProcess>

#include "platform/paths.h"

namespace mvnz::shell {
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

QString defaultBrowser() {
  QString browser = query(QStringLiteral("xdg-settings"),
                          {QStringLiteral("get"), QStringLiteral("default-web-browser")});
  if (browser.isEmpty())
    browser = query(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                                 QStringLiteral("text/html")});
  return browser;
}

bool openUrl(const QString& url) {
  QProcess p;
  p.setProgram(QStringLiteral("xdg-open"));
  p.setArguments({url});
  p.setStandardInputFile(QProcess::nullDevice());
  return p.startDetached();
}

bool startProgram(const QString& folder, const QString& name, const QStringList& args) {
  const QString program = paths::join(folder, name);
  const QFileInfo info(program);
  if (!info.isFile() || !info.isExecutable()) return false;
  QProcess p;
  p.setProgram(program);
  p.setArguments(args);
  p.setWorkingDirectory(folder);
  p.setStandardInputFile(QProcess::nullDevice());
  return p.startDetached();
}

}  // namespace mvnz::shell
