#pragma once
// The manager's file and folder choosers on the common dialogs.
#include <QString>

#include "manager/filecommands.h"

class QWidget;

namespace mvnz::manager::ui {

class DialogChoosers : public ConfigChoosers {
 public:
  explicit DialogChoosers(QWidget* owner = nullptr) : owner_(owner) {}
  void setOwner(QWidget* owner) { owner_ = owner; }
  // "Select Mervane Configuration File", must exist; a one-character result counts
  // as no choice.
  QString SelectConfigFile() override;
  // "Save Mervane Configuration File"; asks nothing about overwriting (the command
  // asks once itself).
  QString SelectSaveConfigFile() override;
  void repaint() override;

 private:
  QWidget* owner_;
};

// The folder chooser: the chosen folder, or def when cancelled.
QString SelectFolder(QWidget* owner, const QString& title, const QString& def);

}  // namespace mvnz::manager::ui
