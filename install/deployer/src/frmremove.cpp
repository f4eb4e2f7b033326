#include "deployer/frmremove.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/paths.h"
#include "platform/prompts.h"

namespace mvnz::deployer {

namespace {

const QString kCaption = QStringLiteral("Mervane Zuri Uninstall");

QCheckBox* Box(const char* name, const char* text, QWidget* parent) {
  auto* b = new QCheckBox(QLatin1String(text), parent);
  b->setObjectName(QLatin1String(name));
  return b;
}

QPushButton* Button(const char* name, const char* text, QWidget* parent) {
  auto* b = new QPushButton(QLatin1String(text), parent);
  b->setObjectName(QLatin1String(name));
  return b;
}

bool Ticked(const QCheckBox* box) { return box->checkState() == Qt::Checked; }

}  // namespace

frmRemove::frmRemove(const QString& programFolder, QWidget* parent)
    : QDialog(parent), programFolder_(programFolder) {
  setObjectName(QStringLiteral("frmRemove"));
  setWindowTitle(kCaption);
  setModal(true);
  chkRemoveServices = Box("chkRemoveServices", "Remove Service", this);
  chkRemoveConfig = Box("chkRemoveConfig", "Remove Configuration (ini-files)", this);
  chkRemoveRegistry = Box("chkRemoveRegistry", "Remove Registry Keys", this);
  cmdOk = Button("cmdOk", "&Ok", this);
  cmdOk->setDefault(true);
  cmdDefault = Button("cmdDefault", "&Default", this);
  cmdSelectAll = Button("cmdSelectAll", "Select &All", this);
  setTicks(true, false, false);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cmdOk);
  buttons->addWidget(cmdDefault);
  buttons->addWidget(cmdSelectAll);
  auto* column = new QVBoxLayout(this);
  for (QCheckBox* b : {chkRemoveServices, chkRemoveConfig, chkRemoveRegistry})
    column->addWidget(b);
  column->addLayout(buttons);

  frmProgress = new QDialog(this);
  frmProgress->setObjectName(QStringLiteral("frmProgress"));
  frmProgress->setWindowTitle(kCaption);
  lblProgress = new QLabel(frmProgress);
  lblProgress->setObjectName(QStringLiteral("lblProgress"));
  lblProgress->setMinimumWidth(320);
  auto* busy = new QProgressBar(frmProgress);
  busy->setRange(0, 0);  // no figure to show: a moving bar while a step runs
  auto* progress = new QVBoxLayout(frmProgress);
  progress->addWidget(lblProgress);
  progress->addWidget(busy);

  connect(cmdOk, &QPushButton::clicked, this, &frmRemove::cmdOk_Click);
  connect(cmdDefault, &QPushButton::clicked, this, &frmRemove::cmdDefault_Click);
  connect(cmdSelectAll, &QPushButton::clicked, this, &frmRemove::cmdSelectAll_Click);
}

void frmRemove::setTicks(bool service, bool config, bool registry) {
  chkRemoveServices->setChecked(service);
  chkRemoveConfig->setChecked(config);
  chkRemoveRegistry->setChecked(registry);
}

void frmRemove::cmdDefault_Click() { setTicks(true, false, false); }

void frmRemove::cmdSelectAll_Click() { setTicks(true, true, true); }

void frmRemove::showStep(const QString& text) {
  lblProgress->setText(text);
  frmProgress->show();
  QApplication::processEvents();
}

void frmRemove::cmdOk_Click() {
  hide();
  Summary summary;
  if (Ticked(chkRemoveServices)) {
    showStep(QStringLiteral("Removing the service ..."));
    RemoveService(programFolder_, serviceLimitMs, summary);
  }
  if (Ticked(chkRemoveConfig)) {
    showStep(QStringLiteral("Removing the configuration file ..."));
    RemoveConfigFile(paths::configFile(), summary);
  }
  if (Ticked(chkRemoveRegistry)) {
    showStep(QStringLiteral("Removing the registry keys ..."));
    if (prompts::message(QStringLiteral("Are you sure you want to remove all registry-keys?"),
                         QStringLiteral("Remove Registry-Keys"), prompts::Icon::None,
                         prompts::Buttons::YesNo) == prompts::Answer::Yes)
      RemoveRegistryKeys(summary);
    else
      summary.add(Summary::Kind::Skipped, QStringLiteral("the registry keys (not confirmed)"));
  }
  frmProgress->hide();
  prompts::message(summary.Text(), kCaption,
                   summary.anyFailed() ? prompts::Icon::Exclamation : prompts::Icon::Information);
  accept();
}

}  // namespace mvnz::deployer
