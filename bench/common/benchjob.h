#pragma once
// The RoziRoruner the cycle benchmarks run: a FILE trigger due every second, every day,
// over dir, with a stable time of 20 s (the benchmark files are an hour old).
#include <QString>

#include "daemon/core.h"

namespace mvnz::bench {

inline mvnd::RoziRoruner BenchJob(const QString& dir, bool recursive, const QString& input,
                                  const QString& reject) {
  mvnd::RoziRoruner r;
  r.Name = QStringLiteral("Bench");
  r.ScanDirectory = dir;
  r.IncludeSubdir = recursive ? 1 : 0;
  r.InputFilter = input;
  r.RejectFilter = reject;
  r.SkipRejected = true;
  r.Interval = QStringLiteral("1");
  r.Trigger = QStringLiteral("FILE");
  r.StableTimer = 20;
  r.Enabled = 1;
  r.Active = true;
  r.RunDays = QStringLiteral("1111111");
  return r;
}

}  // namespace mvnz::bench
