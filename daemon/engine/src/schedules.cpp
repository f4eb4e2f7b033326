#include "engine/schedules.h"

#include <algorithm>
#include <cmath>

#include "library/dates.h"
#include "library/dates.h"
#include "library/numbers.h"

namespace mvnz::engine {

using mvnd::Daemon;
using mvnd::RoziRoruner;

namespace {

const QString kStartupMarker = QStringLiteral("*ON-STARTUP*");

// The clock's time cut to whole seconds. The system clock's are already: a local
// date-time's arithmetic costs a time-zone look.
QDateTime WholeSeconds(const QDateTime& t) {
  const int ms = t.time().msec();
  return ms == 0 ? t : t.addMSecs(-ms);
}

QString ShortPattern(const mvnd::Settings& s) {
  return s.ShortDatePattern.isEmpty() ? QStringLiteral("dd/mm/yyyy") : s.ShortDatePattern;
}

// Sets NextRun to a moment, remembering the moment behind its text.
void SetDue(Daemon& d, EngineServices& s, int i, const QDateTime& at, const QString& text) {
  d.jobs.RoziRoruners[i].NextRun = text;
  s.rememberDue(i, text, at);
}

void SetDue(Daemon& d, EngineServices& s, int i, const QDateTime& at) {
  SetDue(d, s, i, at, FormatDueTime(at));
}

// Sets NextRun to a moment in seconds since the epoch: its local time is the clock's,
// shared by the RoziRoruners whose turns end in the same second.
void SetDueSecs(Daemon& d, EngineServices& s, int i, qint64 secs) {
  const QDateTime at = s.localAt(secs);
  const QString text = FormatDueTime(at);
  d.jobs.RoziRoruners[i].NextRun = text;
  s.rememberDue(i, text, at, secs);
}

// The same local time of day on a later day (a day of a clock change keeps its hour).
QDateTime AtTimeOn(const QDate& day, const QTime& time) { return LocalDateTime(day, time); }

// Nearest whole number, kept within a few centuries so no date arithmetic overflows.
qint64 WholeNumber(double v) {
  constexpr double kLimit = 1e10;
  if (!(v == v)) return 0;
  return qint64(std::llround(std::clamp(v, -kLimit, kLimit)));
}

}  // namespace

QString ScheduleKindOf(const QString& t) {
  const bool dash = t.contains(QLatin1Char('-'));
  const bool colon = t.contains(QLatin1Char(':'));
  if (!dash && !colon) return QStringLiteral("NORMAL");
  if (t == kStartupMarker) return QStringLiteral("STARTUP");
  if (colon && !dash) return QStringLiteral("TIME");
  if (dash && !colon) return QStringLiteral("DATE");
  return QStringLiteral("DATETIME");
}

bool IsTimeOfDayText(const QString& t) {
  return (t.size() == 4 && t[1] == QLatin1Char(':')) || (t.size() == 5 && t[2] == QLatin1Char(':'));
}

bool IsRunDay(const RoziRoruner& r, const QDate& day) {
  const int n = day.dayOfWeek();
  return n >= 1 && r.RunDays.size() >= n && r.RunDays[n - 1] == QLatin1Char('1');
}

void InitEventTimers(Daemon& d, EngineServices& s) {
  s.log(d, -1, kSystemSource, QStringLiteral("Initializing Event Timers"), 0);
  if (d.settings.ShortDatePattern.isEmpty()) d.settings.ShortDatePattern = GetShortDatePattern();
  const QDateTime now = WholeSeconds(s.now());
  for (RoziRoruner& r : d.jobs.RoziRoruners) r.NextRun.clear();
  for (int i = 0; i < d.jobs.RoziRoruners.size(); ++i) {
    const QString text = s.expand(d, i, d.jobs.RoziRoruners[i].Interval);
    RoziRoruner& r = d.jobs.RoziRoruners[i];
    r.ScheduleText = text;
    const QString kind = ScheduleKindOf(text);
    bool readable = true;
    if (kind == QLatin1String("NORMAL") || kind == QLatin1String("STARTUP")) {
      SetDue(d, s, i, now);
    } else if (kind == QLatin1String("TIME")) {
      const auto tod = ParseTimeOfDay(text);
      if (tod) {
        QDateTime at = AtTimeOn(now.date(), *tod);
        if (SecondsBetween(now, at) < 0) at = AtTimeOn(now.date().addDays(1), *tod);
        SetDue(d, s, i, at);
      }
      readable = bool(tod);
      r.LastRunDay.clear();
    } else if (kind == QLatin1String("DATE")) {
      const auto day = ParseDateTimeText(text, d.settings.ShortDatePattern);
      if (day) {
        const QDateTime at = AtTimeOn(day->date(), now.time());
        SetDue(d, s, i, at);
        if (SecondsBetween(now, at) < 0) r.Active = false;
      }
      readable = bool(day);
      r.LastRunDay.clear();
    } else {  // DATETIME: kept as written
      const auto at = ParseDateTimeText(text, d.settings.ShortDatePattern);
      if (at) {
        SetDue(d, s, i, *at, text);
        if (SecondsBetween(now, *at) < 0) r.Active = false;
      }
      readable = bool(at);
      r.LastRunDay.clear();
    }
    r.ScheduleKind = kind;
    if (!readable) {
      // One unreadable schedule takes only its own RoziRoruner out, until a reload.
      d.jobs.RoziRoruners[i].Active = false;
      if (d.jobs.RoziRoruners[i].Enabled == 1)
        s.log(d, i, kSystemSource,
              QStringLiteral("ERROR-INIT_EVENT_TIMERS: Could not read the schedule [%1] of "
                             "RoziRoruner [%2], it stays inactive until the next reload")
                  .arg(text, d.jobs.RoziRoruners[i].Name),
              2);
    }
  }
}

Due IsDue(Daemon& d, EngineServices& s, int i) {
  RoziRoruner& r = d.jobs.RoziRoruners[i];
  // Whole seconds from now to the due time, without the time-zone work of local times.
  const QDate today = s.now().date();
  if (IsTimeOfDayText(r.ScheduleText) && FormatDay(today) == r.LastRunDay) return Due::No;
  const auto at = s.dueSecs(d, i);
  if (!at) return Due::Unreadable;
  if (*at - s.nowSecs() > 0) return Due::No;
  if (!IsRunDay(r, today)) {
    // A daily time passed on a day the mask leaves out waits for the same time of the
    // next day, not for midnight of the next run day.
    if (r.ScheduleKind == QLatin1String("TIME"))
      SetDue(d, s, i, AtTimeOn(today.addDays(1), s.dueTime(d, i).time()));
    return Due::No;
  }
  return Due::Yes;
}

bool ComputeNextRun(Daemon& d, EngineServices& s, int i) {
  if (!d.jobs.RoziRoruners[i].RescheduleText.isEmpty()) {
    RescheduleRoziRoruner(d, s, i);
    return true;
  }
  const QDateTime now = WholeSeconds(s.now());
  const QString text = s.expand(d, i, d.jobs.RoziRoruners[i].Interval);
  RoziRoruner& r = d.jobs.RoziRoruners[i];
  r.ScheduleText = text;
  const QString& kind = r.ScheduleKind;
  if (kind == QLatin1String("NORMAL")) {
    SetDueSecs(d, s, i, s.nowSecs() + WholeNumber(Val(text)));
  } else if (kind == QLatin1String("TIME")) {
    const auto tod = ParseTimeOfDay(text);
    if (!tod) return false;
    SetDue(d, s, i, AtTimeOn(now.date().addDays(1), *tod));
  } else if (kind == QLatin1String("DATE") || kind == QLatin1String("DATETIME") ||
             kind == QLatin1String("STARTUP")) {
    r.Active = false;
  }
  return true;
}

void RescheduleRoziRoruner(Daemon& d, EngineServices& s, int i) {
  const QString request = d.jobs.RoziRoruners[i].RescheduleText;
  const QStringList pieces = request.split(QLatin1Char(','));
  auto malformed = [&](const QString& why) {
    s.log(d, i, kRunnerSource,
          QStringLiteral("WARNING: Reschedule request [%1] not applied (%2)").arg(request, why), 1);
  };
  if (pieces.size() < 2) return malformed(QStringLiteral("no value after the letter"));
  const QString letter = pieces[0];
  const QString value = s.expand(d, i, pieces[1]);
  const QDateTime now = WholeSeconds(s.now());
  const QString pattern = ShortPattern(d.settings);

  struct Step {
    const char* letter;
    const char* label;
    qint64 seconds;  // 0: calendar months
  };
  static const Step steps[] = {{"I", "Interval", 1},       {"M", "+Minutes", 60},
                               {"H", "+Hours", 3600},      {"D", "+Days", 86400},
                               {"W", "+Weeks", 7 * 86400}, {"N", "+Months", 0}};
  for (const Step& st : steps) {
    if (letter != QLatin1String(st.letter)) continue;
    const double n = Val(value);
    const double secs = n * double(st.seconds);
    QDateTime at;
    if (st.seconds == 0)
      at = now.addMonths(int(std::clamp<qint64>(WholeNumber(n), -120000, 120000)));
    else if (st.seconds >= 86400 && std::fmod(secs, 86400.0) == 0)
      // Whole days keep the time of day across a clock change.
      at = now.addDays(WholeNumber(secs / 86400.0));
    else
      at = now.addSecs(WholeNumber(secs));
    RoziRoruner& r = d.jobs.RoziRoruners[i];
    r.ScheduleKind = QStringLiteral("NORMAL");
    SetDue(d, s, i, at, FormatShortDateTime(at, pattern));
    s.log(d, i, kRunnerSource,
          QStringLiteral("Rescheduling, %1: %2 [%3]")
              .arg(QLatin1String(st.label), value, d.jobs.RoziRoruners[i].NextRun),
          0);
    return;
  }

  QString text;
  const char* label = nullptr;
  if (letter == QLatin1String("T")) {
    text = FormatDate(LocalDateTime(now.date().addDays(1), QTime(0, 0)), kDateFormat) +
           QLatin1Char(' ') + value + QStringLiteral(":00");
    label = "Tomorrow";
  } else if (letter == QLatin1String("S")) {
    text = value;
    label = "Date/time";
  } else {
    return malformed(QStringLiteral("unknown letter"));
  }
  const auto at = ParseDateTimeText(text, d.settings.ShortDatePattern);
  if (!at) return malformed(QStringLiteral("not a date and time"));
  RoziRoruner& r = d.jobs.RoziRoruners[i];
  r.ScheduleKind = QStringLiteral("DATETIME");
  SetDue(d, s, i, *at, text);
  if (SecondsBetween(now, *at) < 0) {
    r.Active = false;
    return;
  }
  s.log(d, i, kRunnerSource,
        QStringLiteral("Rescheduling, %1: %2 [%3]").arg(QLatin1String(label), value, r.NextRun), 0);
}

}  // namespace mvnz::engine
