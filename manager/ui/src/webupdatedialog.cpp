#include "manager/ui/webupdatedialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "manager/services.h"
#include "manager/session.h"
#include "manager/webupdate.h"
#include "manager/ui/pictures.h"
#include "platform/prompts.h"

namespace mvnz::manager::ui {

namespace {

const QString kBoxTitle = QStringLiteral("Web Update");

QLabel* label(QWidget* parent, const char* name, const QString& text) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(QLatin1String(name));
  return l;
}

QLabel* picture(QWidget* parent, const char* name, const char* picture) {
  auto* l = label(parent, name, {});
  l->setPixmap(pictures::forKey(QLatin1String(picture)).pixmap(32, 32));
  return l;
}

}  // namespace

WebUpdateDialog::WebUpdateDialog(Session& session, QAction* autoCheck, const QString& running,
                                 const QString& published, const QString& url, QWidget* parent)
    : QDialog(parent), session_(session), autoCheck_(autoCheck), url_(url) {
  setObjectName(QStringLiteral("frmWebUpdate"));
  setWindowTitle(QStringLiteral("Mervane Zuri WebUpdate"));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  auto* heading = new QHBoxLayout;
  heading->addWidget(picture(this, "Picture1", "picWebUpdate"));
  auto* title = label(this, "Label1", QStringLiteral("A new version of Mervane Zuri is available!"));
  QFont bold = title->font();
  bold.setBold(true);
  title->setFont(bold);
  heading->addWidget(title, 1);
  heading->addWidget(picture(this, "Picture2", "picDownload"));
  layout->addLayout(heading);
  auto* versions = new QGridLayout;
  versions->addWidget(label(this, "Label2", QStringLiteral("Current Version :")), 0, 0);
  versions->addWidget(label(this, "lblCurrent", running), 0, 1);
  versions->addWidget(label(this, "Label4", QStringLiteral("New Version :")), 1, 0);
  auto* published_ = label(this, "lblNew", published);
  published_->setTextFormat(Qt::PlainText);
  versions->addWidget(published_, 1, 1);
  versions->setColumnStretch(1, 1);
  layout->addLayout(versions);
  auto* disable = new QCheckBox(QStringLiteral("Disable WebUpdate"), this);
  disable->setObjectName(QStringLiteral("chkDisable"));
  disable->setChecked(!session_.prefs.AutoCheckUpdates);
  layout->addWidget(disable);
  auto* buttons = new QHBoxLayout;
  auto* update = new QPushButton(QStringLiteral("&Download New Version"), this);
  update->setObjectName(QStringLiteral("cmdUpdate"));
  update->setDefault(true);
  // An address the browser must not be given leaves nothing to download.
  update->setEnabled(IsSafeDownloadUrl(url_));
  auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
  cancel->setObjectName(QStringLiteral("cmdCancel"));
  buttons->addStretch(1);
  buttons->addWidget(update);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(disable, &QCheckBox::toggled, this, [this](bool off) {
    session_.prefs.AutoCheckUpdates = !off;
    if (autoCheck_) autoCheck_->setChecked(!off);
  });
  connect(update, &QPushButton::clicked, this, &WebUpdateDialog::download);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  prompts::beep();
  // An offer found at start-up may open while the splash is still up.
  session_.setProgress(QStringLiteral("Checking for new version....."));
}

void WebUpdateDialog::download() {
  if (IsSafeDownloadUrl(url_))
    OpenInBrowser(QString::fromLatin1(QUrl(url_, QUrl::StrictMode).toEncoded()));
  accept();
}

void ConnectWebUpdate(WebUpdateCheck& check, Session& session, QAction* autoCheck, QWidget* parent) {
  QObject::connect(&check, &WebUpdateCheck::upToDate, parent, [] {
    prompts::message(QStringLiteral("There are no updates available!"), kBoxTitle, prompts::Icon::Information);
  });
  QObject::connect(&check, &WebUpdateCheck::notConnected, parent, [] {
    prompts::message(QStringLiteral("No internet-connection detected, WebUpdate aborted..."), kBoxTitle,
                     prompts::Icon::Exclamation);
  });
  QObject::connect(&check, &WebUpdateCheck::offer, parent,
                   [&session, autoCheck, parent](const QString& running, const QString& published,
                                                 const QString& url) {
                     WebUpdateDialog dialog(session, autoCheck, running, published, url, parent);
                     dialog.exec();
                   });
}

}  // namespace mvnz::manager::ui
