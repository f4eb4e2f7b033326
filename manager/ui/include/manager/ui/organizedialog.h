#pragma once
// frmOrganize: puts the RoziRoruners into a new order. The list holds their names;
// every entry carries the index its RoziRoruner had, so two RoziRoruners of one name
// keep their own records. Moves and sorting change only the list; Ok rebuilds the
// model in the list's order, Cancel leaves it as it was.
#include <QDialog>
#include <functional>

class QListWidget;

namespace mvnz::manager {
class Session;
}

namespace mvnz::manager::ui {

class OrganizeDialog : public QDialog {
 public:
  // Lists the session's RoziRoruners in model order. shown runs after Ok rebuilt the
  // model (the main window refills its list and shows RoziRoruner 0).
  OrganizeDialog(Session& session, std::function<void()> shown, QWidget* parent = nullptr);

  QListWidget* list() const { return lbList_; }
  // Stable, without regard to case, by the locale's comparison; nothing selected after.
  void SortList();
  // Ok: the model's RoziRoruners in the list's order.
  void SaveList();
  void MoveUp();
  void MoveDown();
  void MoveTop();
  void MoveBottom();

 private:
  void move(int from, int to);

  Session& session_;
  std::function<void()> shown_;
  QListWidget* lbList_;
};

// The ordering dialog, modal, on the session's RoziRoruners.
void ShowOrganizeDialog(Session& session, std::function<void()> shown, QWidget* parent);

}  // namespace mvnz::manager::ui
