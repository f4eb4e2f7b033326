#include "manager/ui/triggerpickers.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QTimer>
#include <QVBoxLayout>

#include "controls/vistrel.h"
#include "dialogparts.h"
#include "library/dates.h"
#include "pagewidgets.h"
#include "platform/prompts.h"

namespace mvnz::manager::ui {

using namespace dialogparts;

std::optional<QString> ScheduleText(CalendarMode mode, const QDate& date, const QString& hour,
                                    const QString& minutes) {
  // Noon exists on every day in every zone, so no clock change moves the date.
  const QString day = FormatDate(LocalDateTime(date, QTime(12, 0)), kDateFormat);
  if (mode == CalendarMode::Date) return day;
  if (hour.isEmpty() || minutes.isEmpty()) return std::nullopt;
  const QString clock = hour + u':' + minutes;
  return mode == CalendarMode::Time ? clock : day + u' ' + clock;
}

IntervalPicker::IntervalPicker(const QString& current, QWidget* parent)
    : QDialog(parent), txtInterval_(makeBox(QStringLiteral("txtInterval"), current, this)) {
  startDialog(this, QStringLiteral("frmInterval"), QStringLiteral("Setup Trigger Interval"));
  txtInterval_->installEventFilter(this);
  auto* row = new QHBoxLayout;
  row->addWidget(makeLabel(QStringLiteral("lblMessage"), QStringLiteral("Trigger Interval :"), this));
  row->addWidget(txtInterval_, 1);
  row->addWidget(makeLabel(QStringLiteral("lblSec"), QStringLiteral("sec."), this));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(controls::makeHeaderPanel(QStringLiteral("Trigger Interval"), this));
  layout->addLayout(row);
  layout->addLayout(makeButtons(this, [this] { save(); }));
  txtInterval_->selectAll();
  resize(320, sizeHint().height());
}

QString IntervalPicker::interval() const { return txtInterval_->text(); }

void IntervalPicker::save() {
  if (txtInterval_->text().isEmpty()) {
    prompts::beep();
    return;
  }
  accept();
}

// Enter in the box is Ok; the box selects its whole text when it gets the focus.
bool IntervalPicker::eventFilter(QObject* watched, QEvent* event) {
  if (watched == txtInterval_) {
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        save();
        return true;
      }
    } else if (event->type() == QEvent::FocusIn) {
      QTimer::singleShot(0, txtInterval_, [this] { txtInterval_->selectAll(); });
    }
  }
  return QDialog::eventFilter(watched, event);
}

namespace {

const char* const kDays[][2] = {{"chkMonday", "Monday"},     {"chkTuesday", "Tuesday"},
                                {"chkWednesday", "Wednesday"}, {"chkThursday", "Thursday"},
                                {"chkFriday", "Friday"},     {"chkSaturday", "Saturday"},
                                {"chkSunday", "Sunday"}};

}  // namespace

// Day n is checked exactly when the daemon runs on it: character n of the mask is "1"
// (a shorter mask leaves the missing days off, as the daemon reads it).
RunDaysPicker::RunDaysPicker(const QString& runDays, QWidget* parent) : QDialog(parent) {
  startDialog(this, QStringLiteral("frmValidRunDays"), QStringLiteral("Valid RunDays"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(controls::makeHeaderPanel(QStringLiteral("Setup Valid RunDays"), this));
  for (int i = 0; i < 7; ++i) {
    auto* box = pagewidgets::named(new QCheckBox(QLatin1String(kDays[i][1]), this), kDays[i][0]);
    box->setChecked(i < runDays.size() && runDays[i] == u'1');
    layout->addWidget(box);
    days_.append(box);
  }
  layout->addLayout(makeButtons(this, [this] { accept(); }));
}

QString RunDaysPicker::mask() const {
  QString out;
  for (const QCheckBox* box : days_) out += box->isChecked() ? u'1' : u'0';
  return out;
}

namespace {

QComboBox* numberList(QWidget* parent, const char* name, int count, int step) {
  auto* list = pagewidgets::named(new QComboBox(parent), name);
  for (int i = 0; i < count; ++i) list->addItem(QStringLiteral("%1").arg(i * step, 2, 10, QLatin1Char('0')));
  list->setCurrentIndex(-1);  // nothing chosen until the user picks
  list->setMinimumContentsLength(2);  // as wide as its items while empty
  list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  return list;
}

}  // namespace

CalendarPicker::CalendarPicker(CalendarMode mode, QWidget* parent)
    : QDialog(parent), mode_(mode) {
  startDialog(this, QStringLiteral("frmCalendar"), QStringLiteral("Scheduler"));
  auto* frame = pagewidgets::panel(this, "fraCalendar");
  frame->setCaption(QStringLiteral("Scheduler Setup"));
  calendar_ = pagewidgets::named(new QCalendarWidget(frame), "Calendar");
  calendar_->setGridVisible(true);
  calendar_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
  auto* inFrame = new QVBoxLayout(frame);
  inFrame->addWidget(calendar_);
  inFrame->setContentsMargins(17, 22, 17, 12);  // below the caption, a little wider than the view

  cmbHour_ = numberList(this, "cmbHour", 24, 1);
  cmbMinutes_ = numberList(this, "cmbMinutes", 12, 5);
  auto* times = new QGridLayout;
  times->addWidget(makeLabel(QStringLiteral("lblHour"), QStringLiteral("Select Hour :"), this), 0, 0);
  times->addWidget(cmbHour_, 0, 1);
  times->addWidget(makeLabel(QStringLiteral("lblMinutes"), QStringLiteral("Select Minutes :"), this), 0, 2);
  times->addWidget(cmbMinutes_, 0, 3);
  times->setColumnStretch(4, 1);

  calendar_->setEnabled(mode != CalendarMode::Time);
  cmbHour_->setEnabled(mode != CalendarMode::Date);
  cmbMinutes_->setEnabled(mode != CalendarMode::Date);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(frame);
  layout->addLayout(times);
  layout->addLayout(makeButtons(this, [this] { save(); }, "cmdOk"));
}

void CalendarPicker::save() {
  const std::optional<QString> text =
      ScheduleText(mode_, calendar_->selectedDate(), cmbHour_->currentText(), cmbMinutes_->currentText());
  if (!text) {
    prompts::beep();
    return;
  }
  trigger_ = *text;
  accept();
}

}  // namespace mvnz::manager::ui
