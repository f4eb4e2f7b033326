// The PowerOffHost plug-in: shuts the computer down. No parameters and no dialog.
#include "plugins/framework.h"
#include "plugins/hostexit.h"

namespace mvnz::plugin {
namespace {

class PowerOffHostSetup final : public SetupBase {
 protected:
  const Descriptor& descriptor() const override {
    static const Descriptor d = MakeDescriptor(
        QStringLiteral("PowerOffHost"), QStringLiteral("poweroffhost"), QStringLiteral("Windows"),
        QStringLiteral("Windows Mervane Plugin: PowerOffHost"), DialogKind::NoDialog, 0);
    return d;
  }
  void RunAction(const QStringList&) override {
    RunHostExit({power::Action::PowerOff, QStringLiteral("Shutting-down Windows....."),
                 QStringLiteral("ERROR_POWER-OFF-HOST: Cannot Power Off Host! [")});
  }
};

}  // namespace
}  // namespace mvnz::plugin

MVNZ_PLUGIN_FACTORY(mvnz::plugin::PowerOffHostSetup)
