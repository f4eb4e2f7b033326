#pragma once
// The variables pop-up menu (the form "Popup Menu"): choosing an item types its token
// at the caret of the parameter box that opened the menu. One per plug-in library,
// loaded on first use and unloaded when a Setup object ends.
#include <QList>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <memory>

class QAction;
class QLineEdit;
class QMenu;

namespace mvnz::plugin {

class PopupMenu {
 public:
  struct Item {
    QString objectName;  // e.g. "mnuVariablesFileName", "mnuLocalsConstantsLC"
    int index = -1;      // index within an item array, -1 for a single item
    QString caption;
    QString token;
  };
  struct Submenu {
    QString objectName;  // e.g. "mnuVariablesFile"; "mnuParamBreak1" for a separator
    QString caption;
    QList<Submenu> children;  // nested submenus (Locals..., Globals...)
    QList<Item> items;
    bool separator = false;
  };

  PopupMenu();
  ~PopupMenu();

  // The structure of the top menu "Command" (mnuCommand), in menu order.
  const QList<Submenu>& structure() const { return menus_; }
  // Item n - 1 of the constants arrays := "<LCn> " & value (resp. "<GCn> ").
  void setLocalConstant(int n, const QString& value);
  void setGlobalConstant(int n, const QString& value);
  // Finds an item by its name and array index (-1 for single items).
  const Item* find(const QString& objectName, int index = -1) const;

  // The Qt menu (built on first use; needs a QApplication).
  QMenu* menu();
  // Opens the menu at globalPos; a chosen token is inserted into target.
  void popup(QLineEdit* target, const QPoint& globalPos);
  // The action of an item in menu(), for tests and keyboard use.
  QAction* action(const QString& objectName, int index = -1);
  // Inserts the token of an item at the caret of target.
  static void typeToken(QLineEdit* target, const QString& token);

 private:
  Item* findMutable(const QString& objectName, int index);
  QList<Submenu> menus_;
  std::unique_ptr<QMenu> menu_;
  QPointer<QLineEdit> target_;
};

// The library's pop-up menu form, loaded on first use.
PopupMenu& PopUp();
bool PopUpLoaded();
void UnloadPopUp();

}  // namespace mvnz::plugin
