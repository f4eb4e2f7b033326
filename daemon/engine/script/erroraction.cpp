#include "engine/erroraction.h"

#include <exception>

#include "daemon/queue.h"
#include "engine/dirscan.h"
#include "library/catalogue.h"
#include "library/transfer.h"
#include "library/waitdispatch.h"
#include "platform/paths.h"
#include "services.h"

namespace mvnz::engine {

namespace {

using detail::Services;
using fileops::Status;

const QString kTrue = QStringLiteral("True");

// The current file of a pass, or null for a time-triggered run (no file list).
const FileTable* currentFile(const mvnd::RoziRoruner& r) {
  const FileTable* t = r.FileList.get();
  if (r.FilesPending <= 0 || !t || t->atEnd()) return nullptr;
  return t;
}

// The error line of a delete or move with no current file (a time-triggered run).
QString noCurrentFile(const QString& action) {
  return "ERROR_DO-ON-ERROR: Error while executing DoOnError function [DoOnError][No current file "
         "to " + action + "]";
}

void killFile(const Services& s, const QString& path, const QString& onlyIfEmpty) {
  try {
    if (!FileExists(path)) {
      s.line(1, "WARNING_KILLFILE: Sourcefile [" + path + "] not found!");
      return;
    }
    fileops::FileFacts facts;
    if (onlyIfEmpty == QLatin1String("1") && fileops::regularFile(path, &facts) && facts.size == 0)
      s.autoLine(0, "Deleting empty file [" + path + "]");
    else if (onlyIfEmpty == QLatin1String("0"))
      s.autoLine(0, "Deleting file [" + path + "]");
    else
      return;
    const fileops::Outcome o = s.files.deleteFile(path);
    if (o.ok()) return;
    if (o.status == Status::SourceMissing) {  // gone meanwhile
      s.line(1, "WARNING_KILLFILE: Sourcefile [" + path + "] not found!");
      return;
    }
    s.line(2, "ERROR_KILLFILE: Could not delete file [" + path + "] [][" + o.errorText + "]");
  } catch (const std::exception& e) {
    s.line(2, "ERROR_KILLFILE: Could not delete file [" + path + "] [][" +
                  QString::fromLocal8Bit(e.what()) + "]");
  }
  s.d.run.LastCommandError = true;
}

// The built-in move's wording of a transfer's lines ("[][why]": no error source).
class BuiltinSink final : public transfer::Sink {
 public:
  BuiltinSink(const Services& s, const QString& source, const QString& destination)
      : s_(s), source_(source), destination_(destination) {}

  void sourceMissing() override {
    s_.line(1, "WARNING_RELOCATE: Sourcefile [" + source_ + "] not found!");
  }
  void overwriteOff() override {
    s_.line(2, "ERROR_RELOCATE: File [" + destination_ +
                   "] exists & OVERWRITE=OFF, file not copied!");
  }
  void starting() override {
    s_.autoLine(0, "Moving file [" + source_ + "] to [" + destination_ + "]...");
  }
  void failed(const fileops::Outcome& o) override { couldNotMove(o.errorText); }

  void couldNotMove(const QString& why) const {
    s_.line(2, "ERROR_RELOCATE: Could not move file [" + source_ + "] to [" + destination_ +
                   "] [][" + why + "]");
  }

 private:
  const Services& s_;
  const QString& source_;
  const QString& destination_;
};

void transferFile(const Services& s, const QString& source, const QString& destination,
                  const QString& overwrite, const QString& createFolders) {
  BuiltinSink sink(s, source, destination);
  transfer::Result result = transfer::Result::Failed;
  try {
    const transfer::Request r{transfer::Kind::Move, source, destination, transfer::OverwriteOf(transfer::Kind::Move, overwrite),
                              createFolders == QLatin1String("1")};
    result = transfer::Run(r, sink, s.files);
  } catch (const std::exception& e) {
    sink.couldNotMove(QString::fromLocal8Bit(e.what()));
  }
  if (result == transfer::Result::TargetExists || result == transfer::Result::Failed)
    s.d.run.LastCommandError = true;
}

}  // namespace

using P = catalogue::param::ErrorAction;

void DoOnError(mvnd::Daemon& d, int index, const ScriptParams& Params, const ScriptPorts& ports) {
  const Services s(d, ports);
  if (index < 0 || index >= d.jobs.RoziRoruners.size()) return;
  d.jobs.RoziRoruners[index].AbortScript = true;
  try {
    if (Params[P::Fork] != kTrue) {
      const mvnd::RoziRoruner& r = d.jobs.RoziRoruners[index];
      if (Params[P::Delete] == kTrue) {
        s.autoLine(0, QStringLiteral("Executing [OnError] Command <Delete File>"));
        if (const FileTable* f = currentFile(r))
          killFile(s, f->filepathname(), QStringLiteral("0"));
        else
          s.line(2, noCurrentFile(QStringLiteral("delete")));
      } else if (Params[P::Move] == kTrue) {
        s.autoLine(0, QStringLiteral("Executing [OnError] Command <Move File>"));
        const FileTable* f = currentFile(r);
        if (!f)
          s.line(2, noCurrentFile(QStringLiteral("move")));
        else if (Params[P::MoveFolder].isEmpty())
          // An empty folder would move the file to the top of the file system.
          s.line(2, "ERROR_DO-ON-ERROR: Destination folder is empty, file [" + f->filepathname() +
                        "] not moved!");
        else
          transferFile(s, f->filepathname(), paths::join(Params[P::MoveFolder], f->filename()),
                       QStringLiteral("1"), QStringLiteral("1"));
      } else if (Params[P::Abort] == kTrue && Params[P::Resume] == QLatin1String("0")) {
        s.autoLine(0, QStringLiteral("Executing [OnError] Command <Abort CommandScript>"));
      } else if (Params[P::Stop] == kTrue) {
        s.autoLine(0, QStringLiteral("Executing [OnError] Command <StopDaemon>"));
        mvnd::DoStopDaemon(d);
      }
    }
    if (Params[P::Resume] == QLatin1String("1")) {
      d.jobs.RoziRoruners[index].AbortScript = false;
      s.autoLine(0, QStringLiteral("Resuming CommandScript after Error"));
    }
  } catch (const std::exception& e) {
    s.line(2, "ERROR_DO-ON-ERROR: Error while executing DoOnError function [][" +
                  QString::fromLocal8Bit(e.what()) + "]");
    if (index < d.jobs.RoziRoruners.size()) d.jobs.RoziRoruners[index].AbortScript = true;
  }
}

void KillFile(mvnd::Daemon& d, const QString& path, const QString& onlyIfEmpty,
              const ScriptPorts& ports) {
  killFile(Services(d, ports), path, onlyIfEmpty);
}

void TransferFile(mvnd::Daemon& d, const QString& source, const QString& destination,
                  const QString& overwrite, const QString& createFolders,
                  const ScriptPorts& ports) {
  transferFile(Services(d, ports), source, destination, overwrite, createFolders);
}

void DoLoadConfig(mvnd::Daemon& d, const QString& path, const ScriptPorts& ports) {
  const Services s(d, ports);
  try {
    if (!FileExists(path)) {
      s.line(1, "ERROR_LOADCONFIG: Configuration-file [" + path + "] not found!");
      d.run.LastCommandError = true;
      return;
    }
    d.settings.ConfigPath = path;
    s.autoLine(0, "Loading configuration-file [" + path + "]");
    d.run.LoadConfigPending = true;
    d.run.ScanRunning = false;
    mvnd::PostCommand(d, QStringLiteral("STOP,RELOAD,START"));
  } catch (const std::exception& e) {
    s.line(2, "ERROR_LOADCONFIG: Could not load configuration-file [" + path + "] [][" +
                  QString::fromLocal8Bit(e.what()) + "]");
    d.run.LastCommandError = true;
  }
}

void WaitSeconds(long n) {
  if (n <= 0 || n > 2147483L) return;  // n * 1000 beyond the Long range skips the wait
  WaitMilliseconds(n * 1000);
}

}  // namespace mvnz::engine
