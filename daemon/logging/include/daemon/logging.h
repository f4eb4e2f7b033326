#pragma once
// The daemon's one log routine and the log class through which plug-ins log.
#include <QObject>
#include <QString>
#include <memory>

#include "daemon/core.h"

namespace mvnz::mvnd {

// Writes one log line to every sink: error counter, last-message bar, the
// RoziRoruner's buffer, the total log, the log window and the log files.
//   Source: "S" system, "M" RoziRoruner line, "D" failure inside SetMessage.
//   Level: 0 OK, 1 WARNING, 2 ERROR (counted), 3 internal; other values are kept
//          as given and never used as an index.
//   TimeText: "" = now; a date-time text is reformatted, other text kept as is.
//   RoziRorunerIndex: -1 = the RoziRoruner whose script runs or ran last
//   (ScriptRoziRoruner).
// Control characters of Message and of a kept TimeText are escaped (EscapeLogText)
// before any sink sees them. A line its log file refuses goes to stderr (LogFiles).
// Lines written before DaemonInitialized are dropped. Never reports a failure.
void WriteLogLine(Daemon& d, const QString& Source, const QString& Message, int Level,
                  const QString& TimeText = {}, int RoziRorunerIndex = -1);

// Warnings of a load or of the start (configuration, plug-in folder, sockets): logged
// as WARNING lines at once when the log is open, else kept in PendingWarnings and
// written by FlushPendingWarnings. When no log file takes them (NoLogFileReason),
// they also go to stderr after one line saying why; a load (FlushPendingWarnings, a
// reload) with logging on but no LogDirectory says so even without warnings.
void LogConfigWarnings(Daemon& d, const QStringList& texts);
void LogConfigWarning(Daemon& d, const QString& text);
void FlushPendingWarnings(Daemon& d);
// Why no log file takes the daemon's lines ("EnableLogging is 0", or logging on
// without a LogDirectory); empty when one does.
QString NoLogFileReason(const Settings& s);

// Hands a message (lines separated by CR LF) to WriteLogLine as "M" lines of the
// RoziRoruner whose script runs or ran last. Each piece is escaped as every log text
// (WriteLogLine); a time text that is not a date and time is replaced by the current
// time. False when the daemon is not initialised (the lines are dropped).
bool SetMessage(Daemon& d, short iType, const QString& iText, const QString& iTimestamp);

// Empties every log buffer, the total log and the window; resets ErrorCount.
void ClearLogWindow(Daemon& d);
// Re-creates the RoziRoruner buffers empty for RoziRorunerCount.
void ResetLogBuffers(LogBuffer& log, int count);

// Log line time format "dd-mm-yyyy hh:nn.ss".
QString FormatLogTime(const QDateTime& t);
// Folder the log files go to today (dated or not); "" when file logging is off.
QString LogFolder(const Settings& s);
// The same for the given day.
QString LogFolder(const Settings& s, const QDate& today);
// Base name of the log file of a line ("System", "FS<n>_<name>" made safe).
QString LogFileBaseName(const RoziRorunerList& jobs, const QString& source, int index);

// Registers "mvnd.MVNdcom" with the in-process object activation, bound to d.
void RegisterMVNdcom(Daemon& d);
void UnregisterMVNdcom();

// Serves SetMessage for other processes on a local socket in the runtime folder
// (runtime folder/"mvnd.MVNdcom"). One request per connection: a JSON object
// {"level": n, "text": "...", "time": "..."} followed by a newline; the answer is
// "1\n" (handed to the log) or "0\n". At most 32 connections are open at once; one
// that sends nothing for 5 s, or does not finish its request within 10 s, is closed,
// and a new client ends the oldest that has sent nothing. The socket is made only in
// a private runtime folder and replaces nothing but a stale socket of the daemon's
// user (runtimefolder::claimSocket); null with the reason otherwise.
std::unique_ptr<QObject> StartLogServer(Daemon& d, QString* error = nullptr);
QString LogSocketPath();

}  // namespace mvnz::mvnd
