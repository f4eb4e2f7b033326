#include "plugins/transfer.h"

#include <QCheckBox>
#include <QLineEdit>

#include "library/catalogue.h"
#include "platform/fileops.h"
#include "plugins/dialog.h"
#include "plugins/framework.h"

namespace mvnz::plugin {
namespace {

using P = catalogue::param::Transfer;

bool fileExists(const QString& path) { return fileops::regularFile(path); }

// The folder part of a destination: the text before its last "/".
QString folderPart(const QString& path) {
  const int slash = path.lastIndexOf('/');
  return slash < 0 ? QString() : path.left(slash);
}

class TransferDialog final : public CommandDialog {
 public:
  explicit TransferDialog(Transfer kind)
      : CommandDialog(
            kind == Transfer::Move ? QStringLiteral("Relocate") : QStringLiteral("Duplicate"),
            kind == Transfer::Move ? QStringLiteral("Command: Relocate")
                                   : QStringLiteral("Command: Duplicate")) {
    const bool move = kind == Transfer::Move;
    source_ = addParameterBox(QStringLiteral("lblSourceFile"),
                              move ? QStringLiteral("Sourcefile to Move (path+filename) :")
                                   : QStringLiteral("Sourcefile to Copy (path+filename) :"),
                              QStringLiteral("txtSourceFile"), QStringLiteral("picShowPopup2"),
                              Browse::File, QStringLiteral("cmdBrowseSource"));
    destination_ =
        addParameterBox(QStringLiteral("lblDestinationFile"),
                        move ? QStringLiteral("Destinationfile to Relocate to (path+filename) :")
                             : QStringLiteral("Destinationfile to Copy To (path+filename) :"),
                        QStringLiteral("txtDestinationFile"), QStringLiteral("Picture1"),
                        Browse::File, QStringLiteral("cmdBrowseDestination"));
    overwrite_ = addCheckBox(QStringLiteral("chkOverwrite"), QStringLiteral("Always Overwrite"));
    create_ =
        addCheckBox(QStringLiteral("chkAutoCreate"), QStringLiteral("AutoCreate Directories"));
    overwrite_->setChecked(true);
    create_->setChecked(true);
    setRequired({source_, destination_});
  }

  void Fill(const QStringList& data) {
    FillBox(source_, data, P::Source);
    FillBox(destination_, data, P::Destination);
    FillCheck(overwrite_, data, P::Overwrite);
    FillCheck(create_, data, P::CreateFolders);
  }

 protected:
  QStringList Collect() const override {
    return {source_->text(), destination_->text(), CheckText(overwrite_), CheckText(create_)};
  }

 private:
  QLineEdit* source_;
  QLineEdit* destination_;
  QCheckBox* overwrite_;
  QCheckBox* create_;
};

}  // namespace

void RunTransfer(Transfer kind, const QStringList& data) {
  const bool move = kind == Transfer::Move;
  const QString word = move ? QStringLiteral("RELOCATE") : QStringLiteral("DUPLICATE");
  const QString S = Param(data, P::Source), D = Param(data, P::Destination),
                O = Param(data, P::Overwrite), C = Param(data, P::CreateFolders);
  const QString couldNot =
      QStringLiteral("ERROR_%1: Could not %2 file [%3] to [%4] [")
          .arg(word, move ? QStringLiteral("move") : QStringLiteral("copy"), S, D);
  const QString overwriteOff =
      QStringLiteral("ERROR_%1: File [%2] exists & OVERWRITE=OFF, file not copied!").arg(word, D);

  if (!fileExists(S)) {
    LogWarning(QStringLiteral("WARNING_%1: Sourcefile [%2] not found!").arg(word, S));
    return;
  }
  if (O == QLatin1String("0") && fileExists(D)) {
    LogError(overwriteOff);
    return;
  }
  if (C == QLatin1String("1")) {
    QString why;
    if (!CreateFolderLevels(
            folderPart(D),
            [](const QString& level) {
              LogProgress(QStringLiteral("Created directory [%1]").arg(level));
            },
            &why))
      State().error = true;  // no line: the move or copy reports its own failure
  }
  LogProgress(QStringLiteral("%1 file [%2] to [%3]...")
                  .arg(move ? QStringLiteral("Moving") : QStringLiteral("Copying"), S, D));

  // Relocate replaces only with overwrite "1"; Duplicate with anything but "0". The
  // replacement is atomic: an existing destination is never removed beforehand.
  const fileops::Replace replace = (move ? O == QLatin1String("1") : O != QLatin1String("0"))
                                       ? fileops::Replace::Yes
                                       : fileops::Replace::No;
  const fileops::Outcome o =
      move ? fileops::moveFile(S, D, replace) : fileops::copyFile(S, D, replace);
  if (o.ok()) return;
  if (o.status == fileops::Status::TargetExists && O == QLatin1String("0")) {
    LogError(overwriteOff);  // the destination appeared after the test above
    return;
  }
  // A refused target carries no error text, as the failed call raised none.
  const QString why = o.status == fileops::Status::TargetExists ? QString() : o.errorText;
  LogError(couldNot + why + QStringLiteral("]"));
}

void ShowTransferDialog(Transfer kind, const QStringList& data) {
  TransferDialog dlg(kind);
  dlg.Fill(data);
  dlg.exec();
}

}  // namespace mvnz::plugin
