// The AssignValue plug-in: computes a value and stores it in a local or global
// variable slot, which the daemon copies back after the run.
#include "compute.h"
#include "dialog.h"
#include "plugins/framework.h"

namespace mvnz::plugin {
namespace {

class AssignValueSetup final : public SetupBase {
 protected:
  const Descriptor& descriptor() const override {
    static const Descriptor d = MakeDescriptor(
        QStringLiteral("AssignValue"), QStringLiteral("assignvalue"), QStringLiteral("Tools"),
        QStringLiteral("Mervane Plugin: AssignValue"), DialogKind::Dialog, 8);
    return d;
  }
  void RunAction(const QStringList& data) override {
    ModuleState& s = State();
    if (assignvalue::ComputeVariable(data, s.autoLog, LogToDaemon, s.localVar, s.globalVar))
      s.error = true;
  }
  void ShowDialog(const QStringList& data) override { assignvalue::ShowAssignValueDialog(data); }
};

}  // namespace
}  // namespace mvnz::plugin

MVNZ_PLUGIN_FACTORY(mvnz::plugin::AssignValueSetup)
