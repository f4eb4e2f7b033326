// The Scour plug-in: deletes one file once it is at least a given number of days old.
#include <QDate>
#include <QDateTime>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <cmath>

#include "library/catalogue.h"
#include "platform/fileops.h"
#include "plugins/dialog.h"
#include "plugins/framework.h"

namespace mvnz::plugin {
namespace {

using P = catalogue::param::Scour;

class ScourDialog final : public CommandDialog {
 public:
  ScourDialog() : CommandDialog(QStringLiteral("Scour"), QStringLiteral("Command: Scour")) {
    days_ = addParameterBox(QStringLiteral("lblnDays"), QStringLiteral("Purge Files Older Than :"),
                            QStringLiteral("txtPurgeDays"), QString());
    auto* unit = new QLabel(QStringLiteral("day(s)"), this);
    unit->setObjectName(QStringLiteral("lblDays"));
    grid()->addWidget(unit, grid()->rowCount() - 1, 1, 1, 2);
    file_ = addParameterBox(QStringLiteral("lblDestinationFile"),
                            QStringLiteral("File to be Purged (path+filename) :"),
                            QStringLiteral("txtSourcefile"), QStringLiteral("Picture1"),
                            Browse::File, QStringLiteral("cmdBrowseSource"));
    setRequired({days_, file_});
    connect(days_, &QLineEdit::textChanged, this, [this] { NormaliseDays(); });
  }
  void Fill(const QStringList& data) {
    FillBox(days_, data, P::Days);
    FillBox(file_, data, P::File);
  }

 protected:
  QStringList Collect() const override { return {days_->text(), file_->text()}; }

 private:
  // Whole days from 1 up: below 1 (also no number at all) becomes 1, 2.7 becomes 2.
  void NormaliseDays() {
    double v = Val(days_->text());
    if (v < 1) v = 1;
    const QString digits = QString::number(static_cast<qint64>(std::floor(std::min(v, 1e15))));
    if (days_->text() != digits) days_->setText(digits);
  }
  QLineEdit* days_;
  QLineEdit* file_;
};

void ScourFile(const QStringList& data) {
  const QString N = Param(data, P::Days), F = Param(data, P::File);
  fileops::FileFacts facts;
  if (!fileops::regularFile(F, &facts)) {
    LogWarning(QStringLiteral("WARNING_SCOUR: File [%1] not found!").arg(F));
    return;
  }
  // A day count that expanded to nothing (or to no number) would make every file
  // old enough: purge nothing instead.
  bool hasNumber = false;
  const double days = Val(N, &hasNumber);
  if (!hasNumber) {
    LogWarning(QStringLiteral("WARNING_SCOUR: Invalid number of days [%1], file [%2] not purged!")
                   .arg(N, F));
    return;
  }
  const QDate modified = facts.modified.toLocalTime().date();
  const qint64 age = modified.daysTo(QDate::currentDate());
  if (days > static_cast<double>(age)) return;
  LogProgress(QStringLiteral("Purging file [%1]").arg(F));
  const fileops::Outcome o = fileops::deleteFile(F);
  if (!o.ok())
    LogError(QStringLiteral("ERROR_SCOUR: Could not purge file [%1] [%2]").arg(F, o.errorText));
}

class ScourSetup final : public SetupBase {
 protected:
  const Descriptor& descriptor() const override {
    static const Descriptor d =
        MakeDescriptor(QStringLiteral("Scour"), QStringLiteral("scour"), QStringLiteral("File"),
                       QStringLiteral("Mervane Plugin: Scour"), DialogKind::Dialog, 2);
    return d;
  }
  void RunAction(const QStringList& data) override { ScourFile(data); }
  void ShowDialog(const QStringList& data) override {
    ScourDialog dlg;
    dlg.Fill(data);
    dlg.exec();
  }
};

}  // namespace
}  // namespace mvnz::plugin

MVNZ_PLUGIN_FACTORY(mvnz::plugin::ScourSetup)
