#pragma once
// The plug-in catalogue: the six built-in workflow commands and every module of every
// plug-in in the plug-in folder, with their categories and the picture index each
// one has in the script editor's two image lists.
#include <QList>
#include <QString>

namespace mvnz::manager {

struct CatalogEntry {
  QString Cat;  // "" for the built-in rows
  QString Name;
  short IconIndex = 0;
  QString ProgID;  // "" for the built-in rows
};

struct CategoryEntry {
  QString Name;  // as first reported; compared without regard to case
  short IconIndex = 0;
};

inline constexpr short kFirstModuleRow = 7;
// Pictures 1..19 are placed at design time; run-time pictures follow from 20.
inline constexpr short kDesignPictures = 19;

// The two image lists, large and small, which always hold the same number of
// pictures. An empty file name stands for the default picture.
class PictureSink {
 public:
  virtual ~PictureSink() = default;
  // Pictures in each list, the design-time ones included.
  virtual int count() const = 0;
  // Appends the large picture to the large list and the small one to the small list;
  // on failure appends nothing and says why.
  virtual bool add(const QString& largeFile, const QString& smallFile, QString* error) = 0;
};

// What the splash window shows while the catalogue is built.
class CatalogProgress {
 public:
  virtual ~CatalogProgress() = default;
  virtual void status(const QString& text) = 0;
  // A module's small picture (an existing file), shown as it is loaded.
  virtual void picture(const QString& file) = 0;
  // Every plug-in is loaded: the splash shows its closing picture.
  virtual void pluginsLoaded() = 0;
};

class Catalog {
 public:
  Catalog();  // the six built-in rows and the Workflow category

  // Row 0 unused, rows 1..6 the built-in commands, modules from row 7.
  const QList<CatalogEntry>& rows() const { return rows_; }
  // Row 0 unused, row 1 "Workflow", plug-in categories from row 2.
  const QList<CategoryEntry>& categories() const { return categories_; }
  short NextModuleRow() const { return static_cast<short>(rows_.size()); }
  short CategoryCount() const { return static_cast<short>(categories_.size() - 1); }
  // First row 1..NextModuleRow-1 whose name equals name without regard to case; 0 if none.
  int find(const QString& name) const;
  // The category row whose name equals cat without regard to case; 0 if none.
  int findCategory(const QString& cat) const;

  // Fills the catalogue from the plug-ins of the activation's plug-in folder; icon
  // files are looked up in iconFolder. A plug-in that fails gets the box "Error while loading plugin:
  // [N] ..." and the rest of its modules are skipped; the others still load.
  void LoadPlugins(const QString& iconFolder, PictureSink& pictures, CatalogProgress* progress);

 private:
  bool loadPlugin(const QString& name, const QString& iconFolder, PictureSink& pictures,
                  CatalogProgress* progress, QString* error);
  QList<CatalogEntry> rows_;
  QList<CategoryEntry> categories_;
};

// The palette key of catalogue row n: "C<n>_workflow<n>" for the built-in rows,
// "C<n>_<name>" for modules.
QString PaletteKey(const Catalog& catalog, int row);

}  // namespace mvnz::manager
