#include "services.h"

#include "daemon/logging.h"

namespace mvnz::engine::detail {

namespace {

const SystemClock& systemClock() {
  static const SystemClock c;
  return c;
}

FileOperations& safeFileOperations() {
  static FileOperations f;
  return f;
}

}  // namespace

Services::Services(mvnd::Daemon& daemon, const ScriptPorts& ports)
    : d(daemon),
      clock(ports.clock ? *ports.clock : systemClock()),
      files(ports.files ? *ports.files : safeFileOperations()),
      createObject(ports.createObject),
      log(ports.log),
      pump(ports.pump),
      owners(ports.owners ? ports.owners : &ownOwners) {
  if (!createObject)
    createObject = [](const QString& progId, ActivationError* err) {
      return activation::create(progId, err);
    };
  if (!log)
    log = [&dd = d](const QString& source, const QString& message, int level,
                    const QString& timeText,
                    int index) { mvnd::WriteLogLine(dd, source, message, level, timeText, index); };
}

void Services::line(int level, const QString& message, int index) const {
  log(QStringLiteral("M"), message, level, QString(), index);
}

void Services::autoLine(int level, const QString& message, int index) const {
  if (d.settings.AutoLogInternalCommands == 1) line(level, message, index);
}

void Services::pumpEvents() const {
  if (pump)
    pump->step();
  else
    d.DoEvents();
}

}  // namespace mvnz::engine::detail
