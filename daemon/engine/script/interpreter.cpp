#include "engine/interpreter.h"

#include <exception>

#include "daemon/modules.h"
#include "daemon/queue.h"
#include "engine/erroraction.h"
#include "library/catalogue.h"
#include "library/contract.h"
#include "services.h"

namespace mvnz::engine {

namespace {

using catalogue::BuiltIn;
using detail::Services;

// A failure that ends the run, as the run-time would report it.
struct RunError {
  int number;
  QString source;
  QString description;
};

QString describe(int number) {
  switch (number) {
    case 5:
      return QStringLiteral("Invalid procedure call or argument");
    case 9:
      return QStringLiteral("Subscript out of range");
    case 13:
      return QStringLiteral("Type mismatch");
    case 438:
      return QStringLiteral("Object doesn't support this property or method");
  }
  return QStringLiteral("Application-defined or object-defined error");
}

void check(int number, const QString& source) {
  if (number != 0) throw RunError{number, source, describe(number)};
}

// Expands parameters 1..30 of a line for the RoziRoruner's current file.
ScriptParams expand(const Services& s, int index, const mvnd::CommandEntry& line) {
  const ExpansionContext ctx = MakeExpansionContext(
      s.d, index, &s.clock, s.owners, [&s](const QString& m, int level) { s.line(level, m); });
  ScriptParams p;
  for (int k = 1; k <= mvnd::kMaxParameters; ++k) p[k] = CommandInterpreter(line.Data[k], ctx);
  return p;
}

// A plug-in line: a fresh object of the module's ProgID runs it; the variables it
// marks used and its error flag come back. The object is released on every path.
// The module is looked up by the name as written (name is its upper-case form for the
// log), so the run knows the same names as the load (mvnd::ProvidesCommand).
void runPlugin(const Services& s, int index, const QString& written, const QString& name,
               const ScriptParams& params, std::unique_ptr<Object>& object) {
  mvnd::Daemon& d = s.d;
  const int row = mvnd::FindModule(d, written);
  if (row <= 0) {
    s.log(QStringLiteral("S"), "ATTENTION: Module <" + name + "> is unknown or not registered!", 2,
          QString(), -1);
    return;
  }
  const mvnd::ModuleEntry entry = d.ModuleTable[row];
  ActivationError err;
  object = s.createObject(entry.ProgID, &err);
  if (!object)
    throw RunError{err.number ? err.number : 429, err.source.isEmpty() ? entry.ProgID : err.source,
                   err.description.isEmpty()
                       ? QStringLiteral("ActiveX component can't create object")
                       : err.description};
  Setup* setup = interfaceCast<Setup>(object.get());
  if (!setup) throw RunError{438, entry.ProgID, describe(438)};
  setup->SetAutoLog(d.settings.AutoLogInternalCommands == 1);
  QString module = entry.Name;
  const QStringList data(params.begin(), params.end());
  check(setup->RunP(module, data), entry.ProgID);
  // The run may have taken events (a reload replaces the records): look the record up again.
  if (index < 0 || index >= d.jobs.RoziRoruners.size())
    throw RunError{9, entry.ProgID, describe(9)};
  mvnd::RoziRoruner& r = d.jobs.RoziRoruners[index];
  for (short k = 0; k <= 14; ++k) {
    VarType v;
    check(setup->LocalVar(k, &v), entry.ProgID);
    if (v.Use) r.LocalVariables[k] = v.Value;
  }
  for (short k = 0; k <= 14; ++k) {
    VarType v;
    check(setup->GlobalVar(k, &v), entry.ProgID);
    if (v.Use) d.jobs.GlobalVariables[k] = v.Value;
  }
  d.run.LastCommandError = setup->Error();
  object.reset();
}

enum class After { Next, Return };

// The checks after a line that ran: a pending LOADCONFIG, the armed ERRORACTION, an
// abort, a stop from the start/stop button.
After afterLine(const Services& s, int index, const ScriptPorts& ports) {
  mvnd::Daemon& d = s.d;
  if (d.run.LoadConfigPending) return After::Return;
  if (index < 0 || index >= d.jobs.RoziRoruners.size()) return After::Return;
  mvnd::RoziRoruner& r = d.jobs.RoziRoruners[index];
  if (r.ErrorActionSet && d.run.LastCommandError) {
    const int at = r.ErrorActionLine;
    const mvnd::CommandEntry line =
        at >= 0 && at < r.Commands.size() ? r.Commands[at] : mvnd::CommandEntry{};
    const ScriptParams params = expand(s, index, line);
    DoOnError(d, index, params, ports);
    d.run.LastCommandError = false;
  }
  if (d.jobs.RoziRoruners[index].AbortScript) {
    s.autoLine(0, QStringLiteral("ABORT: CommandScript aborted"));
    return After::Return;
  }
  if (d.run.State != mvnd::RunState::Running) return After::Return;
  return After::Next;
}

}  // namespace

ExpansionContext MakeExpansionContext(mvnd::Daemon& d, int index, const Clock* clock,
                                      OwnerCache* owners,
                                      std::function<void(const QString&, int)> log) {
  ExpansionContext c;
  c.clock = clock;
  c.owners = owners;
  c.log = std::move(log);
  c.globalConstants = d.settings.GlobalConstants.data();
  c.globalVariables = d.jobs.GlobalVariables.data();
  c.scanDirectory = d.run.ExpandedScanDirectory;
  if (!d.settings.ShortDatePattern.isEmpty()) c.shortDatePattern = d.settings.ShortDatePattern;
  if (index < 0 || index >= d.jobs.RoziRoruners.size()) return c;
  mvnd::RoziRoruner& r = d.jobs.RoziRoruners[index];
  c.name = &r.Name;
  c.description = &r.Description;
  c.localConstants = r.LocalConstants.data();
  c.localVariables = r.LocalVariables.data();
  c.filesPending = r.FilesPending;
  c.currentFile = r.CurrentFile;
  c.fileList = r.FileList.get();
  return c;
}

void RunCommandScript(mvnd::Daemon& d, int index, const ScriptPorts& ports) {
  if (!d.run.Running()) return;
  if (index < 0 || index >= d.jobs.RoziRoruners.size()) return;
  const Services s(d, ports);
  // Lines that name no RoziRoruner (the plug-ins') go to this one from now on.
  d.run.ScriptRoziRoruner = index;
  if (d.jobs.RoziRoruners[index].Commands.isEmpty()) {
    s.line(1, QStringLiteral("WARNING: Empty command script!"));
    return;
  }
  d.jobs.RoziRoruners[index].AbortScript = false;

  QString name;
  std::unique_ptr<Object> object;
  try {
    for (qsizetype line = 0;; ++line) {
      // Events run between lines: take the record afresh each time. A daemon that is
      // ending runs no further line.
      if (!d.run.Running() || d.run.ShuttingDown || index >= d.jobs.RoziRoruners.size()) return;
      const mvnd::RoziRoruner& r = d.jobs.RoziRoruners[index];
      if (line >= r.Commands.size()) return;
      const mvnd::CommandEntry entry = r.Commands[line];
      if (entry.Name.isEmpty()) return;  // an empty name ends the script silently

      if (d.view.TrayIconShown && !d.settings.NoTrayIcon) d.ui().StepTrayAnimation();
      name = entry.Name.toUpper();
      const auto builtIn = catalogue::FindBuiltIn(entry.Name);
      if (!name.startsWith(QLatin1Char('!')) && builtIn != BuiltIn::Comment) {
        const ScriptParams params = expand(s, index, entry);
        s.autoLine(0, "Processing command <" + name + "> .....");
        d.run.CommandsExecuted += 1;

        if (builtIn == BuiltIn::ErrorAction) {
          d.jobs.RoziRoruners[index].ErrorActionSet = true;
          d.jobs.RoziRoruners[index].ErrorActionLine = int(line);
        } else if (builtIn == BuiltIn::EndDaemon) {
          mvnd::DoEndDaemon(d);
        } else if (builtIn == BuiltIn::StopDaemon) {
          mvnd::DoStopDaemon(d);
        } else if (builtIn == BuiltIn::LoadConfig) {
          DoLoadConfig(d, params[catalogue::param::LoadConfig::File], ports);
          return;
        } else if (builtIn == BuiltIn::Reschedule) {
          d.jobs.RoziRoruners[index].RescheduleText = params[catalogue::param::Reschedule::Request];
        } else {
          runPlugin(s, index, entry.Name, name, params, object);
        }
        if (afterLine(s, index, ports) == After::Return) return;
      }
      if (d.run.CommandQueue.contains(QLatin1String("STOP"))) return;  // left queued for the cycle
      s.pumpEvents();
    }
  } catch (const RunError& e) {
    object.reset();
    s.line(2, "ERROR-EXECUTE_COMMAND: Could not execute command [" + name + "] Description [" +
                  e.description + "] Source [" + e.source + "] ErrNumber [" +
                  QString::number(e.number) + "]");
  } catch (const std::exception& e) {
    object.reset();
    s.line(2, "ERROR-EXECUTE_COMMAND: Could not execute command [" + name + "] Description [" +
                  QString::fromLocal8Bit(e.what()) + "] Source [mvnd] ErrNumber [0]");
  }
  d.run.LastCommandError = true;
}

}  // namespace mvnz::engine
