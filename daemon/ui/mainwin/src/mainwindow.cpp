#include "daemon/windows/mainwindow.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTimer>
#include <QVBoxLayout>

#include "controls/panehost.h"
#include "controls/propertybag.h"
#include "daemon/queue.h"
#include "daemon/shellhelpers.h"
#include "daemon/windows/hiddenform.h"
#include "images.h"
#include "library/version.h"

namespace mvnz::mvnd {

using controls::kTwipsPerPixel;
using controls::ZephContainer;

namespace {

int Px(int twips) { return twips / kTwipsPerPixel; }

// Start-up geometry of the window's client area and the inner controls (pixels).
constexpr int kInitialWidth = kMinLayoutWidth / kTwipsPerPixel;  // 538
constexpr int kInitialHeight = 4230 / kTwipsPerPixel;            // 282
constexpr int kBannerHeight = 40;
constexpr int kStripTop = 44, kStripHeight = 44;
constexpr int kLogLeft = 4, kLogTop = 92;

}  // namespace

void LoadContainer(ZephContainer* container) {
  if (!container) return;
  controls::PropertyBag bag;
  container->WriteProperties(bag);
  container->ReadProperties(bag);
}

QString WindowCaption(const WindowState& view) {
  return view.MainCaption.isEmpty() ? QString::fromUtf8(kDesignCaption) : view.MainCaption;
}

// ---- about box ------------------------------------------------------------------

QString frmAbout::SupportUrl() { return QStringLiteral("https://www.orvendel.example/support/"); }

frmAbout::frmAbout(const Daemon& d, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("About Mervane Daemon"));
  auto* layout = new QVBoxLayout(this);
  picAbout = new QLabel(this);
  picAbout->setPixmap(images::Daemon(64));
  picAbout->setAlignment(Qt::AlignCenter);
  lblTitle = new QLabel(QStringLiteral("Mervane Zuri"), this);
  QFont title = lblTitle->font();
  title.setBold(true);
  title.setPointSize(title.pointSize() + 4);
  lblTitle->setFont(title);
  lblTitle->setAlignment(Qt::AlignCenter);
  lblVersion = new QLabel(QStringLiteral("Version ") + d.settings.VersionText, this);
  lblVersion->setAlignment(Qt::AlignCenter);
  lblBuild = new QLabel(QStringLiteral("Build %1").arg(versionRevision()), this);
  lblBuild->setAlignment(Qt::AlignCenter);
  lblSupport = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(SupportUrl()), this);
  lblSupport->setAlignment(Qt::AlignCenter);
  lblSupport->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
  // The link opens the default browser through the daemon's own helper.
  connect(lblSupport, &QLabel::linkActivated, this, [](const QString& url) { OpenInBrowser(url); });
  cmdClose = new QPushButton(QStringLiteral("Close"), this);
  connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);
  for (QWidget* w : {static_cast<QWidget*>(picAbout), static_cast<QWidget*>(lblTitle),
                     static_cast<QWidget*>(lblVersion), static_cast<QWidget*>(lblBuild),
                     static_cast<QWidget*>(lblSupport)})
    layout->addWidget(w);
  layout->addWidget(cmdClose, 0, Qt::AlignCenter);
}

// ---- main window ----------------------------------------------------------------

frmMain::frmMain(Daemon& d, QWidget* parent) : QMainWindow(parent), d_(d) {
  setWindowTitle(QString::fromUtf8(kDesignCaption));
  setWindowIcon(QIcon(images::Daemon(32)));
  auto* central = new QWidget(this);
  setCentralWidget(central);
  central->installEventFilter(this);
  BuildStrip();
  BuildMenus();

  logArea = new QWidget(central);
  logArea->setGeometry(kLogLeft, kLogTop, kInitialWidth - 2 * kLogLeft,
                       kInitialHeight - kLogTop - kLogLeft);
  new QVBoxLayout(logArea);
  logArea->layout()->setContentsMargins(0, 0, 0, 0);

  tmrRestartSystemTray.setInterval(5000);
  connect(&tmrRestartSystemTray, &QTimer::timeout, this, [this] {
    if (RestartSystemTray)
      RestartSystemTray();
    else
      tmrRestartSystemTray.stop();
  });

  central->resize(kInitialWidth, kInitialHeight);
  RecordMargins();
  resize(kInitialWidth, kInitialHeight + menuBar()->sizeHint().height());
  StateChanged();
}

frmMain::~frmMain() = default;

void frmMain::BuildStrip() {
  QWidget* central = centralWidget();
  asxBanner = new QLabel(central);
  asxBanner->setFont(QFont(QStringLiteral("Arial")));
  asxBanner->setScaledContents(true);
  asxBanner->setGeometry(0, 0, kInitialWidth - Px(705), kBannerHeight);
  asxBanner->setPixmap(images::Banner(kInitialWidth - Px(705), kBannerHeight));

  picDaemon = new QLabel(central);
  picDaemon->setPixmap(images::Daemon(kBannerHeight - 4));
  picDaemon->setAlignment(Qt::AlignCenter);
  picDaemon->setToolTip(QStringLiteral("About Mervane Daemon"));
  picDaemon->setCursor(Qt::PointingHandCursor);
  picDaemon->setGeometry(kInitialWidth - Px(705), 0, Px(705), kBannerHeight);
  picDaemon->installEventFilter(this);

  Zephmenu = new ZephContainer(central);
  Zephmenu->setBorderStyle(controls::eBorderStyles::Raised);
  Zephmenu->setGeometry(Px(60), kStripTop, kInitialWidth - Px(120), kStripHeight);
  LoadContainer(Zephmenu);

  auto button = [this](const QString& text, const QIcon& icon, int left) {
    auto* b = new QToolButton(Zephmenu);
    b->setText(text);
    b->setIcon(icon);
    b->setIconSize(QSize(20, 20));
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setAutoRaise(true);
    b->setGeometry(left, 6, 150, kStripHeight - 12);
    return b;
  };
  asxStart = button(QStringLiteral("Start Daemon"), images::StartButton(), 6);
  asxStop = button(QStringLiteral("Stop Daemon"), images::StopButton(), 130);
  asxReload = button(QStringLiteral("Reload Configuration"), images::ReloadButton(), 254);
  asxStart->resize(120, asxStart->height());
  asxStop->resize(120, asxStop->height());
  asxReload->resize(170, asxReload->height());
  cmdStartStop = new QPushButton(QStringLiteral("Start"), Zephmenu);
  cmdStartStop->setGeometry(430, 8, 80, kStripHeight - 16);

  connect(asxStart, &QToolButton::clicked, this,
          [this] { PostCommand(d_, QStringLiteral("START")); });
  connect(asxStop, &QToolButton::clicked, this,
          [this] { PostCommand(d_, QStringLiteral("STOP")); });
  connect(asxReload, &QToolButton::clicked, this,
          [this] { PostCommand(d_, ReloadWords(d_.run.Running())); });
}

void frmMain::BuildMenus() {
  mnuOptions = menuBar()->addMenu(QStringLiteral("&Options"));
  mnuCM = mnuOptions->addAction(QStringLiteral("&Configuration Manager"));
  mnuSave = mnuOptions->addAction(QStringLiteral("&Save"));
  mnuReload = mnuOptions->addAction(QStringLiteral("&Reload"));
  mnuExit = mnuOptions->addAction(QStringLiteral("&End Daemon"));
  mnuControl = menuBar()->addMenu(QStringLiteral("&Control"));
  mnuStartStop = mnuControl->addAction(QStringLiteral("Start"));
  mnuGelp = menuBar()->addMenu(QStringLiteral("&Help"));
  mnuAbout = mnuGelp->addAction(QStringLiteral("&About Mervane Daemon"));

  connect(mnuCM, &QAction::triggered, this, [this] { StartConfigurationManager(d_); });
  connect(mnuSave, &QAction::triggered, this, [this] { d_.ui().SaveDaemonSettings(true); });
  connect(mnuReload, &QAction::triggered, asxReload, &QToolButton::click);
  connect(mnuExit, &QAction::triggered, this,
          [this] { PostCommand(d_, EndDaemonWords(d_.run.Running(), d_.run.RunningAsService)); });
  connect(mnuStartStop, &QAction::triggered, this, [this] {
    const QString caption = mnuStartStop->text();
    if (caption == QLatin1String("Start"))
      PostCommand(d_, QStringLiteral("START"));
    else if (caption == QLatin1String("Stop"))
      PostCommand(d_, QStringLiteral("STOP"));
  });
  connect(mnuAbout, &QAction::triggered, this, [this] { ShowAbout(); });
}

void frmMain::RecordMargins() {
  const QWidget* c = centralWidget();
  widthMargin_ = (c->width() - logArea->width()) * kTwipsPerPixel;
  heightMargin_ = (c->height() - logArea->height()) * kTwipsPerPixel;
  marginsRecorded_ = true;
}

void frmMain::StateChanged() {
  setWindowTitle(WindowCaption(d_.view));
  mnuStartStop->setText(StartStopCaption(d_.run.State));
  cmdStartStop->setText(StartStopCaption(d_.run.State));
  cmdStartStop->setEnabled(d_.view.StartStopButtonEnabled);
  asxStart->setEnabled(d_.run.State != RunState::Running);
  asxStop->setEnabled(d_.run.State == RunState::Running);
}

void frmMain::SetLogWindow(QWidget* logWindow) {
  if (!logWindow) return;
  logArea->layout()->addWidget(logWindow);
  logWindow->show();
}

void frmMain::ShowAbout() {
  frmAbout about(d_, this);
  if (RunModal) RunModal(about);
}

void frmMain::ShowNormal() {
  setWindowState(windowState() & ~Qt::WindowMinimized);
  showNormal();
  raise();
  activateWindow();
}

void frmMain::LayoutFor(int widthTwips, int heightTwips) {
  if (widthTwips < kMinLayoutWidth || heightTwips < kMinLayoutHeight) return;
  Zephmenu->setWidth(widthTwips - 120);
  picDaemon->move(Px(widthTwips - 705), picDaemon->y());
  logArea->resize(Px(widthTwips - widthMargin_), Px(heightTwips - heightMargin_));
  const int banner = Px(widthTwips - 705);
  asxBanner->resize(banner, asxBanner->height());
  asxBanner->setPixmap(images::Banner(banner, asxBanner->height()));
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == centralWidget() && event->type() == QEvent::Resize && marginsRecorded_) {
    if (!isMinimized()) {
      const QWidget* c = centralWidget();
      LayoutFor(c->width() * kTwipsPerPixel, c->height() * kTwipsPerPixel);
    }
  } else if (watched == picDaemon && event->type() == QEvent::MouseButtonRelease) {
    if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) ShowAbout();
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

void frmMain::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  // A minimised window lives on in the notification area only.
  if (event->type() == QEvent::WindowStateChange && isMinimized())
    QTimer::singleShot(0, this, [this] {
      if (isMinimized()) hide();
    });
}

void frmMain::closeEvent(QCloseEvent* event) {
  if (d_.run.ShuttingDown) {
    event->accept();
    return;
  }
  event->ignore();
  hide();
}

}  // namespace mvnz::mvnd
