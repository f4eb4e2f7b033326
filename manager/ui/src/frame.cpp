// The window's frame around the pages: the Options and Help menus, the toolbar and
// the side bar with its two collapsible groups, and the rule that the window's
// menu shortcuts win over a focused text field's own keys.
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "manager/services.h"
#include "manager/session.h"
#include "manager/ui/mainwindow.h"
#include "manager/ui/pictures.h"

namespace mvnz::manager::ui {

namespace {

struct Link {
  const char* key;
  const char* caption;
  const char* tip;
};

const Link kConfigLinks[] = {{"ROZIRORUNER", "&RoziRoruners", "RoziRoruner Configuration"},
                             {"PREFS", "&Preferences", "Preferences"},
                             {"LOCALS", "&Local Constants", "Setup Local Constants"},
                             {"GLOBALS", "&Global Constants", "Setup Global Constants"},
                             {"SCRIPT", "&Command Script", "Open RoziRoruner Command-Script"},
                             {"SERVICE", "&Service Installer", "Install Mervane Zuri Service"}};
const Link kOptionLinks[] = {{"DAEMON", "&Start Daemon", "Start The Mervane Daemon"},
                             {"ORGANIZE", "&Organize RoziRoruners", "Change Order of RoziRoruners"},
                             {"CLEAR", "&Delete All RoziRoruners", "Delete All RoziRoruners"},
                             {"TESTRE", "&Test Regular-Expressions", "Test Regular-Expression Patterns"},
                             {"HELP", "&Help", "Mervane Zuri Help"},
                             {"WEB", "&Visit Orvendel Website", "Visit orvendel.example"}};

}  // namespace

void MainWindow::addItems(QMenu* menu, std::initializer_list<FrameItem> items) {
  for (const FrameItem& i : items) {
    if (!i.caption) {
      menu->addSeparator()->setObjectName(QLatin1String(i.key));
      continue;
    }
    addCommand(menu, QLatin1String(i.key), QString::fromUtf8(i.caption), i.shortcut, i.icon);
  }
}

void MainWindow::buildFrameMenus() {
  QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
  options->setObjectName(QStringLiteral("OPTIONSMENU"));
  options->menuAction()->setObjectName(QStringLiteral("OPTIONS"));
  addItems(options,
           {{"STARTDAEMON", "&Start Daemon", {}, "STARTDAEMON"},
            {"STARTINSTALLER", "Start Service &Installer", QKeySequence(Qt::CTRL | Qt::Key_M), "SERVICE"},
            {"OPTIONS:INSTALLER:SEPARATOR", nullptr, {}},
            {"ORGANIZE", "&Organize RoziRoruners", QKeySequence(Qt::CTRL | Qt::Key_G), "ORGANIZE"},
            {"OPTIONS:ORGANIZE:SEPARATOR", nullptr, {}},
            {"DELETEALL", "&Delete All RoziRoruners", QKeySequence(Qt::CTRL | Qt::Key_D), "DELETEALL"},
            {"OPTIONS:DELETEALL:SEPARATOR", nullptr, {}},
            {"TESTRE", "&Test Regular Expressions", QKeySequence(Qt::CTRL | Qt::Key_N), "TESTRE"}});
  menuBar()->addSeparator()->setObjectName(QStringLiteral("MENU:OPTIONS:SEPARATOR"));

  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  help->setObjectName(QStringLiteral("HELPMENU"));
  help->menuAction()->setObjectName(QStringLiteral("HELPTOP"));
  QMenu* update = help->addMenu(QStringLiteral("&Webupdate..."));
  update->setObjectName(QStringLiteral("UPDATEMENU"));
  update->menuAction()->setObjectName(QStringLiteral("WEBUPDATE"));
  update->menuAction()->setIcon(pictures::forKey(QStringLiteral("WEBUPDATE")));
  addCommand(update, QStringLiteral("UPDATENOW"), QStringLiteral("&Check for Updates Now"));
  QAction* autoCheck = addCommand(update, QStringLiteral("AUTOCHECK"), QStringLiteral("&AutoCheck for Updates"));
  autoCheck->setCheckable(true);
  // The check mark shows the stored preference once it is read, and again after each read.
  autoCheck->setChecked(session_.prefs.AutoCheckUpdates);
  connect(&session_, &Session::prefsChanged, autoCheck,
          [this, autoCheck] { autoCheck->setChecked(session_.prefs.AutoCheckUpdates); });
  addItems(help,
           {{"HELP:WEBUPDATE:SEPARATOR", nullptr, {}},
            {"HELP", "&Help", {}, "HELP"},
            {"HELP:HELP:SEPARATOR", nullptr, {}},
            {"ABOUT", "&About Mervane Zuri", QKeySequence(Qt::CTRL | Qt::Key_I), "ABOUT"}});
}

void MainWindow::buildToolBar() {
  QToolBar* bar = addToolBar(QStringLiteral("Toolbar"));
  bar->setObjectName(QStringLiteral("TOOLBAR"));
  bar->setMovable(false);
  const struct {
    const char* key;
    const char* caption;  // nullptr: a separator
    const char* icon;
  } items[] = {{"TOOLBAR:SEPARATOR", nullptr, nullptr},
               {"TB_SAVE", "Save", "SAVE"},
               {"TB_SAVE2DEFAULT", "Save to Default", "SAVE2DEFAULT"},
               {"TOOLBAR:SAVE:SEPARATOR", nullptr, nullptr},
               {"TB_OPEN", "Open", "OPEN"},
               {"TB_RELOAD", "Reload", "RELOAD"},
               {"TOOLBAR:RELOAD:SEPARATOR", nullptr, nullptr},
               {"TB_SCRIPT", "Command Script", "SCRIPT"},
               {"TOOLBAR:SCRIPT:SEPARATOR", nullptr, nullptr},
               {"TB_DAEMON", "Start Daemon", "STARTDAEMON"}};
  for (const auto& i : items) {
    if (!i.caption) {
      bar->addSeparator()->setObjectName(QLatin1String(i.key));
      continue;
    }
    QAction* a = bar->addAction(pictures::forKey(QLatin1String(i.icon)), QString::fromUtf8(i.caption));
    a->setObjectName(QLatin1String(i.key));
    a->setToolTip(QString::fromUtf8(i.caption));
    const QString key = QLatin1String(i.key);
    connect(a, &QAction::triggered, this, [this, key] { dispatch(key); }, Qt::QueuedConnection);
  }
}

QWidget* MainWindow::buildSideBar(QWidget* parent) {
  auto* bar = new QWidget(parent);
  bar->setObjectName(QStringLiteral("expBar"));
  auto* layout = new QVBoxLayout(bar);
  QSettings user = UserSettings();
  const struct {
    const char* key;
    const char* title;
    const char* tip;
    const char* setting;
    const Link* links;
    int count;
  } groups[] = {{"CONFIG", "Configuration", "Mervane Zuri Configuration", "Config/State1", kConfigLinks, 6},
                {"OPTIONS", "Options", "Options", "Config/State2", kOptionLinks, 6}};
  for (const auto& g : groups) {
    auto* title = new QToolButton(bar);
    title->setObjectName(QStringLiteral("expBar:") + QLatin1String(g.key));
    title->setText(QString::fromUtf8(g.title));
    title->setToolTip(QString::fromUtf8(g.tip));
    title->setCheckable(true);
    title->setIcon(pictures::forKey(QLatin1String(g.key)));
    title->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    title->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    layout->addWidget(title);
    auto* items = new QWidget(bar);
    auto* itemLayout = new QVBoxLayout(items);
    itemLayout->setContentsMargins(8, 0, 0, 0);
    for (int i = 0; i < g.count; ++i) {
      const Link& l = g.links[i];
      auto* link = new QToolButton(items);
      link->setObjectName(QStringLiteral("expBar:") + QLatin1String(g.key) + u':' + QLatin1String(l.key));
      link->setText(QString::fromUtf8(l.caption));
      link->setToolTip(QString::fromUtf8(l.tip));
      link->setIcon(pictures::forKey(QLatin1String(l.key)));
      link->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
      link->setAutoRaise(true);
      const QString key = QLatin1String(l.key);
      connect(link, &QToolButton::clicked, this, [this, key] { dispatchSideBar(key); }, Qt::QueuedConnection);
      itemLayout->addWidget(link);
    }
    layout->addWidget(items);
    connect(title, &QToolButton::toggled, items, &QWidget::setVisible);
    // 1 shows the group open (the first run), 0 collapsed; other values keep it open.
    bool ok = false;
    const int state = user.value(QLatin1String(g.setting), QStringLiteral("1")).toString().toInt(&ok);
    title->setChecked(!(ok && state == 0));
    items->setVisible(title->isChecked());
    sideGroups_.append(title);
  }
  layout->addStretch(1);
  return bar;
}

void MainWindow::saveSideBarStates() const {
  QSettings user = UserSettings();
  const char* keys[] = {"Config/State1", "Config/State2"};
  for (int i = 0; i < sideGroups_.size() && i < 2; ++i)
    user.setValue(QLatin1String(keys[i]), QString::number(sideGroups_[i]->isChecked() ? 1 : 0));
}

void MainWindow::dispatchSideBar(const QString& key) {
  const auto it = sideCommands_.constFind(key);
  if (it != sideCommands_.constEnd() && *it) (*it)();
}

void MainWindow::setSideBarCommand(const QString& key, std::function<void()> action) {
  sideCommands_.insert(key, std::move(action));
}

// Ctrl+A, Ctrl+W, Ctrl+D and the other menu shortcuts belong to the window even in a
// text field (which would take Ctrl+A as select-all): the override is refused, so the
// shortcut reaches the menu.
bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride) {
    auto* w = qobject_cast<QWidget*>(watched);
    auto* key = static_cast<QKeyEvent*>(event);
    if (w && w->window() == this && (key->modifiers() & Qt::ControlModifier)) {
      const QKeySequence pressed(key->keyCombination());
      for (QAction* a : findChildren<QAction*>())
        if (!a->shortcut().isEmpty() && a->shortcut() == pressed) {
          event->ignore();
          return true;
        }
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace mvnz::manager::ui
