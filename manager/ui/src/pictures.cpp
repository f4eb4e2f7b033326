#include "manager/ui/pictures.h"

#include <QFileInfo>
#include <QHash>

#include "manager/catalog.h"
#include "platform/paths.h"

namespace mvnz::manager::ui::pictures {

namespace {

struct Named {
  const char* key;
  const char* file;
};

// The windows' keys and their files. A menu item names its icon key, the toolbar
// button its item's; lower-case keys are the script editor's and the ordering
// dialog's toolbar buttons.
constexpr Named kKeyed[] = {
    // Menus and the main toolbar (icon keys).
    {"OPEN", "open.ico"},
    {"OPENDEFAULT", "opendefault.ico"},
    {"SAVE", "save.ico"},
    {"SAVEAS", "saveas.ico"},
    {"SAVE2DEFAULT", "save2default.ico"},
    {"EXIT", "exit.ico"},
    {"STARTDAEMON", "startdaemon.ico"},
    {"SERVICE", "service.ico"},
    {"ORGANIZE", "organize.ico"},
    {"DELETEALL", "deleteall.ico"},
    {"TESTRE", "testre.ico"},
    {"WEBUPDATE", "webupdate.ico"},
    {"HELP", "help.ico"},
    {"ABOUT", "about.ico"},
    {"RELOAD", "reload.ico"},
    {"SCRIPT", "script.ico"},
    // Side-bar groups and the links not named above.
    {"CONFIG", "configuration.ico"},
    {"OPTIONS", "options.ico"},
    {"ROZIRORUNER", "roziroruners.ico"},
    {"PREFS", "preferences.ico"},
    {"LOCALS", "localconstants.ico"},
    {"GLOBALS", "globalconstants.ico"},
    {"DAEMON", "startdaemon.ico"},
    {"CLEAR", "deleteall.ico"},
    {"WEB", "web.ico"},
    // Toolbar buttons of the script editor and the ordering dialog.
    {"close", "close.ico"},
    {"small", "smallicons.ico"},
    {"large", "largeicons.ico"},
    {"up", "up.ico"},
    {"down", "down.ico"},
    {"top", "top.ico"},
    {"bottom", "bottom.ico"},
    {"sort", "sort.ico"},
    {"comment", "is_comment.ico"},
    {"clear", "deleteall.ico"},
    {"clearall", "clearall.ico"},
    {"save", "save.ico"},
    {"load", "open.ico"},
    {"locals", "localconstants.ico"},
    {"globals", "globalconstants.ico"},
    {"daemon", "startdaemon.ico"},
    // Picture boxes.
    {"picAbout", "product.ico"},
    {"picIniIcon", "inifile.ico"},
    {"picDefIcon", "il_default.ico"},
    {"picMenu", "menu.ico"},
    {"picWebUpdate", "webupdate.ico"},
    {"picDownload", "download.ico"},
    {"picErrorAction", "il_erroraction.ico"},
};

// The design-time pictures by index (1..19): the large and the small file. Positions
// nothing draws hold the default picture.
struct Design {
  const char* large;
  const char* small;
};
constexpr Design kDefault{"il_default.ico", "is_default.ico"};
constexpr Design kDesign[kDesignPictures] = {
    {"il_plugins.ico", "is_plugins.ico"},          // 1 Plugins, the script's root
    {"icl_workflow.ico", "ics_workflow.ico"},      // 2 Workflow
    {"il_erroraction.ico", "is_erroraction.ico"},  // 3 ErrorAction
    kDefault, kDefault, kDefault, kDefault, kDefault, kDefault, kDefault,
    {"il_unknown.ico", "is_unknown.ico"},          // 11 a command no catalogue row names
    kDefault,
    {"il_enddaemon.ico", "is_enddaemon.ico"},      // 13 EndDaemon
    {"il_stopdaemon.ico", "is_stopdaemon.ico"},    // 14 StopDaemon
    {"il_comment.ico", "is_comment.ico"},          // 15 Comment, a disabled command
    {"il_parameter.ico", "is_parameter.ico"},      // 16 a parameter line
    {"il_loadconfig.ico", "is_loadconfig.ico"},    // 17 LoadConfig
    {"il_reschedule.ico", "is_reschedule.ico"},    // 18 Reschedule
    kDefault,
};

}  // namespace

QString folder() { return paths::bundledDir(paths::Bundled::Icons); }

QIcon fromFile(const QString& file) {
  const QString path = paths::join(folder(), file);
  if (!QFileInfo(path).isFile()) return {};
  QIcon icon(path);
  return icon.availableSizes().isEmpty() ? QIcon() : icon;
}

QIcon forKey(const QString& key) {
  for (const Named& n : kKeyed)
    if (key == QLatin1String(n.key)) return fromFile(QLatin1String(n.file));
  return {};
}

QIcon design(int index, bool large) {
  if (index < 1 || index > kDesignPictures) return {};
  const Design& d = kDesign[index - 1];
  return fromFile(QLatin1String(large ? d.large : d.small));
}

QStringList files() {
  QStringList all;
  for (const Named& n : kKeyed) all << QLatin1String(n.file);
  for (const Design& d : kDesign) all << QLatin1String(d.large) << QLatin1String(d.small);
  all.removeDuplicates();
  return all;
}

}  // namespace mvnz::manager::ui::pictures
