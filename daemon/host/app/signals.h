#pragma once
// SIGTERM and SIGINT delivered into the event loop through a self-pipe.
#include <QObject>
#include <functional>

namespace mvnz::mvnd {

// Installs the handlers; onStop runs in the event loop once per signal received.
bool InstallStopSignals(QObject* owner, std::function<void()> onStop);

}  // namespace mvnz::mvnd
