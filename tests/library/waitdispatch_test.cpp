#include <gtest/gtest.h>
#include <QTimer>
#include <chrono>

#include "library/waitdispatch.h"

using namespace mvnz;
using Clock = std::chrono::steady_clock;

namespace {

long long msSince(Clock::time_point t) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

// Generous upper bound: the machine is shared, so only "does not hang" is checked.
constexpr long long kSlack = 8000;

}  // namespace

TEST(WaitDispatch, ZeroOrNegativeReturnsAtOnceWithoutEvent) {
  CWaitNDispatch w;
  int events = 0;
  QObject::connect(&w, &CWaitNDispatch::OnTimer, [&] { ++events; });
  const auto t0 = Clock::now();
  EXPECT_TRUE(w.Wait(0));
  EXPECT_TRUE(w.Wait(-5000));
  EXPECT_LT(msSince(t0), kSlack);
  EXPECT_EQ(events, 0);
  EXPECT_FALSE(w.IsWaiting());
  w.Cancel();  // idle: nothing happens
  EXPECT_FALSE(w.IsWaiting());
}

TEST(WaitDispatch, RealWaitServesEventsAndRaisesOnTimer) {
  CWaitNDispatch w;
  int ticks = 0, events = 0;
  bool waitingInEvent = false;
  WaitError err{};
  bool secondWait = true;
  QObject::connect(&w, &CWaitNDispatch::OnTimer, [&] {
    ++events;
    waitingInEvent = w.IsWaiting();
    secondWait = w.Wait(10, &err);
  });
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
  tick.start(20);
  const auto t0 = Clock::now();
  EXPECT_TRUE(w.Wait(300));
  const long long took = msSince(t0);
  EXPECT_GE(took, 300);
  EXPECT_LT(took, 300 + kSlack);
  EXPECT_GT(ticks, 0);
  EXPECT_EQ(events, 1);
  EXPECT_TRUE(waitingInEvent);
  EXPECT_FALSE(secondWait);
  EXPECT_EQ(err.number, 0x800403E9L);
  EXPECT_EQ(err.source, QString("CWaitNDispatch"));
  EXPECT_EQ(err.description, QString("This function is not reentrant. If you want to wait for a "
                                     "second period use a new object"));
  EXPECT_FALSE(w.IsWaiting());
  // Idle again: the object can wait once more.
  EXPECT_TRUE(w.Wait(20));
  EXPECT_EQ(events, 2);
}

TEST(WaitDispatch, ReentryDuringTheWaitIsRefusedAndLeavesItRunning) {
  CWaitNDispatch w;
  bool inner = true;
  WaitError err{};
  QTimer::singleShot(30, [&] { inner = w.Wait(5000, &err); });
  const auto t0 = Clock::now();
  EXPECT_TRUE(w.Wait(200));
  EXPECT_GE(msSince(t0), 200);
  EXPECT_LT(msSince(t0), 4000);  // the refused 5-second wait did not run
  EXPECT_FALSE(inner);
  EXPECT_EQ(err.number, CWaitNDispatch::kReentryError);
}

TEST(WaitDispatch, CancelEndsTheWaitAndStillRaisesOnTimer) {
  CWaitNDispatch w;
  int events = 0;
  QObject::connect(&w, &CWaitNDispatch::OnTimer, [&] { ++events; });
  QTimer::singleShot(50, [&] { w.Cancel(); });
  const auto t0 = Clock::now();
  EXPECT_TRUE(w.Wait(60000));
  EXPECT_LT(msSince(t0), 30000);
  EXPECT_EQ(events, 1);
}

TEST(WaitDispatch, NestedWaitEndsBeforeTheOuterOne) {
  CWaitNDispatch outer, inner;
  QStringList order;
  QObject::connect(&outer, &CWaitNDispatch::OnTimer, [&] { order << "outer"; });
  QObject::connect(&inner, &CWaitNDispatch::OnTimer, [&] { order << "inner"; });
  QTimer::singleShot(30, [&] { inner.Wait(400); });
  const auto t0 = Clock::now();
  outer.Wait(100);
  EXPECT_GE(msSince(t0), 430);
  EXPECT_EQ(order, (QStringList{"inner", "outer"}));
}

TEST(WaitDispatch, EndsOnTimeUnderAFloodOfTimerEvents) {
  QTimer flood;
  int fired = 0;
  QObject::connect(&flood, &QTimer::timeout, [&] { ++fired; });
  flood.start(0);
  QTimer flood2;
  QObject::connect(&flood2, &QTimer::timeout, [&] { ++fired; });
  flood2.start(0);
  CWaitNDispatch w;
  const auto t0 = Clock::now();
  w.Wait(300);
  const long long took = msSince(t0);
  EXPECT_GE(took, 300);
  EXPECT_LT(took, 300 + kSlack);
  EXPECT_GT(fired, 10);
}

TEST(WaitDispatch, ObjectDeletedDuringItsOwnWait) {
  auto* w = new CWaitNDispatch;
  int events = 0;
  QObject::connect(w, &CWaitNDispatch::OnTimer, [&] { ++events; });
  QTimer::singleShot(30, [&] { delete w; });
  const auto t0 = Clock::now();
  EXPECT_TRUE(w->Wait(60000));
  EXPECT_LT(msSince(t0), 30000);
  EXPECT_EQ(events, 0);

  // Deleted from its own OnTimer handler.
  auto* v = new CWaitNDispatch;
  QObject::connect(v, &CWaitNDispatch::OnTimer, [&] { delete v; });
  EXPECT_TRUE(v->Wait(20));
}

TEST(WaitDispatch, WaitMillisecondsHelper) {
  const auto t0 = Clock::now();
  WaitMilliseconds(50);
  EXPECT_GE(msSince(t0), 50);
}
