#pragma once
// Whether a file is free to work on: it exists, no other process is writing it (or,
// for a writable file, holds it open at all), and it was last modified at least the
// stable time ago.
#include <sys/stat.h>

#include <QString>
#include <functional>

#include "engine/ports.h"

namespace mvnz::engine {

extern const char* const kNotFound;  // "Not Found"
extern const char* const kFree;      // "Free"
extern const char* const kLocked;    // "Locked"

struct StabilityCheck {
  LockProbe* probe = nullptr;
  qint64 nowSecs = 0;           // now, in seconds since the epoch
  double stableTimer = -1;      // seconds; -1 = no age test
  bool processReadOnly = true;  // a read-only file skips the age test
  bool showUnstableMessages = true;
  // Writes a line (message, level) to the judged RoziRoruner's log.
  std::function<void(const QString& message, int level)> log;
  // Told, for every file the probe looked at, the error of opening it (0: it could).
  std::function<void(const QString& path, int openError)> opened;
};

QString GetFileStatus(const QString& path, const StabilityCheck& check);
// The same judgement of a file that StatFile has just found, from what it read.
QString GetFileStatus(const QString& path, const struct stat& st, const StabilityCheck& check);

// The stable time in whole seconds, halves to the even number.
qint64 StableSeconds(double stableTimer);

}  // namespace mvnz::engine
