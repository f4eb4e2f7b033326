// The Sleep plug-in: pauses the script while the host's events keep being served.
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "library/catalogue.h"
#include "library/waitdispatch.h"
#include "plugins/dialog.h"
#include "plugins/framework.h"
#include "sleepfor.h"

namespace mvnz::plugin {
namespace {

using P = catalogue::param::Sleep;

class SleepDialog final : public CommandDialog {
 public:
  SleepDialog() : CommandDialog(QStringLiteral("Sleep"), QStringLiteral("Command: Sleep")) {
    auto* label = new QLabel(QStringLiteral("Sleep :"), this);
    label->setObjectName(QStringLiteral("lblDelay"));
    delay_ = new QLineEdit(this);
    delay_->setObjectName(QStringLiteral("txtDelay"));
    auto* popup = new PopupButton(delay_, this);
    popup->setObjectName(QStringLiteral("picShowPopup"));
    auto* units = new QLabel(QStringLiteral("unit(s)"), this);
    units->setObjectName(QStringLiteral("lblUnits"));
    auto* sizeLabel = new QLabel(QStringLiteral("Unit Size :"), this);
    sizeLabel->setObjectName(QStringLiteral("lblUnitSize"));
    unit_ = new QComboBox(this);
    unit_->setObjectName(QStringLiteral("cmbUnits"));
    unit_->setEditable(true);
    unit_->setInsertPolicy(QComboBox::NoInsert);
    unit_->addItems({QStringLiteral("1"), QStringLiteral("10"), QStringLiteral("100"),
                     QStringLiteral("1000"), QStringLiteral("10000"), QStringLiteral("100000")});
    unit_->setCurrentIndex(-1);
    unit_->setEditText(QString());
    auto* ms = new QLabel(QStringLiteral("ms."), this);
    ms->setObjectName(QStringLiteral("lblMs"));
    grid()->addWidget(label, 0, 0);
    grid()->addWidget(delay_, 0, 1);
    grid()->addWidget(popup, 0, 2);
    grid()->addWidget(units, 0, 3);
    grid()->addWidget(sizeLabel, 1, 0);
    grid()->addWidget(unit_, 1, 1);
    grid()->addWidget(ms, 1, 3);
    setRequired({delay_, unit_->lineEdit()});
  }
  QLineEdit* delay_;
  QComboBox* unit_;

 protected:
  QStringList Collect() const override { return {delay_->text(), unit_->currentText()}; }
};

class SleepSetup final : public SetupBase {
 protected:
  const Descriptor& descriptor() const override {
    static const Descriptor d =
        MakeDescriptor(QStringLiteral("Sleep"), QStringLiteral("sleep"), QStringLiteral("Tools"),
                       QStringLiteral("Mervane Plugin: Sleep"), DialogKind::Dialog, 2);
    return d;
  }
  void RunAction(const QStringList& data) override {
    // A fresh timed wait per run; the program's end (service stop, shutdown) ends it
    // early.
    if (sleepaction::SleepFor(data, State().autoLog, LogToDaemon, WaitMilliseconds))
      State().error = true;
  }
  void ShowDialog(const QStringList& data) override {
    SleepDialog dlg;
    CommandDialog::FillBox(dlg.delay_, data, P::Count);
    if (!Param(data, P::Unit).isEmpty()) dlg.unit_->setEditText(Param(data, P::Unit));
    dlg.exec();
  }
};

}  // namespace
}  // namespace mvnz::plugin

MVNZ_PLUGIN_FACTORY(mvnz::plugin::SleepSetup)
