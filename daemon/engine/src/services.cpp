#include "daemon/logging.h"
#include "library/dates.h"
#include "engine/engine.h"
#include "engine/interpreter.h"
#include "engine/leaseprobe.h"
#include "engine/stability.h"

#include <cerrno>

namespace mvnz::engine {

using mvnd::Daemon;

EngineServices::EngineServices(EnginePorts ports) : ports_(std::move(ports)) {
  if (!ports_.clock) ports_.clock = std::make_shared<SystemClock>();
  if (!ports_.pump) ports_.pump = std::make_shared<QtPump>();
  if (!ports_.files) ports_.files = std::make_shared<FileOperations>();
  if (!ports_.probe) ports_.probe = std::make_shared<LeaseProbe>();
  pump_.setPump(ports_.pump.get());
}

void EngineServices::log(Daemon& d, int index, const QString& source, const QString& message,
                         int level, const QString& timeText) {
  if (ports_.log)
    ports_.log(source, message, level, timeText, index);
  else
    mvnd::WriteLogLine(d, source, message, level, timeText, index);
}

ExpansionContext EngineServices::expansionContext(Daemon& d, int index) {
  return MakeExpansionContext(d, index, ports_.clock.get(), &owners_,
                              [this, &d, index](const QString& message, int level) {
                                log(d, index, kRunnerSource, message, level);
                              });
}

QString EngineServices::expand(Daemon& d, int index, const QString& text) {
  if (!text.contains(QLatin1Char('<'))) return text;
  return CommandInterpreter(text, expansionContext(d, index));
}

StabilityCheck EngineServices::stabilityCheck(Daemon& d, int index) {
  StabilityCheck c;
  c.probe = ports_.probe.get();
  c.nowSecs = ports_.clock->secsSinceEpoch();
  const int i = index;
  c.stableTimer =
      (i >= 0 && i < d.jobs.RoziRoruners.size()) ? d.jobs.RoziRoruners[i].StableTimer : -1;
  c.processReadOnly = d.settings.ProcessReadOnly == 1;
  c.showUnstableMessages = d.settings.ShowUnstableMessages;
  c.log = [this, &d, index](const QString& message, int level) {
    log(d, index, kRunnerSource, message, level);
  };
  c.opened = [this, &d, index](const QString& path, int error) {
    noteReadable(d, index, path, error);
  };
  return c;
}

void EngineServices::noteReadable(Daemon& d, int index, const QString& path, int error) {
  // A file that vanished is no longer listed; only one that stays is worth a word.
  if (error == 0 || error == ENOENT) {
    if (!unreadable_.isEmpty()) unreadable_.remove(path);
    return;
  }
  if (unreadable_.contains(path)) return;
  unreadable_.insert(path);
  log(d, index, kRunnerSource,
      QStringLiteral("WARNING: File [%1] cannot be read [%2]").arg(path, qt_error_string(error)),
      1);
}

QString EngineServices::fileStatus(Daemon& d, int index, const QString& path) {
  return GetFileStatus(path, stabilityCheck(d, index));
}

QString EngineServices::fileStatus(Daemon& d, int index, const QString& path,
                                   const struct stat& st) {
  return GetFileStatus(path, st, stabilityCheck(d, index));
}

void EngineServices::runScript(Daemon& d, int index) {
  if (ports_.runScript) {
    ports_.runScript(d, *this, index);
    return;
  }
  ScriptPorts p;
  p.clock = ports_.clock.get();
  p.pump = &pump_;
  p.files = ports_.files.get();
  p.createObject = ports_.factory;
  p.log = ports_.log;
  p.owners = &owners_;
  RunCommandScript(d, index, p);
}

void EngineServices::rememberDue(int index, const QString& text, const QDateTime& at) {
  rememberDue(index, text, at, at.toSecsSinceEpoch());
}

void EngineServices::rememberDue(int index, const QString& text, const QDateTime& at,
                                 qint64 secs) {
  due_.insert(index, Due{text, at, secs});
}

QDateTime EngineServices::dueTime(const Daemon& d, int index) const {
  if (index < 0 || index >= d.jobs.RoziRoruners.size()) return {};
  const QString& text = d.jobs.RoziRoruners[index].NextRun;
  const auto it = due_.constFind(index);
  if (it != due_.constEnd() && it->text == text) return it->at;
  const auto parsed = ParseDateTimeText(text, d.settings.ShortDatePattern);
  return parsed ? *parsed : QDateTime();
}

std::optional<qint64> EngineServices::dueSecs(const mvnd::Daemon& d, int index) const {
  if (index < 0 || index >= d.jobs.RoziRoruners.size()) return std::nullopt;
  const auto it = due_.constFind(index);
  if (it != due_.constEnd() && it->text == d.jobs.RoziRoruners[index].NextRun) return it->secs;
  const QDateTime at = dueTime(d, index);
  if (!at.isValid()) return std::nullopt;
  return at.toSecsSinceEpoch();
}

}  // namespace mvnz::engine
