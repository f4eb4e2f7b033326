#pragma once
// A timed wait that keeps the event loop running (timers, sockets, windows are served
// while it waits). One object serves one wait; a second Wait while the first runs
// raises the re-entry error. Measured on a steady clock.
#include <QObject>
#include <QString>

namespace mvnz {

// Error raised by Wait on re-entry.
struct WaitError {
  long number;          // 0x800403E9
  QString source;
  QString description;
};

class CWaitNDispatch : public QObject {
  Q_OBJECT
 public:
  explicit CWaitNDispatch(QObject* parent = nullptr);
  ~CWaitNDispatch() override;
  // Waits waitMilliseconds (0 or less returns at once). Returns false and fills err
  // when the object is already waiting.
  bool Wait(long waitMilliseconds, WaitError* err = nullptr);
  void Cancel();
  bool IsWaiting() const;
 signals:
  void OnTimer();

 private:
  struct Impl;
  Impl* d_;
};

// Waits ms milliseconds through a fresh CWaitNDispatch, ignoring errors.
void WaitMilliseconds(long ms);

}  // namespace mvnz
