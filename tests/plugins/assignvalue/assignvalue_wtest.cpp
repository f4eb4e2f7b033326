// AssignValue through the built plug-in: runs with their variable slots and log
// lines, and the command dialog offscreen.
#include <gtest/gtest.h>

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRadioButton>

#include "dialogdriver.h"
#include "platform/prompts.h"
#include "pluginfixture.h"
#include "testenv.h"

using namespace mvnz;
using test::child;
using test::click;
using test::params;
using test::sentLines;
using test::withDialog;

namespace {

class AssignValuePlugin : public ::testing::Test {
 protected:
  void SetUp() override {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    test::installRecordingLog();
    sentLines().clear();
    prompts::install(recorder);
  }
  void TearDown() override { prompts::install(nullptr); }
  std::shared_ptr<prompts::Recorder> recorder = std::make_shared<prompts::Recorder>();
};

QStringList saved(const test::Plugin& p) {
  QStringList out;
  for (int i = 1; i <= p->DataCount(); ++i) {
    QString v;
    p->Data(short(i), &v);
    out << v;
  }
  return out;
}

// Rows shown, and their captions, in an open dialog.
QStringList shownRows(QDialog* d) {
  QStringList out;
  for (int k = 1; k <= 4; ++k) {
    const QByteArray n = QByteArray::number(k);
    auto* label = d->findChild<QLabel*>("lblData" + n);
    auto* box = d->findChild<QLineEdit*>("txtData" + n);
    auto* popup = d->findChild<QWidget*>("picPopup" + n);
    auto* browse = d->findChild<QWidget*>("cmdBrowse" + n);
    if (!label || !box || !popup || !browse) {
      ADD_FAILURE() << "row " << k << " incomplete";
      continue;
    }
    const bool shown = !box->isHidden();
    EXPECT_EQ(!label->isHidden(), shown);
    EXPECT_EQ(!popup->isHidden(), shown);
    EXPECT_EQ(!browse->isHidden(), shown);
    if (shown) out << label->text();
  }
  return out;
}

}  // namespace

// Slots and the Error flag as the daemon reads them back after RunP.
TEST_F(AssignValuePlugin, RunStoresTheSlotAndClearsTheRest) {
  test::Plugin p = test::loadPlugin("AssignValue");
  p->SetAutoLog(false);
  QString module = "assignvalue";
  p->RunP(module, params({"GLOBAL", "3", "Add", "1.5", "2", "", "", "0"}));
  EXPECT_FALSE(p->Error());
  VarType v;
  ASSERT_EQ(p->GlobalVar(2, &v), 0);
  EXPECT_TRUE(v.Use);
  EXPECT_EQ(v.Value, "3.5");
  EXPECT_TRUE(sentLines().empty());  // AutoLog off: a good run logs nothing

  // The next run clears slots 0..14 first; a failure stores nothing and sets Error.
  test::Plugin again = test::loadPlugin("AssignValue");
  again->SetAutoLog(true);
  again->RunP(module, params({"Local", "1", "Divide", "1", "0", "", "", "1"}));
  EXPECT_TRUE(again->Error());
  again->GlobalVar(2, &v);
  EXPECT_FALSE(v.Use);
  again->LocalVar(0, &v);
  EXPECT_FALSE(v.Use);
  ASSERT_EQ(sentLines().size(), 2u);
  EXPECT_EQ(sentLines()[0].text, "  -> Function : Divide");  // DisableVerbose: no operands
  EXPECT_EQ(sentLines()[1].level, 2);

  // Slot 15 (variable 16) is written but never cleared by a run.
  again->RunP(module, params({"Local", "16", "InitVariable", "kept"}));
  again->RunP(module, params({"Local", "1", "InitVariable", "x"}));
  EXPECT_FALSE(again->Error());
  again->LocalVar(15, &v);
  EXPECT_TRUE(v.Use);
  EXPECT_EQ(v.Value, "kept");
}

// Each function shows its rows with their captions; choosing another function
// empties every operand box.
TEST_F(AssignValuePlugin, DialogRowsFollowTheFunction) {
  struct Case {
    const char* function;
    QStringList captions;
  } cases[] = {
      {"InitVariable", {"New Value of Variable :"}},
      {"SubString",
       {"Start of SubString :", "Length of SubString :", "String to Perform Function on :"}},
      {"StringLength", {"String :"}},
      {"FindString",
       {"Start at Position :", "Search for String :", "String to Perform Function on :"}},
      {"TrimString", {"String to Perform Function on :"}},
      {"UpperCase", {"String :"}},
      {"LowerCase", {"String :"}},
      {"ReplaceChar",
       {"Search for Char(s) :", "Replace With String :", "String to Perform Function on :"}},
      {"ReplaceString",
       {"Search for String :", "Replace With String :", "String to Perform Function on :"}},
      {"ReplaceSpace", {"String to Perform Function on :", "Replace String :"}},
      {"StripChar", {"Char(s) to Strip :", "String to Perform Function on :"}},
      {"Add", {"Value-1 :", "Value-2 :"}},
      {"Subtract", {"Value-1 :", "Value-2 :"}},
      {"Multiply", {"Value-1 :", "Value-2 :"}},
      {"Divide", {"Value-1 :", "Value-2 :"}},
      {"Concat", {}},
  };
  test::Plugin p = test::loadPlugin("AssignValue");
  p->Init();
  QString module = "AssignValue";
  withDialog([&](QDialog* d) {
    EXPECT_EQ(d->windowTitle(), "Edit Command: Assign Value");
    EXPECT_NE(d->findChild<QWidget*>("vistrel1"), nullptr);
    auto* function = child<QComboBox>(d, "cmbVarFunction");
    QStringList listed;
    for (int i = 0; i < function->count(); ++i) listed << function->itemText(i);
    QStringList names;
    for (const auto& c : cases) names << c.function;
    names.removeLast();
    EXPECT_EQ(listed, names);
    for (const auto& c : cases) {
      SCOPED_TRACE(c.function);
      for (int k = 1; k <= 4; ++k)
        d->findChild<QLineEdit*>("txtData" + QByteArray::number(k))->setText("left over");
      function->setEditText(c.function);
      EXPECT_EQ(shownRows(d), c.captions);
      for (int k = 1; k <= 4; ++k)
        EXPECT_EQ(d->findChild<QLineEdit*>("txtData" + QByteArray::number(k))->text(), "");
      // 2895 twips and 600 more per row shown, 15 twips to the pixel; never less than
      // the rows need, which lie one under the other.
      EXPECT_EQ(d->height(),
                std::max((2895 + 600 * int(c.captions.size())) / 15, d->minimumSizeHint().height()));
    }
    click(d, "cmdCancel");
  });
  p->Props(module, params({"Local", "1", "SubString", "2", "3", "abcdef"}));
  EXPECT_EQ(p->DataCount(), 0);
}

// Opening a stored command and saving it again.
TEST_F(AssignValuePlugin, DialogOpensAndSavesCommands) {
  struct Case {
    const char* name;
    QStringList stored;
    bool global;
    int rows;
    QStringList operands;  // the four boxes as opened
    QStringList saved;
  } cases[] = {
      {"three rows filled after the function",
       {"Local", "4", "SubString", "2", "3", "abcdef", "", "1"},
       false,
       3,
       {"2", "3", "abcdef", ""},
       {"Local", "4", "SubString", "2", "3", "abcdef", "", "1"}},
      {"scope in another case stays global",
       {"GLOBAL", "2", "UpperCase", "abc", "", "", "", "0"},
       true,
       1,
       {"abc", "", "", ""},
       {"Global", "2", "UpperCase", "abc", "", "", "", "0"}},
      {"USER opens as Local",
       {"USER", "1", "InitVariable", "v", "", "", "", ""},
       false,
       1,
       {"v", "", "", ""},
       {"Local", "1", "InitVariable", "v", "", "", "", "0"}},
      {"no function opens as InitVariable with empty operands",
       {"Local", "5", "", "stale", "", "", "", ""},
       false,
       1,
       {"", "", "", ""},
       {"Local", "5", "InitVariable", "", "", "", "", "0"}},
      {"hidden rows are not stored",
       {"Global", "1", "Add", "1", "2", "hidden", "four", "0"},
       true,
       2,
       {"1", "2", "hidden", "four"},
       {"Global", "1", "Add", "1", "2", "", "", "0"}},
      {"a function in another case keeps its rows",
       {"Local", "1", "replacestring", "a", "b", "abc", "", "0"},
       false,
       3,
       {"a", "b", "abc", ""},
       {"Local", "1", "replacestring", "a", "b", "abc", "", "0"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::Plugin p = test::loadPlugin("AssignValue");
    QString module = "AssignValue";
    withDialog([&](QDialog* d) {
      EXPECT_EQ(child<QRadioButton>(d, "optGlobal")->isChecked(), c.global);
      EXPECT_EQ(child<QRadioButton>(d, "optLocal")->isChecked(), !c.global);
      EXPECT_EQ(child<QComboBox>(d, "cmbVarNum")->currentText(), c.stored[1]);
      EXPECT_EQ(shownRows(d).size(), c.rows);
      for (int k = 1; k <= 4; ++k)
        EXPECT_EQ(d->findChild<QLineEdit*>("txtData" + QByteArray::number(k))->text(),
                  c.operands[k - 1]);
      EXPECT_EQ(child<QCheckBox>(d, "chkDisableVerbose")->isChecked(), c.stored[7] == "1");
      click(d, "cmdSave");
    });
    p->Props(module, params(c.stored));
    EXPECT_EQ(p->DataCount(), 8);
    EXPECT_EQ(saved(p), c.saved);
  }
}

// OK needs a variable number and a function: a beep, the dialog stays open.
TEST_F(AssignValuePlugin, DialogNeedsNumberAndFunction) {
  test::Plugin p = test::loadPlugin("AssignValue");
  QString module = "AssignValue";
  withDialog([&](QDialog* d) {
    EXPECT_EQ(child<QComboBox>(d, "cmbVarNum")->currentText(), "");
    click(d, "cmdSave");
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(recorder->beeps, 1);
    child<QComboBox>(d, "cmbVarNum")->setCurrentIndex(14);
    child<QComboBox>(d, "cmbVarFunction")->setEditText("");
    click(d, "cmdSave");
    EXPECT_EQ(recorder->beeps, 2);
    child<QComboBox>(d, "cmbVarFunction")->setCurrentIndex(11);
    d->findChild<QLineEdit*>("txtData1")->setText("<LV1>");
    d->findChild<QLineEdit*>("txtData2")->setText("1");
    click(d, "cmdSave");
  });
  p->Props(module, params({}));
  EXPECT_EQ(saved(p), QStringList({"Local", "15", "Add", "<LV1>", "1", "", "", "0"}));
  EXPECT_EQ(p->Props(module, QStringList(8)), kErrSubscript);  // lacks Data(8)
}
