// Schedules: kinds and first due times, runs over time with run-day masks, every
// RESCHEDULE letter, month ends, and the days the clocks change.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "cyclerig.h"
#include "engine/schedules.h"

using namespace mvnz;
using namespace mvnz::engine;
using mvnz::test::CycleRig;

namespace {

QDateTime At(int y, int mo, int d, int h, int mi, int s = 0) {
  return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

// Runs the tests of a scope in a time zone with clock changes.
struct ZoneGuard {
  explicit ZoneGuard(const char* tz) {
    const char* old = std::getenv("TZ");
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~ZoneGuard() {
    if (had_)
      setenv("TZ", old_.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }
  bool had_ = false;
  std::string old_;
};

}  // namespace

TEST(Schedules, KindsAndFirstDueTimes) {
  // Wednesday 11 March 2026, 10:00:00.
  const struct {
    const char* interval;
    const char* kind;
    const char* nextRun;
    bool active;
    bool errorLine;
  } cases[] = {
      {"30", "NORMAL", "11-Mar-2026 10:00:00", true, false},
      {"abc", "NORMAL", "11-Mar-2026 10:00:00", true, false},
      {"<LC1>", "NORMAL", "11-Mar-2026 10:00:00", true, false},  // expands to 45
      {"*ON-STARTUP*", "STARTUP", "11-Mar-2026 10:00:00", true, false},
      {"*on-startup*", "DATE", "", false, true},  // the marker is exact
      {"7:30", "TIME", "12-Mar-2026 07:30:00", true, false},
      {"10:00", "TIME", "11-Mar-2026 10:00:00", true, false},
      {"23:15", "TIME", "11-Mar-2026 23:15:00", true, false},
      {"7:75", "TIME", "", false, true},
      {"24-12-2030", "DATE", "24-Dec-2030 10:00:00", true, false},
      {"11-03-2026", "DATE", "11-Mar-2026 10:00:00", true, false},
      {"10-03-2026", "DATE", "10-Mar-2026 10:00:00", false, false},
      {"-5", "DATE", "", false, true},
      {"24-12-2030 18:45", "DATETIME", "24-12-2030 18:45", true, false},
      {"01-01-2000 10:00", "DATETIME", "01-01-2000 10:00", false, false},
      {"31-02-2030 10:00", "DATETIME", "", false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.interval);
    CycleRig rig;
    mvnd::RoziRoruner& r = rig.Add("Job", c.interval);
    r.LocalConstants[1] = "45";
    rig.Add("After", "60");  // an unreadable schedule leaves the others alone
    rig.Init();
    const mvnd::RoziRoruner& j = rig.d.jobs.RoziRoruners[0];
    EXPECT_EQ(j.ScheduleKind, c.kind);
    EXPECT_EQ(j.NextRun, c.nextRun);
    EXPECT_EQ(j.Active, c.active);
    EXPECT_EQ(rig.d.jobs.RoziRoruners[1].NextRun, "11-Mar-2026 10:00:00");
    EXPECT_TRUE(rig.d.jobs.RoziRoruners[1].Active);
    const QStringList lines = rig.TakeLines();
    EXPECT_EQ(lines.first(), "S-1:0:Initializing Event Timers");
    EXPECT_EQ(lines.size(), c.errorLine ? 2 : 1) << lines.join('\n').toStdString();
    if (c.errorLine) {
      EXPECT_TRUE(lines[1].startsWith("S0:2:ERROR-INIT_EVENT_TIMERS:")) << lines[1].toStdString();
    }
  }
  CycleRig rig;
  rig.Add("Job", "<LC1>").LocalConstants[1] = "45";
  rig.Init();
  EXPECT_EQ(rig.d.jobs.RoziRoruners[0].ScheduleText, "45");
}

TEST(Schedules, RunsOverTime) {
  // Each step sets the clock, runs one cycle and says whether the job ran.
  struct Step {
    QDateTime at;
    bool runs;
  };
  const struct {
    const char* interval;
    const char* runDays;
    std::vector<Step> steps;
  } cases[] = {
      // Every 30 s, counted from the end of each run; exactly due (d = 0) runs.
      {"30",
       "1111111",
       {{At(2026, 3, 11, 10, 0), true},
        {At(2026, 3, 11, 10, 0, 29), false},
        {At(2026, 3, 11, 10, 0, 30), true},
        {At(2026, 3, 11, 10, 0, 59), false},
        {At(2026, 3, 11, 10, 1, 0), true}}},
      // Daily at 7:30: tomorrow, once a day even when the due time lies behind.
      {"7:30",
       "1111111",
       {{At(2026, 3, 11, 10, 0), false},
        {At(2026, 3, 12, 7, 29, 59), false},
        {At(2026, 3, 12, 7, 30), true},
        {At(2026, 3, 12, 7, 31), false},
        {At(2026, 3, 13, 7, 30), true}}},
      {"*ON-STARTUP*",
       "1111111",
       {{At(2026, 3, 11, 10, 0), true},
        {At(2026, 3, 11, 10, 0, 1), false},
        {At(2026, 3, 12, 10, 0), false}}},
      {"11-03-2026",
       "1111111",
       {{At(2026, 3, 11, 10, 0), true}, {At(2026, 3, 11, 10, 0, 1), false}}},
      {"11-03-2026 10:00",
       "1111111",
       {{At(2026, 3, 11, 9, 59, 59), false},
        {At(2026, 3, 11, 10, 0), true},
        {At(2026, 3, 12, 10, 0), false}}},
      // Weekdays only: a due interval job waits over the weekend and runs on Monday.
      {"30",
       "1111100",
       {{At(2026, 3, 14, 10, 0), false},
        {At(2026, 3, 15, 23, 59, 59), false},
        {At(2026, 3, 16, 0, 0, 5), true}}},
      // A daily time on a day the mask leaves out moves on a day at a time: it runs at
      // 7:30 on Monday, not at midnight.
      {"7:30",
       "1111100",
       {{At(2026, 3, 14, 7, 30), false},
        {At(2026, 3, 15, 7, 30), false},
        {At(2026, 3, 16, 0, 0, 1), false},
        {At(2026, 3, 16, 7, 29), false},
        {At(2026, 3, 16, 7, 30), true}}},
      // A mask too short for the day never runs.
      {"30", "11", {{At(2026, 3, 11, 10, 0), false}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.interval) + " " + c.runDays);
    CycleRig rig(c.steps.front().at);
    if (c.steps.front().at > At(2026, 3, 11, 10, 0)) rig.clock->set(At(2026, 3, 11, 10, 0));
    rig.Add("Job", c.interval).RunDays = c.runDays;
    rig.Init();
    for (const Step& st : c.steps) {
      SCOPED_TRACE(st.at.toString(Qt::ISODate).toStdString());
      rig.clock->set(st.at);
      rig.Cycle();
      EXPECT_EQ(rig.TakeRuns().size(), st.runs ? 1 : 0)
          << rig.d.jobs.RoziRoruners[0].NextRun.toStdString();
    }
  }
}

TEST(Schedules, RescheduleLetters) {
  const QDateTime wed = At(2026, 3, 11, 10, 0);
  const struct {
    const char* request;
    QDateTime now;
    const char* nextRun;  // "" = unchanged
    const char* kind;
    bool active;
    const char* line;  // "" = none
  } cases[] = {
      {"I,90", wed, "11/03/2026 10:01:30", "NORMAL", true,
       "M0:0:Rescheduling, Interval: 90 [11/03/2026 10:01:30]"},
      {"M,5", wed, "11/03/2026 10:05:00", "NORMAL", true,
       "M0:0:Rescheduling, +Minutes: 5 [11/03/2026 10:05:00]"},
      {"M,<LC1>", wed, "11/03/2026 10:03:00", "NORMAL", true,
       "M0:0:Rescheduling, +Minutes: 3 [11/03/2026 10:03:00]"},
      {"M,abc", wed, "11/03/2026 10:00:00", "NORMAL", true,
       "M0:0:Rescheduling, +Minutes: abc [11/03/2026 10:00:00]"},
      {"H,2", wed, "11/03/2026 12:00:00", "NORMAL", true,
       "M0:0:Rescheduling, +Hours: 2 [11/03/2026 12:00:00]"},
      {"D,1", wed, "12/03/2026 10:00:00", "NORMAL", true,
       "M0:0:Rescheduling, +Days: 1 [12/03/2026 10:00:00]"},
      {"W,3", wed, "01/04/2026 10:00:00", "NORMAL", true,
       "M0:0:Rescheduling, +Weeks: 3 [01/04/2026 10:00:00]"},
      {"N,1", At(2026, 1, 31, 8, 15), "28/02/2026 08:15:00", "NORMAL", true,
       "M0:0:Rescheduling, +Months: 1 [28/02/2026 08:15:00]"},
      {"N,1", At(2028, 1, 31, 8, 15), "29/02/2028 08:15:00", "NORMAL", true,
       "M0:0:Rescheduling, +Months: 1 [29/02/2028 08:15:00]"},
      {"N,12", At(2026, 12, 31, 8, 15), "31/12/2027 08:15:00", "NORMAL", true,
       "M0:0:Rescheduling, +Months: 12 [31/12/2027 08:15:00]"},
      {"T,06:30", wed, "12-03-2026 06:30:00", "DATETIME", true,
       "M0:0:Rescheduling, Tomorrow: 06:30 [12-03-2026 06:30:00]"},
      {"T,06:30", At(2026, 12, 31, 23, 0), "01-01-2027 06:30:00", "DATETIME", true,
       "M0:0:Rescheduling, Tomorrow: 06:30 [01-01-2027 06:30:00]"},
      {"S,24-12-2030 10:00", wed, "24-12-2030 10:00", "DATETIME", true,
       "M0:0:Rescheduling, Date/time: 24-12-2030 10:00 [24-12-2030 10:00]"},
      {"S,01-01-2000 10:00", wed, "01-01-2000 10:00", "DATETIME", false, ""},
      // Malformed requests change nothing and say so.
      {"X,5", wed, "", "", true, "M0:1:WARNING: Reschedule request [X,5] not applied"},
      {"i,5", wed, "", "", true, "M0:1:WARNING: Reschedule request [i,5] not applied"},
      {"M5", wed, "", "", true, "M0:1:WARNING: Reschedule request [M5] not applied"},
      {"S,someday", wed, "", "", true, "M0:1:WARNING: Reschedule request [S,someday] not applied"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.request);
    CycleRig rig(c.now);
    rig.Add("Job", "30").LocalConstants[1] = "3";
    rig.Init();
    const QString before = rig.d.jobs.RoziRoruners[0].NextRun;
    rig.TakeLines();
    // The script leaves the request, as a RESCHEDULE line does; the cycle applies it.
    rig.onRun = [&](mvnd::Daemon& d, EngineServices&, int index) {
      d.jobs.RoziRoruners[0].RescheduleText = c.request;
    };
    rig.Cycle();
    const mvnd::RoziRoruner& r = rig.d.jobs.RoziRoruners[0];
    EXPECT_EQ(r.NextRun, *c.nextRun ? QString(c.nextRun) : before);
    EXPECT_EQ(r.ScheduleKind, *c.kind ? QString(c.kind) : QString("NORMAL"));
    EXPECT_EQ(r.Active, c.active);
    const QStringList lines = rig.TakeLines();
    if (*c.line) {
      ASSERT_EQ(lines.size(), 1);
      EXPECT_TRUE(lines[0].startsWith(c.line)) << lines[0].toStdString();
    } else {
      EXPECT_TRUE(lines.isEmpty()) << lines.join('\n').toStdString();
    }
  }
}

// Where the clocks skip midnight, a "Tomorrow" request on the day before still names
// the next day.
TEST(Schedules, TomorrowRequestWhenMidnightIsSkipped) {
  ZoneGuard zone("America/Santiago");  // 6 September 2026, 00:00 becomes 01:00
  CycleRig rig(At(2026, 9, 5, 10, 0));
  rig.Add("Job", "30");
  rig.Init();
  rig.TakeLines();
  rig.onRun = [](mvnd::Daemon& d, EngineServices&, int index) {
    d.jobs.RoziRoruners[0].RescheduleText = "T,06:30";
  };
  rig.Cycle();
  const mvnd::RoziRoruner& r = rig.d.jobs.RoziRoruners[0];
  EXPECT_EQ(r.NextRun, "06-09-2026 06:30:00");
  EXPECT_EQ(r.ScheduleKind, "DATETIME");
  EXPECT_TRUE(r.Active);
  EXPECT_EQ(rig.TakeLines(),
            QStringList{"M0:0:Rescheduling, Tomorrow: 06:30 [06-09-2026 06:30:00]"});
}

TEST(Schedules, RequestKeepsDecidingLaterRuns) {
  CycleRig rig;
  rig.Add("Job", "3600");
  rig.Init();
  rig.onRun = [](mvnd::Daemon& d, EngineServices&, int index) {
    if (d.jobs.RoziRoruners[0].RescheduleText.isEmpty())
      d.jobs.RoziRoruners[0].RescheduleText = "M,5";
  };
  rig.Cycle();
  EXPECT_EQ(rig.d.jobs.RoziRoruners[0].NextRun, "11/03/2026 10:05:00");
  rig.clock->set(At(2026, 3, 11, 10, 4, 59));
  rig.Cycle();
  EXPECT_TRUE(rig.TakeRuns().size() == 1);  // the first run only
  rig.clock->set(At(2026, 3, 11, 10, 5));
  rig.Cycle();
  EXPECT_EQ(rig.TakeRuns().size(), 1);
  EXPECT_EQ(rig.d.jobs.RoziRoruners[0].NextRun, "11/03/2026 10:10:00");
}

TEST(Schedules, DaysTheClocksChange) {
  ZoneGuard zone("Europe/Berlin");
  // Spring: 29 March 2026, 02:00 becomes 03:00. A daily 7:30 stays at 7:30, 23 hours on.
  {
    CycleRig rig(At(2026, 3, 28, 7, 30));
    rig.Add("Daily", "7:30");
    rig.Add("Days", "60");
    rig.Init();
    rig.onRun = [](mvnd::Daemon& d, EngineServices&, int index) {
      if (index == 1) d.jobs.RoziRoruners[1].RescheduleText = "D,1";
    };
    rig.Cycle();
    EXPECT_EQ(rig.TakeRuns(), (QStringList{"Daily", "Days"}));
    EXPECT_EQ(rig.d.jobs.RoziRoruners[0].NextRun, "29-Mar-2026 07:30:00");
    EXPECT_EQ(rig.d.jobs.RoziRoruners[1].NextRun, "29/03/2026 07:30:00");
    rig.clock->set(At(2026, 3, 29, 7, 29, 59));
    rig.Cycle();
    EXPECT_TRUE(rig.TakeRuns().isEmpty());
    rig.clock->set(At(2026, 3, 29, 7, 30));
    rig.Cycle();
    EXPECT_EQ(rig.TakeRuns(), (QStringList{"Daily", "Days"}));
  }
  // A daily time inside the skipped hour still runs that day.
  {
    CycleRig rig(At(2026, 3, 28, 12, 0));
    rig.Add("Gap", "2:30");
    rig.Init();
    EXPECT_EQ(rig.d.jobs.RoziRoruners[0].ScheduleKind, "TIME");
    rig.clock->set(At(2026, 3, 29, 4, 0));
    rig.Cycle();
    EXPECT_EQ(rig.TakeRuns(), QStringList{"Gap"});
    EXPECT_EQ(rig.d.jobs.RoziRoruners[0].NextRun, "30-Mar-2026 02:30:00");
    // Its due time on the day itself reads as the wall clock then shows it.
    CycleRig other(At(2026, 3, 29, 1, 0));
    other.Add("Gap", "2:30");
    other.Init();
    EXPECT_EQ(other.d.jobs.RoziRoruners[0].NextRun, "29-Mar-2026 03:30:00");
  }
  // Autumn: 25 October 2026, 03:00 becomes 02:00, so 02:30 comes twice. An hourly job
  // run at the first 02:30 is next due at the second one, an hour later, although
  // both read "25-Oct-2026 02:30:00".
  {
    const QDateTime first = QDateTime::fromSecsSinceEpoch(
        QDateTime(QDate(2026, 10, 25), QTime(0, 30), Qt::UTC).toSecsSinceEpoch());
    CycleRig rig(first);
    rig.Add("Hourly", "3600");
    rig.Init();
    rig.Cycle();
    EXPECT_EQ(rig.TakeRuns().size(), 1);
    EXPECT_EQ(rig.d.jobs.RoziRoruners[0].NextRun, "25-Oct-2026 02:30:00");
    rig.clock->set(first.addSecs(60));
    rig.Cycle();
    EXPECT_TRUE(rig.TakeRuns().isEmpty());
    rig.clock->set(first.addSecs(3600));
    rig.Cycle();
    EXPECT_EQ(rig.TakeRuns().size(), 1);
    EXPECT_EQ(rig.d.jobs.RoziRoruners[0].NextRun, "25-Oct-2026 03:30:00");
  }
}
