// The JournalNote plug-in: writes a text of the script's choosing into the daemon's
// log at level 0, whatever AutoLog says (the daemon splits a text with line breaks).
#include <QLineEdit>

#include "library/catalogue.h"
#include "plugins/dialog.h"
#include "plugins/framework.h"

namespace mvnz::plugin {
namespace {

using P = catalogue::param::JournalNote;

class JournalNoteDialog final : public CommandDialog {
 public:
  JournalNoteDialog()
      : CommandDialog(QStringLiteral("Journal Note"), QStringLiteral("Command: JournalNote")) {
    message_ = addParameterBox(QStringLiteral("lblMessage"),
                               QStringLiteral("Message to be Send to Logwindow :"),
                               QStringLiteral("txtMessage"), QStringLiteral("picShowPopup"));
    setRequired({message_});
  }
  QLineEdit* message_;

 protected:
  QStringList Collect() const override { return {message_->text()}; }
};

class JournalNoteSetup final : public SetupBase {
 protected:
  const Descriptor& descriptor() const override {
    static const Descriptor d = MakeDescriptor(
        QStringLiteral("JournalNote"), QStringLiteral("JournalNote"), QStringLiteral("Tools"),
        QStringLiteral("Mervane Plugin: JournalNote"), DialogKind::Dialog, 1);
    return d;
  }
  void RunAction(const QStringList& data) override { LogToDaemon(Param(data, P::Message), 0); }
  void ShowDialog(const QStringList& data) override {
    JournalNoteDialog dlg;
    CommandDialog::FillBox(dlg.message_, data, P::Message);
    dlg.exec();
  }
};

}  // namespace
}  // namespace mvnz::plugin

MVNZ_PLUGIN_FACTORY(mvnz::plugin::JournalNoteSetup)
