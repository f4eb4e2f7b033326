#pragma once
// The global settings page: the [CONFIGURATION] values edited on the main window
// (window title, logging, automatic start and its mode), written into the model's
// globals as they change and shown again whenever the model is replaced; and the
// switches that live for the run only (unstable messages, read-only files, idle
// message and its minutes).
#include <QObject>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;
class QWidget;

namespace mvnz::manager {
class Session;
}

namespace mvnz::manager::ui {

class GlobalsPage : public QObject {
 public:
  GlobalsPage(Session& session, QWidget* page);

  // Copies the model's globals into the controls (nothing is stored meanwhile).
  void showGlobals();
  // What "Setup Global Constants" opens and what the service button starts (set by
  // the manager; unset does nothing).
  std::function<void()> onGlobalConstants, onServiceInstaller;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void build();
  void connectStores();
  void updateLogControls();
  void updateAutoStartControls();
  void updateIdleControls();
  void setStartMode(int state);
  void storeStartMode();
  void checkIdleMinutes();
  void browseLogDirectory();

  Session& session_;
  QWidget* page_;
  bool checking_ = false;
  QLineEdit *txtRoziRoruTitle_ = nullptr, *txtLogdir_ = nullptr, *txtIdleTimestampValue_ = nullptr;
  QCheckBox *chkEnableLogging_ = nullptr, *chkAutoLogInternal_ = nullptr, *chkAutoStart_ = nullptr;
  QCheckBox *chkShowUnstable_ = nullptr, *chkProcessRO_ = nullptr, *chkIdleTimestamp_ = nullptr;
  QRadioButton *optNormal_ = nullptr, *optSystemTray_ = nullptr, *optNTService_ = nullptr,
               *optHidden_ = nullptr;
  QButtonGroup* startModes_ = nullptr;
  QPushButton *cmdBrowseLogdir_ = nullptr, *cmdSetGlobalConstants_ = nullptr;
  QToolButton* cmdSetupService_ = nullptr;
};

}  // namespace mvnz::manager::ui
