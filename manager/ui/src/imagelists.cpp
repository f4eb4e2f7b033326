#include "manager/ui/imagelists.h"

#include "manager/ui/pictures.h"

#include <QApplication>
#include <QStyle>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace mvnz::manager::ui {

namespace {

// A picture file as an icon with every size it holds; a null icon when it cannot be
// loaded.
QIcon load(const QString& file, QString* error) {
  if (file.isEmpty()) return ImageLists::defaultPicture();
  QIcon icon(file);
  if (icon.availableSizes().isEmpty()) {
    if (error) *error = QStringLiteral("Invalid picture [") + file + QLatin1Char(']');
    return {};
  }
  return icon;
}

// One of the program's pictures; the style's file picture when it is not installed.
QIcon orStandard(const QIcon& icon) {
  return icon.isNull() ? QApplication::style()->standardIcon(QStyle::SP_FileIcon) : icon;
}

}  // namespace

ImageLists::ImageLists() {
  for (int i = 1; i <= kDesignPictures; ++i) {
    large_.append(orStandard(pictures::design(i, true)));
    small_.append(orStandard(pictures::design(i, false)));
  }
}

QIcon ImageLists::defaultPicture() { return orStandard(pictures::forKey(QStringLiteral("picDefIcon"))); }

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
