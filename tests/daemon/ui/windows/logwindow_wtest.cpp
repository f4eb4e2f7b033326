// The log grid: buffer limits, total log against one RoziRoruner's log, colours and
// icons per level, the clear, and the grid's pop-up menu.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QLabel>
#include <QMenu>
#include <QTableWidget>

#include "controls/panehost.h"
#include "daemon/config.h"
#include "daemon/logging.h"
#include "daemon/windows/logwindow.h"
#include "daemon/windows/logwindows.h"
#include "daemon/windows/messagebar.h"
#include "library/dates.h"
#include "windowsfixture.h"

using namespace mvnz::mvnd;
using namespace mvnz::mvnd::test;

namespace {

const QString S = QStringLiteral("S");
const QString M = QStringLiteral("M");

// The picture a grid cell shows (16 x 16), and whether it is a level's picture or
// an empty place.
QImage CellPicture(const QTableWidgetItem* item) {
  return item->icon().pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}
bool ShowsLevelPicture(const QTableWidgetItem* item, int level) {
  return CellPicture(item) == LevelPicture(level).toImage().convertToFormat(QImage::Format_ARGB32);
}
bool ShowsNoPicture(const QTableWidgetItem* item) {
  const QImage img = CellPicture(item);
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (qAlpha(img.pixel(x, y)) != 0) return false;
  return true;
}

// Chooses a selector entry as a user does.
void Choose(LogWindow& w, int index) {
  w.cmbSelectLog->setCurrentIndex(index);
  emit w.cmbSelectLog->activated(index);
}

}  // namespace

TEST(LogGrid, BufferOfFiveWithSevenLines) {
  WindowsFixture f;
  f.d.settings.BufferSize = 5;
  ClearLogWindow(f.d);
  for (int i = 1; i <= 7; ++i) WriteLogLine(f.d, M, QStringLiteral("line %1").arg(i), 0, {}, 0);

  // The grid keeps the newest five, the buffers the newest six.
  EXPECT_EQ(f.GridTexts(), (QStringList{"[FS1] line 3", "[FS1] line 4", "[FS1] line 5",
                                        "[FS1] line 6", "[FS1] line 7"}));
  EXPECT_EQ(f.d.log.LogBuffers[1].size(), 6);
  EXPECT_EQ(f.d.log.TotalLog.size(), 6);
  EXPECT_EQ(f.d.view.LogWindowNextRow, 6);

  // A refill shows the newest five of the buffer, as buffered (no prefix).
  Choose(f.log(), 1);
  EXPECT_EQ(f.GridTexts(), (QStringList{"line 3", "line 4", "line 5", "line 6", "line 7"}));
  EXPECT_EQ(f.d.view.LogWindowNextRow, 6);
  // The next line still replaces the oldest row.
  WriteLogLine(f.d, M, QStringLiteral("line 8"), 0, {}, 0);
  EXPECT_EQ(f.GridTexts(), (QStringList{"line 4", "line 5", "line 6", "line 7", "line 8"}));
}

TEST(LogGrid, TotalLogAgainstOneRoziRoruner) {
  WindowsFixture f;
  ClearLogWindow(f.d);
  WriteLogLine(f.d, S, QStringLiteral("system"), 0);
  WriteLogLine(f.d, M, QStringLiteral("alpha"), 0, {}, 0);
  WriteLogLine(f.d, M, QStringLiteral("inbox"), 1, {}, 1);
  EXPECT_EQ(f.GridTexts(), (QStringList{"system", "[FS1] alpha", "[FS2] inbox"}));
  EXPECT_EQ(f.log().fraMain->Caption(), "[Total Log]");
  EXPECT_EQ(f.log().cmbSelectLog->itemText(1), "[FS1] Alpha");
  EXPECT_EQ(f.log().cmbSelectLog->itemText(2), "[FS2] Inbox");

  Choose(f.log(), 1);
  EXPECT_EQ(f.d.view.SelectedLog, 1);
  EXPECT_EQ(f.log().fraMain->Caption(), "[Alpha]");
  EXPECT_EQ(f.GridTexts(), QStringList{"alpha"});
  // While one log is shown, system lines and other RoziRoruners' lines stay out.
  WriteLogLine(f.d, S, QStringLiteral("system 2"), 0);
  WriteLogLine(f.d, M, QStringLiteral("inbox 2"), 0, {}, 1);
  WriteLogLine(f.d, M, QStringLiteral("alpha 2"), 0, {}, 0);
  EXPECT_EQ(f.GridTexts(), (QStringList{"alpha", "alpha 2"}));

  Choose(f.log(), 0);
  EXPECT_EQ(f.GridTexts(), (QStringList{"system", "[FS1] alpha", "[FS2] inbox", "system 2",
                                        "[FS2] inbox 2", "[FS1] alpha 2"}));
  // The refill leaves the window usable.
  EXPECT_TRUE(f.log().window()->isEnabled());
}

TEST(LogGrid, ColoursAndIconsPerLevel) {
  const struct {
    int level;
    QRgb text, back1, back2;
    bool icon;
  } cases[] = {
      {0, qRgb(0, 100, 0), qRgb(192, 255, 192), qRgb(240, 255, 240), true},
      {1, qRgb(100, 100, 0), qRgb(255, 255, 192), qRgb(255, 255, 240), true},
      {2, qRgb(100, 0, 0), qRgb(255, 192, 192), qRgb(255, 240, 240), true},
      {3, qRgb(0, 0, 100), qRgb(192, 192, 255), qRgb(240, 240, 255), false},
      {7, qRgb(0, 100, 0), qRgb(192, 255, 192), qRgb(240, 255, 240), false},
      {-1, qRgb(0, 100, 0), qRgb(192, 255, 192), qRgb(240, 255, 240), false},
  };
  WindowsFixture f;
  ClearLogWindow(f.d);
  for (const auto& c : cases) WriteLogLine(f.d, S, QStringLiteral("x"), c.level);
  QTableWidget* g = f.log().lvLogwindow;
  ASSERT_EQ(g->rowCount(), int(std::size(cases)));
  for (int r = 0; r < g->rowCount(); ++r) {
    const auto& c = cases[r];
    SCOPED_TRACE(c.level);
    EXPECT_EQ(g->item(r, 0)->foreground().color().rgb(), c.text);
    EXPECT_EQ(g->item(r, 1)->foreground().color().rgb(), c.text);
    EXPECT_EQ(g->item(r, 0)->background().color().rgb(), c.back1);
    EXPECT_EQ(g->item(r, 1)->background().color().rgb(), c.back2);
    if (c.icon) EXPECT_TRUE(ShowsLevelPicture(g->item(r, 0), c.level));
    EXPECT_EQ(ShowsNoPicture(g->item(r, 0)), !c.icon);
    EXPECT_TRUE(g->item(r, 1)->icon().isNull());
  }
  // Refilled rows look the same as rows written one by one.
  Choose(f.log(), 0);
  for (int r = 0; r < g->rowCount(); ++r) {
    EXPECT_EQ(g->item(r, 0)->background().color().rgb(), cases[r].back1);
    EXPECT_EQ(ShowsNoPicture(g->item(r, 0)), !cases[r].icon);
  }
  EXPECT_EQ(g->horizontalHeaderItem(0)->text(), "Timestamp");
  EXPECT_EQ(g->horizontalHeaderItem(1)->text(), "Message");
  EXPECT_EQ(g->columnWidth(1), 500);
}

TEST(LogGrid, ClearEmptiesEverythingAndResetsTheErrorCount) {
  WindowsFixture f;
  f.windows->SetMessageBarShown(true);
  WriteLogLine(f.d, M, QStringLiteral("bad"), 2, {}, 0);
  WriteLogLine(f.d, S, QStringLiteral("worse"), 2);
  EXPECT_EQ(f.d.run.ErrorCount, 2);
  EXPECT_EQ(f.bar().lblError->text(), "2");

  f.log().mnuLWclear->trigger();
  EXPECT_EQ(f.d.run.ErrorCount, 0);
  EXPECT_EQ(f.bar().lblError->text(), "0");
  EXPECT_EQ(f.log().rowCount(), 0);
  EXPECT_EQ(f.d.view.LogWindowNextRow, 1);
  // A refill shows nothing until new lines arrive.
  Choose(f.log(), 1);
  EXPECT_EQ(f.log().rowCount(), 0);
  Choose(f.log(), 0);
  EXPECT_EQ(f.log().rowCount(), 0);
  WriteLogLine(f.d, M, QStringLiteral("again"), 0, {}, 0);
  EXPECT_EQ(f.GridTexts(), QStringList{"[FS1] again"});
}

TEST(LogGrid, StartNowOnlyForAnEnabledRoziRorunersLog) {
  WindowsFixture f({QStringLiteral("Alpha"), QStringLiteral("-Off"), QStringLiteral("Third")});
  const struct {
    int selected;
    bool enabled;
  } cases[] = {{0, false}, {1, true}, {2, false}, {3, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.selected);
    Choose(f.log(), c.selected);
    f.log().PrepareLogMenu();
    EXPECT_EQ(f.log().mnuStartNow->isEnabled(), c.enabled);
    EXPECT_EQ(f.log().mnuBRshow->isEnabled(), c.enabled);
    EXPECT_TRUE(f.log().mnuLWclear->isEnabled());
  }

  // A right click on the grid opens the menu, prepared for the log shown.
  f.log().show();
  Choose(f.log(), 2);
  f.log().mnuStartNow->setEnabled(true);
  QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(20, 20));
  QApplication::sendEvent(f.log().lvLogwindow->viewport(), &click);
  EXPECT_TRUE(f.log().mnuLogWindow->isVisible());
  EXPECT_FALSE(f.log().mnuStartNow->isEnabled());
  f.log().mnuLogWindow->hide();

  Choose(f.log(), 3);
  f.log().PrepareLogMenu();
  const QDateTime before = QDateTime::currentDateTime();
  f.log().mnuStartNow->trigger();
  const auto due = mvnz::ParseDate(f.d.jobs.RoziRoruners[2].NextRun, mvnz::kDueTimeFormat);
  ASSERT_TRUE(due.has_value()) << f.d.jobs.RoziRoruners[2].NextRun.toStdString();
  const qint64 ahead = before.secsTo(*due);
  EXPECT_GE(ahead, 0);
  EXPECT_LE(ahead, 2);
  EXPECT_TRUE(f.d.jobs.RoziRoruners[0].NextRun.isEmpty());
}

TEST(LogGrid, ReloadRefillsTheSelector) {
  WindowsFixture f;
  Choose(f.log(), 2);
  WriteConfig(f.configPath, {"[CONFIGURATION]", "EnableLogging=0", "", "[Only]", "Enabled=1", ""});
  ReloadConfiguration(f.d);
  EXPECT_EQ(f.log().cmbSelectLog->count(), 2);
  EXPECT_EQ(f.log().cmbSelectLog->currentIndex(), 0);
  EXPECT_EQ(f.d.view.SelectedLog, 0);
  EXPECT_EQ(f.log().fraMain->Caption(), "[Total Log]");
}
