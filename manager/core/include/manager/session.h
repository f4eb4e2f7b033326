#pragma once
// The manager's state for one run: the configuration being edited (the file's own
// model, changed in place by every window), the path it is loaded from and saved to,
// the current RoziRoruner, the preferences and the plug-in catalogue.
//
// Windows never keep their own copy of the model: they show it and write every
// change straight back. The session tells them through its signals when the model
// was replaced (a load) and what the status and path panels say.
#include <QObject>
#include <QString>

#include "library/jobfile.h"
#include "manager/catalog.h"
#include "manager/services.h"

namespace mvnz::manager {

// "ParentIndex" of a RoziRoruner that counts as forked from none.
inline constexpr int kNoParent = -2;

class Session : public QObject {
  Q_OBJECT

 public:
  explicit Session(QObject* parent = nullptr);

  jobfile::JobFile model;
  // Per RoziRoruner (same index as model.RoziRoruners): the one it was forked from.
  QList<int> parentIndex;
  QString ConfigurationPath;
  QString ConfigurationNumber;  // "" until a file was loaded, then "1"
  int CurrentRoziRoruner = -1;  // -1: none selected
  ManagerPrefs prefs;
  Catalog catalog;
  QString VersionText;  // "major.minor"
  QString HelpFile;
  bool Exiting = false;
  // Set once start-up completed; only then may the preferences be written back.
  bool Initialised = false;

  int RoziRorunerCount() const { return static_cast<int>(model.RoziRoruners.size()); }
  // The RoziRoruner at index, or nullptr when there is none there.
  jobfile::RoziRoruner* roziRoruner(int index);
  // The current RoziRoruner, or nullptr when none is selected (the guard every editor
  // of a RoziRoruner's fields goes through).
  jobfile::RoziRoruner* current() { return roziRoruner(CurrentRoziRoruner); }
  void setCurrent(int index);

  // Appends a RoziRoruner with the defaults of a new job; returns its index.
  int AddRoziRoruner(const QString& name);
  bool RemoveRoziRoruner(int index);
  bool RenameRoziRoruner(int index, const QString& name);
  void ClearRoziRoruners();
  // Puts the RoziRoruners into a new order: position p receives the whole record that
  // was at order[p]. order must name every index once; otherwise nothing changes and
  // false is returned. The forks follow their RoziRoruners; none is current afterwards.
  bool ReorderRoziRoruners(const QList<int>& order);
  // Replaces the whole model (after a load) and tells the windows.
  void replaceModel(jobfile::JobFile file);

  // The configuration panel's text ("1, /path" once loaded, else the path).
  void showPath(const QString& text) { emit pathShown(text); }
  void setStatus(const QString& text) { emit statusChanged(text); }
  void setProgress(const QString& text) { emit progress(text); }
  void setBusy(bool busy) { emit busyChanged(busy); }
  // Replaces the preferences (read from the registry store) and tells the windows.
  void setPrefs(const ManagerPrefs& p) {
    prefs = p;
    emit prefsChanged();
  }

 signals:
  void pathShown(const QString& text);    // panel 1 of sbConfig
  void statusChanged(const QString& text);  // panel 1 of sbStatusBar
  void progress(const QString& text);     // the splash label
  void busyChanged(bool busy);            // window disabled, hourglass
  void modelReplaced();                   // lists and pages refill from the model
  void roziRorunersChanged();             // added, removed, renamed or reordered
  void currentChanged(int index);
  void prefsChanged();  // the windows show the preferences afresh
};

}  // namespace mvnz::manager
