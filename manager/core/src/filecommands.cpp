#include "manager/filecommands.h"

#include <QFileInfo>

#include "library/version.h"
#include "manager/filters.h"
#include "manager/session.h"
#include "platform/paths.h"
#include "platform/prompts.h"

namespace mvnz::manager {

namespace {

// Panel text of a loaded configuration.
QString pathPanel(const Session& s) {
  return s.ConfigurationNumber + QStringLiteral(", ") + s.ConfigurationPath;
}

bool askOverwrite(const QString& path) {
  return prompts::message(QStringLiteral("File <") + path + QStringLiteral("> exists, overwrite?"),
                          QStringLiteral("Configuration Exists"), prompts::Icon::None,
                          prompts::Buttons::YesNo) == prompts::Answer::Yes;
}

// A save over a file whose last load failed replaces what nobody has seen.
bool askReplaceUnread(const QString& path) {
  return prompts::message(QStringLiteral("The configuration file [") + path +
                              QStringLiteral("] could not be read when it was loaded.\n"
                                             "Replace it with the configuration shown?"),
                          QStringLiteral("Replace Unread Configuration"), prompts::Icon::Exclamation,
                          prompts::Buttons::YesNo) == prompts::Answer::Yes;
}

// The box's sentence, then the reason on its own line (without the sentence when the
// reason repeats it).
QString WithReason(const QString& sentence, QString reason) {
  if (reason.startsWith(sentence)) reason = reason.mid(sentence.size());
  while (reason.startsWith(QLatin1Char(':')) || reason.startsWith(QLatin1Char(' '))) reason.remove(0, 1);
  return reason.isEmpty() ? sentence : sentence + QLatin1Char('\n') + reason;
}

QString fullVersion() {
  return QStringLiteral("%1.%2.%3").arg(versionMajor()).arg(versionMinor()).arg(versionRevision());
}

// Busy for the life of the object: the window disabled and the hourglass shown.
class Busy {
 public:
  explicit Busy(Session& s) : s_(s) { s_.setBusy(true); }
  ~Busy() { s_.setBusy(false); }
  Busy(const Busy&) = delete;
  Busy& operator=(const Busy&) = delete;

 private:
  Session& s_;
};

// Writes to path, making it the current path for the write; on failure the path
// is put back as it was before.
bool writeTo(Session& s, const QString& path) {
  const QString before = s.ConfigurationPath;
  s.ConfigurationPath = path;
  s.showPath(path);
  if (WriteConfigFile(s, false)) return true;
  s.ConfigurationPath = before;
  s.showPath(s.ConfigurationNumber.isEmpty() ? before : pathPanel(s));
  return false;
}

}  // namespace

QString DefaultConfigPath() { return paths::join(paths::windowsDir(), QStringLiteral("MVNZuri.ini")); }

bool ConfigFileExists(const QString& path) {
  const QFileInfo fi(path);
  return fi.isFile() && !fi.fileName().startsWith(QLatin1Char('.'));
}

bool LoadConfiguration(Session& s, QString* error) {
  s.setProgress(QStringLiteral("Loading configuration....."));
  s.setStatus(QStringLiteral("Loading configuration....."));
  bool stillChanging = false;
  LoadReport report;
  report.path = s.ConfigurationPath;
  if (QFileInfo::exists(s.ConfigurationPath) || QFileInfo(s.ConfigurationPath).isSymLink()) {
    Busy busy(s);
    jobfile::ReadOptions options;
    options.policy = jobfile::ReadPolicy::Manager();
    options.startGlobals = s.model.Globals;
    options.sectionStarted = [&s](const QString& name) {
      s.setProgress(QStringLiteral("Loading [") + name + QStringLiteral("] ....."));
    };
    options.reportComments = true;  // a save writes only the model
    // A file being written right now is read once it has settled; the window is
    // served meanwhile.
    options.settle = jobfile::SettleRule::Standard();
    jobfile::ReadResult result = jobfile::ReadJobFile(s.ConfigurationPath, options);
    report.status = result.status;
    stillChanging = result.ok() && result.stillChanging;
    if (result.status == jobfile::ReadStatus::Unreadable) {
      report.error = result.error;
      if (error) *error = result.error;
      s.setStatus(QStringLiteral("Error loading configuration!"));
      s.setLoadReport(std::move(report));
      return false;
    }
    if (result.ok()) {
      for (const jobfile::Fault& f : result.faults)
        if (!f.savedBack) report.passedOver.append(f);
      s.ConfigurationNumber = QStringLiteral("1");
      s.showPath(pathPanel(s));
      s.replaceModel(std::move(result.file));
    }
  } else {
    // No file: the RoziRoruners in memory stay; the windows show them afresh.
    s.replaceModel(std::move(s.model));
  }
  s.setProgress(QStringLiteral("Configuration loaded."));
  s.setStatus(LoadedStatus(report));
  s.setLoadReport(std::move(report));
  if (stillChanging)
    prompts::message(QStringLiteral("The configuration file [") + s.ConfigurationPath +
                         QStringLiteral("] was still being written when it was read; it may be "
                                        "incomplete. Reload it before you save."),
                     QStringLiteral("Configuration Still Changing"), prompts::Icon::Exclamation);
  return true;
}

QString LoadedStatus(const LoadReport& report) {
  const qsizetype n = report.passedOver.size();
  if (n == 0) return QStringLiteral("Configuration loaded.");
  return QStringLiteral("Configuration loaded, %1 %2 passed over.")
      .arg(n)
      .arg(n == 1 ? QStringLiteral("line") : QStringLiteral("lines"));
}

void ShowLoadError(const LoadReport& report) {
  prompts::message(WithReason(QStringLiteral("Error loading configuration from [") + report.path +
                                  QLatin1Char(']'),
                              report.error),
                   QStringLiteral("Error Loading Configuration"), prompts::Icon::Critical);
}

bool LoadConfigurationReported(Session& s) {
  if (LoadConfiguration(s)) return true;
  ShowLoadError(s.lastLoad());
  return false;
}

bool WriteConfigFile(Session& s, bool silent) {
  // A job whose input and reject filters are the same would reject every file it
  // finds: nothing is written until the user mends it.
  if (const int clash = FirstFilterCollision(s.model); clash >= 0) {
    s.setStatus(QStringLiteral("Error saving configuration!"));
    prompts::message(QStringLiteral("<Filter> and <Reject> cannot have the same value!\n\nRoziRoruner: ") +
                         s.model.RoziRoruners[clash].Name,
                     QStringLiteral("ERROR"), prompts::Icon::Exclamation);
    return false;
  }
  if (s.unreadAt(s.ConfigurationPath) && QFileInfo::exists(s.ConfigurationPath) &&
      !askReplaceUnread(s.ConfigurationPath))
    return false;
  jobfile::WriteResult result;
  {
    Busy busy(s);
    s.setStatus(QStringLiteral("Saving configuration....."));
    result = jobfile::WriteJobFile(s.ConfigurationPath, s.model, fullVersion());
  }
  if (!result.ok) {
    s.setStatus(QStringLiteral("Error saving configuration!"));
    prompts::message(WithReason(QStringLiteral("Error saving configuration to [") +
                                    s.ConfigurationPath + QLatin1Char(']'),
                                result.error),
                     QStringLiteral("Error Saving Configuration"), prompts::Icon::Critical);
    return false;
  }
  s.markRead(s.ConfigurationPath);
  SaveManagerSettings(s.prefs);
  if (!silent)
    prompts::message(QStringLiteral("Settings have been saved!"), QStringLiteral("Settings Saved"),
                     prompts::Icon::Information);
  s.setStatus(QStringLiteral("Configuration saved."));
  return true;
}

void FileOpen(Session& s, ConfigChoosers& choosers) {
  const QString before = s.ConfigurationPath;
  const QString chosen = choosers.SelectConfigFile();
  choosers.repaint();
  if (chosen.isEmpty()) return;
  s.ConfigurationPath = chosen;
  if (!LoadConfigurationReported(s)) s.ConfigurationPath = before;
}

void SaveAs(Session& s, ConfigChoosers& choosers) {
  const QString chosen = choosers.SelectSaveConfigFile();
  choosers.repaint();
  if (chosen.isEmpty()) return;
  if (ConfigFileExists(chosen) && !askOverwrite(chosen)) return;
  if (writeTo(s, chosen)) LoadConfigurationReported(s);
}

void Save2Default(Session& s) {
  const QString path = DefaultConfigPath();
  if (ConfigFileExists(path) && !askOverwrite(path)) return;
  if (writeTo(s, path)) LoadConfigurationReported(s);
}

void OpenDefault(Session& s) {
  const QString path = DefaultConfigPath();
  if (!ConfigFileExists(path)) {
    prompts::beep();
    return;
  }
  const QString before = s.ConfigurationPath;
  s.ConfigurationPath = path;
  s.showPath(path);
  if (!LoadConfigurationReported(s)) {
    s.ConfigurationPath = before;
    s.showPath(s.ConfigurationNumber.isEmpty() ? before : pathPanel(s));
  }
}

}  // namespace mvnz::manager
