#pragma once
// The property dialog of the built-in command ErrorAction: what the daemon does with
// the file at hand when a later plug-in command of the script fails.
//
// Parameters 1..9 in the layout the daemon reads: 1 fork, 2 fork target, 3 delete,
// 4 move, 5 move folder, 6 abort, 7 resume ("1"/"0"), 8 commands only ("1"/"0"),
// 9 stop; options as "True"/"False". OK writes all nine and empties 10..30.
#include <QDialog>
#include <QStringList>
#include <functional>

#include "manager/properties.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace mvnz::manager::ui {

class VariablesMenu;

// What the dialog needs to know of the configuration around the command.
struct ErrorActionContext {
  QStringList roziRoruners;  // every RoziRoruner's name, in model order
  int current = -1;          // the RoziRoruner whose script holds the command
  int parent = -2;           // the one it was forked from; a negative value: none
  // The folder chooser: title and start folder; returns the start folder on cancel.
  std::function<QString(const QString& title, const QString& start)> chooseFolder;
  VariablesMenu* variables = nullptr;  // the tokens menu for the folder box, if any
};

class ErrorActionDialog : public QDialog {
 public:
  enum class Choice { Fork, Delete, Move, Abort, Stop };

  ErrorActionDialog(const jobfile::CommandEntry& command, ErrorActionContext context,
                    QWidget* parent = nullptr);
  // The parameters to store: valid after the dialog was accepted.
  Parameters parameters() const;
  // Saves unless a fork has no target or a move no folder (a beep; the dialog stays).
  void save();

  Choice choice() const;
  QRadioButton* option(Choice c) const;
  QCheckBox* resumeBox() const { return chkResume_; }
  QCheckBox* commandsOnlyBox() const { return chkCommandsOnly_; }
  QComboBox* targetList() const { return cmbRoziRorunerList_; }
  QLineEdit* folderBox() const { return txtDirectory_; }

 private:
  void build();
  void fill(const jobfile::CommandEntry& command);
  // The enabled states that follow the selected option.
  void follow(Choice c);
  void checkTarget(int index);
  void browse();

  ErrorActionContext context_;
  // A stored fork target that names no RoziRoruner: written back as it was until the
  // user picks one.
  QString keptTarget_;
  QRadioButton *optFork_, *optDelete_, *optMove_, *optAbort_, *optStop_;
  QComboBox* cmbRoziRorunerList_;
  QCheckBox *chkResume_, *chkCommandsOnly_;
  QLabel* lblDirectory_;
  QLineEdit* txtDirectory_;
  QPushButton* cmdBrowse_;
  QToolButton* picSelect_;
};

}  // namespace mvnz::manager::ui
