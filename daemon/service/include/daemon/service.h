#pragma once
// The service control: a systemd unit stands in for the NT service.
//   install writes <unit folder>/<ServiceKeyName>.service and enables it (Automatic),
//   leaves it to be started by hand (Manual) or masks it (Disabled: it cannot be
//   started at all); uninstall unmasks, disables and removes it. The account
//   becomes User= (LocalSystem: none); the password is never written or passed on.
//   The unit gives the daemon /run/mervanezuri (RuntimeDirectory=, mode 0700, made
//   for its account by the service manager) as its runtime folder.
//   IsRunningAsService reads the marker our unit sets (MVNZ_RUNNING_AS_SERVICE=1);
//   the service stop arrives as SIGTERM; events go to syslog.
#include <QString>

namespace mvnz::mvnd {

class ServiceControl {
 public:
  QString ServiceKeyName;
  QString ServiceDisplayName;
  QString ServiceDescription;
  int ServiceStartMode = -1;  // 0 automatic, 1 manual, 2 disabled, -1 unset
  QString ServiceAccount;
  QString ServicePassword;  // kept only in memory
  bool UseLocalSystem = false;
  int ServiceControlsOption = 0;
  // How long StopRunningDaemon waits for a running daemon to end.
  int StopWaitMs = 30000;

  bool IsInstalled() const;
  bool IsRunningAsService() const;
  // True on success; errorText says why not.
  bool InstallService(bool interactive, QString* errorText = nullptr);
  bool UninstallService(QString* errorText = nullptr);
  // Before an uninstall: while a daemon holds its instance lock, asks the service
  // manager to stop the service and waits up to StopWaitMs for the lock to be
  // released. False when a daemon still runs.
  bool StopRunningDaemon();
  // Asks the service manager to stop the service (without waiting for it).
  void StopService();
  // Writes an event-log entry (syslog); type 4 = information, 2 = warning, 1 = error.
  void LogServiceEvent(int type, const QString& text);

  // The unit file path and the text install writes.
  QString UnitPath() const;
  QString UnitText() const;
};

constexpr const char* kServiceMarkerVar = "MVNZ_RUNNING_AS_SERVICE";
// The unit also tells the daemon its service name (for STOPSERVICE).
constexpr const char* kServiceNameVar = "MVNZ_SERVICE_NAME";

}  // namespace mvnz::mvnd
