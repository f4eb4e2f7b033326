#pragma once
// Schedules: the kind of an Interval text, the first due times when processing
// starts, the run-day mask, the due test of a cycle, the next run after a run and
// the RESCHEDULE requests left by a script.
#include <QDate>
#include <QString>

#include "daemon/core.h"
#include "engine/engine.h"

namespace mvnz::engine {

// "NORMAL", "STARTUP", "TIME", "DATE" or "DATETIME" for an expanded Interval.
QString ScheduleKindOf(const QString& scheduleText);
// True when the text is a time of day "h:mm" or "hh:mm" (the once-a-day guard).
bool IsTimeOfDayText(const QString& scheduleText);

// Kind, expanded text and first due time of every RoziRoruner.
void InitEventTimers(mvnd::Daemon& d, EngineServices& s);
// True when the mask allows the day (character 1 = Monday).
bool IsRunDay(const mvnd::RoziRoruner& r, const QDate& day);

enum class Due { No, Yes, Unreadable };
// The due test of the cycle for RoziRoruner `index`.
Due IsDue(mvnd::Daemon& d, EngineServices& s, int index);
// The next run after a run of RoziRoruner `index`: its Interval again, or its
// RESCHEDULE request. False when its schedule text can no longer be read.
bool ComputeNextRun(mvnd::Daemon& d, EngineServices& s, int index);
// Applies RescheduleText of RoziRoruner `index`.
void RescheduleRoziRoruner(mvnd::Daemon& d, EngineServices& s, int index);

}  // namespace mvnz::engine
