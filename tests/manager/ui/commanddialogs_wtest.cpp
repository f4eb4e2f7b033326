// The built-in commands' dialogs offscreen: what Reschedule shows for each stored
// value and what OK writes back, LoadConfig's chooser, Enter and drops, and the
// texts a comment refuses.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>

#include "manager/ui/commanddialogs.h"
#include "platform/prompts.h"
#include "testenv.h"

using namespace mvnz;
using namespace mvnz::manager;
using namespace mvnz::manager::ui;

namespace {

jobfile::CommandEntry command(const QString& name, const QString& data1) {
  jobfile::CommandEntry c;
  c.Name = name;
  c.Data[1] = data1;
  for (int k = 2; k <= jobfile::kParameterCount; ++k) c.Data[k] = "stale";
  return c;
}

void click(QDialog& d, const char* name) { d.findChild<QPushButton*>(name)->click(); }

void pressEnter(QLineEdit* box) {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(box, &press);
}

void expectRestEmpty(const Parameters& p) {
  for (int k = 2; k <= jobfile::kParameterCount; ++k) EXPECT_EQ(p[k], "") << k;
}

}  // namespace

TEST(RescheduleDialog, ShowsEachStoredValueAndOkWritesLetterCommaValue) {
  const struct {
    const char* stored;
    const char* option;  // the option checked on opening
    const char* value;   // the value box on opening
    const char* saved;   // parameter 1 after OK without changes
  } cases[] = {
      {"H,2", "optAddHours", "2", "H,2"},
      {"T,06:30", "optTomorrow", "06:30", "T,06:30"},
      {"S,24-12-2026 18:00", "optDateTime", "24-12-2026 18:00", "S,24-12-2026 18:00"},
      {"H,1,5", "optAddHours", "1", "H,1"},  // the second piece, as the daemon reads it
      {"S,a,b,c", "optDateTime", "a", "S,a"},
      {"h,2", "optInterval", "2", "I,2"},    // letters are case-sensitive
      {"X,9", "optInterval", "9", "I,9"},
      {"HH,3", "optInterval", "3", "I,3"},
      {",4", "optInterval", "4", "I,4"},
      {"", "optInterval", "", "I,"},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.stored);
    RescheduleDialog d(command("Reschedule", k.stored));
    EXPECT_TRUE(d.findChild<QRadioButton*>(k.option)->isChecked());
    EXPECT_EQ(d.valueBox()->text(), k.value);
    click(d, "cmdSave");
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.parameters()[1], k.saved);
    expectRestEmpty(d.parameters());
  }
}

TEST(RescheduleDialog, EveryOptionWritesItsLetterAndCancelRejects) {
  const struct {
    const char* option;
    const char* value;
    const char* saved;
  } cases[] = {
      {"optInterval", "30", "I,30"},  {"optAddMinutes", "5", "M,5"},
      {"optAddHours", "2", "H,2"},    {"optAddDays", "1", "D,1"},
      {"optWeek", "3", "W,3"},        {"optMonth", "<GC1>", "N,<GC1>"},
      {"optTomorrow", "06:30", "T,06:30"}, {"optDateTime", "", "S,"},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.option);
    RescheduleDialog d(command("Reschedule", "I,10"));
    d.findChild<QRadioButton*>(k.option)->setChecked(true);
    d.valueBox()->setText(k.value);
    click(d, "cmdSave");
    EXPECT_EQ(d.parameters()[1], k.saved);
  }
  RescheduleDialog d(command("Reschedule", "I,10"));
  click(d, "cmdCancel");
  EXPECT_EQ(d.result(), QDialog::Rejected);
}

TEST(LoadConfigDialog, ShowsThePathAndSavesItAsTypedWithEnter) {
  LoadConfigDialog d(command("LoadConfig", "/etc/a.ini"), {});
  EXPECT_EQ(d.windowTitle(), "Edit Command: Load Config");
  EXPECT_EQ(d.pathBox()->text(), "/etc/a.ini");
  d.pathBox()->setText(" <GC1>/b.ini ");
  pressEnter(d.pathBox());
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_EQ(d.pathBox()->text(), " <GC1>/b.ini ");  // no line break inserted
  EXPECT_EQ(d.parameters()[1], " <GC1>/b.ini ");
  expectRestEmpty(d.parameters());
}

TEST(LoadConfigDialog, ChooserResultReplacesThePathAndACancelledOneKeepsIt) {
  for (const QString& chosen : {QString(), QStringLiteral("/srv/chosen.ini")}) {
    LoadConfigDialog d(command("LoadConfig", "/etc/a.ini"), [chosen] { return chosen; });
    click(d, "cmdLoadConfig");
    EXPECT_EQ(d.pathBox()->text(), chosen.isEmpty() ? "/etc/a.ini" : chosen);
  }
}

TEST(LoadConfigDialog, TakesTheFirstDroppedFileRefusesFoldersAndKeepsTheCurrentFolder) {
  const QString dir = test::makeDir("drops");
  const QString folder = test::makeDir("drops/folder");
  QStringList files;
  for (const char* n : {"one.ini", "two.ini", "three.ini"}) {
    files << dir + "/" + n;
    QFile f(files.back());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  const QString cwd = QDir::currentPath();
  LoadConfigDialog d(command("LoadConfig", "/etc/a.ini"), {});
  const auto mime = [](const QStringList& paths) {
    auto* m = new QMimeData;
    QList<QUrl> urls;
    for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
    m->setUrls(urls);
    return m;
  };
  const struct {
    QMimeData* data;
    Qt::DropActions offered;
    bool accepted;
  } drags[] = {
      {mime({folder, files[0]}), Qt::CopyAction, false},
      {mime(files), Qt::MoveAction, false},
      {mime(files), Qt::CopyAction | Qt::MoveAction, true},
      {[] { auto* m = new QMimeData; m->setText("/etc/x.ini"); return m; }(), Qt::CopyAction, false},
  };
  for (const auto& k : drags) {
    QDragEnterEvent enter(QPoint(2, 2), k.offered, k.data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(d.pathBox(), &enter);
    EXPECT_EQ(enter.isAccepted(), k.accepted) << k.data->urls().size();
  }
  EXPECT_EQ(QDir::currentPath(), cwd);
  QDropEvent drop(QPointF(2, 2), Qt::CopyAction, drags[2].data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(d.pathBox(), &drop);
  EXPECT_EQ(d.pathBox()->text(), files[0]);
  for (const auto& k : drags) delete k.data;
}

TEST(CommentDialog, RefusesLineBreaksAndTheFieldSeparator) {
  const struct {
    const char* text;
    bool refused;
  } cases[] = {{"Comment", false}, {"", false},          {"a ]~ [ b", false}, {"a\nb", true},
               {"a\rb", true},     {"x]~[y", true},      {"]~[", true}};
  for (const auto& k : cases) {
    SCOPED_TRACE(k.text);
    auto boxes = std::make_shared<prompts::Recorder>();
    prompts::install(boxes);
    CommentDialog d(command("Comment", "Comment"));
    EXPECT_EQ(d.textBox()->text(), "Comment");
    d.textBox()->setText(k.text);
    d.save();
    EXPECT_EQ(d.result(), k.refused ? QDialog::Rejected : QDialog::Accepted);
    EXPECT_EQ(boxes->entries.size(), k.refused ? 1 : 0);
    if (!k.refused) {
      EXPECT_EQ(d.parameters()[1], k.text);  // an empty comment stays empty
      expectRestEmpty(d.parameters());
    }
    prompts::install(nullptr);
  }
}

TEST(CommentDialog, EnterSavesAndCancelRejects) {
  CommentDialog ok(command("Comment", "note"));
  pressEnter(ok.textBox());
  EXPECT_EQ(ok.result(), QDialog::Accepted);
  CommentDialog cancel(command("Comment", "note"));
  click(cancel, "cmdCancel");
  EXPECT_EQ(cancel.result(), QDialog::Rejected);
}
