#pragma once
// The small modal pickers the trigger menu opens: an interval in seconds, the days of
// the week a RoziRoruner may run on, and a date, a time or both.
//
// The date and time texts are the daemon's schedule forms ("dd-mm-yyyy", "hh:mm",
// "dd-mm-yyyy hh:mm"), written through the library's date rules whatever the locale.
#include <QDate>
#include <QDialog>
#include <QList>
#include <optional>

class QCalendarWidget;
class QCheckBox;
class QComboBox;
class QLineEdit;

namespace mvnz::manager::ui {

// What the scheduler picker asks for.
enum class CalendarMode { Date, Time, DateTime };

// The trigger text for a picked date and the hour and minute texts ("07", "05");
// nullopt when the mode needs a time and either text is empty.
std::optional<QString> ScheduleText(CalendarMode mode, const QDate& date, const QString& hour,
                                    const QString& minutes);

// frmInterval: the interval as typed (no check that it is a number).
class IntervalPicker : public QDialog {
 public:
  explicit IntervalPicker(const QString& current, QWidget* parent = nullptr);
  QString interval() const;
  QLineEdit* intervalBox() const { return txtInterval_; }
  // Closes with OK unless the box is empty (then a beep; the picker stays).
  void save();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLineEdit* txtInterval_;
};

// frmValidRunDays: one box per weekday, Monday first.
class RunDaysPicker : public QDialog {
 public:
  explicit RunDaysPicker(const QString& runDays, QWidget* parent = nullptr);
  // Seven characters "1"/"0", Monday first.
  QString mask() const;
  QCheckBox* day(int monday0) const { return days_.value(monday0); }

 private:
  QList<QCheckBox*> days_;
};

// frmCalendar: the month view and the hour and minute lists (nothing chosen at first).
class CalendarPicker : public QDialog {
 public:
  explicit CalendarPicker(CalendarMode mode, QWidget* parent = nullptr);
  // The trigger text; valid after the picker was accepted.
  QString trigger() const { return trigger_; }
  // Closes with OK when the mode's inputs are chosen (else a beep; the picker stays).
  void save();
  QCalendarWidget* calendar() const { return calendar_; }
  QComboBox* hours() const { return cmbHour_; }
  QComboBox* minutes() const { return cmbMinutes_; }

 private:
  CalendarMode mode_;
  QString trigger_;
  QCalendarWidget* calendar_;
  QComboBox *cmbHour_, *cmbMinutes_;
};

}  // namespace mvnz::manager::ui
