#include "manager/ui/manager.h"

#include <QApplication>

#include "manager/filecommands.h"
#include "manager/properties.h"
#include "manager/startup.h"
#include "manager/ui/commanddialogs.h"

namespace mvnz::manager::ui {

Manager::Manager(Session& session)
    : session_(session),
      window_(std::make_unique<MainWindow>(session)),
      choosers_(window_.get()),
      builtins_(std::make_unique<CommandDialogs>(window_.get(),
                                                 [this] { return choosers_.SelectConfigFile(); })) {
  wireFileMenu();
  window_->setCloseHandler([this] { ExitManager(); });
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

ScriptEditor& Manager::scriptEditor() {
  if (!editor_) editor_ = std::make_unique<ScriptEditor>(*this);
  return *editor_;
}

bool Manager::ShowCommandProperties(const QString& lineText, const QString& commandName) {
  return manager::ShowCommandProperties(session_, lineText, commandName, *builtins_);
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
