// The HostFacts plug-in: writes the computer's memory statistics into the daemon's
// log, whatever AutoLog says. No parameters and no dialog.
#include "memstats.h"
#include "plugins/framework.h"

namespace mvnz::plugin {
namespace {

class HostFactsSetup final : public SetupBase {
 protected:
  const Descriptor& descriptor() const override {
    static const Descriptor d = MakeDescriptor(
        QStringLiteral("HostFacts"), QStringLiteral("hostfacts"), QStringLiteral("Windows"),
        QStringLiteral("Mervane Plugin: HostFacts"), DialogKind::NoDialogNoModule, 0);
    return d;
  }
  void RunAction(const QStringList&) override {
    if (hostfacts::ReportMemoryStatistics(LogToDaemon)) State().error = true;
  }
};

}  // namespace
}  // namespace mvnz::plugin

MVNZ_PLUGIN_FACTORY(mvnz::plugin::HostFactsSetup)
