#pragma once
// A timed wait that keeps the event loop running (timers, sockets, windows are served
// while it waits). One object serves one wait; a second Wait while the first runs
// raises the re-entry error. Measured on a steady clock, so setting the wall clock
// does not change how long a wait lasts.
#include <QObject>
#include <QString>
#include <memory>

namespace mvnz {

// Error raised by Wait on re-entry.
struct WaitError {
  long number;          // 0x800403E9
  QString source;       // "CWaitNDispatch"
  QString description;  // "This function is not reentrant. ..."
};

class CWaitNDispatch : public QObject {
  Q_OBJECT
 public:
  static constexpr long kReentryError = 0x800403E9;

  explicit CWaitNDispatch(QObject* parent = nullptr);
  ~CWaitNDispatch() override;
  // Waits waitMilliseconds, dispatching events, until the time has passed or Cancel
  // is called; then emits OnTimer (IsWaiting is still true inside it). 0 or less
  // returns at once without OnTimer. Returns false and fills err when the object is
  // already waiting.
  bool Wait(long waitMilliseconds, WaitError* err = nullptr);
  // Ends a running wait early; does nothing when no wait runs.
  void Cancel();
  bool IsWaiting() const;
 signals:
  void OnTimer();

 private:
  struct Impl;
  std::shared_ptr<Impl> d_;
};

// Waits ms milliseconds through a fresh CWaitNDispatch, ignoring errors; false when
// the program's end cut the wait short.
bool WaitMilliseconds(long ms);

}  // namespace mvnz
