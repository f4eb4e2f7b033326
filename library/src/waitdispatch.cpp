// The timed wait: a nested event loop woken by a precise timer, with the end taken
// from a steady clock, so neither a flood of events nor a change of the wall clock
// moves the end of the wait. The program's end (QCoreApplication::exit) leaves every
// running event loop, and so ends a running wait as Cancel does: a daemon told to
// stop never lingers in a long wait.
#include "library/waitdispatch.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <thread>

namespace mvnz {

using Clock = std::chrono::steady_clock;

namespace {
// Exit code of the wait's own loop when its timer or Cancel wakes it; any other
// code comes from the program's end.
constexpr int kWake = 0x7A17;
}  // namespace

struct CWaitNDispatch::Impl {
  bool waiting = false;
  bool signalled = false;
  bool destroyed = false;      // the object went away during its own wait
  QEventLoop* loop = nullptr;  // the running wait's loop
};

CWaitNDispatch::CWaitNDispatch(QObject* parent) : QObject(parent), d_(std::make_shared<Impl>()) {}

CWaitNDispatch::~CWaitNDispatch() {
  Cancel();
  d_->destroyed = true;
}

bool CWaitNDispatch::IsWaiting() const { return d_->waiting; }

void CWaitNDispatch::Cancel() {
  if (!d_->waiting) return;
  d_->signalled = true;
  if (d_->loop) d_->loop->exit(kWake);
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

  if (!QCoreApplication::instance()) {
    // No event loop to serve: only the time passes.
    std::this_thread::sleep_until(end);
  } else {
    QEventLoop loop;
    QTimer wake;  // wakes the loop when the time is up
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    QObject::connect(&wake, &QTimer::timeout, &loop, [&loop] { loop.exit(kWake); });
    d->loop = &loop;
    while (!d->signalled) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now());
      if (left.count() <= 0) break;
      wake.start(int(std::min<long long>(left.count(), 24LL * 3600 * 1000)));
      if (loop.exec() != kWake) break;  // the program is ending
    }
    wake.stop();
    d->loop = nullptr;
  }
  if (d->destroyed) return true;

  d->signalled = true;
  emit OnTimer();
  if (!d->destroyed) d->waiting = false;
  return true;
}

bool WaitMilliseconds(long ms) {
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
  CWaitNDispatch w;
  w.Wait(ms);
  return Clock::now() >= end;
}

}  // namespace mvnz
