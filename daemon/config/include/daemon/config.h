#pragma once
// The configuration file applied to the daemon: the file is read once by the shared
// reader (library/jobfile.h), every line it could not take as written is logged, and
// the settings and RoziRoruner records are taken from the result. Runtime fields of
// the records start empty; they belong to the engine.
#include <QString>

#include "daemon/core.h"
#include "library/jobfile.h"

namespace mvnz::mvnd {

// The reader's options as the daemon reads: its number rules, the settings it holds
// now (keys missing from the file keep them), and the checks of commands (against the
// module table, once it is loaded) and filter patterns (as the scan splits them), and
// the settle rule, whose waits end once the daemon is ending.
jobfile::ReadOptions DaemonReadOptions(const Daemon& d);
// Takes the global settings and the RoziRoruner records from a read file (its
// commands are moved, not copied).
void ApplyJobFile(Daemon& d, jobfile::JobFile file);
// Re-reads ConfigPath and rebuilds RoziRoruners and the dependent state; each fault
// of the file is logged once as a warning. A file that is missing or cannot be read
// keeps the records loaded before and logs a warning. A file changed moments ago is
// read once it has settled (jobfile::SettleRule::Standard); events are served during
// that wait, and a daemon that is ending meanwhile keeps its records. The file is read
// without serving events.
void ReloadConfiguration(Daemon& d);
// The registry settings read at every reload: the buffer size here, the window
// settings through the UI port.
void LoadDaemonSettings(Daemon& d);

// The global settings of the file at path, read from its [CONFIGURATION] sections
// only (the program's run mode, known before any RoziRoruner is read); defaults when
// the file cannot be read.
jobfile::GlobalSettings ReadGlobalSettings(const QString& path);

// Registry key of the daemon's window settings ("...\Daemon" + SettingsKeySuffix).
QString DaemonSettingsKey(const Settings& s);

}  // namespace mvnz::mvnd
