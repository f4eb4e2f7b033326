#include "daemon/config.h"

#include <QFile>
#include <QHash>
#include <QSet>

#include "daemon/logging.h"
#include "engine/dirscan.h"
#include "library/numbers.h"
#include "library/regwrap.h"

namespace mvnz::mvnd {

namespace {

jobfile::GlobalSettings CurrentGlobals(const Daemon& d) {
  jobfile::GlobalSettings g;
  g.LogDirectory = d.settings.LogDirectory;
  g.EnableLogging = d.settings.EnableLogging;
  g.AutoLogInternalCommands = d.settings.AutoLogInternalCommands;
  g.InitialGlobalsValue = d.settings.InitialGlobalsValue;
  std::copy(d.settings.GlobalConstants.begin(), d.settings.GlobalConstants.end(),
            g.GlobalConstants.begin());
  g.AutoStart = d.settings.AutoStartEnabled;
  g.AutoStartState = d.settings.AutoStartState;
  g.NoTrayIcon = d.settings.NoTrayIcon;
  if (!d.settings.ShowUnstableMessages) g.ShowUnstableMessages = QStringLiteral("0");
  return g;
}

void ApplyGlobals(Daemon& d, const jobfile::GlobalSettings& g) {
  d.settings.LogDirectory = g.LogDirectory;
  d.settings.EnableLogging = g.EnableLogging;
  d.settings.AutoLogInternalCommands = g.AutoLogInternalCommands;
  d.settings.InitialGlobalsValue = g.InitialGlobalsValue;
  d.settings.ShowUnstableMessages = jobfile::ShowUnstableMessagesOn(g);
  std::copy(g.GlobalConstants.begin(), g.GlobalConstants.end(), d.settings.GlobalConstants.begin());
  d.settings.AutoStartEnabled = g.AutoStart;
  d.settings.AutoStartState = g.AutoStartState;
  d.settings.NoTrayIcon = g.NoTrayIcon;
  // An empty title keeps the caption the daemon gave itself.
  if (!g.RoziRoruTitle.isEmpty()) d.view.MainCaption = g.RoziRoruTitle;
}

// The patterns of a filter that the scan could not use, each with why.
QList<std::pair<QString, QString>> PatternFaults(const QString& filter) {
  QList<std::pair<QString, QString>> faults;
  for (const QString& p : engine::SplitFilter(filter))
    if (QString why = engine::FilterPatternError(p); !why.isEmpty()) faults.append({p, why});
  return faults;
}

// Why the scan could not use a filter's patterns; empty when it can use them all.
QString FilterError(const QString& filter) {
  QStringList texts;
  for (const auto& [pattern, why] : PatternFaults(filter))
    texts << QStringLiteral("pattern [%1] cannot be used [%2]").arg(pattern, why);
  return texts.join(QStringLiteral(", "));
}

// The patterns of a filter that the load reports as unusable (see FilterError).
QSet<QString> UnusablePatterns(const QString& filter) {
  QSet<QString> out;
  for (const auto& fault : PatternFaults(filter)) out.insert(fault.first);
  return out;
}

// A record for a job of the file. The patterns the load has already reported are
// marked so that the scan does not report them again; filters repeat across jobs, so
// each filter text is checked once per load (known: filter -> its unusable patterns).
RoziRoruner RecordOf(jobfile::RoziRoruner&& j, QHash<QString, QSet<QString>>& known) {
  RoziRoruner r;
  static_cast<jobfile::RoziRoruner&>(r) = std::move(j);
  if (r.RunDays.isEmpty()) r.RunDays = QStringLiteral("1111111");
  r.Active = true;
  for (const QString* filter : {&r.InputFilter, &r.RejectFilter}) {
    if (filter->isEmpty()) continue;
    auto it = known.constFind(*filter);
    if (it == known.cend()) it = known.insert(*filter, UnusablePatterns(*filter));
    r.ReportedPatterns.unite(*it);
  }
  return r;
}

}  // namespace

jobfile::GlobalSettings ReadGlobalSettings(const QString& path) {
  jobfile::ReadOptions o;
  o.globalsOnly = true;
  o.settle = jobfile::SettleRule::Standard();
  const jobfile::ReadResult read = jobfile::ReadJobFile(path, o);
  return read.ok() ? read.file.Globals : jobfile::GlobalSettings{};
}

QString DaemonSettingsKey(const Settings& s) {
  return QStringLiteral("Software\\Orvendel\\MervaneZuri\\Daemon") + s.SettingsKeySuffix;
}

jobfile::ReadOptions DaemonReadOptions(const Daemon& d) {
  jobfile::ReadOptions o;
  o.policy = jobfile::ReadPolicy::Daemon();
  o.startGlobals = CurrentGlobals(d);
  if (d.NextModuleRow > 0) {
    o.knownCommand = [table = d.ModuleTable, next = d.NextModuleRow](const QString& name) {
      return ProvidesCommand(table, next, name);
    };
  }
  o.filterError = FilterError;
  // The settle wait serves the queue, the timers and the signals; a daemon told to end
  // waits no longer.
  o.settle = jobfile::SettleRule::Standard();
  o.settle.wait = [&d, wait = std::move(o.settle.wait)](std::chrono::milliseconds pause) {
    return !d.run.ShuttingDown && wait(pause) && !d.run.ShuttingDown;
  };
  return o;
}

void ApplyJobFile(Daemon& d, jobfile::JobFile file) {
  ApplyGlobals(d, file.Globals);
  d.jobs.RoziRoruners.clear();
  d.jobs.RoziRoruners.reserve(file.RoziRoruners.size());
  QHash<QString, QSet<QString>> known;
  for (jobfile::RoziRoruner& j : file.RoziRoruners)
    d.jobs.RoziRoruners.append(RecordOf(std::move(j), known));
  d.jobs.RoziRorunerCount = static_cast<int>(d.jobs.RoziRoruners.size());
}

void LoadDaemonSettings(Daemon& d) {
  const QString text = GetRegString(DaemonSettingsKey(d.settings), QStringLiteral("BufferSize"));
  const auto n = LeadingInt16(text);
  int size = n ? *n : 75;
  if (size < 1 || size > 500) size = 75;
  if (size != d.settings.BufferSize) {
    d.settings.BufferSize = size;
    ClearLogWindow(d);
  }
  d.ui().LoadDaemonSettings();
}

void ReloadConfiguration(Daemon& d) {
  WriteLogLine(d, QStringLiteral("S"), QStringLiteral("Reloading configuration ....."), 0);
  const bool wasReloading = d.run.Reloading;
  d.run.Reloading = true;
  d.ui().SetBusy(true);
  const jobfile::ReadOptions options = DaemonReadOptions(d);
  jobfile::ReadResult read = jobfile::ReadJobFile(d.settings.ConfigPath, options);
  if (d.run.ShuttingDown) {
    // Ended during the settle wait: nothing is left to run on what was read.
    d.ui().SetBusy(false);
    d.run.Reloading = wasReloading;
    return;
  }
  // Said once the new settings hold, so that they reach the log those settings name.
  QStringList warnings;
  if (read.ok()) {
    if (read.stillChanging)
      warnings << QStringLiteral("WARNING: Config-file [%1] still changing after %2 ms, read as "
                                 "it stands")
                      .arg(d.settings.ConfigPath)
                      .arg(options.settle.bound.count());
    // A mistyped header leaves every setting as it was, logging and AutoStart included.
    if (!read.hasGlobals)
      warnings << QStringLiteral(
                      "WARNING: Config-file has no [CONFIGURATION] section [%1], the settings "
                      "stay as they were")
                      .arg(d.settings.ConfigPath);
    for (const jobfile::Fault& f : read.faults) warnings << jobfile::FaultMessage(f);
    ApplyJobFile(d, std::move(read.file));
  } else if (read.status == jobfile::ReadStatus::Missing) {
    warnings << QStringLiteral(
                    "WARNING: Config-file not found [%1], the RoziRoruners stay as they were")
                    .arg(d.settings.ConfigPath);
  } else {
    warnings << QStringLiteral("WARNING: %1, the RoziRoruners stay as they were").arg(read.error);
  }
  LoadDaemonSettings(d);
  d.jobs.GlobalVariables.fill(d.settings.InitialGlobalsValue);
  ResetLogBuffers(d.log, d.jobs.RoziRorunerCount);
  d.ui().ClearLogWindow();
  d.view.LogWindowNextRow = 1;
  d.view.LogWindowRows = 0;
  QStringList selector{QStringLiteral("All")};
  for (int i = 0; i < d.jobs.RoziRorunerCount; ++i)
    selector.append(QStringLiteral("[FS%1] %2").arg(i + 1).arg(d.jobs.RoziRoruners[i].Name));
  d.view.SelectedLog = 0;
  d.ui().RefillLogSelector(selector);
  LogConfigWarnings(d, warnings);
  WriteLogLine(d, QStringLiteral("S"),
               QStringLiteral("%1 RoziRoruners loaded").arg(d.jobs.RoziRorunerCount), 0);
  WriteLogLine(d, QStringLiteral("S"), QStringLiteral("Config-file: ") + d.settings.ConfigPath, 0);
  d.ui().SetBusy(false);
  d.run.Reloading = wasReloading;
}

}  // namespace mvnz::mvnd
