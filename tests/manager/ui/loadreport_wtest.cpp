// The manager's report of a load offscreen: the box of the lines a save will not
// write back after a start, an Open and a Reload that met them, none after a clean
// load, and the box of a file that could not be read.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "fixture.h"
#include "managerrig.h"
#include "manager/filecommands.h"
#include "manager/ui/loadreport.h"
#include "manager/ui/manager.h"
#include "platform/prompts.h"

using namespace mvnz;
using namespace mvnz::manager;
using namespace mvnz::test;

namespace {

const QByteArray kBadLines =
    "; my own notes\r\n"                                  // 1
    "[CONFIGURATION]\r\nRoziRoruTitle=T\r\n\r\n"
    "[Sort incoming]\r\nTrigger=FILE\r\n"
    "ScanDirectroy=/srv/in\r\n"                            // 7
    "SkipRejected=yes\r\n"                                 // 8
    "Description = sorted\r\n"                             // 9
    "Enabled=1\r\n";
const QByteArray kClean = "[CONFIGURATION]\r\nRoziRoruTitle=T\r\n\r\n[Clean]\r\nEnabled=1\r\n";

struct Rig {
  Session s;
  std::shared_ptr<prompts::Recorder> boxes = std::make_shared<prompts::Recorder>();
  std::unique_ptr<ui::Manager> m;
  QString path = rootDir() + "/report.ini";
  explicit Rig(const QByteArray& config) {
    prompts::install(boxes);
    m = StartedManager(s, path, config);
  }
  ~Rig() { prompts::install(nullptr); }
  ui::LoadReportBox* box() { return dynamic_cast<ui::LoadReportBox*>(m->loadReportBox()); }
  QStringList listed() { return box()->list()->toPlainText().split('\n'); }
};

}  // namespace

TEST(LoadReport, EveryLoadThatPassedOverLinesListsThemOnce) {
  Rig r(kBadLines);
  EXPECT_EQ(r.box(), nullptr);  // not before the main window is shown
  r.m->window().show();
  r.m->reportLoad();
  ASSERT_NE(r.box(), nullptr);
  EXPECT_TRUE(r.box()->isVisible());
  EXPECT_EQ(r.box()->windowTitle(), "Configuration Lines Passed Over");
  EXPECT_EQ(r.box()->findChild<QLabel*>("lblSentence")->text(),
            "4 lines of [" + r.path + "] could not be taken as written.\nA save will not write them back:");
  // The reader's own words, as the daemon logs them after its "WARNING: Configuration ".
  QStringList expected;
  for (const jobfile::Fault& f : r.s.lastLoad().passedOver) expected << jobfile::FaultText(f);
  EXPECT_EQ(r.listed(), expected);
  ASSERT_EQ(expected.size(), 4);
  EXPECT_EQ(expected[0], "line 1 ignored [; my own notes][comment, a save does not keep it]");
  EXPECT_TRUE(expected[1].startsWith("section [SORT INCOMING] line 7 ignored [ScanDirectroy=/srv/in]"));
  EXPECT_TRUE(expected[2].startsWith("section [SORT INCOMING] line 8 skipped [SkipRejected=yes]"));
  EXPECT_TRUE(expected[3].startsWith("section [SORT INCOMING] line 9 ignored [Description = sorted]"));
  EXPECT_EQ(r.m->window().statusPanelText(), "Configuration loaded, 4 lines passed over.");
  QTest::mouseClick(r.box()->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
  QCoreApplication::processEvents();
  EXPECT_EQ(r.box(), nullptr);

  // Reload of the same file: the box again.
  r.m->window().action("TB_RELOAD")->trigger();
  QCoreApplication::processEvents();
  ASSERT_NE(r.box(), nullptr);
  EXPECT_EQ(r.listed(), expected);

  // Open of a clean file: the earlier box goes, none comes.
  PutFile(r.path, kClean);
  ASSERT_TRUE(LoadConfigurationReported(r.s));
  QCoreApplication::processEvents();
  EXPECT_EQ(r.box(), nullptr);
  EXPECT_EQ(r.m->window().statusPanelText(), "Configuration loaded.");
  EXPECT_TRUE(r.boxes->entries.isEmpty());
}

TEST(LoadReport, AFileThatCouldNotBeReadIsSaidOnceTheWindowShows) {
  Session s;
  auto boxes = std::make_shared<prompts::Recorder>();
  prompts::install(boxes);
  const QString folder = makeDir("folder.ini");
  auto m = StartedManager(s, folder);
  EXPECT_TRUE(boxes->entries.isEmpty());
  m->window().show();
  m->reportLoad();
  ASSERT_EQ(boxes->entries.size(), 1);
  EXPECT_EQ(boxes->entries[0].title, "Error Loading Configuration");
  EXPECT_TRUE(boxes->entries[0].text.startsWith("Error loading configuration from [" + folder + "]\n"));
  EXPECT_EQ(s.RoziRorunerCount(), 0);
  EXPECT_EQ(m->loadReportBox(), nullptr);
  prompts::install(nullptr);
}
