#pragma once
// frmMain: the service installer's window. The account and the start mode are
// chosen here; Install stays disabled until a start mode is chosen. The password
// boxes are checked (filled and equal for a named account) but never sent: the
// service manager starts the daemon as that user.
#include <QWidget>
#include <functional>

#include "svcwright/installer.h"

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace mvnz::svcwright {

class frmMain : public QWidget {
  Q_OBJECT

 public:
  // programFolder: where mvnd is found (the program's own folder).
  explicit frmMain(const QString& programFolder, QWidget* parent = nullptr);

  QGroupBox *Frame1 = nullptr, *fraLogon = nullptr;
  QRadioButton *optLocalSystem = nullptr, *optOther = nullptr;
  QLineEdit *txtUsername = nullptr, *txtPassword = nullptr, *txtPassword2 = nullptr;
  QComboBox* cmbStartupMode = nullptr;
  QPushButton *cmdInstall = nullptr, *cmdUninstall = nullptr, *cmdExit = nullptr;

  void cmdInstall_Click();
  void cmdUninstall_Click();
  // Run the operation with the window disabled and the wait cursor shown, then tell
  // the user the result.
  void svcInstall();
  void svcUninstall();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // While an operation runs the window stays open: its result is still to come.
  void closeEvent(QCloseEvent* event) override;

 private:
  void setLogonBoxesEnabled(bool on);
  void checkPasswordsMatch();
  bool confirmNoDaemons();
  void runAndReport(const std::function<Report()>& operation);
  QString programFolder_;
  bool checking_ = false;
};

}  // namespace mvnz::svcwright
