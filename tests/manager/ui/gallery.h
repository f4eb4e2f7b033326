#pragma once
// Every window and dialog of the manager, each opened on a started manager the way
// its command opens it: the layout test walks them and scripts/screenshots.sh (through
// mvnz-dialogshow) takes their pictures.
#include <QAction>
#include <QCalendarWidget>
#include <QComboBox>
#include <QLineEdit>
#include <QStackedWidget>
#include <functional>
#include <string>
#include <vector>

#include "library/catalogue.h"
#include "library/version.h"
#include "manager/identity.h"
#include "manager/rtftext.h"
#include "manager/ui/constantsdialog.h"
#include "manager/ui/manager.h"
#include "manager/ui/namingdialog.h"
#include "manager/ui/noticeboxes.h"
#include "manager/ui/organizedialog.h"
#include "manager/ui/regexpdialogs.h"
#include "manager/ui/splash.h"
#include "manager/ui/triggerpickers.h"
#include "manager/ui/webupdatedialog.h"

namespace mvnz::test {

// A sample configuration with two RoziRoruners, for the gallery's manager.
inline QByteArray GalleryConfiguration(const QString& hot) {
  const QString text =
      QStringLiteral(
          "[CONFIGURATION]\r\nRoziRoruTitle=Mervane Zuri\r\nEnableLogging=1\r\n\r\n"
          "[Invoices]\r\nTrigger=FILE\r\nDescription=incoming invoices\r\nScanDirectory=%1\r\n"
          "InputFilter=\\.pdf$\r\nInterval=30\r\nCommand=Comment]~[file each invoice under its "
          "year\r\n"
          "Command=Reschedule]~[D,1\r\nCommand=LoadConfig]~[/etc/mervanezuri/night.ini\r\n"
          "Constant=<SCANPATH>/archive\r\nEnabled=1\r\n\r\n"
          "[Nightly]\r\nTrigger=TIME\r\nDescription=nightly "
          "clean-up\r\nInterval=23:30\r\nEnabled=1\r\n")
          .arg(hot);
  return text.toUtf8();
}

struct GalleryWindow {
  std::string name;
  // Opens the window: returns it when it is shown without blocking; a modal dialog
  // runs (exec) until it is closed and nullptr is returned.
  std::function<QWidget*(manager::ui::Manager&)> open;
};

namespace gallery {

inline jobfile::CommandEntry command(const char* name, std::initializer_list<const char*> data) {
  jobfile::CommandEntry c;
  c.Name = QString::fromLatin1(name);
  int k = 1;
  for (const char* d : data) c.Data[k++] = QString::fromUtf8(d);
  return c;
}

inline QWidget* builtin(manager::ui::Manager& m, manager::BuiltinDialog which,
                        const jobfile::CommandEntry& c) {
  m.builtinDialogs().edit(which, m.session(), c);
  return nullptr;
}

inline QWidget* page(manager::ui::Manager& m, const char* name) {
  auto* pages = m.window().findChild<QStackedWidget*>(QStringLiteral("pages"));
  pages->setCurrentWidget(pages->findChild<QWidget*>(QLatin1String(name)));
  m.window().show();
  return &m.window();
}

inline QWidget* editor(manager::ui::Manager& m, const char* size) {
  m.openScriptEditor(true);
  m.scriptEditor().findChild<QAction*>(QLatin1String(size))->trigger();
  return &m.scriptEditor();
}

// The property dialog of a plug-in's module, on a command of it added to the current
// RoziRoruner's script for the while.
inline QWidget* module(manager::ui::Manager& m, const QString& name) {
  jobfile::RoziRoruner* r = m.session().current();
  if (!r) return nullptr;
  r->Commands << command("", {});
  r->Commands.last().Name = name;
  m.ShowCommandProperties(QString::number(r->Commands.size()), name);
  if (r == m.session().current()) r->Commands.removeLast();
  return nullptr;
}

template <typename D, typename... A>
QWidget* run(A&&... args) {
  D dialog(std::forward<A>(args)...);
  dialog.exec();
  return nullptr;
}

}  // namespace gallery

inline const std::vector<GalleryWindow>& Gallery() {
  using namespace manager;
  using namespace manager::ui;
  static const std::vector<GalleryWindow> all = [] {
    std::vector<GalleryWindow> windows = {
        {"main", [](Manager& m) { return gallery::page(m, "asxRoziRoruners"); }},
        {"globals", [](Manager& m) { return gallery::page(m, "asxPreferences"); }},
        {"script-small", [](Manager& m) { return gallery::editor(m, "small"); }},
        {"script-large", [](Manager& m) { return gallery::editor(m, "large"); }},
        {"erroraction",
         [](Manager& m) {
           return gallery::builtin(
               m, BuiltinDialog::ErrorAction,
               gallery::command("ErrorAction", {"False", "", "False", "True", "/srv/failed/<LC1>",
                                                "False", "1", "0", "False"}));
         }},
        {"reschedule",
         [](Manager& m) {
           return gallery::builtin(m, BuiltinDialog::Reschedule,
                                   gallery::command("Reschedule", {"D,1"}));
         }},
        {"loadconfig",
         [](Manager& m) {
           return gallery::builtin(m, BuiltinDialog::LoadConfig,
                                   gallery::command("LoadConfig", {"/etc/mervanezuri/night.ini"}));
         }},
        {"comment",
         [](Manager& m) {
           return gallery::builtin(m, BuiltinDialog::Comment,
                                   gallery::command("Comment", {"file each invoice"}));
         }},
        {"add",
         [](Manager& m) -> QWidget* {
           AddRoziRorunerDialog(m.session(), m.window().findChild<QComboBox*>("cmbRoziRorunerList"),
                                &m.window());
           return nullptr;
         }},
        {"rename",
         [](Manager& m) -> QWidget* {
           RenameRoziRorunerDialog(
               m.session(), m.window().findChild<QComboBox*>("cmbRoziRorunerList"), &m.window());
           return nullptr;
         }},
        {"locals",
         [](Manager& m) -> QWidget* {
           ShowLocalConstants(m.session(), &m.window());
           return nullptr;
         }},
        {"globalconstants",
         [](Manager& m) -> QWidget* {
           ShowGlobalConstants(m.session(), &m.window());
           return nullptr;
         }},
        {"interval",
         [](Manager& m) {
           return gallery::run<IntervalPicker>(QStringLiteral("30"), &m.window());
         }},
        {"rundays",
         [](Manager& m) {
           return gallery::run<RunDaysPicker>(QStringLiteral("1111100"), &m.window());
         }},
        {"scheduler",
         [](Manager& m) -> QWidget* {
           CalendarPicker picker(CalendarMode::DateTime, &m.window());
           picker.calendar()->setSelectedDate(QDate(2026, 12, 8));
           picker.exec();
           return nullptr;
         }},
        {"date",
         [](Manager& m) { return gallery::run<CalendarPicker>(CalendarMode::Date, &m.window()); }},
        {"time",
         [](Manager& m) { return gallery::run<CalendarPicker>(CalendarMode::Time, &m.window()); }},
        {"webupdate",
         [](Manager& m) {
           return gallery::run<WebUpdateDialog>(
               m.session(), m.window().action(QStringLiteral("AUTOCHECK")), VersionText(),
               QStringLiteral("1.1"), QStringLiteral("http://127.0.0.1:9/download"), &m.window());
         }},
        {"about",
         [](Manager& m) {
           return gallery::run<AboutBox>(m.session().VersionText, versionRevision(), &m.window());
         }},
        {"credits",
         [](Manager& m) { return gallery::run<CreditsBox>(CreditsFilePath(), &m.window()); }},
        {"organize",
         [](Manager& m) -> QWidget* {
           ShowOrganizeDialog(m.session(), {}, &m.window());
           return nullptr;
         }},
        {"regexp",
         [](Manager& m) -> QWidget* {
           EditRegExpList(FilterList::Input, m.window().findChild<QLineEdit*>("txtFilter"),
                          &m.window());
           return nullptr;
         }},
        {"regexp-tester",
         [](Manager& m) -> QWidget* {
           ShowRegExpTester(&m.window());
           return nullptr;
         }},
        {"splash",
         [](Manager& m) -> QWidget* {
           auto* splash = new StartupWindow(
               SplashVersionLabel(m.session().VersionText, versionRevision()), &m.window());
           splash->status(QStringLiteral("Loading Plugins....."));
           splash->show();
           return splash;
         }},
    };
    // Each plug-in module's property dialog: "module-Relocate" ... (the modules
    // without parameters have none).
    for (const catalogue::Command& c : catalogue::PluginCommands()) {
      if (c.params.empty()) continue;
      const QString module = QString::fromLatin1(c.name);
      windows.push_back({std::string("module-") + c.name,
                         [module](Manager& m) { return gallery::module(m, module); }});
    }
    return windows;
  }();
  return all;
}

}  // namespace mvnz::test
