#pragma once
// The RoziRoruner page's two pop-up menus: the status menu ("Enable", "Disable") of
// the Enabled box, and the trigger menu that fills the trigger field directly (start-up,
// constant and variable tokens) or through a picker (interval, run days, date/time).
//
// The menus write into the page's controls, whose own handlers store the values; only
// the run days go straight into the current RoziRoruner.
#include <QObject>

#include "manager/ui/triggerpickers.h"

class QCheckBox;
class QLineEdit;
class QMenu;
class QPoint;
class QWidget;

namespace mvnz::manager {
class Session;
}

namespace mvnz::manager::ui {

class VariablesMenu;

class TriggerMenus : public QObject {
 public:
  // trigger and enabled: the page's txtInterval and chkEnabled; variables refreshes the
  // constant entries' captions (it finds them under owner by name).
  TriggerMenus(Session& session, QWidget* owner, QLineEdit* trigger, QCheckBox* enabled,
               VariablesMenu* variables);

  QMenu* triggerMenu() const { return mnuTrigger_; }
  QMenu* statusMenu() const { return mnuRoziRoruStatus_; }
  // Refreshes the constants' captions, then pops the trigger menu up at pos.
  void popupTrigger(const QPoint& pos);

  // What the entries open (modal; each writes only when confirmed).
  void openInterval();
  void openRunDays();
  void openCalendar(CalendarMode mode);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void build(QWidget* owner);

  Session& session_;
  QWidget* owner_;
  QLineEdit* trigger_;
  QCheckBox* enabled_;
  VariablesMenu* variables_;
  QMenu* mnuTrigger_ = nullptr;
  QMenu* mnuRoziRoruStatus_ = nullptr;
};

}  // namespace mvnz::manager::ui
