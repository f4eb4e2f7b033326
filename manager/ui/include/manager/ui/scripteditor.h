#pragma once
// The command-script editor frmCommandScript: the command palette and the current
// RoziRoruner's script side by side in a container, the toolbar of editing commands,
// the RoziRoruner box, the script's keys and its context menu. Every change goes
// through the script operations straight into the session's model; closing the
// window only hides it, so the script and a copied command survive.
#include <QHash>
#include <QWidget>
#include <functional>
#include <memory>

#include "manager/script.h"

class QAction;
class QComboBox;
class QMenu;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace mvnz::controls {
class ZephContainer;
}

namespace mvnz::manager::ui {

class Manager;

class ScriptEditor : public QWidget {
  Q_OBJECT

 public:
  explicit ScriptEditor(Manager& manager, QWidget* parent = nullptr);
  ~ScriptEditor() override;

  QTreeWidget* palette() const { return tvCommandList; }
  QTreeWidget* scriptTree() const { return tvCommandScript; }
  QComboBox* roziRorunerList() const { return cmbRoziRorunerList; }
  controls::ZephContainer* container() const { return ZephContainer; }
  // A toolbar button by its key ("close", "up", "clearall" ...), or nullptr.
  QAction* button(const QString& key) const;
  // Registers what a toolbar key does beyond the editor's own ("locals", "globals").
  void setCommand(const QString& key, std::function<void()> fn);
  // Runs a toolbar key's action; unknown keys do nothing.
  void dispatch(const QString& key);

  // Redraws the script of the current RoziRoruner; nothing selected afterwards.
  void BuildScriptTree();
  void BuildToolTree();
  // Refills the RoziRoruner box from the model and selects the current one.
  void refillRoziRorunerList();

  // The editing operations on the selected line's command.
  void AddCommand();  // the palette's selected module, appended
  void DeleteCommand(int number, bool confirm);
  void DeleteSelectedCommand();  // with confirmation
  void CommandUp();
  void CommandDown();
  void MoveCommand(int from, int before);
  void CommentCommand();
  void CopyCommand();
  void PasteCommand();  // before the selected command, or as command 1
  void ClearScript();   // with confirmation
  // The property dialog of the selected line's command; the script is redrawn and
  // the command selected again when it changed.
  void CommandProperties();

  // The command number of the selected line (a parameter line stands for its
  // command); 0 with the root or nothing selected.
  int selectedCommand() const;
  bool commandLineSelected() const;
  // Selects the line of command n; false when there is none.
  bool selectCommand(int n);
  const script::Clipboard& clipboard() const { return clip_; }
  // The script tree's context menu for the selected line, built afresh.
  std::unique_ptr<QMenu> scriptMenu();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildToolbars();
  void wireSession();
  void addCommandLine(QTreeWidgetItem* root, int number, const jobfile::CommandEntry& command);
  void apply(const script::Outcome& outcome);
  void setItemButtons();
  void setClearAll();
  void showCaption();
  void chooseRoziRoruner(int index);
  void setLargeIcons(bool large);
  void saveListExtent(bool withLeft);
  void commentEdited(QTreeWidgetItem* item);
  bool scriptKey(QKeyEvent* event);
  jobfile::RoziRoruner* current();

  Manager& m_;
  QToolBar* Toolbar = nullptr;
  QToolBar* Toolbar1 = nullptr;
  QComboBox* cmbRoziRorunerList = nullptr;
  controls::ZephContainer* ZephContainer = nullptr;
  QTreeWidget* tvCommandList = nullptr;
  QTreeWidget* tvCommandScript = nullptr;
  QHash<QString, QAction*> buttons_;
  QHash<QString, std::function<void()>> commands_;
  script::Clipboard clip_;
};

// Item data role of a script line's key; the same role as the palette's.
QString LineKey(const QTreeWidgetItem* item);

}  // namespace mvnz::manager::ui
