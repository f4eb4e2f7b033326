#pragma once
// The two naming dialogs of the RoziRoruner page: frmAddRoziRoru adds a RoziRoruner
// under the typed name, frmRenameRoziRoru renames the current one. A refused name
// leaves the dialog open with the text, so it can be corrected.
#include <QDialog>

class QComboBox;
class QLineEdit;

namespace mvnz::manager {
class Session;
}

namespace mvnz::manager::ui {

class NamingDialog : public QDialog {
 public:
  enum class Mode { Add, Rename };
  // list is the main window's RoziRoruner list, kept in step with the model.
  NamingDialog(Mode mode, Session& session, QComboBox* list, QWidget* parent = nullptr);

  QLineEdit* nameBox() const { return box_; }
  // Ok: checks the name, then adds or renames; false (dialog open) when refused.
  bool tryAccept();

 private:
  Mode mode_;
  Session& session_;
  QComboBox* list_;
  QLineEdit* box_;
};

// Opens the add dialog with the proposed name "RoziRoruner" + (count + 1).
void AddRoziRorunerDialog(Session& session, QComboBox* list, QWidget* parent);
// Opens the rename dialog for the selected RoziRoruner; nothing without a selection.
void RenameRoziRorunerDialog(Session& session, QComboBox* list, QWidget* parent);

}  // namespace mvnz::manager::ui
