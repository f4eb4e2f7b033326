#pragma once
// The RoziRoruner page: every field of the current RoziRoruner, written into the
// model as it changes (typed or set by code), the filter and stable-time checks run
// when a field loses the focus, and the enabled states that follow the trigger, the
// reject filter and the Enabled box.
//
// The page shows the session's current RoziRoruner, whichever window chose it, and
// stores only into the record it shows (Session::record), so nothing is written while
// none is shown, nor into another one. Showing a RoziRoruner copies it into the
// controls with their signals blocked and then derives the enabled states once.
#include <QObject>
#include <QString>
#include <functional>

#include "manager/session.h"

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QToolButton;
class QWidget;

namespace mvnz::controls {
class vistrel;
}

namespace mvnz::manager::ui {

class VariablesMenu;

// Which of the page's two regular-expression lists an editor works on.
enum class FilterList { Input, Reject };

class RoziRorunerPage : public QObject {
 public:
  // Builds the page's controls below the RoziRoruner list on page.
  RoziRorunerPage(Session& session, QWidget* page, QFormLayout* layout, QComboBox* list);

  // Makes RoziRoruner index current and shows it; below 0 nothing happens.
  void ShowRoziRoruner(int index);
  // Empties the fields (callers deselect the list first, so nothing is stored).
  void ClearRoziRorunerFields();
  // The enabled states that follow chkEnabled and the trigger.
  void ToggleSetup();
  // The list's selection handler: shows the selected RoziRoruner or disables chkEnabled.
  void cmbRoziRorunerList_Click();

  // Removes the selected RoziRoruner after the user confirms.
  void DiscardRoziRoruner();
  // Removes every RoziRoruner from the model after the user confirms (not the file).
  void DeleteAllRoziRoruners();
  // The variables menus the page's picture buttons open.
  void setVariablesMenu(VariablesMenu* menu);

  // What the page's buttons open (set by the manager; unset does nothing).
  std::function<void()> onAdd, onRename, onLocalConstants, onCommandScript, onTrigger;
  // picFilter and picReject: the list editor of that field.
  std::function<void(FilterList)> onRegExp;
  // txtFilter or txtReject: setting its text stores the filter like typing does.
  QLineEdit* filterBox(FilterList list) const { return list == FilterList::Input ? txtFilter_ : txtReject_; }
  // Whether "Disable Timestamp-Check" of the stable-time menu shows checked.
  bool noTimestampChecked() const { return noTimestamp_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The record shown, or nullptr when none is or the session's current one changed.
  jobfile::RoziRoruner* record() { return session_.record(shown_); }
  // Shows the session's new current RoziRoruner (or none) unless the page chose it.
  void followCurrent(int index);
  void build(QFormLayout* layout);
  QMenu* buildStatusMenu();
  void connectStores();
  void setFileControlsEnabled(bool on);
  void updateRejectControls();
  void updateRejectDirControls();
  void updateIntervalUnit();
  void updateStableUnit();
  void storeRejectOptions();
  void setRejectOption(QRadioButton* which);
  void checkFilter();
  void checkReject();
  void checkStableTimer();
  void chooseScanDirectory(bool explore);
  void chooseRejectDirectory();
  void popupVariables(QMenu* menu, QLineEdit* target, QWidget* at);
  void selectAfterRemoval();

  Session& session_;
  QWidget* page_;
  QComboBox* list_;
  ShownRoziRoruner shown_;
  bool showing_ = false;  // the page itself is making a RoziRoruner current
  bool checking_ = false;
  bool noTimestamp_ = false;
  VariablesMenu* variables_ = nullptr;

  QCheckBox* chkEnabled_ = nullptr;
  controls::vistrel* fraScannerOptions_ = nullptr;
  controls::vistrel* fraTrigger_ = nullptr;
  controls::vistrel* fraReject_ = nullptr;
  QLineEdit *txtDescription_ = nullptr, *txtInterval_ = nullptr, *txtScanDirectory_ = nullptr,
            *txtFilter_ = nullptr, *txtReject_ = nullptr, *txtRejectMove_ = nullptr,
            *txtStabletimer_ = nullptr;
  QRadioButton *optFileTrigger_ = nullptr, *optTimeTrigger_ = nullptr;
  QRadioButton *optRejectSkip_ = nullptr, *optRejectRemove_ = nullptr, *optRejectMove_ = nullptr;
  QLabel *lblIntervalType_ = nullptr, *lblSText_ = nullptr;
  QToolButton *picTrigger_ = nullptr, *Picture1_ = nullptr, *picFilter_ = nullptr,
              *picReject_ = nullptr, *picShowPopup2_ = nullptr, *picStabletimer_ = nullptr;
  QPushButton *cmdInput_ = nullptr, *cmdBrowseRejectMove_ = nullptr;
  QCheckBox *chkIncludeSubdir_ = nullptr, *chkOldestFirst_ = nullptr, *chkSingleFiles_ = nullptr;
  QPushButton *cmdParameters_ = nullptr, *cmdCommands_ = nullptr;
};

}  // namespace mvnz::manager::ui
