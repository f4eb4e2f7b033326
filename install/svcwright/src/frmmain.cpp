#include "svcwright/frmmain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include "library/version.h"
#include "platform/prompts.h"

namespace mvnz::svcwright {

namespace {

template <typename W, typename... A>
W* Named(const char* name, A&&... args) {
  W* w = new W(std::forward<A>(args)...);
  w->setObjectName(QLatin1String(name));
  return w;
}

QLineEdit* PasswordBox(const char* name, QWidget* parent) {
  QLineEdit* box = Named<QLineEdit>(name, parent);
  box->setEchoMode(QLineEdit::Password);
  box->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));  // "*"
  return box;
}

}  // namespace

frmMain::frmMain(const QString& programFolder, QWidget* parent)
    : QWidget(parent), programFolder_(programFolder) {
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(QStringLiteral("Install Mervane Zuri Daemon Service - Version %1.%2.%3")
                     .arg(versionMajor())
                     .arg(versionMinor())
                     .arg(versionRevision()));

  Frame1 = Named<QGroupBox>("Frame1", QStringLiteral("Mervane Daemon Service Installation"), this);
  fraLogon = Named<QGroupBox>("fraLogon", QStringLiteral("Logon Configuration"), Frame1);
  optLocalSystem = Named<QRadioButton>("optLocalSystem", QStringLiteral("LocalSystem"), fraLogon);
  optLocalSystem->setChecked(true);
  optOther = Named<QRadioButton>("optOther", QStringLiteral("Other (domain\\account)"), fraLogon);
  txtUsername = Named<QLineEdit>("txtUsername", fraLogon);
  txtUsername->setToolTip(QStringLiteral("syntax: DOMAIN\\ACCOUNT"));
  txtPassword = PasswordBox("txtPassword", fraLogon);
  txtPassword2 = PasswordBox("txtPassword2", fraLogon);
  setLogonBoxesEnabled(false);

  cmbStartupMode = Named<QComboBox>("cmbStartupMode", Frame1);
  cmbStartupMode->addItems(
      {QStringLiteral("Manual"), QStringLiteral("Automatic"), QStringLiteral("Disabled")});
  cmbStartupMode->setCurrentIndex(-1);

  cmdInstall = Named<QPushButton>("cmdInstall", QStringLiteral("&Install Service"), this);
  cmdInstall->setEnabled(false);
  cmdUninstall = Named<QPushButton>("cmdUninstall", QStringLiteral("&Uninstall Service"), this);
  cmdExit = Named<QPushButton>("cmdExit", QStringLiteral("E&xit"), this);

  auto* logon = new QGridLayout(fraLogon);
  logon->addWidget(optLocalSystem, 0, 0, 1, 2);
  logon->addWidget(optOther, 1, 0, 1, 2);
  const struct {
    const char* label;
    QLineEdit* box;
  } rows[] = {{"Username :", txtUsername}, {"Password :", txtPassword}, {"Confirm :", txtPassword2}};
  int row = 2;
  for (const auto& r : rows) {
    auto* label = new QLabel(QLatin1String(r.label), fraLogon);
    label->setBuddy(r.box);
    logon->addWidget(label, row, 0);
    logon->addWidget(r.box, row++, 1);
    r.box->installEventFilter(this);
  }
  auto* mode = new QHBoxLayout;
  auto* modeLabel = new QLabel(QStringLiteral("Startup Mode :"), Frame1);
  modeLabel->setBuddy(cmbStartupMode);
  mode->addWidget(modeLabel);
  mode->addWidget(cmbStartupMode, 1);
  auto* frame = new QVBoxLayout(Frame1);
  frame->addWidget(fraLogon);
  frame->addLayout(mode);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cmdInstall);
  buttons->addWidget(cmdUninstall);
  buttons->addStretch(1);
  buttons->addWidget(cmdExit);
  auto* column = new QVBoxLayout(this);
  column->addWidget(Frame1);
  column->addLayout(buttons);

  connect(cmbStartupMode, &QComboBox::currentIndexChanged, this,
          [this](int index) { cmdInstall->setEnabled(index >= 0); });
  connect(optLocalSystem, &QRadioButton::clicked, this, [this] { setLogonBoxesEnabled(false); });
  connect(optOther, &QRadioButton::clicked, this, [this] {
    setLogonBoxesEnabled(true);
    txtUsername->setFocus(Qt::OtherFocusReason);
  });
  connect(cmdInstall, &QPushButton::clicked, this, &frmMain::cmdInstall_Click);
  connect(cmdUninstall, &QPushButton::clicked, this, &frmMain::cmdUninstall_Click);
  connect(cmdExit, &QPushButton::clicked, this, &QWidget::close);
}

void frmMain::setLogonBoxesEnabled(bool on) {
  for (QLineEdit* box : {txtUsername, txtPassword, txtPassword2}) box->setEnabled(on);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
  auto* box = qobject_cast<QLineEdit*>(watched);
  if (box && event->type() == QEvent::FocusIn) {
    // After a click has placed the cursor, so the whole text ends up selected.
    QTimer::singleShot(0, box, &QLineEdit::selectAll);
  } else if (box == txtPassword2 && event->type() == QEvent::FocusOut) {
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    // The window losing the focus (to a box or another program) is no leaving.
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
      checkPasswordsMatch();
  }
  return QWidget::eventFilter(watched, event);
}

void frmMain::closeEvent(QCloseEvent* event) {
  if (isEnabled())
    event->accept();
  else
    event->ignore();
}

void frmMain::checkPasswordsMatch() {
  if (checking_ || txtPassword2->text() == txtPassword->text()) return;
  checking_ = true;
  prompts::message(QStringLiteral("Passwords don't match!"), QStringLiteral("Error"),
                   prompts::Icon::Exclamation);
  txtPassword->clear();
  txtPassword2->clear();
  txtPassword->setFocus(Qt::OtherFocusReason);
  checking_ = false;
}

bool frmMain::confirmNoDaemons() {
  return prompts::message(
             QStringLiteral("Make sure no Daemons are currently running!\r\n\r\nContinue?"),
             QStringLiteral("Attention"), prompts::Icon::None, prompts::Buttons::YesNo) !=
         prompts::Answer::No;
}

void frmMain::cmdInstall_Click() {
  const bool other = optOther->isChecked();
  const bool missing =
      cmbStartupMode->currentIndex() < 0 ||
      (other && (txtPassword->text() != txtPassword2->text() || txtPassword2->text().isEmpty() ||
                 txtPassword->text().isEmpty() || txtUsername->text().isEmpty()));
  if (missing) {
    prompts::message(QStringLiteral("Required values are missing!"),
                     QStringLiteral("Missing Values"), prompts::Icon::Exclamation);
    return;
  }
  if (other && !ValidAccountName(txtUsername->text())) {
    prompts::message(
        QStringLiteral("The user name must not hold \"]~[\" or control characters!"),
        QStringLiteral("Invalid Value"), prompts::Icon::Exclamation);
    return;
  }
  if (confirmNoDaemons()) svcInstall();
}

void frmMain::cmdUninstall_Click() {
  if (prompts::message(QStringLiteral("Are you sure you want to remove the selected service?"),
                       QStringLiteral("Remove Mervane Service"), prompts::Icon::None,
                       prompts::Buttons::YesNo) == prompts::Answer::No)
    return;
  if (confirmNoDaemons()) svcUninstall();
}

void frmMain::svcInstall() {
  const Logon logon{optLocalSystem->isChecked(), txtUsername->text()};
  const QString mode = cmbStartupMode->currentText();
  runAndReport([&] { return RunInstall(programFolder_, logon, mode); });
}

void frmMain::svcUninstall() {
  runAndReport([&] { return RunUninstall(programFolder_); });
}

void frmMain::runAndReport(const std::function<Report()>& operation) {
  setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const Report report = operation();
  QApplication::restoreOverrideCursor();
  setEnabled(true);
  prompts::message(report.text, report.title,
                   report.ok() ? prompts::Icon::Information : prompts::Icon::Exclamation);
}

}  // namespace mvnz::svcwright
