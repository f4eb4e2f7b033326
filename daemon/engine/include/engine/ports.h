#pragma once
// What the engine needs of the world, passed in so tests drive it headless: the clock,
// the message pump, the file operations, the lock probe, the object factory and the
// log sink. The defaults bind the real services.
#include <sys/stat.h>

#include <QDateTime>
#include <QElapsedTimer>
#include <QString>
#include <functional>
#include <memory>

#include "library/transfer.h"
#include "platform/activation.h"
#include "platform/fileops.h"

namespace mvnz::engine {

class Clock {
 public:
  virtual ~Clock() = default;
  // Local date and time.
  virtual QDateTime now() const = 0;
  // The same moment in seconds since the epoch. The system clock reads it without the
  // time-zone work a local date-time costs, which matters once per listed file.
  virtual qint64 secsSinceEpoch() const { return now().toSecsSinceEpoch(); }
  // The local date and time of a moment given in seconds since the epoch.
  virtual QDateTime localAt(qint64 secs) const { return QDateTime::fromSecsSinceEpoch(secs); }
};

// The system's local time to the whole second (what the schedules, day texts and time
// tokens use). Worked out once a second: the local time looks at the time-zone file
// every time, and every RoziRoruner's turn of every cycle asks for it.
class SystemClock : public Clock {
 public:
  QDateTime now() const override;
  qint64 secsSinceEpoch() const override { return QDateTime::currentSecsSinceEpoch(); }
  // Remembers the last moment asked for: the RoziRoruners whose turns end in the same
  // second share their next run.
  QDateTime localAt(qint64 secs) const override;

 private:
  struct Local {
    qint64 secs = -1;
    QDateTime at;
  };
  static const QDateTime& Memo(Local& m, qint64 secs);
  mutable Local now_, at_;
};

// One pass of the event loop (timers, sockets, COM-style calls are served in it).
class MessagePump {
 public:
  virtual ~MessagePump() = default;
  virtual void pump() = 0;
};

class QtPump : public MessagePump {
 public:
  void pump() override;
};

// Lets the wrapped pump run at most once per time slice, so long loops over many
// files and lines do not spend their time in the event loop.
class SlicedPump {
 public:
  explicit SlicedPump(int sliceMs = 20) : sliceMs_(sliceMs) { timer_.start(); }
  void setPump(MessagePump* p) { pump_ = p; }
  // Pumps when the slice has passed since the last pass.
  void step();
  // Pumps now.
  void now();

 private:
  MessagePump* pump_ = nullptr;
  QElapsedTimer timer_;
  int sliceMs_;
};

// Whether another process holds a file open. Never opens the file for writing.
class LockProbe {
 public:
  virtual ~LockProbe() = default;
  // Called once at the start of each cycle: forget what was learnt in the last one.
  virtual void beginCycle() {}
  // Called at the end of each cycle: let go of what the cycle kept open.
  virtual void endCycle() {}
  // The status of a regular file at path now (false when there is none), for the
  // judgement that follows. The default stats the path; the real probe opens the file
  // once and asks its next question about that path on the same descriptor.
  virtual bool look(const QString& path, struct stat& st);
  // True when another process has the file open at all (or it cannot be checked).
  virtual bool heldOpen(const QString& path) = 0;
  // True when another process has the file open for writing (or it cannot be checked).
  virtual bool heldForWriting(const QString& path) = 0;
  // Why the last of these two calls could not check the file: the error (errno) of
  // opening it, or 0 when it was checked.
  virtual int openError() const { return 0; }
};

// The file operations of the built-in commands and of the reject handling; a
// transfer's (move, copy, one folder level) come from the shared transfer routine.
class FileOperations : public transfer::Files {
 public:
  virtual fileops::Outcome deleteFile(const QString& path) { return fileops::deleteFile(path); }
};

using ObjectFactory =
    std::function<std::unique_ptr<Object>(const QString& progId, ActivationError* err)>;

// Source letter, message, level, time text, RoziRoruner index (-1 = current).
using LogSink = std::function<void(const QString& source, const QString& message, int level,
                                   const QString& timeText, int index)>;

}  // namespace mvnz::engine
