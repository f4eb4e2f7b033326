#pragma once
// The manager's state for one run: the configuration being edited (the file's own
// model, changed in place by every window), the path it is loaded from and saved to,
// the current RoziRoruner, the preferences and the plug-in catalogue.
//
// Windows never keep their own copy of the model: they show it and write every
// change straight back. The session tells them through its signals when the model
// was replaced (a load) and what the status and path panels say.
#include <QObject>
#include <QSet>
#include <QString>

#include "library/jobfile.h"
#include "manager/catalog.h"
#include "manager/services.h"

namespace mvnz::manager {

// "ParentIndex" of a RoziRoruner that counts as forked from none.
inline constexpr int kNoParent = -2;

// What the last load of the configuration file met.
struct LoadReport {
  QString path;
  jobfile::ReadStatus status = jobfile::ReadStatus::Missing;
  QString error;  // Unreadable: why, naming the path
  // The lines that a save will not write back as they stand, in file order.
  QList<jobfile::Fault> passedOver;
};

// The RoziRoruner a window shows: its index, taken together with the session's count
// of changes to the current choice and to the list's order when the window showed it.
struct ShownRoziRoruner {
  int index = -1;
  quint64 serial = 0;
  bool operator==(const ShownRoziRoruner&) const = default;
};

class Session : public QObject {
  Q_OBJECT

 public:
  explicit Session(QObject* parent = nullptr);

  jobfile::JobFile model;
  // Per RoziRoruner (same index as model.RoziRoruners): the one it was forked from.
  QList<int> parentIndex;
  QString ConfigurationPath;
  QString ConfigurationNumber;  // "" until a file was loaded, then "1"
  // The index of the current RoziRoruner, -1 when none is selected; set through
  // setCurrent() and by the changes of the list.
  const int& CurrentRoziRoruner = current_;
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
  jobfile::RoziRoruner* current() { return roziRoruner(current_); }
  // Makes index (or none, for an index that names no RoziRoruner) the current one;
  // every window follows through currentChanged.
  void setCurrent(int index);
  // What a window takes when it shows the current RoziRoruner ...
  ShownRoziRoruner shown() const { return {current_, serial_}; }
  // ... and the record it then stores into: nullptr once another RoziRoruner became
  // current or the list was reordered, cut or reloaded since, so an edit can only ever
  // land in the record that the window showed.
  jobfile::RoziRoruner* record(const ShownRoziRoruner& shown);

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

  // The last load's report; the windows hear of it through loaded().
  const LoadReport& lastLoad() const { return lastLoad_; }
  void setLoadReport(LoadReport report);
  // A file stood at path that could not be read at its last load (and has not been
  // loaded or saved since): a save there replaces what nobody has seen.
  bool unreadAt(const QString& path) const { return unread_.contains(path); }
  void markRead(const QString& path) { unread_.remove(path); }

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
  void loaded();                          // a load ended; see lastLoad()

 private:
  // None is current: the list changed its order or its length before the current one.
  void dropCurrent();

  int current_ = -1;
  quint64 serial_ = 0;
  LoadReport lastLoad_;
  QSet<QString> unread_;
};

}  // namespace mvnz::manager
