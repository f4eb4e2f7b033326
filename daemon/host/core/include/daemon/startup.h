#pragma once
// Start-up: the command line, initialisation and the configured run mode.
#include <QString>
#include <QStringList>

#include "daemon/core.h"
#include "daemon/service.h"

namespace mvnz::mvnd {

// Result of the command line: Continue to start normally, or the status to end with.
constexpr int kContinue = -1;
// "-install" / "-uninstall" (exact case) followed by "]~["-separated key=value items
// configure the service and end; any other text starts the daemon normally.
int ProcessCommandLine(Daemon& d, const QString& commandLine);
// Applies items 1.. of a split command line to the service control.
void ApplyServiceSettings(ServiceControl& svc, const QStringList& items);
// The configuration file a start reads: MVNZuri.ini in the Windows folder.
QString DefaultConfigPath();
// Initialises every setting and table, loads plug-ins and configuration, writes the
// log header and sets DaemonInitialized.
void InitDaemon(Daemon& d);
// Starts the configured run mode (posts START or arms the service timer).
void AutoStart(Daemon& d);
// Saves the per-user "LastStartTime" setting.
void SaveLastStartTime(const QDateTime& t);
QString LastStartTime();

}  // namespace mvnz::mvnd
