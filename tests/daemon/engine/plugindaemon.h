#pragma once
// A daemon state for running command scripts over plug-ins made by the real object
// activation, and the command lines for its scripts.
#include <QString>
#include <QStringList>

#include "daemon/core.h"
#include "daemon/logging.h"
#include "daemon/modules.h"
#include "library/common.h"
#include "platform/activation.h"

namespace mvnz::test {

// A command line "Name" with parameters 1.. in order.
inline mvnd::CommandEntry Line(const QString& name, const QStringList& params = {}) {
  mvnd::CommandEntry e;
  e.Name = name;
  for (int k = 0; k < params.size() && k < 30; ++k) e.Data[k + 1] = params[k];
  return e;
}

// Makes d an initialised, running daemon of `count` RoziRoruners with `current` the
// one whose script runs and fresh log buffers, registers its MVNdcom class in process and loads
// the plug-ins of pluginFolder into its module table. mvnd::UnregisterMVNdcom undoes
// the registration.
inline void StartWithPlugins(mvnd::Daemon& d, int count, int current, const QString& pluginFolder) {
  d.jobs.RoziRoruners.resize(count);
  d.jobs.RoziRorunerCount = count;
  d.run.ScriptRoziRoruner = current;
  d.run.DaemonInitialized = true;
  d.run.State = mvnd::RunState::Running;
  d.AllowDoEvents = false;
  mvnd::ResetLogBuffers(d.log, count);
  mvnd::RegisterMVNdcom(d);
  InitKnownPlugins();
  activation::setPluginFolder(pluginFolder);
  mvnd::LoadPluginModules(d);
}

}  // namespace mvnz::test
