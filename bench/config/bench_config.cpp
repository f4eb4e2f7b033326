// Parse-only time of a configuration of 1,000 RoziRoruners with 20 commands each:
// the bytes are built once in memory (as the writer writes them), then read with the
// daemon's policy; prints the best and the median of the runs. Goal: under 20 ms.
// Also prints the time the writer takes to build the same file's bytes.
#include <QByteArray>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "library/jobfile.h"

using namespace mvnz::jobfile;

namespace {

JobFile Model(int jobs, int commands) {
  JobFile f;
  for (int i = 0; i < jobs; ++i) {
    RoziRoruner j;
    j.Name = QStringLiteral("Job %1").arg(i);
    j.Description = QStringLiteral("Hot folder %1").arg(i);
    j.Trigger = QStringLiteral("FILE");
    j.ScanDirectory = QStringLiteral("/srv/hot/%1/<DATE_YYYY>").arg(i);
    j.InputFilter = QStringLiteral("\\.pdf$");
    j.Interval = QStringLiteral("30");
    j.StableTimer = 20;
    j.Enabled = 1;
    for (int c = 0; c < commands; ++c) {
      CommandEntry e;
      e.Name = QStringLiteral("Relocate");
      e.Data[1] = QStringLiteral("<FILE>");
      e.Data[2] = QStringLiteral("/srv/out/%1/<DATE_MM>").arg(c);
      e.Data[3] = QStringLiteral("1");
      j.Commands.append(e);
    }
    j.LocalConstants[1] = QStringLiteral("constant");
    f.RoziRoruners.append(j);
  }
  return f;
}

constexpr int kRuns = 15;

// Times of kRuns runs of step in milliseconds: the first (a fresh process's memory,
// as at the daemon's start) and the others sorted (memory reused, as at a reload).
// What a run returns is freed before the next one starts, outside the clock.
struct Times {
  double first;
  std::vector<double> rest;
  double best() const { return rest.front(); }
  double median() const { return rest[rest.size() / 2]; }
};

template <typename Step>
Times Time(Step step) {
  Times t{};
  for (int run = 0; run < kRuns; ++run) {
    const auto start = std::chrono::steady_clock::now();
    auto result = step();
    const auto end = std::chrono::steady_clock::now();
    const double ms = std::chrono::duration<double, std::milli>(end - start).count();
    if (run == 0)
      t.first = ms;
    else
      t.rest.push_back(ms);
  }
  std::sort(t.rest.begin(), t.rest.end());
  return t;
}

}  // namespace

int main() {
  const JobFile model = Model(1000, 20);
  const QByteArray bytes = RenderJobFile(model, QStringLiteral("1.0.0")).bytes;
  ReadOptions options;
  options.policy = ReadPolicy::Daemon();
  bool sound = true;
  const Times parse = Time([&] {
    ReadResult r = ParseJobFile(bytes, options);
    sound = sound && r.file.RoziRoruners.size() == 1000 && r.faults.isEmpty();
    return r;
  });
  const Times render = Time([&] {
    Rendered r = RenderJobFile(model);
    sound = sound && r.error.isEmpty();
    return r;
  });
  if (!sound) {
    std::fprintf(stderr, "unexpected parse or render result\n");
    return 1;
  }
  std::printf("config parse-only, 1,000 RoziRoruners x 20 commands (%.1f MB): first %.2f ms, "
              "then best %.2f ms, median %.2f ms (goal < 20 ms)\n",
              bytes.size() / 1e6, parse.first, parse.best(), parse.median());
  std::printf("config render (writer's bytes, same file): first %.2f ms, then best %.2f ms, "
              "median %.2f ms\n",
              render.first, render.best(), render.median());
  return 0;
}
