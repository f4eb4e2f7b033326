#include "plugins/transfer.h"

#include <QCheckBox>
#include <QLineEdit>

#include "library/catalogue.h"
#include "library/transfer.h"
#include "platform/fileops.h"
#include "plugins/dialog.h"
#include "plugins/framework.h"

namespace mvnz::plugin {
namespace {

using P = catalogue::param::Transfer;

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

namespace {

// The plug-ins' wording of a transfer's lines; progress only while AutoLog is on.
class PluginSink final : public transfer::Sink {
 public:
  PluginSink(bool move, const QString& S, const QString& D)
      : move_(move), word_(move ? QStringLiteral("RELOCATE") : QStringLiteral("DUPLICATE")),
        S_(S), D_(D) {}

  void sourceMissing() override {
    LogWarning(QStringLiteral("WARNING_%1: Sourcefile [%2] not found!").arg(word_, S_));
  }
  void overwriteOff() override {
    LogError(
        QStringLiteral("ERROR_%1: File [%2] exists & OVERWRITE=OFF, file not copied!").arg(word_, D_));
  }
  void folderCreated(const QString& level) override {
    LogProgress(QStringLiteral("Created directory [%1]").arg(level));
  }
  // No line: the move or copy reports its own failure.
  void folderFailed(const fileops::Outcome&) override { State().error = true; }
  void starting() override {
    LogProgress(QStringLiteral("%1 file [%2] to [%3]...")
                    .arg(move_ ? QStringLiteral("Moving") : QStringLiteral("Copying"), S_, D_));
  }
  void failed(const fileops::Outcome& o) override {
    // A refused target carries no error text, as the failed call raised none.
    const QString why = o.status == fileops::Status::TargetExists ? QString() : o.errorText;
    LogError(QStringLiteral("ERROR_%1: Could not %2 file [%3] to [%4] [%5]")
                 .arg(word_, move_ ? QStringLiteral("move") : QStringLiteral("copy"), S_, D_, why));
  }

 private:
  bool move_;
  QString word_, S_, D_;
};

// Relocate replaces only with overwrite "1"; Duplicate with anything but "0". Both
// refuse an existing destination with "0".
}  // namespace

void RunTransfer(Transfer kind, const QStringList& data) {
  const bool move = kind == Transfer::Move;
  transfer::Request r;
  r.kind = move ? transfer::Kind::Move : transfer::Kind::Copy;
  r.source = Param(data, P::Source);
  r.destination = Param(data, P::Destination);
  r.overwrite = transfer::OverwriteOf(r.kind, Param(data, P::Overwrite));
  r.createFolders = Param(data, P::CreateFolders) == QLatin1String("1");
  PluginSink sink(move, r.source, r.destination);
  transfer::Files files;
  transfer::Run(r, sink, files);
}

void ShowTransferDialog(Transfer kind, const QStringList& data) {
  TransferDialog dlg(kind);
  dlg.Fill(data);
  dlg.exec();
}

}  // namespace mvnz::plugin
