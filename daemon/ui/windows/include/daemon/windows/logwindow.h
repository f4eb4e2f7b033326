#pragma once
// The log window: the log selector, the "fraMain" container and the grid of log
// lines, coloured by level, with the "LogWindow" pop-up menu. Part of the main
// window; it shows what the Daemon's buffers hold.
#include <QMap>
#include <QPixmap>
#include <QWidget>

#include "daemon/core.h"

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QTableWidget;

namespace mvnz::controls {
class ZephContainer;
}

namespace mvnz::mvnd {

// Colours of a row by level: text of both cells, backgrounds of columns 1 and 2.
struct LevelColors {
  QRgb text, back1, back2;
};
LevelColors LogLevelColors(int level);

class LogWindow : public QWidget {
  Q_OBJECT

 public:
  explicit LogWindow(Daemon& d, QWidget* parent = nullptr);

  QLabel* asxLabel1 = nullptr;
  QComboBox* cmbSelectLog = nullptr;
  controls::ZephContainer* fraMain = nullptr;
  QTableWidget* lvLogwindow = nullptr;
  QMap<QString, QPixmap> ilLogwindow;  // level icons by level name
  QMenu* mnuLogWindow = nullptr;
  QAction *mnuLWclear = nullptr, *mnuLWbuffersize = nullptr, *mnuBRshow = nullptr,
          *mnuStartNow = nullptr;

  // Prepares the grid's columns (message column width from the settings).
  void SetupLogColumns();
  // Appends one row; HoldDrawing leaves the grid's redrawing off.
  void AddLogWindowLine(const QString& TimeText, const QString& Text, int Level, bool HoldDrawing);
  void RemoveOldestRow();
  // Removes every row.
  void ClearRows();
  // Rebuilds the grid from the buffer SelectedLog names and names it in the caption.
  void FillLogWindow();
  // Refills the selector with entries, selects the first and refills the grid.
  void RefillSelector(const QStringList& entries);
  // Enables the pop-up menu's last items for an enabled RoziRoruner's log.
  void PrepareLogMenu();
  // "Start RoziRoruner Now": the selected RoziRoruner is due a second from now.
  void StartSelectedNow();
  int rowCount() const;

 signals:
  // "&Buffersize" was chosen.
  void buffersizeRequested();

 private:
  void selectLog(int index);
  Daemon& d_;
};

}  // namespace mvnz::mvnd
