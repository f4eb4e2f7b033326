#include "manager/ui/splash.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QIcon>
#include <QTimer>
#include <QVBoxLayout>

#include "manager/session.h"
#include "manager/ui/pictures.h"

namespace mvnz::manager::ui {

StartupWindow::StartupWindow(const QString& versionLabel, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint),
      lblVersion_(new QLabel(versionLabel, this)),
      lblStartup_(new QLabel(this)),
      picAbout_(new QLabel(this)),
      picStartup_(new QLabel(this)),
      tmrUnload_(new QTimer(this)) {
  setObjectName(QStringLiteral("frmStartup"));
  lblVersion_->setObjectName(QStringLiteral("lblVersion"));
  lblStartup_->setObjectName(QStringLiteral("lblStartup"));
  picAbout_->setObjectName(QStringLiteral("picAbout"));
  picStartup_->setObjectName(QStringLiteral("picStartup"));
  tmrUnload_->setObjectName(QStringLiteral("tmrUnload"));
  tmrUnload_->setInterval(750);
  tmrUnload_->setSingleShot(true);

  auto* title = new QLabel(QStringLiteral("Mervane Zuri"), this);
  QFont f = title->font();
  f.setPointSize(f.pointSize() * 2);
  f.setBold(true);
  title->setFont(f);
  picAbout_->setPixmap(pictures::forKey(QStringLiteral("picAbout")).pixmap(64, 64));
  picAbout_->setCursor(Qt::PointingHandCursor);
  picAbout_->installEventFilter(this);
  picStartup_->setFixedSize(32, 32);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(picAbout_, 0, Qt::AlignHCenter);
  layout->addWidget(title, 0, Qt::AlignHCenter);
  layout->addWidget(lblVersion_, 0, Qt::AlignHCenter);
  layout->addWidget(picStartup_, 0, Qt::AlignHCenter);
  layout->addWidget(lblStartup_);
  setFixedSize(420, 260);
  connect(tmrUnload_, &QTimer::timeout, this, &QWidget::close);
}

void StartupWindow::status(const QString& text) {
  lblStartup_->setText(text);
  // No events run during start-up, so the label is painted here, but at most every
  // kPaintInterval: a file of many sections must not spend its load on painting.
  if (!painted_.isValid() || painted_.elapsed() >= kPaintInterval) {
    lblStartup_->repaint();
    painted_.start();
  }
}

void StartupWindow::picture(const QString& file) {
  // The file's own 32 pixel picture where it holds one.
  const QIcon icon(file);
  if (!icon.availableSizes().isEmpty()) picStartup_->setPixmap(icon.pixmap(32, 32));
  picStartup_->repaint();
}

void StartupWindow::pluginsLoaded() {
  // The closing picture; none when its file is missing.
  const QIcon icon = pictures::forKey(QStringLiteral("picIniIcon"));
  if (icon.isNull())
    picStartup_->clear();
  else
    picStartup_->setPixmap(icon.pixmap(32, 32));
  picStartup_->repaint();
}

void StartupWindow::showProgressOf(const Session& session) {
  connect(&session, &Session::progress, this, &StartupWindow::status);
}

void StartupWindow::waitForUnload() {
  QEventLoop loop;
  connect(tmrUnload_, &QTimer::timeout, &loop, &QEventLoop::quit);
  waiting_ = &loop;
  tmrUnload_->start();
  // Ends at the first tick, or at once when the picture's click stopped the timer.
  if (tmrUnload_->isActive()) loop.exec();
  waiting_ = nullptr;
}

bool StartupWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == picAbout_ && event->type() == QEvent::MouseButtonPress) {
    tmrUnload_->stop();
    if (waiting_) waiting_->quit();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace mvnz::manager::ui
