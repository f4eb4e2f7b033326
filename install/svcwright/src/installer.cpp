#include "svcwright/installer.h"

#include "library/exitstatus.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/prompts.h"

namespace mvnz::svcwright {

namespace {

const QString kSep = QStringLiteral("]~[");
constexpr int kNotFoundStatus = 127;

QString Item(const char* key, const QString& value) {
  return QLatin1String(key) + QLatin1Char('=') + value;
}

QString ServiceItems() {
  return Item("ServiceName", QLatin1String(kServiceName)) + kSep +
         Item("DisplayName", QLatin1String(kDisplayName)) + kSep;
}

QString TitleOf(Operation op) {
  return op == Operation::Install ? QStringLiteral("Install Service")
                                  : QStringLiteral("Remove Mervane Service");
}

// The daemon's own words, when it said why, after the sentence.
QString WithOutput(const QString& text, const ChildRun& run) {
  return run.output.isEmpty() ? text : text + QStringLiteral("\r\n\r\n") + run.output;
}

Report Make(Operation op, Result result, int status, const QString& text) {
  return Report{result, status, TitleOf(op), text};
}

Report ReportExited(Operation op, const ChildRun& run) {
  const bool install = op == Operation::Install;
  const int status = run.exitCode;
  switch (status) {
    case kExitOk:
      return Make(op, install ? Result::Installed : Result::Removed, status,
                  install ? QStringLiteral("The Mervane Zuri Daemon service has been installed.")
                          : QStringLiteral("The Mervane Zuri Daemon service has been removed."));
    case kExitAlreadyInstalled:
      if (install)
        return Make(op, Result::AlreadyInstalled, status,
                    QStringLiteral("The Mervane Zuri Daemon service is already installed."));
      break;
    case kExitNotInstalled:
      if (!install)
        return Make(op, Result::NotInstalled, status,
                    QStringLiteral("The Mervane Zuri Daemon service is not installed."));
      break;
    case kExitRefused:
      return Make(op, Result::Refused, status,
                  WithOutput(install ? QStringLiteral("The daemon refused to install the "
                                                      "service (status 2).")
                                     : QStringLiteral("The daemon refused to remove the "
                                                      "service (status 2)."),
                             run));
    default:
      break;
  }
  return Make(op, Result::Failed, status,
              WithOutput(QStringLiteral("The service could not be %1 (%2 ended with status %3).")
                             .arg(install ? QStringLiteral("installed") : QStringLiteral("removed"))
                             .arg(run.program)
                             .arg(status),
                         run));
}

int Tell(const Report& r) {
  prompts::message(r.text, r.title, r.ok() ? prompts::Icon::Information : prompts::Icon::Exclamation);
  return ExitStatusOf(r);
}

}  // namespace

bool ValidAccountName(const QString& name) {
  if (name.isEmpty() || name.contains(kSep)) return false;
  for (QChar c : name)
    if (c.category() == QChar::Other_Control) return false;
  return true;
}

QString InstallCommandLine(const Logon& logon, const QString& startupMode) {
  return QStringLiteral("-install") + kSep + Item("Configuration", paths::configFile()) + kSep +
         ServiceItems() +
         Item("LogonAccount", logon.localSystem ? QStringLiteral("LocalSystem") : logon.account) +
         kSep + Item("StartupMode", startupMode);
}

QString UninstallCommandLine() {
  return QStringLiteral("-uninstall") + kSep + ServiceItems() +
         Item("LogonAccount", QStringLiteral("LocalSystem")) + kSep +
         Item("StartupMode", QStringLiteral("Manual"));
}

Report Interpret(Operation op, const ChildRun& run) {
  switch (run.state) {
    case ChildRun::State::NotStarted:
      return Make(op, Result::NoDaemon, -1,
                  QStringLiteral("The daemon program cannot be run: %1.").arg(run.errorText));
    case ChildRun::State::Crashed:
      return Make(op, Result::Failed, -1,
                  WithOutput(QStringLiteral("%1 ended abnormally.").arg(run.program), run));
    case ChildRun::State::StillRunning:
      return Make(op, Result::Failed, -1,
                  QStringLiteral("%1 is still running.").arg(run.program));
    case ChildRun::State::Exited:
      break;
  }
  return ReportExited(op, run);
}

Report RunInstall(const QString& programFolder, const Logon& logon, const QString& startupMode) {
  if (process::isInstanceRunning(QString::fromLatin1(process::kDaemonLock)))
    return Make(Operation::Install, Result::Refused, -1,
                QStringLiteral("A Mervane Zuri Daemon is running. Stop it before you install "
                               "the service."));
  const ChildRun run = RunChild(programFolder, QLatin1String(kDaemonProgram),
                                {InstallCommandLine(logon, startupMode)}, -1, ChildOutput::Capture);
  return Interpret(Operation::Install, run);
}

Report RunUninstall(const QString& programFolder) {
  const ChildRun run = RunChild(programFolder, QLatin1String(kDaemonProgram),
                                {UninstallCommandLine()}, -1, ChildOutput::Capture);
  return Interpret(Operation::Uninstall, run);
}

int ExitStatusOf(const Report& report) {
  if (report.exitStatus >= 0) return report.exitStatus;
  switch (report.result) {
    case Result::NoDaemon:
      return kNotFoundStatus;
    case Result::Refused:
      return kExitRefused;
    default:
      return kExitFatal;
  }
}

int InstallAfterQuestion(const QString& programFolder) {
  const prompts::Answer a = prompts::message(
      QStringLiteral("Do you want to install the Mervane Zuri Service?\r\n\r\n[you can choose to "
                     "install the service later with the Service Installer]"),
      QStringLiteral("Install Service"), prompts::Icon::None, prompts::Buttons::YesNo);
  if (a == prompts::Answer::No) return kExitOk;
  // The window's initial state: LocalSystem, no start mode chosen.
  return Tell(RunInstall(programFolder, Logon{}, QString()));
}

int RemoveWithoutWindow(const QString& programFolder) {
  return Tell(RunUninstall(programFolder));
}

}  // namespace mvnz::svcwright
