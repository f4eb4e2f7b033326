#include "manager/ui/mainwindow.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QStatusBar>
#include <QVBoxLayout>

#include "manager/identity.h"
#include "manager/session.h"
#include "manager/ui/globals_page.h"
#include "manager/ui/pictures.h"
#include "manager/ui/roziroruner_page.h"
#include "manager/ui/variablesmenu.h"

namespace mvnz::manager::ui {

MainWindow::MainWindow(Session& session, QWidget* parent)
    : QMainWindow(parent), session_(session) {
  setObjectName(QStringLiteral("frmSetup"));
  setWindowTitle(MainCaption(session.VersionText));
  buildFileMenu();
  buildFrameMenus();
  buildToolBar();

  auto* central = new QWidget(this);
  auto* outer = new QHBoxLayout(central);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(buildSideBar(central));
  auto* layout = new QVBoxLayout;
  outer->addLayout(layout, 1);
  pages_ = new QStackedWidget(central);
  pages_->setObjectName(QStringLiteral("pages"));
  asxRoziRoruners_ = new QWidget(pages_);
  asxRoziRoruners_->setObjectName(QStringLiteral("asxRoziRoruners"));
  auto* page = new QFormLayout(asxRoziRoruners_);
  cmbRoziRorunerList_ = new QComboBox(asxRoziRoruners_);
  cmbRoziRorunerList_->setObjectName(QStringLiteral("cmbRoziRorunerList"));
  page->addRow(QStringLiteral("RoziRoruner List:"), cmbRoziRorunerList_);
  roziRorunerPage_ = new RoziRorunerPage(session, asxRoziRoruners_, page, cmbRoziRorunerList_);
  variables_ = new VariablesMenu(session, this);
  roziRorunerPage_->setVariablesMenu(variables_);
  asxPreferences_ = new QWidget(pages_);
  asxPreferences_->setObjectName(QStringLiteral("asxPreferences"));
  globalsPage_ = new GlobalsPage(session, asxPreferences_);
  pages_->addWidget(asxRoziRoruners_);
  pages_->addWidget(asxPreferences_);
  layout->addWidget(pages_, 1);
  sbConfig_ = new QStatusBar(central);
  sbConfig_->setObjectName(QStringLiteral("sbConfig"));
  sbConfig_->setSizeGripEnabled(false);
  configPanel_ = new QLabel(sbConfig_);
  configPanel_->setObjectName(QStringLiteral("sbConfigPanel1"));
  sbConfig_->addWidget(configPanel_, 1);
  layout->addWidget(sbConfig_);
  setCentralWidget(central);

  statusBar()->setObjectName(QStringLiteral("sbStatusBar"));
  statusPanel_ = new QLabel(statusBar());
  statusPanel_->setObjectName(QStringLiteral("sbStatusBarPanel1"));
  statusBar()->addWidget(statusPanel_, 1);

  connectSession();
  setSideBarCommand(QStringLiteral("ROZIRORUNER"), [this] { pages_->setCurrentWidget(asxRoziRoruners_); });
  setSideBarCommand(QStringLiteral("PREFS"), [this] { pages_->setCurrentWidget(asxPreferences_); });
  qApp->installEventFilter(this);
  // As tall as the pages need, so no empty band lies under them; wide enough for paths.
  const QSize fit = sizeHint();
  resize(std::max(fit.width(), 900), fit.height());
}

void MainWindow::buildFileMenu() {
  fileMenu_ = menuBar()->addMenu(QStringLiteral("&File"));
  fileMenu_->setObjectName(QStringLiteral("FILEMENU"));
  fileMenu_->menuAction()->setObjectName(QStringLiteral("FILE"));
  addCommand(fileMenu_, QStringLiteral("OPEN"), QStringLiteral("&Open"), QKeySequence(Qt::CTRL | Qt::Key_O),
             "OPEN");
  addCommand(fileMenu_, QStringLiteral("OPENDEFAULT"), QStringLiteral("Open De&fault"),
             QKeySequence(Qt::SHIFT | Qt::Key_F1), "OPENDEFAULT");
  // Recent files are not kept: the entry and its ten items stay switched off.
  QMenu* mru = fileMenu_->addMenu(QStringLiteral("&Open Recent"));
  mru->setObjectName(QStringLiteral("FILEMRU"));
  mru->menuAction()->setObjectName(QStringLiteral("OPENRECENT"));
  mru->setEnabled(false);
  for (int i = 1; i <= 10; ++i) {
    QAction* a = mru->addAction(QString());
    a->setObjectName(QStringLiteral("FILE:MRU:") + QString::number(i));
    a->setEnabled(false);
  }
  fileMenu_->addSeparator()->setObjectName(QStringLiteral("FILE:OPEN:SEPARATOR"));
  addCommand(fileMenu_, QStringLiteral("SAVE"), QStringLiteral("&Save"), QKeySequence(Qt::CTRL | Qt::Key_S),
             "SAVE");
  addCommand(fileMenu_, QStringLiteral("SAVEAS"), QStringLiteral("Save &As"), QKeySequence(Qt::CTRL | Qt::Key_A),
             "SAVEAS");
  addCommand(fileMenu_, QStringLiteral("SAVE2DEFAULT"), QStringLiteral("Save to &Default"),
             QKeySequence(Qt::CTRL | Qt::Key_W), "SAVE2DEFAULT");
  fileMenu_->addSeparator()->setObjectName(QStringLiteral("FILE:SAVE2DEFAULT:SEPARATOR"));
  addCommand(fileMenu_, QStringLiteral("QUIT"), QStringLiteral("E&xit"), QKeySequence(Qt::CTRL | Qt::Key_Q),
             "EXIT");
}

QAction* MainWindow::addCommand(QMenu* menu, const QString& key, const QString& caption,
                                const QKeySequence& shortcut, const char* icon) {
  QAction* a = menu->addAction(caption);
  if (icon) a->setIcon(pictures::forKey(QLatin1String(icon)));
  a->setObjectName(key);
  a->setData(key);
  if (!shortcut.isEmpty()) a->setShortcut(shortcut);
  // Queued: the menu closes before a command opens its dialogs.
  connect(a, &QAction::triggered, this, [this, key] { dispatch(key); }, Qt::QueuedConnection);
  return a;
}

void MainWindow::dispatch(const QString& key) {
  const auto it = commands_.constFind(key);
  if (it != commands_.constEnd() && *it) (*it)();
}

void MainWindow::setCommand(const QString& key, std::function<void()> action) {
  commands_.insert(key, std::move(action));
}

QAction* MainWindow::action(const QString& key) const {
  return findChild<QAction*>(key);
}

QString MainWindow::configPanelText() const { return configPanel_->text(); }
QString MainWindow::statusPanelText() const { return statusPanel_->text(); }

void MainWindow::refillRoziRorunerList() {
  {
    const QSignalBlocker block(cmbRoziRorunerList_);
    cmbRoziRorunerList_->clear();
    for (const jobfile::RoziRoruner& r : session_.model.RoziRoruners) cmbRoziRorunerList_->addItem(r.Name);
    cmbRoziRorunerList_->setCurrentIndex(-1);
  }
  session_.setCurrent(-1);
  if (cmbRoziRorunerList_->count() > 0) {
    // Selecting entry 0 shows the first RoziRoruner (through the list's own handler).
    cmbRoziRorunerList_->setCurrentIndex(0);
  } else {
    roziRorunerPage_->ClearRoziRorunerFields();
    roziRorunerPage_->cmbRoziRorunerList_Click();
  }
  roziRorunerPage_->ToggleSetup();
}

void MainWindow::connectSession() {
  connect(&session_, &Session::pathShown, configPanel_, &QLabel::setText);
  connect(&session_, &Session::statusChanged, statusPanel_, [this](const QString& text) {
    statusPanel_->setText(text);
    statusPanel_->repaint();
  });
  connect(&session_, &Session::busyChanged, this, [this](bool busy) {
    setEnabled(!busy);
    if (busy)
      QApplication::setOverrideCursor(Qt::WaitCursor);
    else
      QApplication::restoreOverrideCursor();
  });
  connect(&session_, &Session::modelReplaced, this, &MainWindow::refillRoziRorunerList);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (session_.Exiting || !onClose_) {
    saveSideBarStates();
    event->accept();
    return;
  }
  // Closing the window is one of the ways out: the exit path runs, and the window
  // closes once it has begun.
  onClose_();
  event->setAccepted(session_.Exiting);
}

}  // namespace mvnz::manager::ui
