#include "manager/startup.h"

#include "library/common.h"
#include "manager/filecommands.h"
#include "manager/session.h"
#include "platform/paths.h"

namespace mvnz::manager {

namespace {

// Image lists that only count, for a start-up without windows.
class CountingPictures : public PictureSink {
 public:
  int count() const override { return count_; }
  bool add(const QString&, const QString&, QString*) override {
    ++count_;
    return true;
  }

 private:
  int count_ = kDesignPictures;
};

}  // namespace

QString ConfigPathFromCommandLine(const QStringList& arguments, const QString& defaultPath) {
  return arguments.isEmpty() || arguments.first().isEmpty() ? defaultPath : arguments.first();
}

void InitManager(Session& s, const QStringList& arguments, StartupHooks& hooks) {
  s.Initialised = false;
  s.ConfigurationPath = DefaultConfigPath();
  s.ClearRoziRoruners();
  s.prefs = ManagerPrefs{};
  InitKnownPlugins();
  s.HelpFile = paths::helpFile();
  CountingPictures counting;
  s.catalog = Catalog();
  s.catalog.LoadPlugins(paths::bundledDir(paths::Bundled::Icons),
                        hooks.pictures ? *hooks.pictures : counting, hooks.progress);
  s.ConfigurationPath = ConfigPathFromCommandLine(arguments, s.ConfigurationPath);
  s.setPrefs(LoadManagerSettings());
  if (s.prefs.AutoCheckUpdates && hooks.startWebUpdate) hooks.startWebUpdate();
  // A file that cannot be read leaves the run with no RoziRoruners; the main window,
  // once shown, says why (see the session's load report).
  if (!LoadConfiguration(s)) s.replaceModel(std::move(s.model));
  if (!IsMdacInstalled() && hooks.showDataAccessNotice) hooks.showDataAccessNotice();
  s.Initialised = true;
}

QString InitErrorText(const QString& why) {
  return QStringLiteral("Error during initialization!\r\n") + why;
}

bool BeginExit(Session& s) {
  if (s.Exiting) return false;
  s.Exiting = true;
  if (s.Initialised) SaveManagerSettings(s.prefs);
  return true;
}

}  // namespace mvnz::manager
