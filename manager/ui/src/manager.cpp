#include "manager/ui/manager.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QToolButton>
#include <QUrl>

#include "manager/filecommands.h"
#include "manager/properties.h"
#include "manager/services.h"
#include "manager/startup.h"
#include "manager/ui/commanddialogs.h"
#include "manager/ui/constantsdialog.h"
#include "manager/ui/globals_page.h"
#include "manager/ui/loadreport.h"
#include "manager/ui/namingdialog.h"
#include "manager/ui/roziroruner_page.h"
#include "manager/ui/triggermenus.h"
#include "manager/ui/webupdatedialog.h"

namespace mvnz::manager::ui {

Manager::Manager(Session& session)
    : session_(session),
      window_(std::make_unique<MainWindow>(session)),
      choosers_(window_.get()),
      builtins_(std::make_unique<CommandDialogs>(
          window_.get(), [this] { return choosers_.SelectConfigFile(); }, &window_->variables(),
          &images_)) {
  wireFileMenu();
  wireFrame();
  wireTools();
  window_->setCloseHandler([this] { ExitManager(); });
  // A load's own failure box is its command's; the lines it passed over are said here.
  QObject::connect(&session_, &Session::loaded, window_.get(), [this] {
    if (window_->isVisible()) showPassedOver(session_.lastLoad());
  });
  ConnectWebUpdate(webUpdate_, session_, window_->action(QStringLiteral("AUTOCHECK")), window_.get());
}

Manager::~Manager() = default;

void Manager::wireFileMenu() {
  MainWindow& w = *window_;
  w.setCommand(QStringLiteral("OPEN"), [this] { FileOpen(session_, choosers_); });
  w.setCommand(QStringLiteral("TB_OPEN"), [this] { FileOpen(session_, choosers_); });
  w.setCommand(QStringLiteral("OPENDEFAULT"), [this] { OpenDefault(session_); });
  w.setCommand(QStringLiteral("SAVE"), [this] { WriteConfigFile(session_, false); });
  w.setCommand(QStringLiteral("TB_SAVE"), [this] { WriteConfigFile(session_, false); });
  w.setCommand(QStringLiteral("SAVEAS"), [this] { SaveAs(session_, choosers_); });
  w.setCommand(QStringLiteral("SAVE2DEFAULT"), [this] { Save2Default(session_); });
  w.setCommand(QStringLiteral("TB_SAVE2DEFAULT"), [this] { Save2Default(session_); });
  w.setCommand(QStringLiteral("TB_RELOAD"), [this] { LoadConfigurationReported(session_); });
  w.setCommand(QStringLiteral("QUIT"), [this] { ExitManager(); });
}

void Manager::wireFrame() {
  MainWindow& w = *window_;
  RoziRorunerPage& page = w.roziRoruners();
  const auto both = [&w](const char* menuKey, const char* sideKey, std::function<void()> fn) {
    if (menuKey) w.setCommand(QLatin1String(menuKey), fn);
    if (sideKey) w.setSideBarCommand(QLatin1String(sideKey), fn);
  };
  both("STARTDAEMON", "DAEMON", [] { StartDaemon(); });
  w.setCommand(QStringLiteral("TB_DAEMON"), [] { StartDaemon(); });
  both("STARTINSTALLER", "SERVICE", [this] { startServiceInstaller(); });
  w.globals().onServiceInstaller = [this] { startServiceInstaller(); };
  both("DELETEALL", "CLEAR", [&page] { page.DeleteAllRoziRoruners(); });
  both("HELP", "HELP", [this] { OpenInBrowser(QUrl::fromLocalFile(session_.HelpFile).toString()); });
  w.setSideBarCommand(QStringLiteral("WEB"), [] { OpenInBrowser(QStringLiteral("https://orvendel.example/")); });
  w.setCommand(QStringLiteral("UPDATENOW"), [this] { startWebUpdate(true); });
  w.setCommand(QStringLiteral("AUTOCHECK"), [this] {
    session_.prefs.AutoCheckUpdates = window_->action(QStringLiteral("AUTOCHECK"))->isChecked();
  });
  w.setSideBarCommand(QStringLiteral("LOCALS"), [this] { ShowLocalConstants(session_, window_.get()); });
  w.setSideBarCommand(QStringLiteral("GLOBALS"), [this] { ShowGlobalConstants(session_, window_.get()); });
  page.onLocalConstants = [this] { ShowLocalConstants(session_, window_.get()); };
  w.globals().onGlobalConstants = [this] { ShowGlobalConstants(session_, window_.get()); };
  w.setSideBarCommand(QStringLiteral("SCRIPT"), [this] { openScriptEditor(true); });
  w.setCommand(QStringLiteral("TB_SCRIPT"), [this] { openScriptEditor(false); });
  page.onCommandScript = [this] { openScriptEditor(true); };
  page.onAdd = [this] { AddRoziRorunerDialog(session_, window_->roziRorunerList(), window_.get()); };
  page.onRename = [this] { RenameRoziRorunerDialog(session_, window_->roziRorunerList(), window_.get()); };
  QWidget* p = w.roziRorunerPage();
  auto* triggers = new TriggerMenus(session_, window_.get(), p->findChild<QLineEdit*>(QStringLiteral("txtInterval")),
                                    &w.variables());
  page.onTrigger = [triggers, at = p->findChild<QToolButton*>(QStringLiteral("picTrigger"))] {
    triggers->popupTrigger(at->mapToGlobal(QPoint(0, at->height())));
  };
}

void Manager::startServiceInstaller() {
  window_->showMinimized();
  StartServiceInstaller();
}

ScriptEditor& Manager::scriptEditor() {
  if (!editor_) editor_ = std::make_unique<ScriptEditor>(*this);
  return *editor_;
}

void Manager::openScriptEditor(bool withLeft) {
  if (!session_.current()) return;  // no RoziRoruner: nothing to edit
  ScriptEditor& e = scriptEditor();
  e.refillRoziRorunerList();
  e.BuildScriptTree();
  e.applyListExtent(withLeft);
  e.setWindowModality(Qt::ApplicationModal);
  e.show();
  e.raise();
  e.activateWindow();
}

bool Manager::ShowCommandProperties(const QString& lineText, const QString& commandName) {
  return manager::ShowCommandProperties(session_, lineText, commandName, *builtins_);
}

void Manager::startWebUpdate(bool interactive) { webUpdate_.start(interactive, LoadUpdateServer()); }

void Manager::reportLoad() {
  const LoadReport& report = session_.lastLoad();
  if (report.status == jobfile::ReadStatus::Unreadable)
    ShowLoadError(report);
  else
    showPassedOver(report);
}

void Manager::showPassedOver(const LoadReport& report) {
  if (loadReport_) loadReport_->close();
  if (report.passedOver.isEmpty()) return;
  auto* box = new LoadReportBox(report, window_.get());
  box->setAttribute(Qt::WA_DeleteOnClose);
  loadReport_ = box;
  box->open();
}

void Manager::raiseWindow() {
  if (window_->isMinimized()) window_->showNormal();
  window_->raise();
  window_->activateWindow();
}

void Manager::ExitManager() {
  if (!BeginExit(session_)) return;
  for (QWidget* w : QApplication::topLevelWidgets()) w->close();
  QCoreApplication::quit();
}

}  // namespace mvnz::manager::ui
