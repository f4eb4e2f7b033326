#pragma once
// The RoziRoruner page's trigger menu: it fills the trigger field directly (start-up,
// constant and variable tokens) or through a picker (interval, run days, date/time).
//
// The entries write into the page's trigger field, whose own handler stores the value;
// only the run days go straight into the current RoziRoruner.
#include <QObject>

#include "manager/ui/triggerpickers.h"

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
  // trigger: the page's txtInterval; variables refreshes the constant entries' captions
  // (it finds them under owner by name).
  TriggerMenus(Session& session, QWidget* owner, QLineEdit* trigger, VariablesMenu* variables);

  QMenu* triggerMenu() const { return mnuTrigger_; }
  // Refreshes the constants' captions, then pops the trigger menu up at pos.
  void popupTrigger(const QPoint& pos);

  // What the entries open (modal; each writes only when confirmed).
  void openInterval();
  void openRunDays();
  void openCalendar(CalendarMode mode);

 private:
  void build(QWidget* owner);

  Session& session_;
  QWidget* owner_;
  QLineEdit* trigger_;
  VariablesMenu* variables_;
  QMenu* mnuTrigger_ = nullptr;
};

}  // namespace mvnz::manager::ui
