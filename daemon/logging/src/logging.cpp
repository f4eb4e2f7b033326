#include "daemon/logging.h"

#include <QDir>
#include <QLocale>

#include "daemon/logfiles.h"
#include "daemon/logtext.h"
#include "library/dates.h"

namespace mvnz::mvnd {

namespace {

// Keeps the newest BufferSize + 1 entries.
void AddTrimmed(QList<clsLogging>& buffer, const clsLogging& entry, int bufferSize) {
  while (buffer.size() >= bufferSize + 1 && !buffer.isEmpty()) buffer.removeFirst();
  buffer.append(entry);
}

bool IsRoziRorunerSource(const QString& s) { return s != QLatin1String("S"); }

// The longest file name part a RoziRoruner name may take (in UTF-8 bytes), so that
// "FS<n>_<name>.log" stays within the file system's name limit.
constexpr int kMaxNameBytes = 200;

QString LevelText(int level) {
  switch (level) {
    case 0: return QStringLiteral("0");
    case 1: return QStringLiteral("1");
    case 2: return QStringLiteral("2");
    case 3: return QStringLiteral("3");
  }
  return QString::number(level);
}

// Today's log folder, worked out again when the day or the settings change.
const QString& DayFolder(LogFileWriter::Reuse& r, const Settings& s, const QDate& today) {
  if (r.day != today || r.directory != s.LogDirectory || r.enabled != s.EnableLogging ||
      r.dated != s.DatedLogFolders) {
    r.day = today;
    r.directory = s.LogDirectory;
    r.enabled = s.EnableLogging;
    r.dated = s.DatedLogFolders;
    r.folder = LogFolder(s, today);
  }
  return r.folder;
}

// The "[FS<n>] " prefix and base name of a RoziRoruner line of index, worked out again
// when the index or its RoziRoruner's name changes.
void RoziRorunerNames(LogFileWriter::Reuse& r, const RoziRorunerList& jobs, int index) {
  const QString* name = index >= 0 && index < jobs.RoziRoruners.size()
                            ? &jobs.RoziRoruners[index].Name
                            : nullptr;
  if (r.index == index && r.known == (name != nullptr) && (!name || *name == r.name)) return;
  r.index = index;
  r.known = name != nullptr;
  r.name = name ? *name : QString();
  r.base = LogFileBaseName(jobs, QStringLiteral("M"), index);
  r.prefix = QStringLiteral("[FS") + QString::number(index + 1) + QStringLiteral("] ");
}

}  // namespace

QString FormatLogTime(const QDateTime& t) { return FormatDate(t, kLogTimeFormat); }

QString LogFolder(const Settings& s) { return LogFolder(s, QDate::currentDate()); }

QString LogFolder(const Settings& s, const QDate& today) {
  if (s.LogDirectory.isEmpty() || s.EnableLogging == 0) return {};
  if (s.DatedLogFolders != 1) return s.LogDirectory;
  return QDir(s.LogDirectory).filePath(today.toString(QStringLiteral("yyyy/MM/dd")));
}

QString LogFileBaseName(const RoziRorunerList& jobs, const QString& source, int index) {
  if (source == QLatin1String("S")) return QStringLiteral("System");
  if (index < 0 || index >= jobs.RoziRoruners.size()) return {};
  // A name is only a file name part: no folder separator, no NUL, bounded length.
  QString name = jobs.RoziRoruners[index].Name;
  name.replace(QLatin1Char('/'), QLatin1Char('_'));
  name.replace(QChar(0), QLatin1Char('_'));
  while (name.toUtf8().size() > kMaxNameBytes) name.chop(1);
  return QStringLiteral("FS%1_%2").arg(index + 1).arg(name);
}

void WriteLogLine(Daemon& d, const QString& Source, const QString& RawMessage, int Level,
                  const QString& TimeText, int RoziRorunerIndex) {
  if (!d.run.DaemonInitialized) return;
  const int index = RoziRorunerIndex == -1 ? d.run.ScriptRoziRoruner : RoziRorunerIndex;
  LogFileWriter& files = d.LogFiles();
  const LogFileWriter::LocalNow& now = files.Now();
  QString t;
  if (TimeText.isEmpty()) {
    t = now.timeText;
  } else {
    const auto parsed = ParseTimeText(TimeText);
    t = parsed && parsed->isValid() ? FormatLogTime(*parsed) : EscapeLogText(TimeText);
  }
  // Every sink gets the line as one line, escaped here once.
  const QString Message = EscapeLogText(RawMessage);
  const bool system = Source == QLatin1String("S");
  const bool validIndex =
      index >= 0 && index < d.jobs.RoziRorunerCount && index < d.jobs.RoziRoruners.size();
  LogFileWriter::Reuse& reuse = files.reuse();
  RoziRorunerNames(reuse, d.jobs, index);
  const QString prefixed = reuse.prefix + Message;
  const QString base = system ? QStringLiteral("System") : reuse.base;
  const QString level = LevelText(Level);

  d.run.IdleTicks = 0;
  if (Level == 2) ++d.run.ErrorCount;

  if (d.view.MessageBarShown) {
    QString barText;
    if (Source == QLatin1String("M"))
      barText = prefixed;
    else if (system)
      barText = QStringLiteral("[SYS] ") + Message;
    d.ui().ShowLastMessage(barText, Level, d.run.ErrorCount);
  }

  // A RoziRoruner line needs its RoziRoruner: an index outside the records ends here.
  if (IsRoziRorunerSource(Source)) {
    if (!validIndex) return;
    if (d.log.LogBuffers.size() < index + 2) d.log.LogBuffers.resize(index + 2);
    AddTrimmed(d.log.LogBuffers[index + 1], {t, Message, level, Source}, d.settings.BufferSize);
  }
  const bool plain = system || Source == QLatin1String("D");
  AddTrimmed(d.log.TotalLog, {t, plain ? Message : prefixed, level, Source},
             d.settings.BufferSize);

  if (d.view.SelectedLog == 0 || (d.view.SelectedLog - 1 == index && !system)) {
    if (d.view.LogWindowNextRow >= d.settings.BufferSize + 1) {
      d.ui().RemoveOldestLogRow();
      d.view.LogWindowNextRow = d.settings.BufferSize;
      if (d.view.LogWindowRows > 0) --d.view.LogWindowRows;
    }
    const QString windowText = (d.view.SelectedLog == 0 && !plain) ? prefixed : Message;
    d.ui().AddLogWindowLine(t, windowText, Level);
    ++d.view.LogWindowNextRow;
    ++d.view.LogWindowRows;
  }

  const QString folder = DayFolder(files.reuse(), d.settings, now.today);
  if (folder.isEmpty() || base.isEmpty()) return;
  files.Write(folder, base, t, Message);
}

QString NoLogFileReason(const Settings& s) {
  if (s.EnableLogging == 0) return QStringLiteral("EnableLogging is 0");
  if (s.LogDirectory.isEmpty()) return QStringLiteral("EnableLogging is on but LogDirectory is empty");
  return {};
}

void LogConfigWarnings(Daemon& d, const QStringList& texts) {
  if (!d.run.DaemonInitialized) {
    d.log.PendingWarnings += texts;
    return;
  }
  for (const QString& w : texts) WriteLogLine(d, QStringLiteral("S"), w, 1);
  // A headless daemon without log files would keep them to itself: stderr, which a
  // service manager keeps, gets them after one line saying why. Logging asked for
  // without a folder is said even when nothing else is.
  const QString why = NoLogFileReason(d.settings);
  if (why.isEmpty() || (texts.isEmpty() && d.settings.EnableLogging == 0)) return;
  LogFileWriter& files = d.LogFiles();
  files.Notice(QStringLiteral("no log file is written [%1]; warnings go to stderr").arg(why));
  for (const QString& w : texts) files.Notice(w);
}

void LogConfigWarning(Daemon& d, const QString& text) { LogConfigWarnings(d, {text}); }

void FlushPendingWarnings(Daemon& d) {
  if (!d.run.DaemonInitialized) return;
  const QStringList pending = d.log.PendingWarnings;
  d.log.PendingWarnings.clear();
  LogConfigWarnings(d, pending);
}

bool SetMessage(Daemon& d, short iType, const QString& iText, const QString& Timestamp) {
  if (!d.run.DaemonInitialized) return false;
  // A caller's time text is trusted only as a date and time: anything else would
  // stand in the line where the daemon's own time stands, so the line gets now.
  QString iTimestamp = Timestamp;
  if (const auto parsed = ParseTimeText(iTimestamp); !parsed || !parsed->isValid())
    iTimestamp.clear();
  const QString crlf = QStringLiteral("\r\n");
  if (iText.contains(crlf)) {
    QStringList pieces = iText.split(crlf);
    if (pieces.last().isEmpty()) pieces.removeLast();
    for (const QString& piece : pieces)
      WriteLogLine(d, QStringLiteral("M"), piece, iType, iTimestamp, -1);
  } else {
    WriteLogLine(d, QStringLiteral("M"), iText, iType, iTimestamp, -1);
  }
  if (d.view.TrayIconShown && !d.settings.NoTrayIcon) d.ui().StepTrayAnimation();
  return true;
}

void ResetLogBuffers(LogBuffer& log, int count) {
  log.LogBuffers.clear();
  log.LogBuffers.resize(count + 1);
}

void ClearLogWindow(Daemon& d) {
  for (auto& b : d.log.LogBuffers) b.clear();
  d.log.TotalLog.clear();
  d.run.ErrorCount = 0;
  d.view.LogWindowNextRow = 1;
  d.view.LogWindowRows = 0;
  d.ui().ClearLogWindow();
}

}  // namespace mvnz::mvnd
