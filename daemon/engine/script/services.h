#pragma once
// The ports of a script run with the real services filled in where none was given.
#include "daemon/core.h"
#include "engine/interpreter.h"

namespace mvnz::engine::detail {

struct Services {
  Services(mvnd::Daemon& d, const ScriptPorts& ports);
  Services(const Services&) = delete;
  Services& operator=(const Services&) = delete;

  mvnd::Daemon& d;
  const Clock& clock;
  FileOperations& files;
  ObjectFactory createObject;
  LogSink log;
  SlicedPump* pump;
  OwnerCache ownOwners;
  OwnerCache* owners;

  // A line ("M", time text empty) of RoziRoruner index; -1: the one whose script runs.
  void line(int level, const QString& message, int index = -1) const;
  // The same, only when AutoLogInternalCommands is 1.
  void autoLine(int level, const QString& message, int index = -1) const;
  // Lets pending events run (time-sliced when the caller gave its pump).
  void pumpEvents() const;
};

}  // namespace mvnz::engine::detail
