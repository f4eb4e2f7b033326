#include "engine/stability.h"

#include <sys/stat.h>

#include <cmath>

#include "engine/dirscan.h"

namespace mvnz::engine {

const char* const kNotFound = "Not Found";
const char* const kFree = "Free";
const char* const kLocked = "Locked";

namespace {

// The answers as shared texts, so giving one allocates nothing.
const QString& NotFoundText() {
  static const QString t = QString::fromLatin1(kNotFound);
  return t;
}
const QString& FreeText() {
  static const QString t = QString::fromLatin1(kFree);
  return t;
}
const QString& LockedText() {
  static const QString t = QString::fromLatin1(kLocked);
  return t;
}

// Asks the probe, and passes on whether it could open the file.
bool Held(const QString& path, const StabilityCheck& c, bool (LockProbe::*ask)(const QString&)) {
  const bool held = (c.probe->*ask)(path);
  if (c.opened) c.opened(path, c.probe->openError());
  return held;
}

}  // namespace

qint64 StableSeconds(double stableTimer) {
  // Round half to even, whatever the current rounding mode.
  const double f = std::floor(stableTimer);
  const double diff = stableTimer - f;
  double r = f;
  if (diff > 0.5 || (diff == 0.5 && std::fmod(f, 2.0) != 0.0)) r = f + 1;
  return qint64(r);
}

QString GetFileStatus(const QString& path, const StabilityCheck& c) {
  struct stat st;
  if (!StatFile(path, st)) return NotFoundText();
  return GetFileStatus(path, st, c);
}

QString GetFileStatus(const QString& path, const struct stat& st, const StabilityCheck& c) {
  auto notStable = [&]() -> QString {
    if (c.showUnstableMessages && c.log) c.log("File [" + path + "] is not stable", 0);
    return LockedText();
  };
  const bool readOnly = !(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH));
  if (readOnly) {
    if (!c.processReadOnly) {
      if (c.log)
        c.log(
            "WARNING: File [" + path + "] is ReadOnly and <Process ReadOnly> setting is disabled!",
            1);
      return LockedText();
    }
    // A file being written may well be read-only here: only the age test is skipped.
    if (c.probe && Held(path, c, &LockProbe::heldForWriting)) return notStable();
    return FreeText();
  }
  if (c.probe && Held(path, c, &LockProbe::heldOpen)) return notStable();
  if (c.stableTimer == -1) return FreeText();
  const qint64 age = c.nowSecs - qint64(st.st_mtim.tv_sec);
  if (age >= StableSeconds(c.stableTimer)) return FreeText();
  return notStable();
}

}  // namespace mvnz::engine
