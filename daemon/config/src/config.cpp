#include "daemon/config.h"

#include <QFile>

#include "daemon/logging.h"
#include "engine/dirscan.h"
#include "library/numbers.h"
#include "library/regwrap.h"

namespace mvnz::mvnd {

namespace {

jobfile::GlobalSettings CurrentGlobals(const Daemon& d) {
  jobfile::GlobalSettings g;
  g.LogDirectory = d.LogDirectory;
  g.EnableLogging = d.EnableLogging;
  g.AutoLogInternalCommands = d.AutoLogInternalCommands;
  g.InitialGlobalsValue = d.InitialGlobalsValue;
  std::copy(d.GlobalConstants.begin(), d.GlobalConstants.end(), g.GlobalConstants.begin());
  g.AutoStart = d.AutoStartEnabled;
  g.AutoStartState = d.AutoStartState;
  g.NoTrayIcon = d.NoTrayIcon;
  if (!d.ShowUnstableMessages) g.ShowUnstableMessages = QStringLiteral("0");
  return g;
}

void ApplyGlobals(Daemon& d, const jobfile::GlobalSettings& g) {
  d.LogDirectory = g.LogDirectory;
  d.EnableLogging = g.EnableLogging;
  d.AutoLogInternalCommands = g.AutoLogInternalCommands;
  d.InitialGlobalsValue = g.InitialGlobalsValue;
  d.ShowUnstableMessages = jobfile::ShowUnstableMessagesOn(g);
  std::copy(g.GlobalConstants.begin(), g.GlobalConstants.end(), d.GlobalConstants.begin());
  d.AutoStartEnabled = g.AutoStart;
  d.AutoStartState = g.AutoStartState;
  d.NoTrayIcon = g.NoTrayIcon;
  // An empty title keeps the caption the daemon gave itself.
  if (!g.RoziRoruTitle.isEmpty()) d.MainCaption = g.RoziRoruTitle;
}

RoziRoruner RecordOf(jobfile::RoziRoruner& j) {
  RoziRoruner r;
  r.Name = j.Name;
  r.Description = j.Description;
  r.ScanDirectory = j.ScanDirectory;
  r.IncludeSubdir = j.IncludeSubdir;
  r.InputFilter = j.InputFilter;
  r.RejectFilter = j.RejectFilter;
  r.SkipRejected = j.SkipRejected;
  r.RemoveRejected = j.RemoveRejected;
  r.MoveRejected = j.MoveRejected;
  r.MoveRejectedDirectory = j.MoveRejectedDirectory;
  r.Interval = j.Interval;
  r.Trigger = j.Trigger;
  r.StableTimer = j.StableTimer;
  r.Enabled = j.Enabled;
  r.SingleFileHandling = j.SingleFileHandling;
  r.InitialLocalsValue = j.InitialLocalsValue;
  r.RunDays = j.RunDays.isEmpty() ? QStringLiteral("1111111") : j.RunDays;
  r.OldestFirst = j.OldestFirst;
  std::copy(j.LocalConstants.begin(), j.LocalConstants.end(), r.LocalConstants.begin());
  // The script keeps its commands at 1..CommandCount.
  r.CommandCount = static_cast<int>(j.Commands.size());
  if (r.CommandCount > 0) {
    r.Commands.reserve(r.CommandCount + 1);
    r.Commands.emplaceBack();
    r.Commands.append(std::move(j.Commands));
  }
  r.Active = true;
  return r;
}

// Why the scan could not use a filter's patterns; empty when it can use them all.
QString FilterError(const QString& filter) {
  QStringList faults;
  for (const QString& p : engine::SplitFilter(filter)) {
    const QString why = engine::FilterPatternError(p);
    if (!why.isEmpty()) faults << QStringLiteral("pattern [%1] cannot be used [%2]").arg(p, why);
  }
  return faults.join(QStringLiteral(", "));
}

}  // namespace

namespace {

// True for a header line of the [CONFIGURATION] section, read as the reader reads
// headers: any case, blanks after the "]" (or a missing "]") allowed.
bool IsGlobalHeader(QByteArrayView line) {
  if (!line.startsWith('[')) return false;
  line = line.sliced(1);
  while (!line.isEmpty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' '))
    line.chop(1);
  if (line.endsWith(']')) line.chop(1);
  return line.compare(QByteArrayView("CONFIGURATION"), Qt::CaseInsensitive) == 0;
}

}  // namespace

jobfile::GlobalSettings ReadGlobalSettings(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QByteArray all = f.readAll();
  QByteArray globals;
  bool inGlobals = false;
  for (qsizetype start = 0; start < all.size();) {
    qsizetype end = all.indexOf('\n', start);
    end = end < 0 ? all.size() : end + 1;
    const QByteArrayView line(all.constData() + start, end - start);
    if (line.startsWith('[')) inGlobals = IsGlobalHeader(line);
    if (inGlobals) globals += line;
    start = end;
  }
  return jobfile::ParseJobFile(globals).file.Globals;
}

QString DaemonSettingsKey(const Daemon& d) {
  return QStringLiteral("Software\\Orvendel\\MervaneZuri\\Daemon") + d.SettingsKeySuffix;
}

jobfile::ReadOptions DaemonReadOptions(const Daemon& d) {
  jobfile::ReadOptions o;
  o.policy = jobfile::ReadPolicy::Daemon();
  o.startGlobals = CurrentGlobals(d);
  if (d.NextModuleRow > 0) {
    const QVector<ModuleEntry> table = d.ModuleTable.mid(0, d.NextModuleRow);
    o.knownCommand = [table](const QString& name) {
      for (const ModuleEntry& m : table)
        if (!m.Name.isEmpty() && m.Name.compare(name, Qt::CaseInsensitive) == 0) return true;
      return false;
    };
  }
  o.filterError = FilterError;
  return o;
}

void ApplyJobFile(Daemon& d, jobfile::JobFile file) {
  ApplyGlobals(d, file.Globals);
  d.RoziRoruners.clear();
  d.RoziRoruners.reserve(file.RoziRoruners.size());
  for (jobfile::RoziRoruner& j : file.RoziRoruners) d.RoziRoruners.append(RecordOf(j));
  d.RoziRorunerCount = static_cast<int>(d.RoziRoruners.size());
}

void LoadDaemonSettings(Daemon& d) {
  const QString text = GetRegString(DaemonSettingsKey(d), QStringLiteral("BufferSize"));
  const auto n = LeadingInt16(text);
  int size = n ? *n : 75;
  if (size < 1 || size > 500) size = 75;
  if (size != d.BufferSize) {
    d.BufferSize = size;
    ClearLogWindow(d);
  }
  d.ui().LoadDaemonSettings();
}

void ReloadConfiguration(Daemon& d) {
  WriteLogLine(d, QStringLiteral("S"), QStringLiteral("Reloading configuration ....."), 0);
  const bool wasReloading = d.Reloading;
  d.Reloading = true;
  d.ui().SetBusy(true);
  jobfile::ReadResult read = jobfile::ReadJobFile(d.ConfigPath, DaemonReadOptions(d));
  if (read.ok()) {
    for (const jobfile::Fault& f : read.faults) LogConfigWarning(d, jobfile::FaultMessage(f));
    ApplyJobFile(d, std::move(read.file));
  } else if (read.status == jobfile::ReadStatus::Missing) {
    LogConfigWarning(
        d, QStringLiteral("WARNING: Config-file not found [%1], the RoziRoruners stay as they were")
               .arg(d.ConfigPath));
  } else {
    LogConfigWarning(d, QStringLiteral("WARNING: %1, the RoziRoruners stay as they were")
                            .arg(read.error));
  }
  LoadDaemonSettings(d);
  d.GlobalVariables.fill(d.InitialGlobalsValue);
  ResetLogBuffers(d);
  d.ui().ClearLogWindow();
  d.LogWindowNextRow = 1;
  d.LogWindowRows = 0;
  QStringList selector{QStringLiteral("All")};
  for (int i = 0; i < d.RoziRorunerCount; ++i)
    selector.append(QStringLiteral("[FS%1] %2").arg(i + 1).arg(d.RoziRoruners[i].Name));
  d.SelectedLog = 0;
  d.ui().RefillLogSelector(selector);
  WriteLogLine(d, QStringLiteral("S"),
               QStringLiteral("%1 RoziRoruners loaded").arg(d.RoziRorunerCount), 0);
  WriteLogLine(d, QStringLiteral("S"), QStringLiteral("Config-file: ") + d.ConfigPath, 0);
  d.ui().SetBusy(false);
  d.Reloading = wasReloading;
}

}  // namespace mvnz::mvnd
