// The variables menus offscreen: every token item inserts the token from the one
// token table at the caret of the field it was opened for (a text box of the page
// and a dialog's box alike), constants' captions show their values, and the
// stable-time presets.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QMenu>

#include "fixture.h"
#include "manager/session.h"
#include "manager/ui/variablesmenu.h"

using namespace mvnz;
using namespace mvnz::manager;

namespace {

struct Rig {
  Session s;
  QWidget owner;
  ui::VariablesMenu menu{s, &owner};
  QLineEdit* box = new QLineEdit(&owner);
  Rig() {
    jobfile::JobFile f;
    jobfile::RoziRoruner r;
    r.Name = "Job";
    r.LocalConstants[3] = "/srv/x";
    f.RoziRoruners << r;
    f.Globals.GlobalConstants[15] = "g15";
    s.parentIndex << kNoParent;
    s.replaceModel(f);
    s.setCurrent(0);
    owner.show();
  }
  QAction* item(const char* name) {
    auto* a = owner.findChild<QAction*>(QLatin1String(name));
    EXPECT_NE(a, nullptr) << name;
    return a;
  }
};

}  // namespace

TEST(VariablesMenu, ItemsInsertTheirTokenAtTheCaret) {
  const struct {
    const char* item;
    const char* token;
  } cases[] = {{"mnuVariablesInputPathFileName", "<ScanPathFileName>"},
               {"mnuFileFileNameNoExt", "<FileNameNoExt>"},
               {"mnuVariablesSubDir", "<SubDir>"},
               {"mnuCommandsTotalFileNumber", "<TotalFileNumber>"},
               {"mnuLocalsConstantsLC_2", "<LC3>"},
               {"mnuLocalsVariablesLV_14", "<LV15>"},
               {"mnuGlobalsConstantsGC_0", "<GC1>"},
               {"mnuGlobalsConstantsGV_4", "<GV5>"},
               {"mnuCommandsDateDate", "<dd-mmm-yyyy>"},
               {"mnuCommandsDateMM", "<date_mm>"},
               {"mnuDateWeekday", "<dayofweek>"},
               {"mnuCommandsTimeTime", "<hh:mm:ss>"},
               {"mnuFSdesc", "<RoziRorunerDescription>"},
               {"mnuLCdata_2", "<LC3>"},
               {"mnuGVdata_0", "<GV1>"},
               {"mnuCommandsDateMMM2", "<mmm>"},
               {"mnuCommandsTimeSS2", "<ss>"}};
  for (const auto& c : cases) {
    Rig r;
    r.box->setText("ab");
    r.menu.popup(r.menu.commandMenu(), r.box, QPoint(0, 0));
    r.menu.commandMenu()->hide();
    r.box->setCursorPosition(1);
    r.item(c.item)->trigger();
    EXPECT_EQ(r.box->text(), QStringLiteral("a") + c.token + "b") << c.item;
  }
}

TEST(VariablesMenu, ConstantCaptionsShowValuesTheTokenStaysBare) {
  Rig r;
  r.menu.popup(r.menu.scanDirMenu(), r.box, QPoint(0, 0));
  r.menu.scanDirMenu()->hide();
  EXPECT_EQ(r.item("mnuLCdata_2")->text(), "<LC3> /srv/x");
  EXPECT_EQ(r.item("mnuLocalsConstantsLC_0")->text(), "<LC1> ");
  EXPECT_EQ(r.item("mnuGCdata_14")->text(), "<GC15> g15");
  EXPECT_EQ(r.item("mnuLocalsVariablesLV_0")->text(), "<LV1>");
  r.item("mnuLCdata_2")->trigger();
  EXPECT_EQ(r.box->text(), "<LC3>");
}

TEST(VariablesMenu, StableTimerPresets) {
  Rig r;
  QStringList set;
  r.menu.setStableTimer = [&set](const QString& v) { set << v; };
  r.item("mnuSTnoTimestamp")->trigger();
  r.item("mnuSTnoTimestamp")->trigger();
  EXPECT_FALSE(r.menu.noTimestampItem()->isChecked());
  r.item("mnuSTnoTimestamp")->trigger();
  r.item("mnuSTdefault")->trigger();
  EXPECT_FALSE(r.menu.noTimestampItem()->isChecked());
  EXPECT_EQ(set, (QStringList{"-1", "20", "-1", "20"}));
}
