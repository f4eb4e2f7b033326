// The BrowseLink plug-in: opens a URL in the desktop's default web browser.
#include <QLineEdit>

#include "library/catalogue.h"
#include "opener.h"
#include "plugins/dialog.h"
#include "plugins/framework.h"

namespace mvnz::plugin {
namespace {

using P = catalogue::param::BrowseLink;

class BrowseLinkDialog final : public CommandDialog {
 public:
  BrowseLinkDialog()
      : CommandDialog(QStringLiteral("Browse Link"), QStringLiteral("Command: BrowseLink")) {
    url_ = addParameterBox(QStringLiteral("lblURL"),
                           QStringLiteral("Specify Uniform Resource Locator :"),
                           QStringLiteral("txtURL"), QStringLiteral("picShowPopup"));
    setRequired({url_});
  }
  QLineEdit* url_;

 protected:
  QStringList Collect() const override { return {url_->text()}; }
};

class BrowseLinkSetup final : public SetupBase {
 protected:
  const Descriptor& descriptor() const override {
    static const Descriptor d = MakeDescriptor(
        QStringLiteral("BrowseLink"), QStringLiteral("browselink"), QStringLiteral("Network"),
        QStringLiteral("Mervane Plugin: BrowseLink"), DialogKind::Dialog, 1);
    return d;
  }
  void RunAction(const QStringList& data) override {
    if (browselink::OpenLink(data, State().autoLog, LogToDaemon)) State().error = true;
  }
  void ShowDialog(const QStringList& data) override {
    BrowseLinkDialog dlg;
    // A new command starts with the scheme; the caller's parameters stay untouched,
    // so a cancelled edit changes nothing.
    const QString url = Param(data, P::Url);
    dlg.url_->setText(url.isEmpty() ? QStringLiteral("http://") : url);
    dlg.exec();
  }
};

}  // namespace
}  // namespace mvnz::plugin

MVNZ_PLUGIN_FACTORY(mvnz::plugin::BrowseLinkSetup)
