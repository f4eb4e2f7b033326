#pragma once
// The constants dialogs: frmLocalConstants edits the current RoziRoruner's fifteen
// local constants, frmGlobalConstants the configuration's global ones. The constants
// are edited in a scratch list and applied only by Ok; the preset value of the
// variables is stored as it is typed (Cancel keeps it).
#include <QDialog>
#include <QList>
#include <QStringList>

#include "manager/session.h"

class QLineEdit;

namespace mvnz::manager::ui {

class ConstantsDialog : public QDialog {
 public:
  enum class Scope { Local, Global };
  ConstantsDialog(Scope scope, Session& session, QWidget* parent = nullptr);

  QLineEdit* constantBox(int k) const { return txtConstant_[k]; }  // k = 0..14
  QLineEdit* initialBox() const { return initial_; }
  const QStringList& edited() const { return edited_; }
  void clearAll();
  // Ok: the edited values become constants 1 to 15.
  void apply();

 private:
  void browse(int k);

  Scope scope_;
  Session& session_;
  ShownRoziRoruner shown_;  // the RoziRoruner whose local constants are edited
  QStringList edited_;
  QList<QLineEdit*> txtConstant_;
  QLineEdit* initial_ = nullptr;
};

// Opens the local constants of the current RoziRoruner (nothing without one), or the
// global constants.
void ShowLocalConstants(Session& session, QWidget* parent);
void ShowGlobalConstants(Session& session, QWidget* parent);

}  // namespace mvnz::manager::ui
