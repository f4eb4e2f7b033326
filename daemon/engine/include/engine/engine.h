#pragma once
// The daemon's engine bound to its state: the services every engine routine shares
// (ports, the time-sliced pump, the owner cache, the due times), token expansion and
// the stability judgement for one RoziRoruner, and the engine the host's
// polling timer drives.
#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "daemon/core.h"
#include "engine/dirscan.h"
#include "engine/expansion.h"
#include "engine/ports.h"
#include "engine/stability.h"

namespace mvnz::engine {

class EngineServices;

// Runs the command script of RoziRoruner `index` once.
using ScriptRunner = std::function<void(mvnd::Daemon& d, EngineServices& s, int index)>;

// What the engine is built from. Empty members get the real services (the system
// clock, the Qt event loop, the safe file operations, the lease probe, the object
// activation, the daemon's log routine, the command-script interpreter); the matcher
// has no default.
struct EnginePorts {
  std::shared_ptr<Clock> clock;
  std::shared_ptr<MessagePump> pump;
  std::shared_ptr<FileOperations> files;
  std::shared_ptr<LockProbe> probe;
  ObjectFactory factory;
  LogSink log;
  PatternMatcher matcher;
  ScriptRunner runScript;
};

// The source letters of the engine's log lines: a system line, and a line of the
// RoziRoruner being run.
inline const QString kSystemSource = QStringLiteral("S");
inline const QString kRunnerSource = QStringLiteral("M");

class EngineServices {
 public:
  explicit EngineServices(EnginePorts ports);

  QDateTime now() const { return ports_.clock->now(); }
  // The same moment in seconds since the epoch (no time-zone work).
  qint64 nowSecs() const { return ports_.clock->secsSinceEpoch(); }
  // The local date and time of a moment in seconds since the epoch.
  QDateTime localAt(qint64 secs) const { return ports_.clock->localAt(secs); }
  FileOperations& files() { return *ports_.files; }
  LockProbe& probe() { return *ports_.probe; }
  const PatternMatcher& matcher() const { return ports_.matcher; }
  // Lets window messages run at most once per time slice (pump().now() at once).
  SlicedPump& pump() { return pump_; }
  OwnerCache& owners() { return owners_; }

  // A log line of RoziRoruner `index` (a system line names none: -1): source letter,
  // message, level, time text.
  void log(mvnd::Daemon& d, int index, const QString& source, const QString& message, int level,
           const QString& timeText = {});
  // The text with its tokens expanded for RoziRoruner `index` ("COMMAND-INTERPRETER").
  QString expand(mvnd::Daemon& d, int index, const QString& text);
  ExpansionContext expansionContext(mvnd::Daemon& d, int index);
  // "Not Found", "Free" or "Locked" for RoziRoruner `index` ("GetFileStatus").
  QString fileStatus(mvnd::Daemon& d, int index, const QString& path);
  // The same for a file StatFile has just found, judged from what it read.
  QString fileStatus(mvnd::Daemon& d, int index, const QString& path, const struct stat& st);
  // Runs the command script of RoziRoruner `index`.
  void runScript(mvnd::Daemon& d, int index);

  // Due times as date-times, so a text that is ambiguous on a day the clocks go back
  // still means the moment it was computed for. Keyed by RoziRoruner index; an entry
  // holds only while NextRun still reads as the text it was made for.
  void rememberDue(int index, const QString& text, const QDateTime& at);
  // The same when the moment's seconds since the epoch are known.
  void rememberDue(int index, const QString& text, const QDateTime& at, qint64 secs);
  // NextRun of the RoziRoruner read as a date-time; invalid when it cannot be read.
  QDateTime dueTime(const mvnd::Daemon& d, int index) const;
  // The same in seconds since the epoch, kept with the remembered moment: every turn
  // of a RoziRoruner not due asks, and a local date-time's epoch costs a time-zone look.
  std::optional<qint64> dueSecs(const mvnd::Daemon& d, int index) const;

 private:
  StabilityCheck stabilityCheck(mvnd::Daemon& d, int index);
  // Says once that a file cannot be read (until it can again): every cycle only says
  // it is not stable.
  void noteReadable(mvnd::Daemon& d, int index, const QString& path, int openError);

  EnginePorts ports_;
  SlicedPump pump_;
  OwnerCache owners_;
  struct Due {
    QString text;
    QDateTime at;
    qint64 secs;  // at in seconds since the epoch
  };
  QHash<int, Due> due_;
  QSet<QString> unreadable_;  // files said to be unreadable
};

// The system's regular expressions (RegExpr, options 0) as the filter matcher.
PatternMatcher RegExprMatcher();

// The engine of mvnd built from ports; MakeEngine() is this with the real services.
std::unique_ptr<mvnd::Engine> MakeCycleEngine(EnginePorts ports);
std::unique_ptr<mvnd::Engine> MakeEngine();

}  // namespace mvnz::engine
