#pragma once
// Reading the configuration file into the daemon's settings and RoziRoruner records.
#include <QString>

#include "daemon/core.h"

namespace mvnz::mvnd {

// Counters a reload keeps across the sections it reads.
struct SectionCounters {
  int NextCommand = 1;         // next command index of the RoziRoruner being read
  int NextConstant = 1;        // next local constant index
  int NextGlobalConstant = 1;  // next global constant index (1 at each reload)
};

// Upper-cases Section in place, then reads that section of ConfigPath into the global
// settings ("CONFIGURATION") or into RoziRoruners[RoziRorunerCount]. A bad line ends
// the section: what was stored so far stays, and a warning names section and line.
void ReadConfigSection(Daemon& d, QString& Section, SectionCounters& counters);
// Fills SectionNames/SectionCount with the RoziRoruner section names in file order.
void ListRoziRorunerSections(Daemon& d);
// Re-reads ConfigPath and rebuilds RoziRoruners and the dependent state. A missing
// file keeps the records loaded before and logs a warning.
void ReloadConfiguration(Daemon& d);
// The registry settings read at every reload: the buffer size here, the window
// settings through the UI port.
void LoadDaemonSettings(Daemon& d);

// Registry key of the daemon's window settings ("...\Daemon" + SettingsKeySuffix).
QString DaemonSettingsKey(const Daemon& d);

// Reads a text file as lines (LF or CR LF ends a line); each line is UTF-8, or
// Latin-1 when it is not valid UTF-8, so no line is lost. False when unreadable.
bool ReadTextLines(const QString& path, QStringList* lines);

}  // namespace mvnz::mvnd
