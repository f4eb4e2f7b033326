// The dialogs of Sleep, JournalNote and BrowseLink, offscreen, through Props.
#include <gtest/gtest.h>
#include <QComboBox>
#include <QLineEdit>

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

QString text(QDialog* d, const char* name) {
  if (auto* e = d->findChild<QLineEdit*>(name)) return e->text();
  if (auto* c = d->findChild<QComboBox*>(name)) return c->currentText();
  ADD_FAILURE() << "no field " << name;
  return {};
}

void setText(QDialog* d, const char* name, const QString& v) {
  if (auto* e = d->findChild<QLineEdit*>(name)) return e->setText(v);
  if (auto* c = d->findChild<QComboBox*>(name)) return c->setEditText(v);
  ADD_FAILURE() << "no field " << name;
}

struct DialogCase {
  const char* plugin;
  const char* title;
  const char* header;
  std::vector<const char*> fields;  // Data 1..n
  QStringList filled;
};

const DialogCase kCases[] = {
    {"Sleep", "Edit Command: Sleep", "Command: Sleep", {"txtDelay", "cmbUnits"}, {"5", "1000"}},
    {"JournalNote",
     "Edit Command: Journal Note",
     "Command: JournalNote",
     {"txtMessage"},
     {"Done with <FileName>"}},
    {"BrowseLink",
     "Edit Command: Browse Link",
     "Command: BrowseLink",
     {"txtURL"},
     {"http://example.invalid/?a=1;b=2"}},
};

class ToolDialogs : public ::testing::Test {
 protected:
  void SetUp() override { prompts::install(recorder); }
  void TearDown() override { prompts::install(nullptr); }
  std::shared_ptr<prompts::Recorder> recorder = std::make_shared<prompts::Recorder>();
};

}  // namespace

// Opens with the command's parameters; each field is required; OK stores them.
TEST_F(ToolDialogs, FieldsRequiredAndStored) {
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.plugin);
    test::Plugin p = test::loadPlugin(c.plugin);
    p->Init();
    QString module = c.plugin;
    withDialog([&](QDialog* d) {
      EXPECT_EQ(d->windowTitle(), c.title);
      EXPECT_NE(d->findChild<QWidget*>("vistrel1"), nullptr);
      for (size_t i = 0; i < c.fields.size(); ++i)
        EXPECT_EQ(text(d, c.fields[i]), c.filled[int(i)]);
      for (const char* f : c.fields) {
        recorder->beeps = 0;
        const QString keep = text(d, f);
        setText(d, f, "");
        click(d, "cmdSave");
        EXPECT_TRUE(d->isVisible()) << f;
        EXPECT_EQ(recorder->beeps, 1) << f;
        setText(d, f, keep);
      }
      click(d, "cmdSave");
    });
    p->Props(module, params(c.filled));
    ASSERT_EQ(p->DataCount(), int(c.fields.size()));
    for (int i = 1; i <= p->DataCount(); ++i) {
      QString v;
      ASSERT_EQ(p->Data(i, &v), 0);
      EXPECT_EQ(v, c.filled[i - 1]);
    }
    withDialog([&](QDialog* d) { click(d, "cmdCancel"); });
    p->Props(module, params(c.filled));
    EXPECT_EQ(p->DataCount(), 0);
  }
}

TEST_F(ToolDialogs, SleepOffersTheUnitSizes) {
  test::Plugin p = test::loadPlugin("Sleep");
  QString module = "sleep";
  withDialog([&](QDialog* d) {
    auto* units = child<QComboBox>(d, "cmbUnits");
    QStringList items;
    for (int i = 0; i < units->count(); ++i) items << units->itemText(i);
    EXPECT_EQ(items, QStringList({"1", "10", "100", "1000", "10000", "100000"}));
    EXPECT_EQ(units->currentText(), "");  // a new command: nothing chosen yet
    units->setCurrentIndex(3);
    setText(d, "txtDelay", "2");
    click(d, "cmdSave");
  });
  p->Props(module, params({}));
  QString v;
  ASSERT_EQ(p->DataCount(), 2);
  p->Data(2, &v);
  EXPECT_EQ(v, "1000");
}

// A new BrowseLink command starts with the scheme; a cancelled edit stores nothing.
TEST_F(ToolDialogs, BrowseLinkNewCommandShowsTheScheme) {
  test::Plugin p = test::loadPlugin("BrowseLink");
  QString module = "BrowseLink";
  const QStringList data = params({});
  withDialog([&](QDialog* d) {
    EXPECT_EQ(text(d, "txtURL"), "http://");
    click(d, "cmdCancel");
  });
  p->Props(module, data);
  EXPECT_EQ(p->DataCount(), 0);
  EXPECT_EQ(data, params({}));
  withDialog([&](QDialog* d) { click(d, "cmdSave"); });
  p->Props(module, data);
  ASSERT_EQ(p->DataCount(), 1);
  QString v;
  p->Data(1, &v);
  EXPECT_EQ(v, "http://");
}
