#include "daemon/windows/buffersizedialog.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "controls/vistrel.h"
#include "daemon/config.h"
#include "daemon/logging.h"
#include "daemon/windows/windowsettings.h"
#include "library/regwrap.h"
#include "platform/prompts.h"

namespace mvnz::mvnd {

frmBuffersizeSetup::frmBuffersizeSetup(Daemon& d, QWidget* parent) : QDialog(parent), d_(d) {
  setObjectName(QStringLiteral("frmBuffersizeSetup"));
  setWindowTitle(QStringLiteral("Buffersize Setup"));
  setModal(true);

  vistrel1 = new controls::vistrel(this);
  vistrel1->setObjectName(QStringLiteral("vistrel1"));
  vistrel1->setCaption(QStringLiteral("LogWindow Buffersize Configuration"));
  vistrel1->setText(QString());
  vistrel1->setBorderStyle(controls::vistrel::Bump);
  QFont bold = vistrel1->Font();
  bold.setBold(true);
  vistrel1->setFont(bold);
  vistrel1->setTextAlignment(controls::vistrel::CenterMiddle);
  vistrel1->setBackColor(0x00FFFFFFu);
  vistrel1->setMinimumHeight(40);

  Label1 = new QLabel(QStringLiteral("Logwindow Buffersize :"), this);
  txtBuffer = new QLineEdit(QStringLiteral("75"), this);
  txtBuffer->setObjectName(QStringLiteral("txtBuffer"));
  txtBuffer->setMaximumWidth(80);
  Label1->setBuddy(txtBuffer);
  Label2 = new QLabel(QStringLiteral("lines"), this);
  cmdOk = new QPushButton(QStringLiteral("&Ok"), this);
  cmdOk->setDefault(true);
  cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);

  auto* field = new QHBoxLayout;
  field->addWidget(Label1);
  field->addWidget(txtBuffer);
  field->addWidget(Label2);
  field->addStretch(1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cmdOk);
  buttons->addWidget(cmdCancel);
  auto* column = new QVBoxLayout(this);
  column->addWidget(vistrel1);
  column->addLayout(field);
  column->addLayout(buttons);

  txtBuffer->installEventFilter(this);
  connect(cmdOk, &QPushButton::clicked, this, &frmBuffersizeSetup::cmdOk_Click);
  connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool frmBuffersizeSetup::eventFilter(QObject* watched, QEvent* event) {
  if (watched == txtBuffer && event->type() == QEvent::FocusIn) {
    // After a click has placed the cursor, so the whole text ends up selected.
    QTimer::singleShot(0, txtBuffer, &QLineEdit::selectAll);
  } else if (watched == txtBuffer && event->type() == QEvent::FocusOut && !checking_) {
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    QWidget* next = QApplication::focusWidget();
    // Only a move to another control of this dialog is checked: not the window
    // losing the focus (to a box or another program), not Cancel, and not a click
    // on Ok, which checks by itself.
    const bool inDialog = next && next != txtBuffer && next->window() == this;
    const bool skip = reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason ||
                      !inDialog || next == cmdCancel ||
                      (next == cmdOk && reason == Qt::MouseFocusReason);
    if (!skip)
      QMetaObject::invokeMethod(this, &frmBuffersizeSetup::checkOnLeave, Qt::QueuedConnection);
  }
  return QDialog::eventFilter(watched, event);
}

void frmBuffersizeSetup::checkOnLeave() {
  // The dialog may have been closed (Cancel, Escape) before the queued check runs.
  if (!isVisible()) return;
  checkText();
}

bool frmBuffersizeSetup::checkText() {
  if (CheckBufferSizeText(txtBuffer->text())) return true;
  if (checking_) return false;
  checking_ = true;
  prompts::message(QStringLiteral("Value must be numerical (1-500)!"),
                   QStringLiteral("Invalid Value"), prompts::Icon::Information);
  checking_ = false;
  txtBuffer->setFocus(Qt::OtherFocusReason);
  return false;
}

void frmBuffersizeSetup::cmdOk_Click() {
  if (!checkText()) return;
  const int size = *CheckBufferSizeText(txtBuffer->text());
  // The whole number is stored, so the next start reads the size applied now.
  SaveRegString(DaemonSettingsKey(d_.settings), QStringLiteral("BufferSize"),
                QString::number(size));
  d_.settings.BufferSize = size;
  ClearLogWindow(d_);
  accept();
}

}  // namespace mvnz::mvnd
