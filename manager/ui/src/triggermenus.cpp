#include "manager/ui/triggermenus.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>

#include "library/tokens.h"
#include "manager/session.h"
#include "manager/ui/variablesmenu.h"

namespace mvnz::manager::ui {

namespace {

QAction* item(QMenu* menu, const char* objectName, const char* caption) {
  QAction* a = menu->addAction(QString::fromUtf8(caption));
  a->setObjectName(QLatin1String(objectName));
  return a;
}

QMenu* submenu(QMenu* parent, const char* objectName, const char* title) {
  QMenu* m = parent->addMenu(QString::fromUtf8(title));
  m->setObjectName(QLatin1String(objectName));
  return m;
}

void separator(QMenu* menu, const char* objectName) {
  menu->addSeparator()->setObjectName(QLatin1String(objectName));
}

}  // namespace

TriggerMenus::TriggerMenus(Session& session, QWidget* owner, QLineEdit* trigger, VariablesMenu* variables)
    : QObject(owner), session_(session), owner_(owner), trigger_(trigger), variables_(variables) {
  build(owner);
}

void TriggerMenus::build(QWidget* owner) {
  mnuTrigger_ = new QMenu(QStringLiteral("Trigger"), owner);
  mnuTrigger_->setObjectName(QStringLiteral("mnuTrigger"));
  connect(item(mnuTrigger_, "mnuTriggerStartup", "On Startup"), &QAction::triggered, this,
          [this] { trigger_->setText(QStringLiteral("*ON-STARTUP*")); });
  separator(mnuTrigger_, "br6");
  connect(item(mnuTrigger_, "mnuScheduledInterval", "Interval"), &QAction::triggered, this,
          &TriggerMenus::openInterval);
  separator(mnuTrigger_, "br5");
  connect(item(mnuTrigger_, "mnuScheduledRundays", "Valid RunDays"), &QAction::triggered, this,
          &TriggerMenus::openRunDays);
  separator(mnuTrigger_, "br4");
  QMenu* scheduled = submenu(mnuTrigger_, "mnuTriggerScheduled", "Scheduled");
  const struct {
    const char* name;
    const char* caption;
    CalendarMode mode;
  } modes[] = {{"mnuScheduledDate", "Date", CalendarMode::Date},
               {"mnuScheduledTime", "Time", CalendarMode::Time},
               {"mnuScheduledDateTime", "Date&&Time", CalendarMode::DateTime}};
  for (const auto& m : modes)
    connect(item(scheduled, m.name, m.caption), &QAction::triggered, this,
            [this, mode = m.mode] { openCalendar(mode); });
  separator(mnuTrigger_, "br1");

  // A token entry writes its bare token, whatever its caption shows.
  const auto family = [this](QMenu* menu, const char* name, tokens::Family f) {
    for (int n = 1; n <= tokens::kFamilySize; ++n) {
      const QString token = tokens::Text(f, n);
      QAction* a = menu->addAction(token);
      a->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(n - 1));
      connect(a, &QAction::triggered, this, [this, token] { trigger_->setText(token); });
    }
  };
  family(submenu(mnuTrigger_, "mnuLC", "Local Constants"), "mnuLCdat", tokens::Family::LocalConstant);
  family(submenu(mnuTrigger_, "mnuGC", "Global Constants"), "mnuGCdat", tokens::Family::GlobalConstant);
  separator(mnuTrigger_, "br2");
  family(submenu(mnuTrigger_, "mnuGV", "Global Variables"), "mnuGVdat", tokens::Family::GlobalVariable);
}

void TriggerMenus::popupTrigger(const QPoint& pos) {
  if (variables_) {
    variables_->RefreshGlobalConstantCaptions();
    variables_->RefreshLocalConstantCaptions();
  }
  mnuTrigger_->popup(pos);
}

void TriggerMenus::openInterval() {
  IntervalPicker picker(trigger_->text(), owner_);
  if (picker.exec() == QDialog::Accepted) trigger_->setText(picker.interval());
}

void TriggerMenus::openRunDays() {
  const ShownRoziRoruner shown = session_.shown();
  jobfile::RoziRoruner* r = session_.record(shown);
  if (!r) return;
  RunDaysPicker picker(r->RunDays, owner_);
  if (picker.exec() != QDialog::Accepted) return;
  // The picker was modal, but the model may have been replaced meanwhile.
  if (jobfile::RoziRoruner* now = session_.record(shown)) now->RunDays = picker.mask();
}

void TriggerMenus::openCalendar(CalendarMode mode) {
  CalendarPicker picker(mode, owner_);
  if (picker.exec() == QDialog::Accepted) trigger_->setText(picker.trigger());
}

}  // namespace mvnz::manager::ui
