// The MakeFolder plug-in: creates every missing level of a folder path.
#include "library/catalogue.h"
#include "plugins/dialog.h"
#include "plugins/framework.h"

namespace mvnz::plugin {
namespace {

using P = catalogue::param::Folder;

void CreateFolderTree(const QString& path) {
  QString why;
  if (!CreateFolderLevels(
          path,
          [](const QString& level) {
            LogProgress(QStringLiteral("Created directory [%1]").arg(level));
          },
          &why))
    LogError(
        QStringLiteral("ERROR_MAKE-FOLDER: Could not create directory: [%1] [%2]").arg(path, why));
}

class MakeFolderSetup final : public SetupBase {
 protected:
  const Descriptor& descriptor() const override {
    static const Descriptor d = MakeDescriptor(
        QStringLiteral("MakeFolder"), QStringLiteral("makefolder"), QStringLiteral("File"),
        QStringLiteral("Mervane Plugin: MakeFolder"), DialogKind::Dialog, 1);
    return d;
  }
  void RunAction(const QStringList& data) override { CreateFolderTree(Param(data, P::Path)); }
  void ShowDialog(const QStringList& data) override {
    ShowFolderDialog(QStringLiteral("Make Folder"), QStringLiteral("Command: MakeFolder"), data);
  }
};

}  // namespace
}  // namespace mvnz::plugin

MVNZ_PLUGIN_FACTORY(mvnz::plugin::MakeFolderSetup)
