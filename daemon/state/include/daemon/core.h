#pragma once
// The daemon's core state, in parts: the global settings, the RoziRoruner list, the
// run status, the log buffer and the control states the windows mirror, held by one
// `Daemon` with the services they run on.
//
// The core is Qt Core only: windows, tray icon and boxes sit behind `UiPort`, whose
// default (null) implementation serves headless runs and tests; the scan cycle and
// the schedules sit behind `Engine`, which the host's polling timer calls.
#include <QDateTime>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>
#include <array>
#include <functional>
#include <memory>

#include "library/jobfile.h"

namespace mvnz::mvnd {

// One command of a script, as the configuration file holds it: a name and
// parameters 1..30 (index 0 is never filled). A leading "!" on the name marks a
// disabled command; "COMMENT" carries its text in parameter 1.
using CommandEntry = jobfile::CommandEntry;

constexpr int kMaxParameters = 30;
constexpr int kConstantSlots = 16;  // constants 1..15 at indices 1..15; variables 0..15

// The in-memory file table of one scan (defined by the engine).
struct FileTable;

// One watched job: the file's record of its section, plus the runtime fields, which
// are never read from the file and start empty after every reload.
struct RoziRoruner : jobfile::RoziRoruner {
  QString ScheduleText;  // Interval after token expansion
  QString ScheduleKind;  // "NORMAL", "STARTUP", "TIME", "DATE", "DATETIME"
  QString LastRunDay;    // "dd-mmm-yyyy"
  QString NextRun;       // "dd-mmm-yyyy hh:nn:ss"
  bool Active = false;   // schedule still live
  std::array<QString, kConstantSlots> LocalVariables;  // slot 0 is "<LV1>"
  bool ErrorActionSet = false;
  int ErrorActionLine = -1;  // index in Commands of the armed ERRORACTION
  bool AbortScript = false;
  qint64 FilesPending = 0;
  qint64 CurrentFile = 0;  // 0-based
  double FilesHandled = 0;
  QString RescheduleText;
  std::shared_ptr<FileTable> FileList;  // the cycle's file table or null
  // Filter patterns already said to be unusable, by the load or by a listing: each is
  // reported once per load, not in every cycle.
  QSet<QString> ReportedPatterns;
};

// One row of the module table: a built-in command (empty ProgID) or a plug-in module.
struct ModuleEntry {
  QString Name;
  QString ProgID;
};

// The first row of a module table (valid rows 1..nextRow-1) carrying name, compared
// without regard to case; 0 when none does.
int FindModuleRow(const QVector<ModuleEntry>& table, int nextRow, const QString& name);
// Whether a command name has something to run: a built-in of the catalogue or a module
// of the table. The load's "no module provides" report and the interpreter's "unknown
// or not registered" line both follow this one rule.
bool ProvidesCommand(const QVector<ModuleEntry>& table, int nextRow, const QString& name);

// One buffered log line.
struct clsLogging {
  QString Timestamp;  // formatted time text
  QString message;
  QString mType;   // level as decimal text
  QString msType;  // source letter
};

class Daemon;

// Where processing stands. Only the queue's transitions change it (a start, a stop
// asked for, a stop completed); the cycle, the scripts, the windows and the tray
// read it.
enum class RunState {
  Stopped,   // not processing
  Running,   // polling and scripts run
  Stopping,  // a stop was asked for; it completes once no cycle runs
};

// Processing asked for while the daemon is stopped. A START that failed only because
// no RoziRoruner was loaded stays wanted: the next reload that loads RoziRoruners starts
// processing. Only the queue's transitions change it.
enum class Wanted {
  Nothing,         // no START is waiting
  OnceJobsLoaded,  // a START found no RoziRoruners
};

// The caption of the start/stop controls: "Stop" while running, else "Start".
QString StartStopCaption(RunState state);

// What the core needs of the windows, the tray icon and the busy pointer. Every
// member does nothing here: this is the null port of headless runs and tests.
class UiPort {
 public:
  virtual ~UiPort() = default;
  // True when the daemon shows windows (a display and the windowed layer present).
  virtual bool IsWindowed() const { return false; }
  virtual void ShowMainWindow() {}
  virtual void CloseWindows() {}
  // Caption, run state, selected log: read them from Daemon.
  virtual void StateChanged() {}
  virtual void ModifySystemTray() {}
  virtual void RemoveSystemTray() {}
  // The tray's running animation advances one picture (a script line, a message).
  virtual void StepTrayAnimation() {}
  // The tray shows the run state's picture: idle while stopped (this also ends the
  // start-up animation), running otherwise.
  virtual void ShowTrayRunState() {}
  virtual void SetBusy(bool /*busy*/) {}
  virtual void ClearLogWindow() {}
  virtual void RemoveOldestLogRow() {}
  virtual void AddLogWindowLine(const QString& /*timeText*/, const QString& /*text*/,
                                int /*level*/) {}
  virtual void RefillLogSelector(const QStringList& /*entries*/) {}
  // The last-message bar, only called while MessageBarShown: text, level, ErrorCount.
  virtual void ShowLastMessage(const QString& /*text*/, int /*level*/, qint64 /*errors*/) {}
  // Applies the window settings of the registry; called by LoadDaemonSettings at
  // every reload, after BufferSize.
  virtual void LoadDaemonSettings() {}
  // Saves the window settings (SAVE word); silent = no confirmation box.
  virtual void SaveDaemonSettings(bool /*silent*/) {}
};

// The scan engine as the host sees it. The polling timer calls MainEventLoop once
// per tick (never overlapping, ScanRunning set around it); StartProcessing and a
// RELOAD taken while running call InitEventTimers.
class Engine {
 public:
  virtual ~Engine() = default;
  // One polling cycle: works the queue while running, then the due RoziRoruners.
  virtual void MainEventLoop(Daemon& d) = 0;
  // Initialises the schedules (ScheduleKind, ScheduleText, NextRun) of all RoziRoruners.
  virtual void InitEventTimers(Daemon& d) = 0;
};


class ServiceControl;
class LogFileWriter;

// The global settings: those read from the configuration file's [CONFIGURATION]
// section, those with fixed values, and where and how this run was started.
struct Settings {
  // ---- read from the configuration file ----
  QString LogDirectory;
  int EnableLogging = 0;
  int AutoLogInternalCommands = 0;
  QString InitialGlobalsValue;
  bool ShowUnstableMessages = true;
  std::array<QString, kConstantSlots> GlobalConstants;  // 1..15
  int AutoStartEnabled = 0;
  int AutoStartState = 0;
  bool NoTrayIcon = false;
  // ---- fixed values (BufferSize: the window settings) ----
  int BufferSize = 75;
  int IdleLogging = 1;
  int IdleInterval = 30;
  int DatedLogFolders = 1;
  int ProcessReadOnly = 1;
  // ---- this run ----
  QString ConfigPath;
  QString SettingsKeySuffix;
  QString VersionText;
  QString ShortDatePattern;
};

// The RoziRoruners of the configuration file and the global variables their scripts
// share.
struct RoziRorunerList {
  QVector<RoziRoruner> RoziRoruners;  // 0..RoziRorunerCount-1
  int RoziRorunerCount = 0;
  std::array<QString, kConstantSlots> GlobalVariables;  // slot 0 is "<GV1>"
};

// Where the daemon stands: the run state, the queue and the counters.
struct RunStatus {
  RunState State = RunState::Stopped;
  Wanted Wish = Wanted::Nothing;
  // True while processing or completing a stop.
  bool Running() const { return State != RunState::Stopped; }
  QStringList CommandQueue;  // queue words, oldest first
  bool RunningAsService = false;
  bool ShuttingDown = false;
  bool ScanRunning = false;
  bool DaemonInitialized = false;
  bool LoadConfigPending = false;
  bool LastCommandError = false;
  double CommandsExecuted = 0;
  qint64 ErrorCount = 0;
  int IdleTicks = 0;
  QDateTime StartTime;
  int ExitCode = -1;  // set by ShutdownDaemon
  // The RoziRoruner whose command script runs or ran last: log lines that name no
  // RoziRoruner (the plug-ins', the log socket's) go to its log. Set by a script run.
  int ScriptRoziRoruner = 0;
  // The scan folder and the move-rejected folder of the last scan, expanded.
  QString ExpandedScanDirectory;
  QString ExpandedMoveRejectedDirectory;
  // ---- re-entrancy guards ----
  bool QueueWorking = false;  // the stopped-state consumer is inside its loop
  bool Reloading = false;     // a reload is reading the file
};

// The buffered log lines the windows show.
struct LogBuffer {
  std::array<QString, 4> LevelNames;
  QVector<QList<clsLogging>> LogBuffers;  // RoziRoruner i uses LogBuffers[i + 1]
  QList<clsLogging> TotalLog;
  // Configuration warnings found while the log was not open yet; written once it is.
  QStringList PendingWarnings;
};

// The control states the windows mirror.
struct WindowState {
  QString MainCaption;                 // main window caption
  bool StartStopButtonEnabled = true;  // disabled while running as a service
  int SelectedLog = 0;                 // 0 = all logs, i + 1 = RoziRoruner i
  int LogWindowNextRow = 1;
  int LogWindowRows = 0;  // rows the log window holds (mirrored count)
  bool MessageWindowOnTop = false;
  bool MessageBarShown = false;
  bool TrayIconShown = false;
};

// The daemon: its parts and the services they run on. A test builds a fresh one and
// a program holds exactly one; a routine takes the part it uses where one is enough.
class Daemon : public QObject {
 public:
  explicit Daemon(QObject* parent = nullptr);
  ~Daemon() override;

  Settings settings;
  RoziRorunerList jobs;
  RunStatus run;
  LogBuffer log;
  WindowState view;

  // ---- services -------------------------------------------------------------
  UiPort& ui() { return *ui_; }
  void SetUi(std::shared_ptr<UiPort> ui);
  // The scan engine, or null when none is set (the program sets the real one).
  Engine* engine() { return engine_.get(); }
  void SetEngine(std::shared_ptr<Engine> engine);
  ServiceControl& SVC();  // created on first use
  // The log files (a line its file refuses goes to stderr); created on first use.
  LogFileWriter& LogFiles();
  // Lets pending events run (after every plug-in, file, ...).
  void DoEvents();
  bool AllowDoEvents = true;
  // Ends the program with a status. The default stops every timer and leaves the
  // event loops (QCoreApplication::exit); tests replace it to record the status.
  std::function<void(int)> ExitHook;
  // The commands this host runs: built-ins and the loaded plug-ins' modules.
  QVector<ModuleEntry> ModuleTable;  // valid rows 1..NextModuleRow-1
  int NextModuleRow = 0;

  // ---- timers (intervals set by the constructor; handlers connected by StartTimers)
  QTimer tmrCommandQueue;   // 1000 ms, works the queue while stopped
  QTimer tmrPollingRate;    // 1000 ms, one scan cycle per tick
  QTimer tmrIdleIndicator;  // 60000 ms
  QTimer tmrShutdown;       // 500 ms, completes a stop
  QTimer tmrService;        // 1000 ms, service start-up

 private:
  std::shared_ptr<UiPort> ui_;
  std::shared_ptr<Engine> engine_;
  std::unique_ptr<ServiceControl> svc_;
  std::shared_ptr<LogFileWriter> logFiles_;
};

}  // namespace mvnz::mvnd
