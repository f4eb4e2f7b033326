#pragma once
// The file list of a RoziRoruner's turn: its hot folder listed through the input and
// reject filters, rejected files left, deleted or moved, oldest first on request, and
// cut to its first free file for single-file handling.
#include <QString>

#include "daemon/core.h"
#include "engine/engine.h"

namespace mvnz::engine {

// Fills FileList and FilesPending of RoziRoruner `index`.
void GetFileList(mvnd::Daemon& d, EngineServices& s, int index);
// Empties the file state of a RoziRoruner.
void ResetFileList(mvnd::RoziRoruner& r);
// Deletes a rejected file of RoziRoruner `index` once it is free.
void DeleteRejectedFile(mvnd::Daemon& d, EngineServices& s, int index, const QString& path);
// Moves a rejected file once it is free, replacing a file of its name at the target.
void MoveRejectedFile(mvnd::Daemon& d, EngineServices& s, int index, const QString& source,
                      const QString& destination);
// Creates every missing level of path. Quiet: no progress lines and errors ignored;
// otherwise a failure is logged (RoziRoruner `index`), sets LastCommandError and gives
// false.
bool BuildFolderPath(mvnd::Daemon& d, EngineServices& s, int index, const QString& path,
                     bool quiet);

}  // namespace mvnz::engine
