#pragma once
// Moving the configuration between the session's model and files: load, write, and
// the commands Open, Save As, Save to Default and Open Default that decide which
// file is the current configuration path.
//
// A command that fails leaves the model, every edit and the path as they were before
// the command; its error box is shown whether or not the save was asked to be silent.
#include <QString>

namespace mvnz::manager {

class Session;
struct LoadReport;

// The file choosers (the windows implement them with the common dialogs).
class ConfigChoosers {
 public:
  virtual ~ConfigChoosers() = default;
  // The chosen path, or "" when the user cancelled.
  virtual QString SelectConfigFile() = 0;
  virtual QString SelectSaveConfigFile() = 0;
  // Repaints the main window once a chooser has closed.
  virtual void repaint() {}
};

// windows folder + "/MVNZuri.ini", computed afresh.
QString DefaultConfigPath();
// An ordinary file stands at path (not a folder, not a hidden file).
bool ConfigFileExists(const QString& path);

// Reads ConfigurationPath into the model, once the file has settled (one being written
// is waited for, a few seconds at most; a box says when it was still changing). A
// missing file keeps the model and counts as loaded; a file that cannot be read keeps
// the model and returns false with why. Either way the session's load report tells the
// windows what the load met: the lines a save will not write back, or why the file
// could not be read.
bool LoadConfiguration(Session& s, QString* error = nullptr);
// The status text after a load: "Configuration loaded." and how many lines it passed over.
QString LoadedStatus(const LoadReport& report);
// Writes the model to ConfigurationPath; on success saves the preferences and,
// unless silent, says so. A failure shows its box always and saves nothing else. Over
// a file that could not be read at its last load it first asks.
bool WriteConfigFile(Session& s, bool silent);
// The box of a load that could not read its file: the path and why.
void ShowLoadError(const LoadReport& report);
// Load with its own error box, for the commands that load a file the user chose.
bool LoadConfigurationReported(Session& s);

void FileOpen(Session& s, ConfigChoosers& choosers);
void SaveAs(Session& s, ConfigChoosers& choosers);
void Save2Default(Session& s);
// The default file when it exists (made current and loaded); otherwise a beep.
void OpenDefault(Session& s);

}  // namespace mvnz::manager
