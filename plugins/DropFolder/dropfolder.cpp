// The DropFolder plug-in: removes, below a folder, every subfolder that is empty or
// becomes empty once its own subfolders are gone; the folder itself stays.
//
// The walk never follows a directory link (so it cannot reach folders outside the
// tree, nor loop), and a folder is only ever removed when empty.
#include <QCoreApplication>
#include <QFileInfo>
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

// Appends every folder below path to list, each folder's direct subfolders before
// any of them is descended into (so every folder stands before its own subfolders).
// Iterative: the depth of a tree costs no stack.
void CollectSubfolders(const QString& path, QList<clsDirlist>& list) {
  QList<QString> pending{path};  // folders whose listing is still due, next one last
  while (!pending.isEmpty()) {
    QString folder = pending.takeLast();
    if (folder.endsWith('/') && folder.size() > 1) folder.chop(1);
    QStringList names;
    const fileops::Outcome o = fileops::listSubfolders(folder, &names);
    if (!o.ok() && o.status != fileops::Status::SourceMissing) {
      LogError(QStringLiteral("ERROR_READ-DIR: Error reading contents of directory [%1] [%2]")
                   .arg(folder, o.errorText));
      continue;
    }
    QStringList children;
    for (const QString& name : names) {
      const QString child = (folder == QLatin1String("/") ? QString() : folder) + '/' + name;
      children.append(child);
      list.append(clsDirlist{child});
      if (QCoreApplication::instance()) QCoreApplication::processEvents();
    }
    for (auto it = children.crbegin(); it != children.crend(); ++it) pending.append(*it);
  }
}

void RemoveCollectedFolders(const QString& path, bool quiet) {
  // An empty path (a token that expanded to nothing) names no folder.
  if (path.isEmpty()) return;
  QList<clsDirlist> list;
  CollectSubfolders(path, list);
  bool removedOne = true;
  while (removedOne) {
    removedOne = false;
    const int n = list.size();
    for (int i = 0; i < n; ++i) {
      if (i >= list.size()) continue;
      const QString folder = list.at(i).Directory;
      if (!QFileInfo(folder).isDir()) continue;
      if (!fileops::removeEmptyFolder(folder).ok()) continue;  // not empty, in use or denied
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
