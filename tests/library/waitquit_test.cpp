// The program's end ends a running wait. A test program of its own: once the
// application is told to exit, every later event loop of the process returns at once.
#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QTimer>
#include <chrono>

#include "library/waitdispatch.h"

using namespace mvnz;
using Clock = std::chrono::steady_clock;

namespace {
long long msSince(Clock::time_point t) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}
}  // namespace

TEST(WaitDispatchQuit, ProgramEndEndsRunningAndLaterWaits) {
  CWaitNDispatch outer, inner;
  QStringList order;
  QObject::connect(&outer, &CWaitNDispatch::OnTimer, [&] { order << "outer"; });
  QObject::connect(&inner, &CWaitNDispatch::OnTimer, [&] { order << "inner"; });
  QTimer::singleShot(20, [&] { inner.Wait(60000); });
  QTimer::singleShot(80, [] { QCoreApplication::exit(0); });
  const auto t0 = Clock::now();
  EXPECT_TRUE(outer.Wait(60000));
  EXPECT_LT(msSince(t0), 30000);
  EXPECT_EQ(order, (QStringList{"inner", "outer"}));
  EXPECT_FALSE(outer.IsWaiting());

  // While the program ends, a new wait does not hold it up.
  CWaitNDispatch late;
  int events = 0;
  QObject::connect(&late, &CWaitNDispatch::OnTimer, [&] { ++events; });
  const auto t1 = Clock::now();
  EXPECT_TRUE(late.Wait(60000));
  EXPECT_LT(msSince(t1), 30000);
  EXPECT_EQ(events, 1);
}
