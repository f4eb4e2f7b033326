// The constants dialogs offscreen: Ok applies the edited values and only those,
// Cancel keeps the constants but not the preset value typed meanwhile, Clear All,
// and the local dialog's need of a current RoziRoruner.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

#include "fixture.h"
#include "manager/session.h"
#include "manager/ui/constantsdialog.h"

using namespace mvnz;
using namespace mvnz::manager;
using Scope = ui::ConstantsDialog::Scope;

namespace {

struct Rig {
  Session s;
  Rig() {
    jobfile::JobFile f;
    jobfile::RoziRoruner r;
    r.Name = "Job";
    r.InitialLocalsValue = "0";
    for (int n = 1; n <= 15; ++n) r.LocalConstants[n] = QStringLiteral("L%1").arg(n);
    for (int n = 1; n <= 15; ++n) f.Globals.GlobalConstants[n] = QStringLiteral("G%1").arg(n);
    f.Globals.InitialGlobalsValue = "7";
    f.RoziRoruners << r;
    s.replaceModel(f);
    s.parentIndex << kNoParent;
    s.setCurrent(0);
  }
  jobfile::Constants& values(Scope scope) {
    return scope == Scope::Local ? s.model.RoziRoruners[0].LocalConstants : s.model.Globals.GlobalConstants;
  }
  QString& initial(Scope scope) {
    return scope == Scope::Local ? s.model.RoziRoruners[0].InitialLocalsValue : s.model.Globals.InitialGlobalsValue;
  }
};

void press(QDialog& d, const char* name) { d.findChild<QPushButton*>(QLatin1String(name))->click(); }

}  // namespace

TEST(ConstantsDialog, OkAppliesCancelKeepsAndThePresetIsStoredAsTyped) {
  for (Scope scope : {Scope::Local, Scope::Global}) {
    {
      Rig r;
      const jobfile::Constants before = r.values(scope);
      ui::ConstantsDialog d(scope, r.s);
      EXPECT_EQ(d.constantBox(2)->text(), before[3]);
      d.constantBox(2)->setText("X");
      press(d, "cmdOk");
      jobfile::Constants expected = before;
      expected[3] = "X";
      EXPECT_EQ(r.values(scope), expected);
    }
    {
      Rig r;
      const jobfile::Constants before = r.values(scope);
      ui::ConstantsDialog d(scope, r.s);
      for (int k : {0, 5, 14}) d.constantBox(k)->setText("changed");
      d.initialBox()->setText("preset");
      EXPECT_EQ(r.initial(scope), "preset");
      press(d, "cmdCancel");
      EXPECT_EQ(r.values(scope), before);
      EXPECT_EQ(r.initial(scope), "preset");
    }
    {
      Rig r;
      const QString preset = r.initial(scope);
      ui::ConstantsDialog d(scope, r.s);
      press(d, "cmdClearAll");
      press(d, "cmdOk");
      for (int n = 1; n <= 15; ++n) EXPECT_EQ(r.values(scope)[n], "") << n;
      EXPECT_EQ(r.initial(scope), preset);
    }
  }
}

TEST(ConstantsDialog, LocalConstantsNeedACurrentRoziRoruner) {
  Rig r;
  r.s.setCurrent(-1);
  const jobfile::JobFile before = r.s.model;
  ui::ConstantsDialog d(Scope::Local, r.s);
  d.constantBox(0)->setText("X");
  d.initialBox()->setText("Y");
  press(d, "cmdOk");
  EXPECT_EQ(r.s.model, before);
}
