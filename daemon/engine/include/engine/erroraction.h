#pragma once
// The daemon's own actions that a command script reaches without a plug-in: the
// ERRORACTION of a script (DoOnError) with its delete and move, the LOADCONFIG
// built-in, and the message-pumping wait in seconds. Failures are log lines and, where
// a later ERRORACTION must see them, LastCommandError.
#include <QString>

#include "daemon/core.h"
#include "engine/interpreter.h"

namespace mvnz::engine {

// Carries out an ERRORACTION line (its parameters expanded) for the current file of
// RoziRoruner `index`: delete it, move it into Params[5], abort or stop the daemon.
// Sets AbortScript unless Params[7] is "1" (resume).
void DoOnError(mvnd::Daemon& d, int index, const ScriptParams& Params,
               const ScriptPorts& ports = {});
// Deletes a file; with onlyIfEmpty "1" only when its length is 0.
void KillFile(mvnd::Daemon& d, const QString& path, const QString& onlyIfEmpty,
              const ScriptPorts& ports = {});
// Moves a file. overwrite "1" replaces an existing destination atomically, "0" never
// replaces it; createFolders "1" makes the destination's missing folders first.
void TransferFile(mvnd::Daemon& d, const QString& source, const QString& destination,
                  const QString& overwrite, const QString& createFolders,
                  const ScriptPorts& ports = {});
// Switches ConfigPath to path and posts STOP, RELOAD and START; the running script
// and cycle end at once (LoadConfigPending).
void DoLoadConfig(mvnd::Daemon& d, const QString& path, const ScriptPorts& ports = {});
// Waits n seconds while events keep being handled; 0, less or too large returns at once.
void WaitSeconds(long n);

}  // namespace mvnz::engine
