#include "manager/catalog.h"

#include <QFileInfo>

#include "library/catalogue.h"
#include "library/common.h"
#include "platform/activation.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "library/contract.h"

namespace mvnz::manager {

namespace {

// The file when it exists, else "" (the default picture).
QString existingIcon(const QString& folder, const QString& name) {
  if (name.isEmpty()) return {};
  const QString path = paths::join(folder, name);
  return QFileInfo(path).isFile() ? path : QString();
}

// The next run-time picture's index: one past the pictures the lists hold.
short nextPicture(const PictureSink& pictures) { return static_cast<short>(pictures.count() + 1); }

}  // namespace

Catalog::Catalog() {
  rows_.resize(kFirstModuleRow);
  for (int row = 1; row < kFirstModuleRow; ++row) {
    const auto b = static_cast<catalogue::BuiltIn>(row);
    rows_[row].Name = QLatin1String(catalogue::Of(b).name);
    rows_[row].IconIndex = catalogue::IconIndex(b);
  }
  categories_.resize(2);
  categories_[1].Name = QStringLiteral("Workflow");
}

int Catalog::find(const QString& name) const {
  for (int i = 1; i < rows_.size(); ++i)
    if (rows_[i].Name.compare(name, Qt::CaseInsensitive) == 0) return i;
  return 0;
}

int Catalog::findCategory(const QString& cat) const {
  for (int i = 1; i < categories_.size(); ++i)
    if (categories_[i].Name.compare(cat, Qt::CaseInsensitive) == 0) return i;
  return 0;
}

void Catalog::LoadPlugins(const QString& iconFolder, PictureSink& pictures,
                          CatalogProgress* progress) {
  if (progress) progress->status(QStringLiteral("Loading Plugins....."));
  PluginNames.clear();
  PluginCount = 0;
  if (KnownPluginNames.size() < 15) InitKnownPlugins();
  QString folder = activation::pluginFolder();
  ListPluginFiles(folder);
  const QStringList names = PluginNames.mid(0, PluginCount);
  for (const QString& name : names) {
    if (progress)
      progress->status(QStringLiteral("Loading Modules From Plugin [") + name +
                       QStringLiteral("]....."));
    QString error;
    if (!loadPlugin(name, iconFolder, pictures, progress, &error))
      prompts::message(QStringLiteral("Error while loading plugin: [") + name +
                           QStringLiteral("] ") + error,
                       QStringLiteral("Error Loading Plugin"), prompts::Icon::Critical);
  }
  if (progress) progress->pluginsLoaded();
}

bool Catalog::loadPlugin(const QString& name, const QString& iconFolder, PictureSink& pictures,
                         CatalogProgress* progress, QString* error) {
  const QString progId = name + QStringLiteral("Zuri.Setup");
  ActivationError activationError;
  std::unique_ptr<Object> object = activation::create(progId, &activationError);
  if (!object) {
    *error = activationError.description;
    if (!activationError.detail.isEmpty()) *error += QStringLiteral(" (") + activationError.detail + ')';
    return false;
  }
  Setup* setup = interfaceCast<Setup>(object.get());
  if (!setup) {
    *error = QStringLiteral("Object doesn't support this property or method");
    return false;
  }
  setup->Init();
  const short n = setup->ModuleCount();
  for (short j = 1; j <= n; ++j) {
    ModType info;
    if (setup->ModuleInfo(j, &info) != 0) {
      *error = QStringLiteral("Subscript out of range");
      return false;
    }
    if (progress) {
      progress->status(QStringLiteral("Loading Module ") + info.Cat + ':' + info.name);
      const QString small = existingIcon(iconFolder, info.IconSmall);
      if (!small.isEmpty()) progress->picture(small);
    }
    if (!findCategory(info.Cat)) {
      const short index = nextPicture(pictures);
      if (!pictures.add(existingIcon(iconFolder, info.CatIconLarge),
                        existingIcon(iconFolder, info.CatIconSmall), error))
        return false;
      categories_.append({info.Cat, index});
    }
    const short index = nextPicture(pictures);
    if (!pictures.add(existingIcon(iconFolder, info.IconLarge),
                      existingIcon(iconFolder, info.IconSmall), error))
      return false;
    rows_.append({info.Cat, info.name, index, progId});
  }
  return true;
}

QString PaletteKey(const Catalog& catalog, int row) {
  const QString n = QString::number(row);
  if (row < kFirstModuleRow) return QLatin1Char('C') + n + QStringLiteral("_workflow") + n;
  return QLatin1Char('C') + n + QLatin1Char('_') + catalog.rows().value(row).Name;
}

}  // namespace mvnz::manager
