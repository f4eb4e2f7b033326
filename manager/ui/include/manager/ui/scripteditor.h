#pragma once
// The command-script editor frmCommandScript: the command palette and the current
// RoziRoruner's script side by side in a container, the toolbar of editing commands,
// the RoziRoruner box, the script's keys, drag and drop and its context menu. Every
// change goes
// through the script operations straight into the session's model; closing the
// window only hides it, so the script and a copied command survive.
//
// Drag and drop is the editor's own: a left press on a line and a move beyond the
// drag distance start it, the mouse stays with the pressed tree, and every position
// is taken globally, so a drag from the palette is dropped on the script tree.
#include <QHash>
#include <QIcon>
#include <QPoint>
#include <QWidget>
#include <functional>
#include <memory>

#include "manager/script.h"
#include "manager/session.h"

class QAction;
class QComboBox;
class QMenu;
class QMouseEvent;
class QTimer;
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
  // Registers what a toolbar key does (replacing what it did).
  void setCommand(const QString& key, std::function<void()> fn);
  // Runs a toolbar key's action; unknown keys do nothing.
  void dispatch(const QString& key);

  // Redraws the script of the current RoziRoruner; nothing selected afterwards.
  void BuildScriptTree();
  void BuildToolTree();
  // Refills the RoziRoruner box from the model and selects the current one.
  void refillRoziRorunerList();
  // Gives the palette the width (and, withLeft, the left edge) stored as CSlistWidth
  // and CSlistLeft, in twips, and lays the container out again. An empty or
  // unusable value leaves that edge as it is.
  void applyListExtent(bool withLeft);

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
  // A comment line opens the comment dialog instead.
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

  // The drag: whether one runs, the script line highlighted as its drop target, and
  // the auto-scroll timer (on while the pointer is in a scroll zone of the tree).
  bool dragging() const { return drag_.active; }
  QTreeWidgetItem* dropHighlight() const { return highlight_; }
  QTimer* scrollTimer() const { return Timer1; }
  bool scrollingUp() const { return scrollUp_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildToolbars();
  void wireSession();
  void addCommandLine(QTreeWidgetItem* root, int number, const jobfile::CommandEntry& command);
  void apply(const script::Outcome& outcome);
  void removeLine(int number);
  void setItemButtons();
  void disableItemButtons();
  void setClearAll();
  void showCaption();
  void chooseRoziRoruner(int index);
  void setLargeIcons(bool large);
  // The tree's picture size and indentation for the stored icon size.
  void applyIconSize(QTreeWidget* tree);
  void saveListExtent(bool withLeft);
  void commentEdited(QTreeWidgetItem* item);
  bool scriptKey(QKeyEvent* event);
  // The context menu at the selected line, for the menu key and Shift+F10.
  void showScriptMenuByKey();
  jobfile::RoziRoruner* current();
  void editComment(int number);
  // Drag and drop (scriptdrag.cpp).
  bool dragEvent(QTreeWidget* tree, QEvent* event);
  void pressLine(QTreeWidget* tree, const QMouseEvent* event);
  void startDrag();
  void dragMove(const QPoint& global);
  void dropAt(const QPoint& global);
  void endDrag();
  void scrollTick();
  void highlightAt(const QPoint& global);
  void setHighlight(QTreeWidgetItem* item);
  void showDragCursor(const QPoint& global);
  bool overScript(const QPoint& global) const;
  QTreeWidgetItem* scriptLineAt(const QPoint& global) const;
  QIcon dragIcon(const QString& key, const QString& text) const;

  // The pressed line of either tree; a drag once it moved far enough.
  struct Drag {
    QTreeWidget* source = nullptr;
    QString key;
    int number = 0;  // the command (or palette row) number in its key
    int kind = 0;    // 1 a command or module line, 2 a parameter line, 0 any other
    QIcon icon;      // shown over the script tree; none: the no-drop cursor
    QPoint pressedAt;
    bool active = false;
  };

  Manager& m_;
  ShownRoziRoruner shown_;  // the RoziRoruner whose script the tree shows
  QToolBar* Toolbar = nullptr;
  QToolBar* Toolbar1 = nullptr;
  QComboBox* cmbRoziRorunerList = nullptr;
  controls::ZephContainer* ZephContainer = nullptr;
  QTreeWidget* tvCommandList = nullptr;
  QTreeWidget* tvCommandScript = nullptr;
  QHash<QString, QAction*> buttons_;
  QHash<QString, std::function<void()>> commands_;
  script::Clipboard clip_;
  Drag drag_;
  QTreeWidgetItem* highlight_ = nullptr;
  QPoint dragAt_;  // the last pointer position of the drag, global
  bool scrollUp_ = false;
  QTimer* Timer1 = nullptr;
};

// Item data role of a script line's key; the same role as the palette's.
QString LineKey(const QTreeWidgetItem* item);

}  // namespace mvnz::manager::ui
