#include "windowsfixture.h"

#include <QDir>
#include <QFile>
#include <QTableWidget>

#include "daemon/config.h"
#include "daemon/windows/logwindow.h"
#include "daemon/windows/messagebar.h"
#include "testenv.h"

namespace mvnz::mvnd::test {

void WriteConfig(const QString& path, const QStringList& lines) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
  for (const QString& l : lines) f.write((l + QStringLiteral("\r\n")).toUtf8());
}

WindowsFixture::WindowsFixture(const QStringList& names)
    : prompts(std::make_shared<prompts::Recorder>()) {
  previousPrompts = prompts::install(prompts);
  configPath =
      QDir(mvnz::test::makeDir(QStringLiteral("windows"))).filePath(QStringLiteral("MVNZuri.ini"));
  QStringList lines{QStringLiteral("[CONFIGURATION]"), QStringLiteral("EnableLogging=0"),
                    QString()};
  for (QString n : names) {
    const bool disabled = n.startsWith(QLatin1Char('-'));
    if (disabled) n.remove(0, 1);
    lines << QLatin1Char('[') + n + QLatin1Char(']')
          << (disabled ? QStringLiteral("Enabled=0") : QStringLiteral("Enabled=1")) << QString();
  }
  WriteConfig(configPath, lines);
  d.settings.ConfigPath = configPath;
  d.settings.SettingsKeySuffix = QStringLiteral("1");
  d.AllowDoEvents = false;
  d.ExitHook = [](int) {};
  windows = std::make_unique<LogWindows>(d);
  d.SetUi(std::make_shared<LogWindowsUi>(*windows));
  ReloadConfiguration(d);
  d.run.DaemonInitialized = true;
}

WindowsFixture::~WindowsFixture() {
  d.SetUi(nullptr);
  windows.reset();
  prompts::install(previousPrompts);
}

QStringList WindowsFixture::GridTexts() const {
  QStringList out;
  QTableWidget* g = log().lvLogwindow;
  for (int r = 0; r < g->rowCount(); ++r) out << g->item(r, 1)->text();
  return out;
}

LogWindow& WindowsFixture::log() const { return *windows->logWindow(); }
frmMessage& WindowsFixture::bar() const { return *windows->messageBar(); }

}  // namespace mvnz::mvnd::test
