#pragma once
// Process signals (SIGTERM, SIGINT, SIGHUP ...) delivered on the event loop: the
// handler only writes the signal's number into a socket pair, and a notifier on the
// loop calls back with it, so the callback may do anything a window event may do.
#include <QObject>
#include <functional>
#include <initializer_list>

namespace mvnz::signalwatch {

// Installs the handler for each signal; onSignal runs on owner's thread for every
// signal that arrives. One watcher per process (a later call replaces the callback).
// False when the socket pair or a handler could not be set up.
bool watch(QObject* owner, std::initializer_list<int> signalNumbers,
           std::function<void(int)> onSignal);

}  // namespace mvnz::signalwatch
