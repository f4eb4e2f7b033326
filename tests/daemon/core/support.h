#pragma once
// Helpers shared by the daemon's core tests.
#include <QProcessEnvironment>
#include <QStringList>
#include <memory>

#include "daemon/core.h"

namespace mvnz::mvnd::test {

// Writes lines joined by CR LF (each line ended by CR LF).
void WriteCrlf(const QString& path, const QStringList& lines);
// The messages of a log file (without the "[time] " part), oldest first.
QStringList LogMessages(const QString& file);
// Today's dated log folder under logDir.
QString DayFolder(const QString& logDir);

// Records what the core asks of the windows.
class RecordingUi : public UiPort {
 public:
  void AddLogWindowLine(const QString&, const QString& text, int level) override {
    window << text;
    levels << level;
  }
  void RemoveOldestLogRow() override {
    if (!window.isEmpty()) window.removeFirst();
  }
  void ShowLastMessage(const QString& text, int, qint64 errors) override {
    bar << text;
    barErrors = errors;
  }
  void SaveDaemonSettings(bool) override { ++saves; }
  QStringList window, bar;
  QList<int> levels;
  qint64 barErrors = 0;
  int saves = 0;
};

// A daemon reading <root>/windows/MVNZuri.ini, logging into <root>/logs, as
// InitDaemon leaves it (initialised, logging on), exits recorded instead of ending.
struct TestDaemon {
  TestDaemon();
  Daemon d;
  std::shared_ptr<RecordingUi> ui;
  QString configPath, logDir;
  QList<int> exits;
  // Writes the configuration, reloads it, and marks the daemon initialised.
  void Load(const QStringList& lines);
  QStringList SystemLog() const;
};

// The environment of a real mvnd under test: service control does nothing, and it
// never takes itself for a service.
QProcessEnvironment MvndEnvironment();

// A command line of a RoziRoruner: "Command=" and the name, then 30 parameters
// behind "]~[" each.
QString CommandLine(const QString& name, const QStringList& params = {});

// A minimal configuration: logging into logDir, RoziRoruners given as sections.
QStringList Config(const QString& logDir, const QStringList& sections);
// As Config, for a daemon that starts at once with no windows (AutoStart, state 4);
// with logInternal its internal commands are logged too.
QStringList StartingConfig(const QString& logDir, const QStringList& sections,
                           bool logInternal = false);

}  // namespace mvnz::mvnd::test
