#include "manager/ui/imagelists.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace mvnz::manager::ui {

namespace {

// The design-time pictures: the style's standard icons, in a fixed order.
QIcon designPicture(int index) {
  static const QStyle::StandardPixmap kPictures[kDesignPictures] = {
      QStyle::SP_DirHomeIcon,           // 1 Plugins
      QStyle::SP_DirOpenIcon,           // 2 Workflow
      QStyle::SP_MessageBoxWarning,     // 3 ErrorAction
      QStyle::SP_FileIcon,              // 4
      QStyle::SP_FileIcon,              // 5
      QStyle::SP_FileIcon,              // 6
      QStyle::SP_FileIcon,              // 7
      QStyle::SP_FileIcon,              // 8
      QStyle::SP_FileIcon,              // 9
      QStyle::SP_FileIcon,              // 10
      QStyle::SP_FileIcon,              // 11
      QStyle::SP_FileIcon,              // 12
      QStyle::SP_MediaStop,             // 13 EndDaemon
      QStyle::SP_MediaPause,            // 14 StopDaemon
      QStyle::SP_FileDialogInfoView,    // 15 Comment
      QStyle::SP_FileIcon,              // 16
      QStyle::SP_DialogOpenButton,      // 17 LoadConfig
      QStyle::SP_BrowserReload,         // 18 Reschedule
      QStyle::SP_FileIcon,              // 19
  };
  return QApplication::style()->standardIcon(kPictures[index - 1]);
}

// A picture file as an icon; a null icon when it cannot be loaded.
QIcon load(const QString& file, QString* error) {
  if (file.isEmpty()) return ImageLists::defaultPicture();
  QPixmap p;
  if (!p.load(file)) {
    if (error) *error = QStringLiteral("Invalid picture [") + file + QLatin1Char(']');
    return {};
  }
  return QIcon(p);
}

}  // namespace

ImageLists::ImageLists() {
  for (int i = 1; i <= kDesignPictures; ++i) {
    large_.append(designPicture(i));
    small_.append(designPicture(i));
  }
}

QIcon ImageLists::defaultPicture() {
  return QApplication::style()->standardIcon(QStyle::SP_FileIcon);
}

bool ImageLists::add(const QString& largeFile, const QString& smallFile, QString* error) {
  const QIcon l = load(largeFile, error);
  if (l.isNull()) return false;
  const QIcon s = load(smallFile, error);
  if (s.isNull()) return false;
  large_.append(l);
  small_.append(s);
  return true;
}

namespace {

QTreeWidgetItem* addNode(QTreeWidgetItem* parent, const QString& key, const QString& text,
                         const QIcon& icon) {
  auto* item = new QTreeWidgetItem(parent, {text});
  item->setData(0, kNodeKeyRole, key);
  item->setIcon(0, icon);
  return item;
}

}  // namespace

void BuildToolTree(QTreeWidget* tree, const Catalog& catalog, const ImageLists& images,
                   bool largeIcons) {
  tree->setUpdatesEnabled(false);
  tree->clear();
  auto* root = new QTreeWidgetItem(tree, {QStringLiteral("Plugins")});
  root->setData(0, kNodeKeyRole, QStringLiteral("r"));
  root->setIcon(0, images.picture(1, largeIcons));
  QTreeWidgetItem* workflow =
      addNode(root, QStringLiteral("WORKFLOW"), QStringLiteral("Workflow"), images.picture(2, largeIcons));
  const QList<CatalogEntry>& rows = catalog.rows();
  for (int n = 1; n < kFirstModuleRow && n < rows.size(); ++n)
    addNode(workflow, PaletteKey(catalog, n), rows[n].Name, images.picture(rows[n].IconIndex, largeIcons));
  workflow->setExpanded(true);
  QList<QTreeWidgetItem*> categoryNodes(catalog.categories().size(), nullptr);
  for (int k = 2; k < catalog.categories().size(); ++k) {
    const CategoryEntry& c = catalog.categories()[k];
    categoryNodes[k] = addNode(root, c.Name.toUpper(), c.Name, images.picture(c.IconIndex, largeIcons));
    categoryNodes[k]->setExpanded(true);
  }
  for (int n = kFirstModuleRow; n < rows.size(); ++n) {
    QTreeWidgetItem* parent = categoryNodes.value(catalog.findCategory(rows[n].Cat));
    if (!parent) parent = root;
    addNode(parent, PaletteKey(catalog, n), rows[n].Name, images.picture(rows[n].IconIndex, largeIcons));
  }
  root->setExpanded(true);
  tree->setUpdatesEnabled(true);
}

QTreeWidgetItem* FindNode(QTreeWidget* tree, const QString& key) {
  for (QTreeWidgetItemIterator it(tree); *it; ++it)
    if ((*it)->data(0, kNodeKeyRole).toString() == key) return *it;
  return nullptr;
}

}  // namespace mvnz::manager::ui
