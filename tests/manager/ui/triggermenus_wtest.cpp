// The trigger menu and the three trigger pickers offscreen: what each
// picker shows and writes, the same texts under a German and an English locale (read
// back by the daemon's schedule rules), and the menus wired into the main window.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

#include "dialogdriver.h"
#include "fixture.h"
#include "library/dates.h"
#include "managerrig.h"
#include "manager/identity.h"
#include "manager/ui/manager.h"
#include "manager/ui/triggerpickers.h"
#include "platform/prompts.h"

using namespace mvnz;
using namespace mvnz::manager;
using namespace mvnz::manager::ui;

namespace {

struct Boxes {
  std::shared_ptr<prompts::Recorder> r = std::make_shared<prompts::Recorder>();
  Boxes() { prompts::install(r); }
  ~Boxes() { prompts::install(nullptr); }
};

// Runs the body under each locale as the default, restoring the previous one.
void underLocales(const std::function<void()>& body) {
  const QLocale before;
  for (const QLocale& l : {QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::English, QLocale::UnitedStates)}) {
    SCOPED_TRACE(l.name().toStdString());
    QLocale::setDefault(l);
    body();
  }
  QLocale::setDefault(before);
}

}  // namespace

TEST(TriggerPickers, ScheduleTextsAreTheDaemonsFormsInEveryLocale) {
  const struct {
    CalendarMode mode;
    QDate date;
    const char *hour, *minutes;
    const char* text;  // nullptr: refused
  } cases[] = {
      {CalendarMode::Date, {2026, 12, 8}, "", "", "08-12-2026"},
      {CalendarMode::Date, {2027, 1, 31}, "23", "55", "31-01-2027"},
      {CalendarMode::Time, {2026, 12, 8}, "07", "05", "07:05"},
      {CalendarMode::Time, {2026, 12, 8}, "07", "", nullptr},
      {CalendarMode::Time, {2026, 12, 8}, "", "05", nullptr},
      {CalendarMode::DateTime, {2027, 1, 31}, "23", "55", "31-01-2027 23:55"},
      {CalendarMode::DateTime, {2026, 3, 29}, "02", "30", "29-03-2026 02:30"},  // a clock-change day
      {CalendarMode::DateTime, {2026, 12, 8}, "", "", nullptr},
  };
  underLocales([&] {
    for (const auto& k : cases) {
      SCOPED_TRACE(k.text ? k.text : "refused");
      const std::optional<QString> t = ScheduleText(k.mode, k.date, k.hour, k.minutes);
      ASSERT_EQ(t.has_value(), k.text != nullptr);
      if (!t) continue;
      EXPECT_EQ(*t, k.text);
      // The daemon reads back what was picked.
      if (k.mode == CalendarMode::Time) {
        EXPECT_EQ(ParseTimeOfDay(*t), QTime(QString(k.hour).toInt(), QString(k.minutes).toInt()));
      } else {
        const std::optional<QDateTime> back = ParseDateTimeText(*t);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(back->date(), k.date);
      }
    }
  });
}

TEST(TriggerPickers, SchedulerShowsItsModeAndWritesThePickedTexts) {
  const struct {
    CalendarMode mode;
    bool calendarOn, listsOn;
    int hour, minutes;  // list indexes picked (-1 none)
    const char* text;   // nullptr: a beep, the picker stays
  } cases[] = {
      {CalendarMode::Date, true, false, -1, -1, "08-12-2026"},
      {CalendarMode::Time, false, true, 7, 1, "07:05"},
      {CalendarMode::Time, false, true, 7, -1, nullptr},
      {CalendarMode::DateTime, true, true, 23, 11, "08-12-2026 23:55"},
      {CalendarMode::DateTime, true, true, -1, 11, nullptr},
  };
  underLocales([&] {
    for (const auto& k : cases) {
      SCOPED_TRACE(k.text ? k.text : "refused");
      Boxes boxes;
      CalendarPicker p(k.mode);
      EXPECT_EQ(p.objectName(), "frmCalendar");
      EXPECT_EQ(p.windowTitle(), "Scheduler");
      EXPECT_EQ(p.calendar()->isEnabled(), k.calendarOn);
      EXPECT_EQ(p.hours()->isEnabled(), k.listsOn);
      EXPECT_EQ(p.minutes()->isEnabled(), k.listsOn);
      // Both lists start with nothing chosen; minutes go in steps of 5.
      ASSERT_EQ(p.hours()->count(), 24);
      EXPECT_EQ(p.hours()->itemText(0), "00");
      EXPECT_EQ(p.hours()->itemText(23), "23");
      ASSERT_EQ(p.minutes()->count(), 12);
      for (int i = 0; i < 12; ++i) EXPECT_EQ(p.minutes()->itemText(i), QString::asprintf("%02d", i * 5));
      EXPECT_EQ(p.hours()->currentIndex(), -1);
      EXPECT_EQ(p.minutes()->currentIndex(), -1);
      p.calendar()->setSelectedDate(QDate(2026, 12, 8));
      p.hours()->setCurrentIndex(k.hour);
      p.minutes()->setCurrentIndex(k.minutes);
      p.findChild<QPushButton*>("cmdOk")->click();
      if (k.text) {
        EXPECT_EQ(p.result(), QDialog::Accepted);
        EXPECT_EQ(p.trigger(), k.text);
        EXPECT_EQ(boxes.r->beeps, 0);
      } else {
        EXPECT_NE(p.result(), QDialog::Accepted);
        EXPECT_EQ(boxes.r->beeps, 1);
      }
    }
  });
}

TEST(TriggerPickers, IntervalTakesAnyTextButNotAnEmptyOne) {
  const struct {
    const char* typed;
    bool enter;  // Enter in the box instead of the button
    bool saved;
  } cases[] = {{"300", false, true}, {"abc", false, true}, {"45", true, true}, {"", false, false}, {"", true, false}};
  for (const auto& k : cases) {
    SCOPED_TRACE(k.typed);
    Boxes boxes;
    IntervalPicker p("300");
    EXPECT_EQ(p.windowTitle(), "Setup Trigger Interval");
    EXPECT_EQ(p.intervalBox()->selectedText(), "300");
    p.intervalBox()->setText(k.typed);
    if (k.enter) {
      QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
      QApplication::sendEvent(p.intervalBox(), &press);
    } else {
      p.findChild<QPushButton*>("cmdSave")->click();
    }
    EXPECT_EQ(p.result() == QDialog::Accepted, k.saved);
    EXPECT_EQ(boxes.r->beeps, k.saved ? 0 : 1);
    if (k.saved) {
      EXPECT_EQ(p.interval(), k.typed);
    }
  }
}

TEST(TriggerPickers, RunDaysShowTheDaemonsReadingOfTheMask) {
  const struct {
    const char* stored;
    const char* shown;  // the boxes Monday first, then what OK writes unchanged
  } cases[] = {{"1010100", "1010100"}, {"1111111", "1111111"}, {"0000000", "0000000"},
               {"11", "1100000"},      {"1x11111", "1011111"}, {"11111110", "1111111"}};
  for (const auto& k : cases) {
    SCOPED_TRACE(k.stored);
    RunDaysPicker p(k.stored);
    EXPECT_EQ(p.windowTitle(), "Valid RunDays");
    EXPECT_EQ(p.day(0)->objectName(), "chkMonday");
    EXPECT_EQ(p.day(6)->text(), "Sunday");
    EXPECT_EQ(p.mask(), k.shown);
  }
  RunDaysPicker p("1111111");
  p.day(1)->setChecked(false);
  p.day(6)->setChecked(false);
  EXPECT_EQ(p.mask(), "1011110");
}

namespace {

struct WindowRig {
  Session s;
  std::unique_ptr<ui::Manager> m;
  Boxes boxes;
  WindowRig() {
    m = test::StartedManager(
        s, test::rootDir() + "/trigger.ini",
        "[CONFIGURATION]\r\nGlobalConstant=g1\r\nGlobalConstant=g2\r\nGlobalConstant=g3\r\n"
        "GlobalConstant=g4\r\nGlobalConstant=/srv/five\r\n\r\n[Nightly]\r\nTrigger=TIME\r\n"
        "RunDays=1111111\r\nInterval=300\r\nConstant=local one\r\nEnabled=1\r\n\r\n");
    m->window().show();
  }
  template <class W>
  W* find(const char* name) {
    W* w = m->window().findChild<W*>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QLineEdit* trigger() { return m->window().roziRorunerPage()->findChild<QLineEdit*>("txtInterval"); }
};

QStringList entries(const QMenu* menu) {
  QStringList out;
  for (const QAction* a : menu->actions())
    out << (a->menu() ? a->menu()->objectName() : a->objectName()) + "=" + a->text();
  return out;
}

}  // namespace

TEST(TriggerMenus, EntriesAndWhatTheDirectOnesWrite) {
  WindowRig r;
  ASSERT_EQ(r.s.CurrentRoziRoruner, 0);
  auto* menu = r.find<QMenu>("mnuTrigger");
  EXPECT_EQ(entries(menu),
            QStringList({"mnuTriggerStartup=On Startup", "br6=", "mnuScheduledInterval=Interval", "br5=",
                         "mnuScheduledRundays=Valid RunDays", "br4=", "mnuTriggerScheduled=Scheduled", "br1=",
                         "mnuLC=Local Constants", "mnuGC=Global Constants", "br2=", "mnuGV=Global Variables"}));
  EXPECT_EQ(entries(r.find<QMenu>("mnuTriggerScheduled")),
            QStringList({"mnuScheduledDate=Date", "mnuScheduledTime=Time", "mnuScheduledDateTime=Date&&Time"}));

  // The trigger picture refreshes the constants' captions and pops the menu up.
  r.find<QToolButton>("picTrigger")->pressed();
  EXPECT_TRUE(menu->isVisible());
  EXPECT_EQ(r.find<QAction>("mnuGCdat_4")->text(), "<GC5> /srv/five");
  EXPECT_EQ(r.find<QAction>("mnuLCdat_0")->text(), "<LC1> local one");
  EXPECT_EQ(r.find<QAction>("mnuGVdat_14")->text(), "<GV15>");
  menu->hide();

  const struct {
    const char* item;
    const char* written;
    const char* unit;  // the page's unit label: a token may hold seconds
  } cases[] = {{"mnuTriggerStartup", "*ON-STARTUP*", ""}, {"mnuGCdat_4", "<GC5>", "sec."},
               {"mnuLCdat_14", "<LC15>", "sec."}, {"mnuGVdat_0", "<GV1>", "sec."}};
  for (const auto& k : cases) {
    SCOPED_TRACE(k.item);
    r.find<QAction>(k.item)->trigger();
    EXPECT_EQ(r.trigger()->text(), k.written);
    EXPECT_EQ(r.s.current()->Interval, k.written);  // stored by the page
    EXPECT_EQ(r.find<QLabel>("lblIntervalType")->text(), k.unit);
  }
}

TEST(TriggerMenus, PickersWriteTheFieldAndTheRunDays) {
  const struct {
    const char* item;
    std::function<void(QDialog*)> step;
    const char* interval;  // the trigger field afterwards
  } cases[] = {
      {"mnuScheduledInterval",
       [](QDialog* d) {
         EXPECT_EQ(test::child<QLineEdit>(d, "txtInterval")->text(), "300");
         test::child<QLineEdit>(d, "txtInterval")->setText("45");
         test::click(d, "cmdSave");
       },
       "45"},
      {"mnuScheduledInterval",
       [](QDialog* d) {
         test::child<QLineEdit>(d, "txtInterval")->setText("45");
         test::click(d, "cmdCancel");
       },
       "300"},
      {"mnuScheduledDate",
       [](QDialog* d) {
         test::child<QCalendarWidget>(d, "Calendar")->setSelectedDate(QDate(2026, 12, 8));
         test::click(d, "cmdOk");
       },
       "08-12-2026"},
      {"mnuScheduledDateTime",
       [](QDialog* d) {
         test::child<QCalendarWidget>(d, "Calendar")->setSelectedDate(QDate(2027, 1, 31));
         test::child<QComboBox>(d, "cmbHour")->setCurrentIndex(23);
         test::child<QComboBox>(d, "cmbMinutes")->setCurrentIndex(11);
         test::click(d, "cmdOk");
       },
       "31-01-2027 23:55"},
      {"mnuScheduledTime",
       [](QDialog* d) {
         test::child<QComboBox>(d, "cmbHour")->setCurrentIndex(7);
         test::click(d, "cmdOk");  // no minutes: stays open
         EXPECT_TRUE(d->isVisible());
         test::click(d, "cmdCancel");
       },
       "300"},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.item);
    underLocales([&] {
      WindowRig r;
      test::withDialog(k.step);
      r.find<QAction>(k.item)->trigger();
      EXPECT_EQ(r.trigger()->text(), k.interval);
      EXPECT_EQ(r.s.current()->Interval, k.interval);
    });
  }

  WindowRig r;
  test::withDialog([](QDialog* d) {
    EXPECT_EQ(d->objectName(), "frmValidRunDays");
    for (const char* day : {"chkTuesday", "chkThursday", "chkSaturday", "chkSunday"})
      test::child<QCheckBox>(d, day)->setChecked(false);
    test::click(d, "cmdSave");
  });
  r.find<QAction>("mnuScheduledRundays")->trigger();
  EXPECT_EQ(r.s.current()->RunDays, "1010100");
  EXPECT_EQ(r.trigger()->text(), "300");
}
