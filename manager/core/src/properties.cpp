#include "manager/properties.h"

#include "library/catalogue.h"
#include "platform/activation.h"
#include "library/contract.h"
#include "manager/session.h"

namespace mvnz::manager {

namespace {

QStringList asList(const jobfile::Constants& c) { return QStringList(c.begin(), c.end()); }

QStringList asList(const Parameters& p) { return p.toList(); }

// What a plug-in's dialog gave: the parameters to store, and whether it gave more
// than the command has.
struct PluginEdit {
  Parameters data;
  bool tooMany = false;
};

// The plug-in's dialog over the command; nullopt when cancelled or when any call failed.
std::optional<PluginEdit> editByPlugin(const CatalogEntry& row, const jobfile::Constants& locals,
                                       const jobfile::Constants& globals,
                                       const jobfile::CommandEntry& command) {
  std::unique_ptr<Object> object = activation::create(row.ProgID);
  Setup* setup = interfaceCast<Setup>(object.get());
  if (!setup) return std::nullopt;
  setup->Init();
  if (setup->SetLocalConstants(asList(locals)) != 0) return std::nullopt;
  if (setup->SetGlobalConstants(asList(globals)) != 0) return std::nullopt;
  QString module = row.Name;
  if (setup->Props(module, asList(command.Data)) != 0) return std::nullopt;
  const short count = setup->DataCount();
  if (count <= 0) return std::nullopt;
  // The command has thirty parameters: any beyond them are not taken.
  const int n = std::min<int>(count, jobfile::kParameterCount);
  PluginEdit out{command.Data, count > jobfile::kParameterCount};
  for (short k = 1; k <= n; ++k)
    if (setup->Data(k, &out.data[k]) != 0) return std::nullopt;
  return out;
}

}  // namespace

std::optional<ReschedulePieces> SplitReschedule(const QString& data1) {
  const QStringList pieces = data1.split(QLatin1Char(','));
  if (pieces.size() < 2) return std::nullopt;
  return ReschedulePieces{pieces[0], pieces[1]};
}

std::optional<BuiltinDialog> BuiltinDialogOf(const QString& commandName) {
  switch (catalogue::FindBuiltIn(commandName).value_or(catalogue::BuiltIn::EndDaemon)) {
    case catalogue::BuiltIn::ErrorAction:
      return BuiltinDialog::ErrorAction;
    case catalogue::BuiltIn::LoadConfig:
      return BuiltinDialog::LoadConfig;
    case catalogue::BuiltIn::Reschedule:
      return BuiltinDialog::Reschedule;
    default:  // EndDaemon, StopDaemon and Comment have no dialog here
      return std::nullopt;
  }
}

bool ShowCommandProperties(Session& session, const QString& lineText, const QString& commandName,
                           BuiltinDialogs& builtins) {
  const ShownRoziRoruner shown = session.shown();
  jobfile::RoziRoruner* job = session.record(shown);
  if (!job) return false;
  bool numeric = false;
  const int line = lineText.trimmed().toInt(&numeric);
  if (!numeric || line < 1 || line > job->Commands.size()) return false;
  const int index = line - 1;
  const jobfile::CommandEntry& command = job->Commands.at(index);

  std::optional<Parameters> edited;
  bool complete = true;
  if (const auto which = BuiltinDialogOf(commandName)) {
    if (*which == BuiltinDialog::Reschedule && !command.Data[1].isEmpty() &&
        !SplitReschedule(command.Data[1]))
      return false;
    edited = builtins.edit(*which, session, command);
  } else {
    const int row = session.catalog.find(commandName);
    if (row == 0 || session.catalog.rows().at(row).ProgID.isEmpty()) return false;
    if (std::optional<PluginEdit> e = editByPlugin(session.catalog.rows().at(row), job->LocalConstants,
                                                   session.model.Globals.GlobalConstants, command)) {
      edited = std::move(e->data);
      complete = !e->tooMany;
    }
  }
  // The dialog may have changed the model (a job removed, the list reloaded): the
  // command is stored only into the RoziRoruner it was read from.
  job = session.record(shown);
  if (!edited || !job || index >= job->Commands.size()) return false;
  (*edited)[0] = job->Commands[index].Data[0];
  job->Commands[index].Data = *edited;
  return complete;
}

}  // namespace mvnz::manager
