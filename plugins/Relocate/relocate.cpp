// The Relocate plug-in: moves one file to a destination path.
#include "plugins/framework.h"
#include "plugins/transfer.h"

namespace mvnz::plugin {
namespace {

class RelocateSetup final : public SetupBase {
 protected:
  const Descriptor& descriptor() const override {
    static const Descriptor d = MakeDescriptor(
        QStringLiteral("Relocate"), QStringLiteral("relocate"), QStringLiteral("File"),
        QStringLiteral("Mervane Plugin: Relocate"), DialogKind::Dialog, 4);
    return d;
  }
  void RunAction(const QStringList& data) override { RunTransfer(Transfer::Move, data); }
  void ShowDialog(const QStringList& data) override { ShowTransferDialog(Transfer::Move, data); }
};

}  // namespace
}  // namespace mvnz::plugin

MVNZ_PLUGIN_FACTORY(mvnz::plugin::RelocateSetup)
