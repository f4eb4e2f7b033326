#include "engine/interpreter.h"

#include "daemon/logging.h"

namespace mvnz::engine {

ExpansionContext MakeExpansionContext(mvnd::Daemon& d, int index, const Clock* clock,
                                      OwnerCache* owners,
                                      std::function<void(const QString&, int)> log) {
  ExpansionContext c;
  if (index < 0 || index >= d.RoziRoruners.size()) return c;
  mvnd::RoziRoruner& r = d.RoziRoruners[index];
  c.name = &r.Name;
  c.description = &r.Description;
  c.localConstants = r.LocalConstants.data();
  c.localVariables = r.LocalVariables.data();
  c.globalConstants = d.GlobalConstants.data();
  c.globalVariables = d.GlobalVariables.data();
  c.filesPending = r.FilesPending;
  c.currentFile = r.CurrentFile;
  c.fileList = r.FileList.get();
  c.scanDirectory = d.ExpandedScanDirectory;
  if (!d.ShortDatePattern.isEmpty()) c.shortDatePattern = d.ShortDatePattern;
  c.clock = clock;
  c.owners = owners;
  c.log = std::move(log);
  return c;
}

void RunCommandScript(mvnd::Daemon& d, int index, const ScriptPorts& ports) {
  if (!d.Running) return;
  const QString message =
      QStringLiteral("WARNING: the command-script interpreter is not built yet");
  if (ports.log)
    ports.log(QStringLiteral("M"), message, 1, QString(), index);
  else
    mvnd::WriteLogLine(d, QStringLiteral("M"), message, 1, QString(), index);
}

}  // namespace mvnz::engine
