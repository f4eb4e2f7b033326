#pragma once
// The manager's start-up and its one exit path.
#include <QStringList>
#include <functional>

namespace mvnz::manager {

class Session;
class PictureSink;
class CatalogProgress;

// What start-up asks of the windows.
struct StartupHooks {
  PictureSink* pictures = nullptr;    // the script editor's image lists
  CatalogProgress* progress = nullptr;  // the splash window
  // The silent update check, called only when the preferences ask for it.
  std::function<void()> startWebUpdate;
  // The notice that the data-access components are missing.
  std::function<void()> showDataAccessNotice;
};

// The configuration path the command line gives: its first argument, verbatim;
// none leaves the default path.
QString ConfigPathFromCommandLine(const QStringList& arguments, const QString& defaultPath);

// Initialises the session in this order: the default configuration path, an empty
// list of RoziRoruners, the known plug-in names, the help file, the plug-in
// catalogue, the command line (arguments without the program name), the manager's
// preferences, the update check, the configuration file, the data-access notice.
// A configuration file that cannot be read leaves the session with no RoziRoruners
// and its load report says why. The session is initialised once it returns.
void InitManager(Session& s, const QStringList& arguments, StartupHooks& hooks);

// "Error during initialization!" + CR LF + why.
QString InitErrorText(const QString& why);

// Starts ending the run: sets Exiting and saves the preferences, but only of a
// session whose start-up completed. Never writes the configuration file. False when
// the exit had begun already.
bool BeginExit(Session& s);

}  // namespace mvnz::manager
