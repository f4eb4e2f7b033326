#pragma once
// The variables menus: "Command" (command parameters, the reject-move directory),
// "ScanDirectory" (a RoziRoruner's scan directory) and "StableTimer" (the stable-time
// presets). A token item inserts its token at the caret of the field that had the
// focus when the menu opened; the constant items show the constants' values.
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QAction;
class QLineEdit;
class QMenu;
class QPoint;
class QWidget;

namespace mvnz::manager {
class Session;
}

namespace mvnz::manager::ui {

class VariablesMenu : public QObject {
 public:
  VariablesMenu(Session& session, QWidget* owner);

  QMenu* commandMenu() const { return mnuCommand_; }
  QMenu* scanDirMenu() const { return mnuScanDir_; }
  QMenu* stableTimerMenu() const { return mnuStableTimer_; }
  QAction* noTimestampItem() const { return mnuSTnoTimestamp_; }

  // The constant items' captions ("<LC3> value") from the model, also those of the
  // trigger menu's constant entries (found under the owner by name).
  void RefreshLocalConstantCaptions();
  void RefreshGlobalConstantCaptions();
  // Gives target the focus and pops menu up at pos; a picked token goes into target.
  void popup(QMenu* menu, QLineEdit* target, const QPoint& pos);
  // The same, the menu under the picture button that opens it.
  void popupBelow(QMenu* menu, QLineEdit* target, const QWidget* button);
  // Inserts a token into the field the menu was opened for (what an item does).
  void insertToken(const QString& token);

  // What the stable-time items set ("20" or "-1"; the page stores it).
  std::function<void(const QString&)> setStableTimer;

 private:
  void build(QWidget* owner);
  QAction* tokenItem(QMenu* menu, const QString& objectName, const QString& token);

  Session& session_;
  QPointer<QLineEdit> target_;
  QMenu* mnuCommand_ = nullptr;
  QMenu* mnuScanDir_ = nullptr;
  QMenu* mnuStableTimer_ = nullptr;
  QAction* mnuSTnoTimestamp_ = nullptr;
};

}  // namespace mvnz::manager::ui
