// The Erase plug-in: deletes one file permanently or into the Trash, optionally only
// when it is empty.
#include <QCheckBox>
#include <QLineEdit>

#include "library/catalogue.h"
#include "platform/fileops.h"
#include "plugins/dialog.h"
#include "plugins/framework.h"

namespace mvnz::plugin {
namespace {

using P = catalogue::param::Erase;

class EraseDialog final : public CommandDialog {
 public:
  EraseDialog() : CommandDialog(QStringLiteral("Erase"), QStringLiteral("Command: Erase"), 6) {
    file_ = addParameterBox(QStringLiteral("lblMessage"),
                            QStringLiteral("File to Delete (path+filename) :"),
                            QStringLiteral("txtSourcefile"), QStringLiteral("picShowPopup2"),
                            Browse::File, QStringLiteral("cmdBrowseFile"));
    emptyOnly_ = addCheckBox(QStringLiteral("chkEmptyOnly"), QStringLiteral("Empty Files Only"));
    recycle_ = addCheckBox(QStringLiteral("chkRecycle"), QStringLiteral("Move to Recycle Bin"));
    setRequired({file_});
  }
  void Fill(const QStringList& data) {
    FillBox(file_, data, P::File);
    FillCheck(emptyOnly_, data, P::EmptyOnly);
    FillCheck(recycle_, data, P::Recycle);
  }

 protected:
  QStringList Collect() const override {
    return {file_->text(), CheckText(emptyOnly_), CheckText(recycle_)};
  }

 private:
  QLineEdit* file_;
  QCheckBox* emptyOnly_;
  QCheckBox* recycle_;
};

void EraseFile(const QStringList& data) {
  const QString F = Param(data, P::File), E = Param(data, P::EmptyOnly),
                R = Param(data, P::Recycle);
  fileops::FileFacts facts;
  if (!fileops::regularFile(F, &facts)) {
    LogWarning(QStringLiteral("WARNING_ERASE: Sourcefile [%1] not found!").arg(F));
    return;
  }
  const bool empty = facts.size == 0;
  QString what;
  if (E == QLatin1String("1") && empty)
    what = QStringLiteral("empty file");
  else if (E == QLatin1String("0"))
    what = QStringLiteral("file");
  else
    return;  // not empty in empty-only mode, or no mode at all: nothing to do

  if (R != QLatin1String("0")) {
    LogProgress(QStringLiteral("Moving %1 [%2] to recycle bin").arg(what, F));
    // A failed trash leaves the file where it is and, as before, reports nothing;
    // it never falls back to a permanent delete.
    fileops::trashFile(F);
    return;
  }
  LogProgress(QStringLiteral("Deleting %1 [%2]").arg(what, F));
  const fileops::Outcome o = fileops::deleteFile(F);
  if (!o.ok())
    LogError(QStringLiteral("ERROR_ERASE: Could not delete file [%1] [%2]").arg(F, o.errorText));
}

class EraseSetup final : public SetupBase {
 protected:
  const Descriptor& descriptor() const override {
    static const Descriptor d =
        MakeDescriptor(QStringLiteral("Erase"), QStringLiteral("erase"), QStringLiteral("File"),
                       QStringLiteral("Mervane Plugin: Erase"), DialogKind::Dialog, 3);
    return d;
  }
  void RunAction(const QStringList& data) override { EraseFile(data); }
  void ShowDialog(const QStringList& data) override {
    EraseDialog dlg;
    dlg.Fill(data);
    dlg.exec();
  }
};

}  // namespace
}  // namespace mvnz::plugin

MVNZ_PLUGIN_FACTORY(mvnz::plugin::EraseSetup)
