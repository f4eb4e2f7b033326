// The timed wait: a nested event loop that runs one round of events at a time and
// checks a steady clock after each, so neither a flood of events nor a change of
// the wall clock moves the end of the wait.
#include "library/waitdispatch.h"

#include <QEventLoop>
#include <QTimer>
#include <chrono>

namespace mvnz {

using Clock = std::chrono::steady_clock;

struct CWaitNDispatch::Impl {
  bool waiting = false;
  bool signalled = false;
  bool destroyed = false;  // the object went away during its own wait
};

CWaitNDispatch::CWaitNDispatch(QObject* parent) : QObject(parent), d_(std::make_shared<Impl>()) {}

CWaitNDispatch::~CWaitNDispatch() {
  Cancel();
  d_->destroyed = true;
}

bool CWaitNDispatch::IsWaiting() const { return d_->waiting; }

void CWaitNDispatch::Cancel() {
  if (d_->waiting) d_->signalled = true;
}

bool CWaitNDispatch::Wait(long waitMilliseconds, WaitError* err) {
  if (waitMilliseconds <= 0) return true;
  if (d_->waiting) {
    if (err)
      *err = WaitError{kReentryError, QStringLiteral("CWaitNDispatch"),
                       QStringLiteral("This function is not reentrant. If you want to wait for "
                                      "a second period use a new object")};
    return false;
  }
  const std::shared_ptr<Impl> d = d_;  // outlives this object if a handler deletes it
  d->waiting = true;
  d->signalled = false;
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(waitMilliseconds);

  QEventLoop loop;
  QTimer wake;  // ends the sleep of processEvents when the time is up
  wake.setSingleShot(true);
  wake.setTimerType(Qt::PreciseTimer);
  while (!d->signalled) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now());
    if (left.count() <= 0) break;
    wake.start(int(std::min<long long>(left.count(), 24LL * 3600 * 1000)));
    loop.processEvents(QEventLoop::WaitForMoreEvents);
  }
  wake.stop();
  if (d->destroyed) return true;

  d->signalled = true;
  emit OnTimer();
  if (!d->destroyed) d->waiting = false;
  return true;
}

void WaitMilliseconds(long ms) {
  CWaitNDispatch w;
  w.Wait(ms);
}

}  // namespace mvnz
