#pragma once
// The script editor's two image lists (large and small pictures, one index naming
// the same picture in both; index 1 is the first), and the command palette drawn
// from the catalogue.
#include <QIcon>
#include <QList>

#include "manager/catalog.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace mvnz::manager::ui {

class ImageLists : public PictureSink {
 public:
  ImageLists();  // the design-time pictures 1..19
  int count() const override { return static_cast<int>(large_.size()); }
  bool add(const QString& largeFile, const QString& smallFile, QString* error) override;
  // Picture index (1-based) of a list; a null icon outside the list.
  QIcon large(int index) const { return large_.value(index - 1); }
  QIcon small(int index) const { return small_.value(index - 1); }
  QIcon picture(int index, bool largeList) const { return largeList ? large(index) : small(index); }
  // The stand-in for a missing icon file.
  static QIcon defaultPicture();

 private:
  QList<QIcon> large_, small_;
};

// Item data role holding a palette node's key ("r", "WORKFLOW", "C7_Relocate" ...).
inline constexpr int kNodeKeyRole = Qt::UserRole + 1;

// Redraws the palette from the catalogue alone: root "r" / "Plugins", "WORKFLOW" /
// "Workflow" with the six built-in commands, then each plug-in category with its
// modules; category nodes, Workflow and the root expanded.
void BuildToolTree(QTreeWidget* tree, const Catalog& catalog, const ImageLists& images,
                   bool largeIcons);
// The node of a key, or nullptr.
QTreeWidgetItem* FindNode(QTreeWidget* tree, const QString& key);

}  // namespace mvnz::manager::ui
