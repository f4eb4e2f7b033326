// The command dialogs of the six file plug-ins, offscreen, driven through Props as the
// configuration manager calls it. Each step runs once the modal dialog is up.
#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>
#include <functional>

#include "dialogdriver.h"
#include "platform/prompts.h"
#include "pluginfixture.h"
#include "testenv.h"

using namespace mvnz;
using test::child;
using test::click;
using test::params;
using test::withDialog;

namespace {

struct Field {
  const char* name;  // a QLineEdit or QCheckBox
  int index;         // its Data index
};

struct DialogCase {
  const char* plugin;
  const char* title;
  std::vector<Field> fields;
  QStringList filled;  // Data 1..n for a full command
  std::vector<const char*> required;
  int dataCount;
};

const DialogCase kCases[] = {
    {"Relocate",
     "Edit Command: Relocate",
     {{"txtSourceFile", 1}, {"txtDestinationFile", 2}, {"chkOverwrite", 3}, {"chkAutoCreate", 4}},
     {"<ScanPathFileName>", "/out/<FileName>", "0", "1"},
     {"txtSourceFile", "txtDestinationFile"},
     4},
    {"Duplicate",
     "Edit Command: Duplicate",
     {{"txtSourceFile", 1}, {"txtDestinationFile", 2}, {"chkOverwrite", 3}, {"chkAutoCreate", 4}},
     {"/in/a", "/out/a", "1", "0"},
     {"txtSourceFile", "txtDestinationFile"},
     4},
    {"Erase",
     "Edit Command: Erase",
     {{"txtSourcefile", 1}, {"chkEmptyOnly", 2}, {"chkRecycle", 3}},
     {"/in/<FileName>", "1", "0"},
     {"txtSourcefile"},
     3},
    {"Scour",
     "Edit Command: Scour",
     {{"txtPurgeDays", 1}, {"txtSourcefile", 2}},
     {"14", "/in/<FileName>"},
     {"txtPurgeDays", "txtSourcefile"},
     2},
    {"MakeFolder",
     "Edit Command: Make Folder",
     {{"txtDirectory", 1}},
     {"/out/<yyyy>"},
     {"txtDirectory"},
     1},
    {"DropFolder",
     "Edit Command: Drop Folder",
     {{"txtDirectory", 1}},
     {"/out"},
     {"txtDirectory"},
     1},
};

QString fieldValue(QDialog* d, const char* name) {
  if (auto* e = d->findChild<QLineEdit*>(name)) return e->text();
  if (auto* c = d->findChild<QCheckBox*>(name)) return c->isChecked() ? "1" : "0";
  ADD_FAILURE() << "no field " << name;
  return {};
}

}  // namespace

class FileDialogs : public ::testing::Test {
 protected:
  void SetUp() override { prompts::install(recorder); }
  std::shared_ptr<prompts::Recorder> recorder = std::make_shared<prompts::Recorder>();
};

// Opens with the command's parameters; OK stores them in the layout's order.
TEST_F(FileDialogs, OpenWithTheParametersAndOkStoresThem) {
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.plugin);
    test::Plugin p = test::loadPlugin(c.plugin);
    p->Init();
    QString module = c.plugin;
    withDialog([&](QDialog* d) {
      EXPECT_EQ(d->windowTitle(), c.title);
      EXPECT_NE(d->findChild<QWidget*>("vistrel1"), nullptr);
      for (const Field& f : c.fields)
        EXPECT_EQ(fieldValue(d, f.name), c.filled[f.index - 1]) << f.name;
      click(d, "cmdSave");
    });
    p->Props(module, params(c.filled));
    ASSERT_EQ(p->DataCount(), c.dataCount);
    QString v;
    for (int i = 1; i <= c.dataCount; ++i) {
      ASSERT_EQ(p->Data(i, &v), 0);
      EXPECT_EQ(v, c.filled[i - 1]) << i;
    }
    EXPECT_EQ(p->Data(0, &v), 0);
    EXPECT_EQ(v, "");
    EXPECT_EQ(p->Data(c.dataCount + 1, &v), 0);
    EXPECT_EQ(p->Data(c.dataCount + 2, &v), kErrSubscript);
  }
}

// An empty required box: beep, the dialog stays open, nothing stored. Cancel then
// leaves the data count at 0, while Data still holds an earlier OK's values.
TEST_F(FileDialogs, EmptyRequiredFieldBeepsAndCancelStoresNothing) {
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.plugin);
    test::Plugin p = test::loadPlugin(c.plugin);
    p->Init();
    QString module = c.plugin;
    withDialog([&](QDialog* d) { click(d, "cmdSave"); });
    p->Props(module, params(c.filled));
    ASSERT_EQ(p->DataCount(), c.dataCount);

    for (const char* req : c.required) {
      recorder->beeps = 0;
      QStringList blank = c.filled;
      for (const Field& f : c.fields)
        if (QString(f.name) == req) blank[f.index - 1].clear();
      withDialog([&](QDialog* d) {
        EXPECT_EQ(child<QLineEdit>(d, req)->text(), "");
        click(d, "cmdSave");
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(recorder->beeps, 1);
        click(d, "cmdCancel");
      });
      p->Props(module, params(blank));
      EXPECT_EQ(p->DataCount(), 0) << req;
      QString v;
      EXPECT_EQ(p->Data(1, &v), 0);
      EXPECT_EQ(v, c.filled[0]);
    }
  }
}

TEST_F(FileDialogs, NewCommandDefaults) {
  struct Case {
    const char* plugin;
    const char* check;
    bool ticked;
  } cases[] = {{"Relocate", "chkOverwrite", true},
               {"Relocate", "chkAutoCreate", true},
               {"Duplicate", "chkOverwrite", true},
               {"Erase", "chkEmptyOnly", false},
               {"Erase", "chkRecycle", false}};
  for (const auto& c : cases) {
    test::Plugin p = test::loadPlugin(c.plugin);
    QString module = c.plugin;
    withDialog([&](QDialog* d) {
      EXPECT_EQ(child<QCheckBox>(d, c.check)->isChecked(), c.ticked) << c.plugin << c.check;
      click(d, "cmdCancel");
    });
    p->Props(module, params({}));
  }
}

TEST_F(FileDialogs, ScourDaysBecomeWholeNumbersFromOne) {
  test::Plugin p = test::loadPlugin("Scour");
  QString module = "Scour";
  withDialog([&](QDialog* d) {
    auto* days = child<QLineEdit>(d, "txtPurgeDays");
    EXPECT_EQ(days->text(), "");  // a new command starts empty
    const std::pair<const char*, const char*> typed[] = {
        {"0", "1"}, {"-4", "1"}, {"abc", "1"}, {"2.7", "2"}, {"30", "30"}};
    for (const auto& [in, out] : typed) {
      days->setText(in);
      EXPECT_EQ(days->text(), out) << in;
    }
    days->clear();  // an emptied box is below 1 too
    EXPECT_EQ(days->text(), "1");
    QTest::keyClicks(days, "5");
    EXPECT_EQ(days->text(), "15");
    child<QLineEdit>(d, "txtSourcefile")->setText("/in/x");
    click(d, "cmdSave");
  });
  p->Props(module, params({}));
  QString v;
  ASSERT_EQ(p->DataCount(), 2);
  p->Data(1, &v);
  EXPECT_EQ(v, "15");
}

// A cancelled browse leaves an empty box empty and a filled box as it was.
TEST_F(FileDialogs, CancelledBrowseKeepsTheBox) {
  struct Case {
    const char* plugin;
    const char* box;
    const char* button;
    const char* start;
  } cases[] = {{"Relocate", "txtSourceFile", "cmdBrowseSource", ""},
               {"Relocate", "txtDestinationFile", "cmdBrowseDestination", "/some/where"},
               {"Erase", "txtSourcefile", "cmdBrowseFile", ""},
               {"MakeFolder", "txtDirectory", "cmdBrowseDir", ""},
               {"DropFolder", "txtDirectory", "cmdBrowseDir", "/tmp"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.plugin) + " " + c.box);
    test::Plugin p = test::loadPlugin(c.plugin);
    QString module = c.plugin;
    withDialog([&](QDialog* d) {
      auto* box = child<QLineEdit>(d, c.box);
      box->setText(c.start);
      bool sawBrowser = false;
      QTimer::singleShot(0, [&] {
        auto* fd = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        sawBrowser = fd != nullptr;
        if (fd) fd->reject();
      });
      click(d, c.button);
      EXPECT_TRUE(sawBrowser);
      EXPECT_EQ(box->text(), c.start);
      click(d, "cmdCancel");
    });
    p->Props(module, params({}));
  }
}

// The pop-up button focuses its box and opens the variables menu; an item types its
// token (never the caption with the constant's value).
TEST_F(FileDialogs, PopupButtonTypesATokenIntoItsBox) {
  test::Plugin p = test::loadPlugin("Relocate");
  p->Init();
  QStringList constants(16, QString());
  constants[5] = "/data/out";
  EXPECT_EQ(p->SetLocalConstants(constants), 0);
  QString module = "Relocate";
  withDialog([&](QDialog* d) {
    auto* box = child<QLineEdit>(d, "txtDestinationFile");
    QWidget* pop = child<QWidget>(d, "Picture1");
    EXPECT_EQ(pop->toolTip(), "click to select command/variable");
    QTest::mouseClick(pop, Qt::RightButton);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->objectName(), "mnuCommand");
    QAction* lc5 = menu->findChild<QAction*>("mnuLocalsConstantsLC_4");
    ASSERT_NE(lc5, nullptr);
    EXPECT_EQ(lc5->text(), "<LC5> /data/out");
    lc5->trigger();
    menu->close();
    EXPECT_EQ(box->text(), "<LC5>");
    click(d, "cmdCancel");
  });
  p->Props(module, params({}));
}
