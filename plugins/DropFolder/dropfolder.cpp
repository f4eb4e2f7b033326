// The DropFolder plug-in: removes, below a folder, every subfolder that is empty or
// becomes empty once its own subfolders are gone; the folder itself stays.
//
// The folder is opened once and its tree walked from there by folder descriptors,
// never through a directory link (so it cannot reach folders outside the tree, nor
// loop, even when a folder is swapped for a link during the run), and a folder is
// only ever removed when empty.
#include <QCoreApplication>
#include <QList>

#include "library/catalogue.h"
#include "platform/fileops.h"
#include "plugins/dialog.h"
#include "plugins/framework.h"

namespace mvnz::plugin {
namespace {

using P = catalogue::param::Folder;

// One collected subfolder.
struct clsDirlist {
  QString Directory;
};

// The full path of the folder at relative below path.
QString below(const QString& path, const QString& relative) {
  if (relative.isEmpty()) return path;
  return (path == QLatin1String("/") ? QString() : path) + '/' + relative;
}

// Appends every folder below the tree's folder (whose path is path) to list, each
// folder's direct subfolders before any of them is descended into (so every folder
// stands before its own subfolders). Iterative: the depth of a tree costs no stack.
void CollectSubfolders(const fileops::FolderTree& tree, const QString& path,
                       QList<clsDirlist>& list) {
  QList<QString> pending{QString()};  // relative paths whose listing is due, next one last
  while (!pending.isEmpty()) {
    const QString folder = pending.takeLast();
    QStringList names;
    const fileops::Outcome o = tree.listSubfolders(folder, &names);
    if (!o.ok() && o.status != fileops::Status::SourceMissing) {
      LogError(QStringLiteral("ERROR_READ-DIR: Error reading contents of directory [%1] [%2]")
                   .arg(below(path, folder), o.errorText));
      continue;
    }
    QStringList children;
    for (const QString& name : names) {
      const QString child = folder.isEmpty() ? name : folder + '/' + name;
      children.append(child);
      list.append(clsDirlist{below(path, child)});
      if (QCoreApplication::instance()) QCoreApplication::processEvents();
    }
    for (auto it = children.crbegin(); it != children.crend(); ++it) pending.append(*it);
  }
}

void RemoveCollectedFolders(const QString& given, bool quiet) {
  // An empty path (a token that expanded to nothing) names no folder.
  if (given.isEmpty()) return;
  // The folder is opened once; everything below it is reached from there.
  const fileops::FolderTree tree(given);
  QString path = given;
  if (path.endsWith('/') && path.size() > 1) path.chop(1);
  if (!tree.opened().ok()) {
    if (tree.opened().status != fileops::Status::SourceMissing)
      LogError(QStringLiteral("ERROR_READ-DIR: Error reading contents of directory [%1] [%2]")
                   .arg(path, tree.opened().errorText));
    return;
  }
  QList<clsDirlist> list;
  CollectSubfolders(tree, path, list);
  const qsizetype prefix = below(path, QStringLiteral("x")).size() - 1;
  bool removedOne = true;
  while (removedOne) {
    removedOne = false;
    const int n = list.size();
    for (int i = 0; i < n; ++i) {
      if (i >= list.size()) continue;
      const QString folder = list.at(i).Directory;
      const QString relative = folder.mid(prefix);
      // Not empty, in use, denied, no longer a folder, or no longer reached without a
      // link: it stays.
      if (!tree.removeEmptyFolder(relative).ok()) continue;
      if (!quiet) LogProgress(QStringLiteral("Removed directory [%1]").arg(folder));
      list.removeAt(i);
      removedOne = true;
    }
  }
}

class DropFolderSetup final : public SetupBase {
 protected:
  const Descriptor& descriptor() const override {
    static const Descriptor d = MakeDescriptor(
        QStringLiteral("DropFolder"), QStringLiteral("dropfolder"), QStringLiteral("File"),
        QStringLiteral("Mervane Plugin: DropFolder"), DialogKind::Dialog, 1);
    return d;
  }
  void RunAction(const QStringList& data) override {
    RemoveCollectedFolders(Param(data, P::Path), false);
  }
  void ShowDialog(const QStringList& data) override {
    ShowFolderDialog(QStringLiteral("Drop Folder"), QStringLiteral("Command: Drop Folder"), data);
  }
};

}  // namespace
}  // namespace mvnz::plugin

MVNZ_PLUGIN_FACTORY(mvnz::plugin::DropFolderSetup)
