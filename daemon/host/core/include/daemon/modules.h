#pragma once
// The module table: the six built-in commands and the plug-ins' modules.
#include <QString>

#include "daemon/core.h"

namespace mvnz::mvnd {

// Rows 1..6: "ErrorAction", "EndDaemon", "StopDaemon", "Comment", "LoadCOnfig",
// "Reschedule"; then every plug-in module in load order with its ProgID.
void LoadPluginModules(Daemon& d);
// First row whose name matches (without regard to case); 0 when none.
int FindModule(const Daemon& d, const QString& name);

}  // namespace mvnz::mvnd
