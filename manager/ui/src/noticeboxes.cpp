#include "manager/ui/noticeboxes.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "library/version.h"
#include "manager/identity.h"
#include "manager/rtftext.h"
#include "manager/services.h"
#include "manager/ui/pictures.h"
#include "pagewidgets.h"

namespace mvnz::manager::ui {

namespace {

const char kSupportUrl[] = "https://orvendel.example/";

QLabel* makeLabel(const char* name, const QString& text, QWidget* parent) {
  return pagewidgets::named(new QLabel(text, parent), name);
}

}  // namespace

AboutBox::AboutBox(const QString& versionText, int revision, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmAbout"));
  setWindowTitle(QString());
  setModal(true);
  auto* picAbout = makeLabel("picAbout", {}, this);
  picAbout->setPixmap(pictures::forKey(QStringLiteral("picAbout")).pixmap(64, 64));
  QLabel* title = makeLabel("lblTitle", QStringLiteral("Mervane Zuri"), this);
  QFont f = title->font();
  f.setPointSize(f.pointSize() * 2);
  f.setBold(true);
  title->setFont(f);
  QLabel* version = makeLabel("lblVersion", SplashVersionLabel(versionText, revision), this);

  auto* head = new QVBoxLayout;
  head->addWidget(title);
  head->addWidget(version);
  auto* top = new QHBoxLayout;
  top->addWidget(picAbout, 0, Qt::AlignTop);
  top->addLayout(head, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  const struct {
    const char* name;
    const char* text;
  } notice[] = {
      {"asxLabel1", "This program is protected by copyright law and international treaties."},
      {"asxLabel2", "Copying or distributing it, in whole or in part, without the"},
      {"asxLabel3", "permission of Orvendel is not allowed and may lead to civil"},
      {"asxLabel5", "and criminal penalties. Orvendel will pursue unauthorised"},
      {"asxLabel6", "copies as far as the law permits."},
  };
  for (const auto& line : notice) layout->addWidget(makeLabel(line.name, QLatin1String(line.text), this));

  QLabel* support = makeLabel("lblSupport", QStringLiteral("<a href=\"%1\">orvendel.example</a>").arg(QLatin1String(kSupportUrl)), this);
  support->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  // The link opens through the system's browser service, like every other link here.
  connect(support, &QLabel::linkActivated, this, [](const QString& url) { OpenInBrowser(url); });
  auto* credits = new QPushButton(QStringLiteral("Credits"), this);
  credits->setObjectName(QStringLiteral("cmdCredits"));
  connect(credits, &QPushButton::clicked, this, [this] { CreditsBox(CreditsFilePath(), this).exec(); });
  auto* close = new QPushButton(QStringLiteral("Close"), this);
  close->setObjectName(QStringLiteral("cmdClose"));
  close->setDefault(true);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  auto* row = new QHBoxLayout;
  row->addWidget(support);
  row->addStretch();
  row->addWidget(credits);
  row->addWidget(close);
  layout->addLayout(row);
}

CreditsBox::CreditsBox(const QString& path, QWidget* parent)
    : QDialog(parent), rtCredits_(new QPlainTextEdit(this)) {
  setObjectName(QStringLiteral("frmCredits"));
  setWindowTitle(QStringLiteral("Credits"));
  setModal(true);
  rtCredits_->setObjectName(QStringLiteral("rtCredits"));
  rtCredits_->setReadOnly(true);
  rtCredits_->setPlainText(ReadRtfFile(path).value_or(QStringLiteral("Credits file not found!")));
  // A click in the text closes the window.
  rtCredits_->viewport()->installEventFilter(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(rtCredits_);
  resize(420, 320);
}

bool CreditsBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == rtCredits_->viewport() && event->type() == QEvent::MouseButtonRelease) {
    accept();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void ShowAboutBox(const QString& versionText, QWidget* parent) {
  AboutBox(versionText, versionRevision(), parent).exec();
}

}  // namespace mvnz::manager::ui
