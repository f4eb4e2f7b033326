// The SignOutHost plug-in: ends the login session this process belongs to. No parameters and no
// dialog.
#include "plugins/framework.h"
#include "plugins/hostexit.h"

namespace mvnz::plugin {
namespace {

class SignOutHostSetup final : public SetupBase {
 protected:
  const Descriptor& descriptor() const override {
    static const Descriptor d = MakeDescriptor(
        QStringLiteral("SignOutHost"), QStringLiteral("signouthost"), QStringLiteral("Windows"),
        QStringLiteral("Windows Mervane Plugin: SignOutHost"), DialogKind::NoDialog, 0);
    return d;
  }
  void RunAction(const QStringList&) override {
    RunHostExit({power::Action::LogOff, QStringLiteral("Logging-off Windows....."),
                 QStringLiteral("ERROR_LOGOFF: Cannot Sign Out Host! [")});
  }
};

}  // namespace
}  // namespace mvnz::plugin

MVNZ_PLUGIN_FACTORY(mvnz::plugin::SignOutHostSetup)
