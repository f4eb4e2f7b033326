// One scan cycle of the daemon's engine (listing, input and reject filters, stability
// judgement of every listed file) over a hot folder of many files, against
// find DIR -type f -printf '%s %T@ %p\n' over the same tree, back to back in the same
// run. Prints the times, their ratio and the peak memory. A figure, not a test.
//
// Environment: MVNZ_BENCH_SCAN_FILES (default 100000), MVNZ_BENCH_SCAN_FOLDERS
// (subfolders of the nested layout, default 1000), MVNZ_BENCH_SCAN_ROUNDS (default 5),
// MVNZ_BENCH_DIR (where the trees are made, default the temporary folder),
// MVNZ_BENCH_SCAN_INPUT and MVNZ_BENCH_SCAN_REJECT (the filters, default "*.txt" and
// "*.tmp"), MVNZ_BENCH_SCAN_LAYOUT ("flat" or "nested": that layout only, for profiling
// one of them).
#include <spawn.h>
#include <sys/wait.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../common/benchjob.h"
#include "../common/benchtree.h"
#include "daemon/core.h"
#include "engine/engine.h"

extern char** environ;

namespace {

using namespace mvnz;

using namespace mvnz::bench;

struct Timing {
  double wall = 0, cpu = 0;
};

// find over the tree, its output thrown away.
Timing RunFind(const std::string& dir) {
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
  const char* argv[] = {"find", dir.c_str(), "-type", "f", "-printf", "%s %T@ %p\n", nullptr};
  pid_t pid = 0;
  const auto t0 = std::chrono::steady_clock::now();
  Timing t;
  if (posix_spawnp(&pid, "find", &fa, nullptr, const_cast<char**>(argv), environ) == 0) {
    int status = 0;
    rusage ru;
    ::wait4(pid, &status, 0, &ru);
    t.wall = Seconds(std::chrono::steady_clock::now() - t0);
    t.cpu = CpuSeconds(ru);
  }
  posix_spawn_file_actions_destroy(&fa);
  return t;
}

// The filters of the RoziRoruner; every name ends in ".txt", so each file is tried
// against both patterns.
const QString kInputFilter = qEnvironmentVariable("MVNZ_BENCH_SCAN_INPUT", QStringLiteral("*.txt"));
const QString kRejectFilter =
    qEnvironmentVariable("MVNZ_BENCH_SCAN_REJECT", QStringLiteral("*.tmp"));

// The daemon's own cycle (MainEventLoop) over one FILE RoziRoruner, with a script
// runner that only counts the files it is called for and a log sink that counts lines.
class Cycle {
 public:
  Cycle(const QString& dir, bool recursive) {
    engine::EnginePorts p;
    p.log = [this](const QString&, const QString& message, int level, const QString&, int) {
      ++lines_;
      if (level >= 1 && notes_.size() < 3) notes_ << message;
    };
    p.matcher = engine::RegExprMatcher();  // the daemon's own
    p.runScript = [this](mvnd::Daemon&, engine::EngineServices&, int) { ++runs_; };
    engine_ = engine::MakeCycleEngine(std::move(p));
    d_.run.State = mvnd::RunState::Running;
    d_.run.DaemonInitialized = true;
    d_.settings.ShortDatePattern = QStringLiteral("dd/mm/yyyy");
    mvnd::RoziRoruner r = BenchJob(dir, recursive, kInputFilter, kRejectFilter);
    d_.jobs.RoziRoruners.append(r);
    d_.jobs.RoziRorunerCount = 1;
  }
  // Makes the RoziRoruner due now (outside the timed cycle).
  void Prepare() { engine_->InitEventTimers(d_); }
  // One cycle; the number of files judged free (the script runs once for each).
  qint64 Run() {
    runs_ = 0;
    d_.run.ScanRunning = true;
    engine_->MainEventLoop(d_);
    d_.run.ScanRunning = false;
    return runs_;
  }
  QStringList notes() const { return notes_; }
  static const char* What() {
    return "the daemon's cycle (MainEventLoop, GetFileList, GetFileStatus)";
  }

 private:
  mvnd::Daemon d_;
  std::unique_ptr<mvnd::Engine> engine_;
  qint64 runs_ = 0, lines_ = 0;
  QStringList notes_;
};

void Measure(const char* layout, const std::string& dir, bool recursive, int files, int rounds) {
  std::printf("-- %s: %d files%s\n", layout, files, recursive ? ", subfolders included" : "");
  RunFind(dir);  // warms the caches for both
  ResetPeak();
  const double rssBefore = StatusMb("VmRSS:");
  Cycle cycle(QString::fromStdString(dir), recursive);
  std::vector<double> fw, fc, cw, cc;
  std::printf("   round   find s   cycle s   ratio   free files\n");
  for (int r = 0; r < rounds; ++r) {
    const Timing f = RunFind(dir);
    cycle.Prepare();
    const double cpu0 = SelfCpu();
    const auto t0 = std::chrono::steady_clock::now();
    const qint64 free = cycle.Run();
    const double wall = Seconds(std::chrono::steady_clock::now() - t0);
    const double cpu = SelfCpu() - cpu0;
    fw.push_back(f.wall);
    fc.push_back(f.cpu);
    cw.push_back(wall);
    cc.push_back(cpu);
    std::printf("   %5d  %7.3f  %8.3f  %5.2fx  %lld%s\n", r + 1, f.wall, wall,
                f.wall > 0 ? wall / f.wall : 0.0, static_cast<long long>(free),
                free == files ? "" : "  (expected every file)");
  }
  for (const QString& n : cycle.notes()) std::printf("   log: %s\n", qPrintable(n));
  const double mf = Median(fw), mc = Median(cw);
  std::printf("   median wall: find %.3f s, cycle %.3f s, ratio %.2fx (goal: within 2x)\n", mf, mc,
              mf > 0 ? mc / mf : 0.0);
  std::printf("   median cpu:  find %.3f s, cycle %.3f s, ratio %.2fx\n", Median(fc), Median(cc),
              Median(fc) > 0 ? Median(cc) / Median(fc) : 0.0);
  std::printf(
      "   peak memory: %.1f MB (process peak during the cycles; %.1f MB before them; "
      "goal: under 100 MB)\n",
      StatusMb("VmHWM:"), rssBefore);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int files = EnvInt("MVNZ_BENCH_SCAN_FILES", 100000);
  const int folders = EnvInt("MVNZ_BENCH_SCAN_FOLDERS", 1000);
  const int rounds = std::max(1, EnvInt("MVNZ_BENCH_SCAN_ROUNDS", 5));
  const QString base = qEnvironmentVariable("MVNZ_BENCH_DIR", QDir::tempPath());
  std::string root = QFile::encodeName(QDir(base).filePath("mvnz-bench-scan-XXXXXX")).toStdString();
  if (!::mkdtemp(root.data())) {
    std::perror("mkdtemp");
    return 1;
  }
  std::printf("scan cycle: %s\n", Cycle::What());
  std::printf("filters: input \"%s\", reject \"%s\" (the system's regular expressions)\n",
              qPrintable(kInputFilter), qPrintable(kRejectFilter));
  std::printf(
      "stable time 20 s, files an hour old; peer: find DIR -type f -printf '%%s %%T@ "
      "%%p\\n' >/dev/null\n");
  std::printf("trees in %s (%d rounds, median taken)\n", root.c_str(), rounds);
  const std::string flat = root + "/flat", nested = root + "/nested";
  const QString layout = qEnvironmentVariable("MVNZ_BENCH_SCAN_LAYOUT");
  const bool doFlat = layout != QLatin1String("nested"), doNested = layout != QLatin1String("flat");
  int rc = 0;
  if ((doFlat && !MakeTree(flat, files, 0)) || (doNested && !MakeTree(nested, files, folders))) {
    std::perror("making the trees");
    rc = 1;
  } else {
    if (doFlat) Measure("flat", flat, false, files, rounds);
    if (doNested) Measure("nested", nested, true, files, rounds);
  }
  QDir(QString::fromStdString(root)).removeRecursively();
  return rc;
}
