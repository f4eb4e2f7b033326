#pragma once
// The update offer frmWebUpdate and the wiring of the update check to the windows:
// the boxes of an interactive check and the dialog when the published version
// differs from the running one.
#include <QDialog>

class QAction;
class QCheckBox;
class QLabel;
class QPushButton;

namespace mvnz::manager {
class Session;
class WebUpdateCheck;
}

namespace mvnz::manager::ui {

class WebUpdateDialog : public QDialog {
 public:
  // autoCheck is the menu item AUTOCHECK, kept in step with chkDisable.
  WebUpdateDialog(Session& session, QAction* autoCheck, const QString& running,
                  const QString& published, const QString& url, QWidget* parent = nullptr);

 private:
  void download();

  Session& session_;
  QAction* autoCheck_;
  QString url_;
};

// Shows the check's results: "There are no updates available!", the connection
// box, and frmWebUpdate (modal) for an offer.
void ConnectWebUpdate(WebUpdateCheck& check, Session& session, QAction* autoCheck, QWidget* parent);

}  // namespace mvnz::manager::ui
