// The RebootHost plug-in: restarts the computer. No parameters and no dialog.
#include "plugins/framework.h"
#include "plugins/hostexit.h"

namespace mvnz::plugin {
namespace {

class RebootHostSetup final : public SetupBase {
 protected:
  const Descriptor& descriptor() const override {
    static const Descriptor d = MakeDescriptor(
        QStringLiteral("RebootHost"), QStringLiteral("reboothost"), QStringLiteral("Windows"),
        QStringLiteral("Mervane Plugin: RebootHost"), DialogKind::NoDialog, 0);
    return d;
  }
  void RunAction(const QStringList&) override {
    RunHostExit({power::Action::Reboot, QStringLiteral("Restarting Windows....."),
                 QStringLiteral("ERROR_REBOOT-HOST: Cannot Reboot Host! [")});
  }
};

}  // namespace
}  // namespace mvnz::plugin

MVNZ_PLUGIN_FACTORY(mvnz::plugin::RebootHostSetup)
