// One full cycle of the daemon (listing, filters, stability judgement, then the command
// script once per free file with its log lines written to the log files) over a folder
// of many matching files whose script is a single built-in Comment line, against the
// scan alone (the same cycle with a script runner that does nothing and no log lines)
// back to back in the same run. Prints both times and the cost per file beyond the
// scan: the interpreter's own overhead and the log line per file. A figure, not a test.
//
// Environment: MVNZ_BENCH_CYCLE_FILES (default 10000), MVNZ_BENCH_CYCLE_ROUNDS
// (default 5), MVNZ_BENCH_DIR (where the folder is made, default the temporary folder).
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QString>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "../common/benchjob.h"
#include "../common/benchtree.h"
#include "daemon/core.h"
#include "engine/engine.h"

namespace {

using namespace mvnz;
using namespace mvnz::bench;

// The daemon's cycle over one FILE RoziRoruner. With full true it runs the real
// interpreter and the daemon's own log routine into logs; otherwise its script runner
// and its log sink do nothing.
class Cycle {
 public:
  Cycle(const QString& dir, const QString& logs, bool full) {
    engine::EnginePorts p;
    p.matcher = engine::RegExprMatcher();
    if (!full) {
      p.log = [](const QString&, const QString&, int, const QString&, int) {};
      p.runScript = [](mvnd::Daemon&, engine::EngineServices&, int) {};
    }
    engine_ = engine::MakeCycleEngine(std::move(p));
    d_.run.State = mvnd::RunState::Running;
    d_.run.DaemonInitialized = true;
    d_.settings.ShortDatePattern = QStringLiteral("dd/mm/yyyy");
    d_.settings.LogDirectory = logs;
    d_.settings.EnableLogging = full ? 1 : 0;
    d_.settings.AutoLogInternalCommands = full ? 1 : 0;
    mvnd::RoziRoruner r = BenchJob(dir, false, QStringLiteral("*.txt"), QStringLiteral("*.tmp"));
    mvnd::CommandEntry comment;
    comment.Name = QStringLiteral("Comment");
    comment.Data[1] = QStringLiteral("one line per file");
    r.Commands = {mvnd::CommandEntry{}, comment};
    r.CommandCount = 1;
    d_.jobs.RoziRoruners.append(r);
    d_.jobs.RoziRorunerCount = 1;
  }
  // Makes the RoziRoruner due now (outside the timed cycle).
  void Prepare() { engine_->InitEventTimers(d_); }
  // One cycle; the number of files the script ran for.
  qint64 Run() {
    const qint64 before = d_.jobs.RoziRoruners[0].FilesHandled;
    d_.run.ScanRunning = true;
    engine_->MainEventLoop(d_);
    d_.run.ScanRunning = false;
    return d_.jobs.RoziRoruners[0].FilesHandled - before;
  }

 private:
  mvnd::Daemon d_;
  std::unique_ptr<mvnd::Engine> engine_;
};

// Lines in the log files under logs.
qint64 LogLines(const QString& logs) {
  qint64 n = 0;
  QDirIterator it(logs, {QStringLiteral("*.log")}, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    QFile f(it.next());
    if (f.open(QIODevice::ReadOnly)) n += f.readAll().count('\n');
  }
  return n;
}

struct Timing {
  double wall = 0, cpu = 0;
  qint64 runs = 0;
};

Timing Time(Cycle& c) {
  c.Prepare();
  const double cpu0 = SelfCpu();
  const auto t0 = std::chrono::steady_clock::now();
  Timing t;
  t.runs = c.Run();
  t.wall = Seconds(std::chrono::steady_clock::now() - t0);
  t.cpu = SelfCpu() - cpu0;
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int files = EnvInt("MVNZ_BENCH_CYCLE_FILES", 10000);
  const int rounds = std::max(1, EnvInt("MVNZ_BENCH_CYCLE_ROUNDS", 5));
  const QString base = qEnvironmentVariable("MVNZ_BENCH_DIR", QDir::tempPath());
  std::string root =
      QFile::encodeName(QDir(base).filePath("mvnz-bench-cycle-XXXXXX")).toStdString();
  if (!::mkdtemp(root.data())) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::string hot = root + "/hot";
  const QString logs = QString::fromStdString(root + "/logs");
  if (!MakeTree(hot, files, 0)) {
    std::perror("making the folder");
    QDir(QString::fromStdString(root)).removeRecursively();
    return 1;
  }
  std::printf("cycle: %d files \"*.txt\" in one folder, script: one Comment line\n", files);
  std::printf("  full: the interpreter and the daemon's log routine (AutoLogInternalCommands=1)\n");
  std::printf("  scan: the same cycle, a script runner and a log sink that do nothing\n");
  std::printf("   round   scan s   full s   beyond the scan   files run\n");
  Cycle scan(QString::fromStdString(hot), logs, false), full(QString::fromStdString(hot), logs, true);
  Time(scan);  // warms the caches for both
  std::vector<double> sw, fw, per, sc, fc;
  for (int r = 0; r < rounds; ++r) {
    const Timing s = Time(scan), f = Time(full);
    sw.push_back(s.wall);
    fw.push_back(f.wall);
    sc.push_back(s.cpu);
    fc.push_back(f.cpu);
    per.push_back((f.wall - s.wall) / files * 1e6);
    std::printf("   %5d  %7.3f  %7.3f  %9.2f us/file   %lld%s\n", r + 1, s.wall, f.wall, per.back(),
                static_cast<long long>(f.runs), f.runs == files ? "" : "  (expected every file)");
  }
  const double lines = double(LogLines(logs)) / rounds;
  std::printf("   log lines written per cycle: %.0f\n", lines);
  std::printf("   median wall: scan %.3f s, full %.3f s, ratio %.2fx\n", Median(sw), Median(fw),
              Median(sw) > 0 ? Median(fw) / Median(sw) : 0.0);
  std::printf("   median cpu:  scan %.3f s, full %.3f s\n", Median(sc), Median(fc));
  std::printf("   median cost per file beyond the scan: %.2f us (goal: under 10 us)\n", Median(per));
  QDir(QString::fromStdString(root)).removeRecursively();
  return 0;
}
