#pragma once
// frmBuffersizeSetup: sets the log buffer size (1 to 500 lines) at run time. Leaving
// the box with an invalid size says so and returns to the box; Cancel and closing
// need no valid size. Ok stores the size, applies it and empties the log.
#include <QDialog>

#include "daemon/core.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace mvnz::controls {
class vistrel;
}

namespace mvnz::mvnd {

class frmBuffersizeSetup : public QDialog {
  Q_OBJECT

 public:
  explicit frmBuffersizeSetup(Daemon& d, QWidget* parent = nullptr);

  controls::vistrel* vistrel1 = nullptr;
  QLabel *Label1 = nullptr, *Label2 = nullptr;
  QLineEdit* txtBuffer = nullptr;
  QPushButton *cmdOk = nullptr, *cmdCancel = nullptr;

  void cmdOk_Click();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Shows "Value must be numerical (1-500)!" once (the box taking the focus does not
  // check again) and returns the focus to the box; false for an invalid text.
  bool checkText();
  void checkOnLeave();
  Daemon& d_;
  bool checking_ = false;
};

}  // namespace mvnz::mvnd
