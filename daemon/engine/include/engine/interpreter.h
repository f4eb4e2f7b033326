#pragma once
// The command-script interpreter: runs the script of one RoziRoruner once, for the
// current file of a pass or once per due time of a time-triggered RoziRoruner.
// Built-in lines are carried out by the daemon, every other line by the plug-in that
// registered the module name, through a fresh Setup object per line.
#include <array>

#include "daemon/core.h"
#include "engine/expansion.h"
#include "engine/ports.h"

namespace mvnz::engine {

// What a script run needs of the world. Null or empty members take the real
// services: the system clock, Daemon::DoEvents after every line, the safe file
// operations, object activation by ProgID and the daemon's WriteLogLine.
struct ScriptPorts {
  const Clock* clock = nullptr;
  SlicedPump* pump = nullptr;  // the cycle's time-sliced pump
  FileOperations* files = nullptr;
  ObjectFactory createObject;
  LogSink log;
  OwnerCache* owners = nullptr;  // the cycle's owner cache; null: one per run
};

// Parameters of one line after expansion: 1..30 used, 0 and 31 stay empty.
using ScriptParams = std::array<QString, 32>;

// The token values of RoziRoruner `index` with its current file (FileList current row,
// FilesPending, CurrentFile) and the daemon's constants, variables and expanded scan
// folder. Expansion errors go to log.
ExpansionContext MakeExpansionContext(mvnd::Daemon& d, int index, const Clock* clock,
                                      OwnerCache* owners,
                                      std::function<void(const QString&, int)> log);

// Runs the script of RoziRoruner `index` once; lines that name no RoziRoruner (the
// plug-ins') go to its log from now on (RunStatus::ScriptRoziRoruner). The caller clears
// LastCommandError before each call and, after it, ends its cycle when Running is
// false or LoadConfigPending is set. A STOP word left queued ends the run early; it
// stays queued for the caller.
void RunCommandScript(mvnd::Daemon& d, int index, const ScriptPorts& ports = {});

}  // namespace mvnz::engine
