#pragma once
// All windows of one run of the manager around its session: the main window, the
// image lists of the catalogue, the file choosers and the built-in commands' property
// dialogs, with the file commands wired to the File menu and the one exit path.
#include <QDialog>
#include <QPointer>
#include <memory>

#include "manager/session.h"
#include "manager/webupdate.h"
#include "manager/ui/choosers.h"
#include "manager/ui/imagelists.h"
#include "manager/ui/mainwindow.h"
#include "manager/properties.h"
#include "manager/ui/scripteditor.h"

namespace mvnz::manager::ui {

class Manager {
 public:
  explicit Manager(Session& session);
  ~Manager();

  Session& session() { return session_; }
  MainWindow& window() { return *window_; }
  // The command-script editor, created hidden on first use (after start-up, so its
  // palette holds the loaded plug-ins) and kept for the rest of the run.
  ScriptEditor& scriptEditor();
  // Shows the editor on the current RoziRoruner (the page's button, SCRIPT, TB_SCRIPT);
  // nothing without one. The palette takes its stored width, and its stored left
  // edge withLeft (all but the toolbar's TB_SCRIPT).
  void openScriptEditor(bool withLeft);
  ImageLists& images() { return images_; }
  DialogChoosers& choosers() { return choosers_; }
  // Replaces the built-in commands' dialogs (the manager's own until then).
  void setBuiltinDialogs(std::unique_ptr<BuiltinDialogs> dialogs) { builtins_ = std::move(dialogs); }
  BuiltinDialogs& builtinDialogs() { return *builtins_; }

  // The property dialog of command line lineText of the current RoziRoruner.
  bool ShowCommandProperties(const QString& lineText, const QString& commandName);
  // Minimises the main window, then starts the service installer (STARTINSTALLER,
  // SERVICE, the global settings' service button).
  void startServiceInstaller();
  // Asks the update server for a new version (interactive: the menu command, with
  // its boxes); a check under way is abandoned.
  void startWebUpdate(bool interactive);
  WebUpdateCheck& webUpdate() { return webUpdate_; }
  // Says what the last load met once the main window is shown: why its file could
  // not be read, or the box of the lines a save will not write back. Later loads show
  // their box as they end.
  void reportLoad();
  // The box of the lines the last load passed over, while it is open.
  QDialog* loadReportBox() const { return loadReport_; }
  // Brings the main window to the front (the window link's request).
  void raiseWindow();
  // The one way out: saves the preferences (only after a complete start-up), closes
  // every window and ends the event loop. Never writes the configuration file.
  void ExitManager();

 private:
  void wireFileMenu();
  void wireFrame();
  // The regular-expression editor and tester, the ordering dialog and the about box.
  void wireTools();
  void showPassedOver(const LoadReport& report);

  Session& session_;
  ImageLists images_;
  std::unique_ptr<MainWindow> window_;
  DialogChoosers choosers_;
  std::unique_ptr<BuiltinDialogs> builtins_;
  std::unique_ptr<ScriptEditor> editor_;
  WebUpdateCheck webUpdate_;
  QPointer<QDialog> loadReport_;
};

}  // namespace mvnz::manager::ui
