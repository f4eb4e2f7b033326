// The window settings in the registry and the buffer-size dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "controls/vistrel.h"
#include "daemon/config.h"
#include "daemon/logging.h"
#include "daemon/windows/buffersizedialog.h"
#include "daemon/windows/logwindow.h"
#include "daemon/windows/messagebar.h"
#include "daemon/windows/windowsettings.h"
#include "library/regwrap.h"
#include "platform/registry.h"
#include "windowsfixture.h"

using namespace mvnz;
using namespace mvnz::mvnd;
using namespace mvnz::mvnd::test;

namespace {

QString Key() { return QStringLiteral("Software\\Orvendel\\MervaneZuri\\Daemon1"); }
QString Stored(const char* name) { return GetRegString(Key(), QString::fromLatin1(name)); }

}  // namespace

TEST(WindowSettings, RoundTripThroughTheRegistry) {
  {
    WindowsFixture f;
    QWidget main;
    f.windows->setMainWindow(&main);
    main.show();
    main.move(40, 30);
    main.resize(700, 400);
    f.bar().setLeft(1500);
    f.bar().setTop(9000);
    f.bar().setWidth(4500);
    f.windows->SetMessageBarShown(true);
    f.windows->SetMessageBarOnTop(true);
    f.log().lvLogwindow->setColumnWidth(0, 170);
    f.log().lvLogwindow->setColumnWidth(1, 640);
    f.d.settings.BufferSize = 120;
    f.windows->SaveDaemonSettings(true);
    EXPECT_TRUE(f.prompts->entries.isEmpty());
    EXPECT_EQ(f.d.log.TotalLog.last().message, "Configuration saved");

    const struct {
      const char* name;
      const char* value;
    } stored[] = {
        {"LogColumnWidth1", "170"},     {"LogColumnWidth2", "640"},    {"BufferSize", "120"},
        {"LogWindowTop", "450"},        {"LogWindowLeft", "600"},      {"LogWindowWidth", "10500"},
        {"LogWindowHeight", "6000"},    {"MessageWindowLeft", "1500"}, {"MessageWindowTop", "9000"},
        {"MessageWindowWidth", "4500"}, {"MessageWindowStatus", "1"},  {"MessageWindowOnTop", "1"},
    };
    for (const auto& s : stored) EXPECT_EQ(Stored(s.name), s.value) << s.name;
    f.windows->setMainWindow(nullptr);
  }
  // A fresh daemon restores all of it at its first reload.
  WindowsFixture f;
  QWidget main;
  f.windows->setMainWindow(&main);
  ReloadConfiguration(f.d);
  EXPECT_EQ(f.d.settings.BufferSize, 120);
  EXPECT_EQ(main.pos(), QPoint(40, 30));
  EXPECT_EQ(main.size(), QSize(700, 400));
  EXPECT_EQ(f.bar().Left(), 1500);
  EXPECT_EQ(f.bar().Top(), 9000);
  EXPECT_EQ(f.bar().Width(), 4500);
  EXPECT_TRUE(f.d.view.MessageBarShown);
  EXPECT_TRUE(f.bar().isVisible());
  EXPECT_TRUE(f.d.view.MessageWindowOnTop);
  EXPECT_TRUE(f.bar().OnTop());
  // Loading the settings empties the bar's text (the reload's own lines follow).
  f.bar().lblMessage->setText(QStringLiteral("old"));
  f.windows->LoadDaemonSettings();
  EXPECT_TRUE(f.bar().lblMessage->text().isEmpty());
  f.windows->setMainWindow(nullptr);
  // The message column is read again when the grid is set up.
  LogWindow second(f.d);
  EXPECT_EQ(second.lvLogwindow->columnWidth(1), 640);
}

TEST(WindowSettings, SavingAMinimisedWindowKeepsItsStoredPlace) {
  WindowsFixture f;
  SaveRegString(Key(), QStringLiteral("LogWindowTop"), QStringLiteral("300"));
  SaveRegString(Key(), QStringLiteral("LogWindowLeft"), QStringLiteral("450"));
  QWidget main;
  f.windows->setMainWindow(&main);
  main.show();
  main.move(100, 100);
  main.showMinimized();
  if (!main.isMinimized()) GTEST_SKIP() << "the platform does not minimise windows";
  f.windows->SaveDaemonSettings(false);
  EXPECT_EQ(Stored("LogWindowTop"), "300");
  EXPECT_EQ(Stored("LogWindowLeft"), "450");
  ASSERT_EQ(f.prompts->entries.size(), 1);
  EXPECT_EQ(f.prompts->entries[0].text, "Settings have been saved!");
  EXPECT_EQ(f.prompts->entries[0].title, "Settings Saved");
  EXPECT_EQ(f.prompts->entries[0].icon, prompts::Icon::Information);
  f.windows->setMainWindow(nullptr);
}

TEST(WindowSettings, StoredValuesAndTheirMinimums) {
  const struct {
    const char* name;
    const char* value;  // nullptr: missing
    int bufferSize, logWidth, logHeight, barWidth, column2;
    bool onTop, shown;
  } cases[] = {
      {"BufferSize", "0", 75, 8070, 4230, 2000, 500, false, false},
      {"BufferSize", "501", 75, 8070, 4230, 2000, 500, false, false},
      {"BufferSize", "abc", 75, 8070, 4230, 2000, 500, false, false},
      {"BufferSize", "500", 500, 8070, 4230, 2000, 500, false, false},
      {"BufferSize", "12.6", 13, 8070, 4230, 2000, 500, false, false},
      {"LogWindowWidth", "8070", 75, 8070, 4230, 2000, 500, false, false},
      {"LogWindowWidth", "5000", 75, 8070, 4230, 2000, 500, false, false},
      {"LogWindowWidth", "9000", 75, 9000, 4230, 2000, 500, false, false},
      {"LogWindowHeight", "4231", 75, 8070, 4231, 2000, 500, false, false},
      {"MessageWindowWidth", "1999", 75, 8070, 4230, 2000, 500, false, false},
      {"MessageWindowWidth", "2001", 75, 8070, 4230, 2001, 500, false, false},
      {"LogColumnWidth2", "0", 75, 8070, 4230, 2000, 500, false, false},
      {"LogColumnWidth2", "x", 75, 8070, 4230, 2000, 500, false, false},
      {"LogColumnWidth2", "320", 75, 8070, 4230, 2000, 320, false, false},
      {"MessageWindowOnTop", "1", 75, 8070, 4230, 2000, 500, true, false},
      {"MessageWindowOnTop", "True", 75, 8070, 4230, 2000, 500, false, false},
      {"MessageWindowStatus", "1", 75, 8070, 4230, 2000, 500, false, true},
      {"MessageWindowStatus", "2", 75, 8070, 4230, 2000, 500, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + "=" + c.value);
    registry::deleteKeyTree(Key());
    SaveRegString(Key(), QString::fromLatin1(c.name), QString::fromLatin1(c.value));
    const WindowSettings s = ReadWindowSettings(Key());
    EXPECT_EQ(s.LogWindowWidth, c.logWidth);
    EXPECT_EQ(s.LogWindowHeight, c.logHeight);
    EXPECT_EQ(s.MessageWindowWidth, c.barWidth);
    EXPECT_EQ(s.LogColumnWidth2, c.column2);
    EXPECT_EQ(s.MessageWindowOnTop, c.onTop);
    EXPECT_EQ(s.MessageWindowStatus, c.shown);
    Daemon d;
    d.settings.SettingsKeySuffix = QStringLiteral("1");
    LoadDaemonSettings(d);
    EXPECT_EQ(d.settings.BufferSize, c.bufferSize);
  }
}

TEST(BuffersizeDialog, ValidationTable) {
  const struct {
    const char* text;
    int size;  // 0: refused
  } cases[] = {
      {"1", 1},   {"500", 500}, {"75", 75},     {" 42 ", 42}, {"12.6", 13},
      {"1.5", 2}, {"2.5", 2},   {"500.4", 500}, {"0", 0},     {"600", 0},
      {"501", 0}, {"-3", 0},    {"0.4", 0},     {"500.6", 0}, {"abc", 0},
      {"", 0},    {"12abc", 0}, {"1e2", 100},   {"1e999", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const auto n = CheckBufferSizeText(QString::fromLatin1(c.text));
    EXPECT_EQ(n.value_or(0), c.size);
  }
}

namespace {

struct DialogFixture : WindowsFixture {
  DialogFixture() : dialog(d) {
    dialog.txtBuffer->setText(QString::number(d.settings.BufferSize));
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    dialog.txtBuffer->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
  }
  void Leave(QWidget* to, Qt::FocusReason reason) {
    to->setFocus(reason);
    QApplication::processEvents();
    QApplication::processEvents();
  }
  int Messages() const {
    int n = 0;
    for (const auto& e : prompts->entries)
      if (e.text == "Value must be numerical (1-500)!" && e.title == "Invalid Value" &&
          e.icon == prompts::Icon::Information)
        ++n;
    return n;
  }
  frmBuffersizeSetup dialog;
};

// A box that takes the focus away from the dialog's text box while it is shown.
class FocusTakingBox : public prompts::Service {
 public:
  explicit FocusTakingBox(QWidget* elsewhere) : elsewhere_(elsewhere) {}
  prompts::Answer show(const QString&, const QString&, prompts::Icon, prompts::Buttons) override {
    ++shown;
    elsewhere_->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    QApplication::processEvents();
    return prompts::Answer::Ok;
  }
  void beep() override {}
  int shown = 0;

 private:
  QWidget* elsewhere_;
};

}  // namespace

TEST(BuffersizeDialog, LeavingTheBoxWithAnInvalidSize) {
  for (const char* text : {"0", "600", "abc"}) {
    SCOPED_TRACE(text);
    DialogFixture f;
    ASSERT_TRUE(f.dialog.txtBuffer->hasFocus());
    f.dialog.txtBuffer->setText(QString::fromLatin1(text));
    f.Leave(f.dialog.cmdOk, Qt::TabFocusReason);
    EXPECT_EQ(f.Messages(), 1);
    EXPECT_TRUE(f.dialog.txtBuffer->hasFocus());
    EXPECT_TRUE(f.dialog.isVisible());
  }
  // A valid size leaves quietly.
  DialogFixture f;
  f.dialog.txtBuffer->setText(QStringLiteral("100"));
  f.Leave(f.dialog.cmdOk, Qt::TabFocusReason);
  EXPECT_EQ(f.Messages(), 0);
  EXPECT_TRUE(f.dialog.cmdOk->hasFocus());
}

TEST(BuffersizeDialog, TheCheckDoesNotRunAgainWhileItsBoxHasTheFocus) {
  DialogFixture f;
  auto box = std::make_shared<FocusTakingBox>(f.dialog.cmdOk);
  auto previous = prompts::install(box);
  f.dialog.txtBuffer->setText(QStringLiteral("0"));
  f.Leave(f.dialog.cmdOk, Qt::TabFocusReason);
  EXPECT_EQ(box->shown, 1);
  EXPECT_TRUE(f.dialog.txtBuffer->hasFocus());
  prompts::install(previous);
}

TEST(BuffersizeDialog, CancelNeedsNoValidSize) {
  DialogFixture f;
  const int before = f.d.settings.BufferSize;
  f.dialog.txtBuffer->setText(QStringLiteral("0"));
  f.Leave(f.dialog.cmdCancel, Qt::MouseFocusReason);
  QTest::mouseClick(f.dialog.cmdCancel, Qt::LeftButton);
  QApplication::processEvents();
  EXPECT_EQ(f.Messages(), 0);
  EXPECT_EQ(f.dialog.result(), QDialog::Rejected);
  EXPECT_FALSE(f.dialog.isVisible());
  EXPECT_EQ(f.d.settings.BufferSize, before);
  EXPECT_TRUE(Stored("BufferSize").isEmpty());
}

TEST(BuffersizeDialog, OkAppliesStoresAndEmptiesTheLog) {
  DialogFixture f;
  for (int i = 0; i < 10; ++i) WriteLogLine(f.d, QStringLiteral("S"), QStringLiteral("old"), 2);
  // An invalid size is refused by Ok too, and the dialog stays open.
  f.dialog.txtBuffer->setText(QStringLiteral("600"));
  f.dialog.cmdOk->click();
  EXPECT_EQ(f.Messages(), 1);
  EXPECT_TRUE(f.dialog.isVisible());
  EXPECT_EQ(f.d.settings.BufferSize, 75);

  f.dialog.txtBuffer->setText(QStringLiteral("&H64"));  // a numeric text of 100
  f.dialog.cmdOk->click();
  EXPECT_EQ(f.dialog.result(), QDialog::Accepted);
  EXPECT_EQ(f.d.settings.BufferSize, 100);
  // The whole number is stored, so the next start reads the same size.
  EXPECT_EQ(Stored("BufferSize"), "100");
  EXPECT_EQ(f.log().rowCount(), 0);
  EXPECT_EQ(f.d.run.ErrorCount, 0);
  EXPECT_TRUE(f.d.log.TotalLog.isEmpty());
  for (int i = 1; i <= 130; ++i)
    WriteLogLine(f.d, QStringLiteral("S"), QStringLiteral("n%1").arg(i), 0);
  EXPECT_EQ(f.log().rowCount(), 100);
  EXPECT_EQ(f.GridTexts().first(), "n31");
  Daemon next;
  next.settings.SettingsKeySuffix = QStringLiteral("1");
  LoadDaemonSettings(next);
  EXPECT_EQ(next.settings.BufferSize, 100);
}

TEST(BuffersizeDialog, FocusSelectsTheWholeText) {
  DialogFixture f;
  f.Leave(f.dialog.cmdOk, Qt::TabFocusReason);
  f.Leave(f.dialog.txtBuffer, Qt::TabFocusReason);
  EXPECT_EQ(f.dialog.txtBuffer->selectedText(), "75");
  EXPECT_EQ(f.dialog.vistrel1->Caption(), "LogWindow Buffersize Configuration");
  EXPECT_EQ(f.dialog.windowTitle(), "Buffersize Setup");
}
