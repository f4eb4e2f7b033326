#pragma once
// The command queue and the start, stop and shutdown transitions.
//
// Every state change goes through the queue: callers only post words (START, STOP,
// RELOAD, SAVE, SHUTDOWN, STOPSERVICE). While stopped the command-queue timer works
// the queue; while running the scan cycle takes the words (Engine::MainEventLoop):
// it handles STOP with SetDaemonState(d, RunState::Stopped) and leaves the rest queued.
#include <QString>

#include "daemon/core.h"
#include "library/exitstatus.h"

namespace mvnz::mvnd {

// Exit statuses of mvnd (shared with the service installer).
using mvnz::ExitStatus;
using enum mvnz::ExitStatus;

// Appends the words of a comma-separated list (no trimming).
void PostCommand(Daemon& d, const QString& Words);
// The words of a reload: a running cycle takes only up to a STOP, so a daemon that
// processes stops, reloads and starts again; a stopped one only reloads.
QString ReloadWords(bool running);
// Running starts processing when StartProcessing allows it (one that finds no
// RoziRoruners leaves processing wanted: the next RELOAD that loads some starts it, from
// whatever source the RELOAD came); Stopped (or Stopping)
// asks a running daemon to stop: the state is Stopping until ShutdownTick completes
// the stop once no cycle runs.
void SetDaemonState(Daemon& d, RunState target);
// The queue words a running cycle takes before its RoziRoruners: SAVE saves, STOP
// asks for the stop and leaves the later words for the stopped-state consumer (true:
// the cycle ends at once), any other word is dropped.
bool TakeRunningQueueWords(Daemon& d);
// Checks the records, resets local variables, initialises schedules, starts polling.
bool StartProcessing(Daemon& d);
// Ends the program with status (kExitOk for an ordered end, kExitFatal otherwise).
// Sets ShuttingDown; callers return at once after it (nothing more is run).
void ShutdownDaemon(Daemon& d, int status = kExitOk);
// The built-in commands EndDaemon and StopDaemon.
void DoEndDaemon(Daemon& d);
void DoStopDaemon(Daemon& d);

// Timer handlers (connected by StartTimers; callable directly in tests).
void CommandQueueTick(Daemon& d);  // stopped-state consumer
void PollingTick(Daemon& d);       // one scan cycle
void IdleTick(Daemon& d);
void ShutdownTick(Daemon& d);  // completes a stop once no cycle runs
void ServiceTick(Daemon& d);   // service start-up delay, then START
// Connects the handlers and starts tmrCommandQueue.
void StartTimers(Daemon& d);

// Seconds of the service start-up delay (registry "ServiceStartupDelay", at least 10).
QString ServiceStartupDelayText();

}  // namespace mvnz::mvnd
