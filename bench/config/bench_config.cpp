// Parse-only time of a configuration of 1,000 RoziRoruners with 20 commands each:
// the bytes are built once in memory (as the writer writes them), then read with the
// daemon's policy; prints the best and the median of the runs. Goal: under 20 ms.
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

}  // namespace

int main() {
  const QByteArray bytes = RenderJobFile(Model(1000, 20), QStringLiteral("1.0.0")).bytes;
  ReadOptions options;
  options.policy = ReadPolicy::Daemon();
  std::vector<double> ms;
  for (int run = 0; run < 15; ++run) {
    const auto start = std::chrono::steady_clock::now();
    const ReadResult r = ParseJobFile(bytes, options);
    const auto end = std::chrono::steady_clock::now();
    if (r.file.RoziRoruners.size() != 1000 || !r.faults.isEmpty()) {
      std::fprintf(stderr, "unexpected parse result\n");
      return 1;
    }
    ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
  }
  std::sort(ms.begin(), ms.end());
  std::printf("config parse-only, 1,000 RoziRoruners x 20 commands (%.1f MB): best %.2f ms, "
              "median %.2f ms (goal < 20 ms)\n",
              bytes.size() / 1e6, ms.front(), ms[ms.size() / 2]);
  return 0;
}
