#include "manager/properties.h"

#include "library/catalogue.h"
#include "platform/activation.h"
#include "library/contract.h"
#include "manager/session.h"

namespace mvnz::manager {

namespace {

QStringList asList(const jobfile::Constants& c) { return QStringList(c.begin(), c.end()); }

QStringList asList(const Parameters& p) { return p.toList(); }

// The plug-in's dialog over the command; the parameters to store, nullopt when
// cancelled or when any call failed.
std::optional<Parameters> editByPlugin(const CatalogEntry& row, const jobfile::Constants& locals,
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
  Parameters out = command.Data;
  for (short k = 1; k <= n; ++k)
    if (setup->Data(k, &out[k]) != 0) return std::nullopt;
  return out;
}

}  // namespace

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
  jobfile::RoziRoruner* job = session.current();
  if (!job) return false;
  bool numeric = false;
  const int line = lineText.trimmed().toInt(&numeric);
  if (!numeric || line < 1 || line > job->Commands.size()) return false;
  const int index = line - 1;

  std::optional<Parameters> edited;
  if (const auto which = BuiltinDialogOf(commandName)) {
    edited = builtins.edit(*which, session, job->Commands.at(index));
  } else {
    const int row = session.catalog.find(commandName);
    if (row == 0 || session.catalog.rows().at(row).ProgID.isEmpty()) return false;
    edited = editByPlugin(session.catalog.rows().at(row), job->LocalConstants,
                          session.model.Globals.GlobalConstants, job->Commands.at(index));
  }
  // The dialog may have changed the model (a job removed, the list reloaded): the
  // command is looked up again before anything is stored.
  job = session.current();
  if (!edited || !job || index >= job->Commands.size()) return false;
  (*edited)[0] = job->Commands[index].Data[0];
  job->Commands[index].Data = *edited;
  return true;
}

}  // namespace mvnz::manager
