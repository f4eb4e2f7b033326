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

}  // namespace

QString FormatLogTime(const QDateTime& t) { return FormatDate(t, kLogTimeFormat); }

QString LogFolder(const Daemon& d) { return LogFolder(d, QDate::currentDate()); }

QString LogFolder(const Daemon& d, const QDate& today) {
  if (d.LogDirectory.isEmpty() || d.EnableLogging == 0) return {};
  if (d.DatedLogFolders != 1) return d.LogDirectory;
  return QDir(d.LogDirectory).filePath(today.toString(QStringLiteral("yyyy/MM/dd")));
}

QString LogFileBaseName(const Daemon& d, const QString& source, int index) {
  if (source == QLatin1String("S")) return QStringLiteral("System");
  if (index < 0 || index >= d.RoziRoruners.size()) return {};
  // A name is only a file name part: no folder separator, no NUL, bounded length.
  QString name = d.RoziRoruners[index].Name;
  name.replace(QLatin1Char('/'), QLatin1Char('_'));
  name.replace(QChar(0), QLatin1Char('_'));
  while (name.toUtf8().size() > kMaxNameBytes) name.chop(1);
  return QStringLiteral("FS%1_%2").arg(index + 1).arg(name);
}

void WriteLogLine(Daemon& d, const QString& Source, const QString& RawMessage, int Level,
                  const QString& TimeText, int RoziRorunerIndex) {
  if (!d.DaemonInitialized) return;
  const int index = RoziRorunerIndex == -1 ? d.CurrentRoziRoruner : RoziRorunerIndex;
  const LogFileWriter::LocalNow& now = d.LogFiles().Now();
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
  const bool validIndex = index >= 0 && index < d.RoziRorunerCount && index < d.RoziRoruners.size();

  d.IdleTicks = 0;
  if (Level == 2) ++d.ErrorCount;

  const QString prefixed = QStringLiteral("[FS%1] ").arg(index + 1) + Message;
  if (d.MessageBarShown) {
    QString barText;
    if (Source == QLatin1String("M"))
      barText = prefixed;
    else if (system)
      barText = QStringLiteral("[SYS] ") + Message;
    d.ui().ShowLastMessage(barText, Level, d.ErrorCount);
  }

  // A RoziRoruner line needs its RoziRoruner: an index outside the records ends here.
  if (IsRoziRorunerSource(Source)) {
    if (!validIndex) return;
    if (d.LogBuffers.size() < index + 2) d.LogBuffers.resize(index + 2);
    AddTrimmed(d.LogBuffers[index + 1], {t, Message, QString::number(Level), Source}, d.BufferSize);
  }
  const bool plain = system || Source == QLatin1String("D");
  AddTrimmed(d.TotalLog, {t, plain ? Message : prefixed, QString::number(Level), Source},
             d.BufferSize);

  if (d.SelectedLog == 0 || (d.SelectedLog - 1 == index && !system)) {
    if (d.LogWindowNextRow >= d.BufferSize + 1) {
      d.ui().RemoveOldestLogRow();
      d.LogWindowNextRow = d.BufferSize;
      if (d.LogWindowRows > 0) --d.LogWindowRows;
    }
    const QString windowText = (d.SelectedLog == 0 && !plain) ? prefixed : Message;
    d.ui().AddLogWindowLine(t, windowText, Level);
    ++d.LogWindowNextRow;
    ++d.LogWindowRows;
  }

  const QString folder = LogFolder(d, now.today);
  if (folder.isEmpty()) return;
  const QString base = LogFileBaseName(d, Source, index);
  if (base.isEmpty()) return;
  d.LogFiles().Write(folder, base, t, Message);
}

void LogConfigWarning(Daemon& d, const QString& text) {
  if (d.DaemonInitialized)
    WriteLogLine(d, QStringLiteral("S"), text, 1);
  else
    d.PendingWarnings.append(text);
}

void FlushPendingWarnings(Daemon& d) {
  if (!d.DaemonInitialized) return;
  const QStringList pending = d.PendingWarnings;
  d.PendingWarnings.clear();
  for (const QString& w : pending) WriteLogLine(d, QStringLiteral("S"), w, 1);
}

bool SetMessage(Daemon& d, short iType, const QString& iText, const QString& iTimestamp) {
  if (!d.DaemonInitialized) return false;
  const QString crlf = QStringLiteral("\r\n");
  if (iText.contains(crlf)) {
    QStringList pieces = iText.split(crlf);
    if (pieces.last().isEmpty()) pieces.removeLast();
    for (const QString& piece : pieces)
      WriteLogLine(d, QStringLiteral("M"), piece, iType, iTimestamp, -1);
  } else {
    WriteLogLine(d, QStringLiteral("M"), iText, iType, iTimestamp, -1);
  }
  if (d.TrayIconShown && !d.NoTrayIcon) d.ui().StepTrayAnimation();
  return true;
}

void ResetLogBuffers(Daemon& d) {
  d.LogBuffers.clear();
  d.LogBuffers.resize(d.RoziRorunerCount + 1);
}

void ClearLogWindow(Daemon& d) {
  for (auto& b : d.LogBuffers) b.clear();
  d.TotalLog.clear();
  d.ErrorCount = 0;
  d.LogWindowNextRow = 1;
  d.LogWindowRows = 0;
  d.ui().ClearLogWindow();
}

}  // namespace mvnz::mvnd
