#include "daemon/modules.h"

#include "library/catalogue.h"
#include "library/common.h"
#include "library/contract.h"
#include "daemon/logging.h"
#include "platform/activation.h"

namespace mvnz::mvnd {

void LoadPluginModules(Daemon& d) {
  const auto builtIns = catalogue::BuiltIns();
  d.ModuleTable.clear();
  d.ModuleTable.resize(builtIns.size() + 1);
  for (size_t i = 1; i <= builtIns.size(); ++i)
    d.ModuleTable[i].Name = catalogue::ModuleTableName(static_cast<catalogue::BuiltIn>(i));
  d.NextModuleRow = builtIns.size() + 1;

  PluginNames.clear();
  PluginCount = 0;
  QString folder = activation::pluginFolder();
  QStringList refused;
  ListPluginFiles(folder, &refused);
  for (const QString& line : refused)
    LogConfigWarning(d, QStringLiteral("ERROR-LOAD_PLUGIN_MODULES: ") + line);
  for (int p = 0; p < PluginCount && p < PluginNames.size(); ++p) {
    const QString progId = activation::pluginProgId(PluginNames[p]);
    // A plug-in that cannot be created or fails keeps the rows it gave so far.
    std::unique_ptr<Object> object = activation::create(progId);
    if (Setup* setup = interfaceCast<Setup>(object.get())) {
      setup->Init();
      const short n = setup->ModuleCount();
      for (short j = 1; j <= n; ++j) {
        ModType info;
        if (setup->ModuleInfo(j, &info) != 0) break;
        d.ModuleTable.resize(d.NextModuleRow + 1);
        d.ModuleTable[d.NextModuleRow] = {info.name, progId};
        ++d.NextModuleRow;
      }
    }
    object.reset();
    d.DoEvents();
  }
  // One spare row at the end.
  d.ModuleTable.resize(d.NextModuleRow + 1);
}

int FindModule(const Daemon& d, const QString& name) {
  return FindModuleRow(d.ModuleTable, d.NextModuleRow, name);
}

}  // namespace mvnz::mvnd
