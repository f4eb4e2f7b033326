// The pictures: every file the windows and the built plug-ins name is in the Icons
// folder beside the program and holds a 16 and a 32 pixel picture; every menu item,
// toolbar button and side-bar link shows one, and the palette's built-in lines each
// their own, none the default picture.
#include <gtest/gtest.h>

#include <QAction>
#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include "library/catalogue.h"
#include "manager/ui/imagelists.h"
#include "manager/ui/pictures.h"
#include "managerrig.h"
#include "platform/activation.h"

using namespace mvnz;
using namespace mvnz::manager;

namespace {

// The names the plug-ins report for their modules' and categories' pictures.
QStringList PluginPictureNames() {
  QStringList names;
  activation::setPluginFolder(QStringLiteral(MVNZ_BIN_DIR "/Plugins"));
  for (const catalogue::Command& c : catalogue::PluginCommands()) {
    const std::unique_ptr<Object> object =
        activation::create(QString::fromLatin1(c.plugin) + "Zuri.Setup");
    Setup* p = interfaceCast<Setup>(object.get());
    EXPECT_NE(p, nullptr) << c.plugin;
    if (!p) continue;
    p->Init();
    for (short j = 1; j <= p->ModuleCount(); ++j) {
      ModType m;
      EXPECT_EQ(p->ModuleInfo(j, &m), 0) << c.plugin;
      names << m.IconLarge << m.IconSmall << m.CatIconLarge << m.CatIconSmall;
    }
  }
  return names;
}

QImage Drawn(const QIcon& icon) {
  return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}

}  // namespace

TEST(Pictures, EveryNamedFileIsShippedWithBothSizes) {
  QStringList names = PluginPictureNames() + ui::pictures::files();
  names.removeDuplicates();
  ASSERT_GT(names.size(), 60);
  for (const QString& name : names) {
    SCOPED_TRACE(name.toStdString());
    const QIcon icon(QStringLiteral(MVNZ_BIN_DIR "/Icons/") + name);
    const QList<QSize> sizes = icon.availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
    EXPECT_TRUE(sizes.contains(QSize(32, 32)));
  }
}

TEST(Pictures, EveryCommandLinkAndBuiltinShowsItsOwn) {
  Session s;
  const auto m = test::StartedManager(s, test::rootDir() + "/MVNZuri.ini", "[CONFIGURATION]\r\n");
  ui::MainWindow& w = m->window();
  // Menu items, except the openers of submenus and the items without a picture.
  const QStringList bare = {"FILE", "OPTIONS", "HELPTOP", "OPENRECENT", "UPDATENOW", "AUTOCHECK"};
  QList<QAction*> items = w.findChild<QToolBar*>("TOOLBAR")->actions();
  for (QMenu* menu : w.menuBar()->findChildren<QMenu*>()) items += menu->actions();
  for (QAction* a : items) {
    const QString key = a->objectName();
    if (a->isSeparator() || key.startsWith("FILE:MRU:") || bare.contains(key)) continue;
    EXPECT_FALSE(a->icon().isNull()) << key.toStdString();
  }
  for (QToolButton* b : w.findChild<QWidget*>("expBar")->findChildren<QToolButton*>())
    EXPECT_FALSE(b->icon().isNull()) << b->objectName().toStdString();
  for (QAction* a : m->scriptEditor().findChild<QToolBar*>("Toolbar")->actions())
    if (!a->isSeparator()) EXPECT_FALSE(a->icon().isNull()) << a->objectName().toStdString();

  // The palette: root, Workflow and the six built-in commands, each a picture of its own.
  const QImage standIn = Drawn(ui::ImageLists::defaultPicture());
  QTreeWidgetItem* root = m->scriptEditor().palette()->topLevelItem(0);
  ASSERT_NE(root, nullptr);
  QTreeWidgetItem* workflow = root->child(0);
  QList<QTreeWidgetItem*> lines{root, workflow};
  for (int i = 0; i < workflow->childCount(); ++i) lines << workflow->child(i);
  QList<QImage> seen;
  for (QTreeWidgetItem* line : lines) {
    const QImage drawn = Drawn(line->icon(0));
    SCOPED_TRACE(line->text(0).toStdString());
    EXPECT_FALSE(drawn.isNull());
    EXPECT_NE(drawn, standIn);
    EXPECT_FALSE(seen.contains(drawn));
    seen << drawn;
  }
  EXPECT_EQ(seen.size(), 8);
}
