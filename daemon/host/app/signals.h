#pragma once
// The signals the daemon answers, delivered into the event loop through a self-pipe:
// SIGTERM and SIGINT end it in order, SIGHUP reloads its configuration.
#include <QObject>
#include <functional>

namespace mvnz::mvnd {

// Installs the handlers; onStop and onReload run in the event loop. Signals that
// arrive together are answered once: a stop before a reload, and a stop alone.
bool InstallSignals(QObject* owner, std::function<void()> onStop, std::function<void()> onReload);

}  // namespace mvnz::mvnd
