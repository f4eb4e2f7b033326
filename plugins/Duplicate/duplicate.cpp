// The Duplicate plug-in: copies one file to a destination path.
#include "plugins/framework.h"
#include "plugins/transfer.h"

namespace mvnz::plugin {
namespace {

class DuplicateSetup final : public SetupBase {
 protected:
  const Descriptor& descriptor() const override {
    static const Descriptor d = MakeDescriptor(
        QStringLiteral("Duplicate"), QStringLiteral("duplicate"), QStringLiteral("File"),
        QStringLiteral("Mervane Plugin: Duplicate"), DialogKind::Dialog, 4);
    return d;
  }
  void RunAction(const QStringList& data) override { RunTransfer(Transfer::Copy, data); }
  void ShowDialog(const QStringList& data) override { ShowTransferDialog(Transfer::Copy, data); }
};

}  // namespace
}  // namespace mvnz::plugin

MVNZ_PLUGIN_FACTORY(mvnz::plugin::DuplicateSetup)
