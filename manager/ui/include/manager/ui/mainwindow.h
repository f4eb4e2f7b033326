#pragma once
// The main window frmSetup: the menu bar, the RoziRoruner page (asxRoziRoruners,
// with the RoziRoruner list cmbRoziRorunerList), the global settings page
// (asxPreferences), the configuration bar sbConfig and the status bar sbStatusBar.
//
// Every menu, toolbar and side-bar command is a QAction whose object name is its key
// ("OPEN", "SAVEAS", "QUIT" ...); dispatch(key) runs what setCommand registered for
// it, so further pages and bars add their keys without replacing the window.
#include <QHash>
#include <QKeySequence>
#include <QList>
#include <QMainWindow>
#include <functional>
#include <initializer_list>

class QComboBox;
class QLabel;
class QMenu;
class QStackedWidget;
class QStatusBar;
class QToolButton;

namespace mvnz::manager {
class Session;
}

namespace mvnz::manager::ui {

class GlobalsPage;
class VariablesMenu;
class RoziRorunerPage;

class MainWindow : public QMainWindow {
 public:
  explicit MainWindow(Session& session, QWidget* parent = nullptr);

  // Runs the command of a key (exact comparison); unknown keys do nothing.
  void dispatch(const QString& key);
  // What a key does (replacing what it did).
  void setCommand(const QString& key, std::function<void()> action);
  // What closing the window does while the manager is not exiting.
  void setCloseHandler(std::function<void()> handler) { onClose_ = std::move(handler); }
  // The menu action of a key, or nullptr.
  QAction* action(const QString& key) const;

  Session& session() const { return session_; }
  QComboBox* roziRorunerList() const { return cmbRoziRorunerList_; }
  QStackedWidget* pages() const { return pages_; }
  QWidget* roziRorunerPage() const { return asxRoziRoruners_; }
  QWidget* preferencesPage() const { return asxPreferences_; }
  RoziRorunerPage& roziRoruners() const { return *roziRorunerPage_; }
  GlobalsPage& globals() const { return *globalsPage_; }
  VariablesMenu& variables() const { return *variables_; }
  // The side bar's items run by key like the menus (a separate table: ORGANIZE,
  // HELP and TESTRE exist in both).
  void dispatchSideBar(const QString& key);
  void setSideBarCommand(const QString& key, std::function<void()> action);
  // Stores the side-bar groups' states ("State1", "State2") in the user settings.
  void saveSideBarStates() const;
  QMenu* fileMenu() const { return fileMenu_; }
  QStatusBar* configBar() const { return sbConfig_; }
  QString configPanelText() const;
  QString statusPanelText() const;

  // Refills the RoziRoruner list from the model and selects entry 0 (or none).
  void refillRoziRorunerList();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct FrameItem {
    const char* key;
    const char* caption;  // nullptr: a separator
    QKeySequence shortcut;
    const char* icon = nullptr;  // the picture's icon key, if it has one
  };
  void buildFileMenu();
  void buildFrameMenus();
  void buildToolBar();
  QWidget* buildSideBar(QWidget* parent);
  void addItems(QMenu* menu, std::initializer_list<FrameItem> items);
  QAction* addCommand(QMenu* menu, const QString& key, const QString& caption,
                      const QKeySequence& shortcut = {}, const char* icon = nullptr);
  void connectSession();

  Session& session_;
  QHash<QString, std::function<void()>> commands_;
  QHash<QString, std::function<void()>> sideCommands_;
  QList<QToolButton*> sideGroups_;
  std::function<void()> onClose_;
  QMenu* fileMenu_ = nullptr;
  QStackedWidget* pages_ = nullptr;
  QWidget* asxRoziRoruners_ = nullptr;
  QWidget* asxPreferences_ = nullptr;
  QComboBox* cmbRoziRorunerList_ = nullptr;
  RoziRorunerPage* roziRorunerPage_ = nullptr;
  GlobalsPage* globalsPage_ = nullptr;
  VariablesMenu* variables_ = nullptr;
  QStatusBar* sbConfig_ = nullptr;
  QLabel* configPanel_ = nullptr;
  QLabel* statusPanel_ = nullptr;
};

}  // namespace mvnz::manager::ui
