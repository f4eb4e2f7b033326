#pragma once
// frmRemove: the user ticks what to remove; Ok carries out the ticked steps in order
// (service, configuration file, registry keys) while a small progress window says
// which step runs, then shows a summary of what was removed and what failed.
#include <QDialog>

#include "deployer/removal.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace mvnz::deployer {

class frmRemove : public QDialog {
  Q_OBJECT

 public:
  // programFolder: where svcwright is found (the program's own folder).
  explicit frmRemove(const QString& programFolder, QWidget* parent = nullptr);

  QCheckBox *chkRemoveServices = nullptr, *chkRemoveConfig = nullptr,
            *chkRemoveRegistry = nullptr;
  QPushButton *cmdOk = nullptr, *cmdDefault = nullptr, *cmdSelectAll = nullptr;
  // Shown while the steps run.
  QDialog* frmProgress = nullptr;
  QLabel* lblProgress = nullptr;
  int serviceLimitMs = kServiceLimitMs;

  void cmdOk_Click();
  void cmdDefault_Click();
  void cmdSelectAll_Click();

 private:
  void setTicks(bool service, bool config, bool registry);
  void showStep(const QString& text);
  QString programFolder_;
};

}  // namespace mvnz::deployer
