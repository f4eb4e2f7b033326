// Opening and saving a configuration of 1,000 RoziRoruners with 20 commands each
// through the manager: the load with its main window refilling the RoziRoruner list,
// and the save (silent) with its preferences. Prints the median and the worst of
// several rounds. A figure, not a test.
//
// Environment: MVNZ_BENCH_MANAGER_JOBS (default 1000), MVNZ_BENCH_MANAGER_COMMANDS
// (default 20), MVNZ_BENCH_MANAGER_ROUNDS (default 7), MVNZ_BENCH_DIR (where the file
// and the registry store are made, default the temporary folder).
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "manager/filecommands.h"
#include "manager/identity.h"
#include "manager/session.h"
#include "manager/ui/manager.h"
#include "platform/prompts.h"

using namespace mvnz;
using namespace mvnz::manager;

namespace {

int EnvInt(const char* name, int fallback) {
  bool ok = false;
  const int v = qEnvironmentVariableIntValue(name, &ok);
  return ok && v > 0 ? v : fallback;
}

void Fill(Session& s, int jobs, int commands) {
  for (int j = 0; j < jobs; ++j) {
    const int i = s.AddRoziRoruner(QStringLiteral("Job%1").arg(j));
    jobfile::RoziRoruner& r = s.model.RoziRoruners[i];
    r.ScanDirectory = QStringLiteral("/srv/in/%1").arg(j);
    r.InputFilter = QStringLiteral("\\.txt$");
    for (int c = 0; c < commands; ++c) {
      jobfile::CommandEntry e;
      e.Name = QStringLiteral("Relocate");
      e.Data[1] = QStringLiteral("<SCANPATHFILENAME>");
      e.Data[2] = QStringLiteral("/srv/out/%1/<FILENAME>").arg(c);
      e.Data[3] = QStringLiteral("0");
      e.Data[4] = QStringLiteral("1");
      r.Commands.append(e);
    }
    for (int k = 1; k <= 15; ++k) r.LocalConstants[k] = QStringLiteral("c%1").arg(k);
  }
}

struct Figures {
  double median, worst;
};

template <class F>
Figures Time(int rounds, F&& f) {
  std::vector<double> ms;
  for (int i = 0; i < rounds; ++i) {
    QElapsedTimer t;
    t.start();
    f();
    ms.push_back(t.nsecsElapsed() / 1e6);
  }
  std::sort(ms.begin(), ms.end());
  return {ms[ms.size() / 2], ms.back()};
}

}  // namespace

int main(int argc, char** argv) {
  const QString base = qEnvironmentVariable("MVNZ_BENCH_DIR", QDir::tempPath());
  QTemporaryDir root(base + QStringLiteral("/mvnz-bench-manager-XXXXXX"));
  for (const char* var : {"windir", "MVNZ_REGISTRY_DIR", "MVNZ_RUNTIME_DIR", "XDG_CONFIG_HOME"}) {
    const QString p = root.path() + QLatin1Char('/') + QLatin1String(var);
    QDir().mkpath(p);
    qputenv(var, p.toLocal8Bit());
  }
  QApplication app(argc, argv);
  prompts::install(prompts::makeHeadless());

  const int jobs = EnvInt("MVNZ_BENCH_MANAGER_JOBS", 1000);
  const int commands = EnvInt("MVNZ_BENCH_MANAGER_COMMANDS", 20);
  const int rounds = EnvInt("MVNZ_BENCH_MANAGER_ROUNDS", 7);
  Session session;
  session.VersionText = VersionText();
  ui::Manager manager(session);
  session.ConfigurationPath = root.path() + QStringLiteral("/MVNZuri.ini");
  Fill(session, jobs, commands);
  if (!WriteConfigFile(session, true)) return 1;
  const qint64 bytes = QFileInfo(session.ConfigurationPath).size();

  const Figures open = Time(rounds, [&] { LoadConfiguration(session); });
  if (session.RoziRorunerCount() != jobs) {
    std::fprintf(stderr, "bench_manager: loaded %d RoziRoruners, expected %d\n",
                 session.RoziRorunerCount(), jobs);
    return 1;
  }
  const Figures save = Time(rounds, [&] { WriteConfigFile(session, true); });
  std::printf("manager: %d RoziRoruners x %d commands, %.1f MiB file, %d rounds\n", jobs, commands,
              bytes / 1048576.0, rounds);
  std::printf("  open  median %8.1f ms  worst %8.1f ms  (goal < 200 ms)\n", open.median, open.worst);
  std::printf("  save  median %8.1f ms  worst %8.1f ms  (goal < 200 ms)\n", save.median, save.worst);
  return 0;
}
