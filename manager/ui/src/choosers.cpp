#include "manager/ui/choosers.h"

#include <QWidget>

#include "library/cmndlg.h"
#include "platform/paths.h"

namespace mvnz::manager::ui {

namespace {
const QString kFilter = QStringLiteral("Configuration File (*.ini)|*.ini");
}

QString DialogChoosers::SelectConfigFile() {
  QString fileName, fileTitle, filter = kFilter;
  bool readOnly = false;
  long filterIndex = 1, flags = 0;
  if (!OpenFileDialog(fileName, fileTitle, true, false, readOnly, true, filter, filterIndex,
                      paths::windowsDir(), QStringLiteral("Select Mervane Configuration File"),
                      QStringLiteral("ini"), owner_, flags))
    return {};
  return fileName.size() <= 1 ? QString() : fileName;
}

QString DialogChoosers::SelectSaveConfigFile() {
  QString fileName, fileTitle, filter = kFilter;
  long filterIndex = 1, flags = 0;
  if (!SaveFileDialog(fileName, fileTitle, false, filter, filterIndex, paths::windowsDir(),
                      QStringLiteral("Save Mervane Configuration File"), QStringLiteral("ini"),
                      owner_, flags))
    return {};
  return fileName.size() <= 1 ? QString() : fileName;
}

void DialogChoosers::repaint() {
  if (owner_) owner_->repaint();
}

QString SelectFolder(QWidget* owner, const QString& title, const QString& def) {
  const QString chosen = BrowseFolderDialog(owner, title, def);
  return chosen.isEmpty() ? def : chosen;
}

}  // namespace mvnz::manager::ui
