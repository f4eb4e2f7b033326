#include "daemon/windows/logwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTableWidget>
#include <QVBoxLayout>

#include "controls/panehost.h"
#include "daemon/config.h"
#include "daemon/logging.h"
#include "daemon/windows/logwindows.h"
#include "daemon/windows/windowsettings.h"
#include "library/dates.h"

namespace mvnz::mvnd {

namespace {

const QPixmap& BlankPicture() {
  static const QPixmap blank = [] {
    QPixmap p(16, 16);
    p.fill(Qt::transparent);
    return p;
  }();
  return blank;
}

}  // namespace

LevelColors LogLevelColors(int level) {
  switch (level) {
    case 1:
      return {qRgb(100, 100, 0), qRgb(255, 255, 192), qRgb(255, 255, 240)};
    case 2:
      return {qRgb(100, 0, 0), qRgb(255, 192, 192), qRgb(255, 240, 240)};
    case 3:
      return {qRgb(0, 0, 100), qRgb(192, 192, 255), qRgb(240, 240, 255)};
    default:
      return {qRgb(0, 100, 0), qRgb(192, 255, 192), qRgb(240, 255, 240)};
  }
}

LogWindow::LogWindow(Daemon& d, QWidget* parent) : QWidget(parent), d_(d) {
  asxLabel1 = new QLabel(QStringLiteral("Select Log :"), this);
  cmbSelectLog = new QComboBox(this);
  cmbSelectLog->setObjectName(QStringLiteral("cmbSelectLog"));
  cmbSelectLog->setToolTip(QStringLiteral("select which log to display"));
  cmbSelectLog->addItem(QStringLiteral("All"));
  cmbSelectLog->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  cmbSelectLog->setMinimumContentsLength(24);
  asxLabel1->setBuddy(cmbSelectLog);

  fraMain = new controls::ZephContainer(this);
  fraMain->setObjectName(QStringLiteral("fraMain"));
  fraMain->setBorderStyle(controls::eBorderStyles::Raised);
  fraMain->setCaption(QStringLiteral("Log Window"));
  fraMain->setAutoSizeChildren(true);

  lvLogwindow = new QTableWidget(0, 2, fraMain);
  lvLogwindow->setObjectName(QStringLiteral("lvLogwindow"));
  lvLogwindow->setFont(QFont(QStringLiteral("Tahoma"), 8));
  lvLogwindow->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lvLogwindow->setSelectionBehavior(QAbstractItemView::SelectRows);
  lvLogwindow->setSelectionMode(QAbstractItemView::SingleSelection);
  lvLogwindow->setShowGrid(false);
  lvLogwindow->setWordWrap(false);
  lvLogwindow->verticalHeader()->setVisible(false);
  lvLogwindow->verticalHeader()->setDefaultSectionSize(QFontMetrics(lvLogwindow->font()).height() +
                                                       4);
  lvLogwindow->horizontalHeader()->setStretchLastSection(false);
  lvLogwindow->horizontalHeader()->setHighlightSections(false);
  lvLogwindow->setIconSize(QSize(16, 16));
  lvLogwindow->setContextMenuPolicy(Qt::CustomContextMenu);

  for (int level = 0; level <= 2; ++level)
    ilLogwindow.insert(d_.log.LevelNames[level], LevelPicture(level));

  mnuLogWindow = new QMenu(QStringLiteral("LogWindow"), this);
  mnuLWclear = mnuLogWindow->addAction(QStringLiteral("&Clear"));
  mnuLWbuffersize = mnuLogWindow->addAction(QStringLiteral("&Buffersize"));
  mnuBRshow = mnuLogWindow->addSeparator();
  mnuStartNow = mnuLogWindow->addAction(QStringLiteral("Start RoziRoruner Now"));
  connect(mnuLWclear, &QAction::triggered, this, [this] { mvnd::ClearLogWindow(d_); });
  connect(mnuLWbuffersize, &QAction::triggered, this, [this] { emit buffersizeRequested(); });
  connect(mnuStartNow, &QAction::triggered, this, [this] { StartSelectedNow(); });
  connect(lvLogwindow, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    PrepareLogMenu();
    mnuLogWindow->popup(lvLogwindow->viewport()->mapToGlobal(pos));
  });
  connect(cmbSelectLog, &QComboBox::activated, this, [this](int index) { selectLog(index); });

  auto* row = new QHBoxLayout;
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(asxLabel1);
  row->addWidget(cmbSelectLog);
  row->addStretch(1);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(4);
  column->addLayout(row);
  column->addWidget(fraMain, 1);

  SetupLogColumns();
}

void LogWindow::SetupLogColumns() {
  lvLogwindow->setUpdatesEnabled(false);
  auto* timestamp = new QTableWidgetItem(QStringLiteral("Timestamp"));
  timestamp->setData(Qt::UserRole, QStringLiteral("timestamp"));
  auto* message = new QTableWidgetItem(QStringLiteral("Message"));
  message->setData(Qt::UserRole, QStringLiteral("message"));
  lvLogwindow->setHorizontalHeaderItem(0, timestamp);
  lvLogwindow->setHorizontalHeaderItem(1, message);
  lvLogwindow->setColumnWidth(0, 150);
  lvLogwindow->setColumnWidth(1, ReadLogColumnWidth2(DaemonSettingsKey(d_.settings)));
  lvLogwindow->setUpdatesEnabled(true);
}

void LogWindow::AddLogWindowLine(const QString& TimeText, const QString& Text, int Level,
                                 bool HoldDrawing) {
  // Levels without a name (3, or outside 0..3) show no icon.
  const QString name = Level >= 0 && Level <= 3 ? d_.log.LevelNames[Level] : QString();
  const QPixmap icon = name.isEmpty() ? QPixmap() : ilLogwindow.value(name);
  const LevelColors c = LogLevelColors(Level);
  if (!HoldDrawing) lvLogwindow->setUpdatesEnabled(false);
  const int row = lvLogwindow->rowCount();
  lvLogwindow->insertRow(row);
  auto* time = new QTableWidgetItem(TimeText);
  // A row without an icon keeps its place free, so the times stay aligned.
  time->setIcon(QIcon(icon.isNull() ? BlankPicture() : icon));
  time->setData(Qt::UserRole, Level);
  time->setBackground(QColor(c.back1));
  time->setForeground(QColor(c.text));
  auto* text = new QTableWidgetItem(Text);
  text->setBackground(QColor(c.back2));
  text->setForeground(QColor(c.text));
  lvLogwindow->setItem(row, 0, time);
  lvLogwindow->setItem(row, 1, text);
  if (!HoldDrawing) lvLogwindow->setUpdatesEnabled(true);
  lvLogwindow->scrollToItem(time);
}

void LogWindow::RemoveOldestRow() {
  if (lvLogwindow->rowCount() > 0) lvLogwindow->removeRow(0);
}

void LogWindow::ClearRows() { lvLogwindow->setRowCount(0); }

int LogWindow::rowCount() const { return lvLogwindow->rowCount(); }

void LogWindow::FillLogWindow() {
  QWidget* main = window();
  const bool wasEnabled = main->isEnabled();
  main->setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  ClearRows();
  lvLogwindow->setUpdatesEnabled(false);

  // A selection beyond the records (a stale selector) shows the total log.
  if (d_.view.SelectedLog < 0 || d_.view.SelectedLog > d_.jobs.RoziRorunerCount ||
      d_.view.SelectedLog > d_.jobs.RoziRoruners.size())
    d_.view.SelectedLog = 0;
  const QList<clsLogging>* buffer = &d_.log.TotalLog;
  if (d_.view.SelectedLog != 0) {
    fraMain->setCaption(QLatin1Char('[') + d_.jobs.RoziRoruners[d_.view.SelectedLog - 1].Name +
                        QLatin1Char(']'));
    if (d_.log.LogBuffers.size() < d_.view.SelectedLog + 1)
      d_.log.LogBuffers.resize(d_.view.SelectedLog + 1);
    buffer = &d_.log.LogBuffers[d_.view.SelectedLog];
  } else {
    fraMain->setCaption(QStringLiteral("[Total Log]"));
  }
  d_.view.LogWindowNextRow = 1;
  const qsizetype count = buffer->size();
  for (qsizetype i = 0; i < count; ++i) {
    if (d_.view.LogWindowNextRow >= d_.settings.BufferSize + 1) {
      RemoveOldestRow();
      d_.view.LogWindowNextRow = d_.settings.BufferSize;
    }
    const clsLogging& e = (*buffer)[i];
    AddLogWindowLine(e.Timestamp, e.message, e.mType.toInt(), i + 1 < count);
    ++d_.view.LogWindowNextRow;
  }

  lvLogwindow->setUpdatesEnabled(true);
  main->setEnabled(wasEnabled);
  QApplication::restoreOverrideCursor();
}

void LogWindow::RefillSelector(const QStringList& entries) {
  cmbSelectLog->clear();
  cmbSelectLog->addItems(entries);
  if (cmbSelectLog->count() > 0) {
    cmbSelectLog->setCurrentIndex(0);
    selectLog(0);
  }
}

void LogWindow::selectLog(int index) {
  if (index == -1) return;
  d_.view.SelectedLog = index;
  FillLogWindow();
}

void LogWindow::PrepareLogMenu() {
  const int k = cmbSelectLog->currentIndex();
  const bool enable = k > 0 && k <= d_.jobs.RoziRorunerCount && k <= d_.jobs.RoziRoruners.size() &&
                      d_.jobs.RoziRoruners[k - 1].Enabled == 1;
  mnuBRshow->setEnabled(enable);
  mnuStartNow->setEnabled(enable);
}

void LogWindow::StartSelectedNow() {
  const int k = cmbSelectLog->currentIndex();
  if (k < 1 || k > d_.jobs.RoziRorunerCount || k > d_.jobs.RoziRoruners.size()) return;
  d_.jobs.RoziRoruners[k - 1].NextRun =
      FormatDate(QDateTime::currentDateTime().addSecs(1), kDueTimeFormat);
}

}  // namespace mvnz::mvnd
