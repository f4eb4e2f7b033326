// The service installer: its window offscreen, the one argument each operation
// passes to a fake mvnd, and what the daemon's exit status is reported as.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "installsupport.h"
#include "library/exitstatus.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "svcwright/frmmain.h"
#include "svcwright/installer.h"
#include "testenv.h"

using namespace mvnz;
using namespace mvnz::svcwright;
using namespace mvnz::install::test;
using prompts::Answer;

namespace {

const QString kSep = "]~[";

QString InstallLine(const QString& account, const QString& mode) {
  return "-install]~[Configuration=" + paths::join(paths::windowsDir(), "MVNZuri.ini") +
         "]~[ServiceName=MVNDZuri]~[DisplayName=Mervane Zuri Daemon]~[LogonAccount=" + account +
         "]~[StartupMode=" + mode;
}

const QString kUninstallLine =
    "-uninstall]~[ServiceName=MVNDZuri]~[DisplayName=Mervane Zuri Daemon]~[LogonAccount="
    "LocalSystem]~[StartupMode=Manual";

struct Rig {
  explicit Rig(int status = kExitOk, bool held = false)
      : folder(ProgramFolder("svc")), mvnd(folder, "mvnd", status, held), window(folder) {
    window.show();
  }
  void FillOther(const QString& user, const QString& pw, const QString& pw2) {
    window.optOther->click();
    window.txtUsername->setText(user);
    window.txtPassword->setText(pw);
    window.txtPassword2->setText(pw2);
  }
  PromptsScope scope;
  QString folder;
  FakeProgram mvnd;
  frmMain window;
};

}  // namespace

TEST(SvcwrightWindow, InitialState) {
  Rig r;
  EXPECT_EQ(r.window.objectName(), "frmMain");
  EXPECT_EQ(r.window.windowTitle(), "Install Mervane Zuri Daemon Service - Version 1.0.0");
  const struct {
    const char* name;
    QString text;
    bool enabled;
  } controls[] = {
      {"Frame1", "Mervane Daemon Service Installation", true},
      {"fraLogon", "Logon Configuration", true},
      {"optLocalSystem", "LocalSystem", true},
      {"optOther", "Other (domain\\account)", true},
      {"txtUsername", "", false},
      {"txtPassword", "", false},
      {"txtPassword2", "", false},
      {"cmdInstall", "&Install Service", false},
      {"cmdUninstall", "&Uninstall Service", true},
      {"cmdExit", "E&xit", true},
  };
  for (const auto& c : controls) {
    SCOPED_TRACE(c.name);
    QWidget* w = r.window.findChild<QWidget*>(c.name);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->isEnabled(), c.enabled);
    if (auto* b = qobject_cast<QAbstractButton*>(w)) { EXPECT_EQ(b->text(), c.text); }
    if (auto* g = qobject_cast<QGroupBox*>(w)) { EXPECT_EQ(g->title(), c.text); }
    if (auto* e = qobject_cast<QLineEdit*>(w)) { EXPECT_EQ(e->text(), c.text); }
  }
  EXPECT_TRUE(r.window.optLocalSystem->isChecked());
  EXPECT_EQ(r.window.txtUsername->toolTip(), "syntax: DOMAIN\\ACCOUNT");
  EXPECT_EQ(r.window.txtPassword->echoMode(), QLineEdit::Password);
  EXPECT_EQ(r.window.txtPassword2->echoMode(), QLineEdit::Password);
  QStringList modes;
  for (int i = 0; i < r.window.cmbStartupMode->count(); ++i)
    modes << r.window.cmbStartupMode->itemText(i);
  EXPECT_EQ(modes, (QStringList{"Manual", "Automatic", "Disabled"}));
  EXPECT_EQ(r.window.cmbStartupMode->currentIndex(), -1);
}

TEST(SvcwrightWindow, ControlEvents) {
  Rig r;
  QApplication::setActiveWindow(&r.window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&r.window));
  // Install is enabled exactly while a start mode is selected.
  r.window.cmbStartupMode->setCurrentIndex(1);
  EXPECT_TRUE(r.window.cmdInstall->isEnabled());
  r.window.cmbStartupMode->setCurrentIndex(-1);
  EXPECT_FALSE(r.window.cmdInstall->isEnabled());

  r.window.optOther->click();
  for (QLineEdit* e : {r.window.txtUsername, r.window.txtPassword, r.window.txtPassword2})
    EXPECT_TRUE(e->isEnabled()) << e->objectName().toStdString();
  EXPECT_TRUE(r.window.txtUsername->hasFocus());
  r.window.txtUsername->setText("DOM\\bob");
  r.window.optLocalSystem->click();
  for (QLineEdit* e : {r.window.txtUsername, r.window.txtPassword, r.window.txtPassword2})
    EXPECT_FALSE(e->isEnabled()) << e->objectName().toStdString();
  EXPECT_EQ(r.window.txtUsername->text(), "DOM\\bob");  // kept

  // Each box selects its whole text when it gets the focus.
  r.window.optOther->click();
  r.window.txtPassword->setText("secret");
  r.window.txtPassword->setFocus(Qt::TabFocusReason);
  QTRY_VERIFY(r.window.txtPassword->hasSelectedText());
  EXPECT_EQ(r.window.txtPassword->selectedText(), "secret");
  EXPECT_TRUE(r.scope.prompts->entries.isEmpty());

  r.window.cmdExit->click();
  EXPECT_FALSE(r.window.isVisible());
}

TEST(SvcwrightWindow, ConfirmationLeftWithAnotherPassword) {
  const struct {
    QString pw, pw2;
    Qt::FocusReason reason;
    bool complains;
  } cases[] = {
      {"a", "b", Qt::TabFocusReason, true},
      {"a", "a", Qt::TabFocusReason, false},
      {"", "", Qt::MouseFocusReason, false},
      {"a", "b", Qt::ActiveWindowFocusReason, false},  // the window lost the focus
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pw.toStdString() + "/" + c.pw2.toStdString());
    Rig r;
    r.FillOther("bob", c.pw, c.pw2);
    QFocusEvent out(QEvent::FocusOut, c.reason);
    QApplication::sendEvent(r.window.txtPassword2, &out);
    ASSERT_EQ(r.scope.prompts->entries.size(), c.complains ? 1 : 0);
    if (!c.complains) {
      EXPECT_EQ(r.window.txtPassword2->text(), c.pw2);
      continue;
    }
    const auto& e = r.scope.prompts->entries[0];
    EXPECT_EQ(e.text, "Passwords don't match!");
    EXPECT_EQ(e.title, "Error");
    EXPECT_EQ(e.icon, prompts::Icon::Exclamation);
    EXPECT_TRUE(r.window.txtPassword->text().isEmpty());
    EXPECT_TRUE(r.window.txtPassword2->text().isEmpty());
  }
}

TEST(SvcwrightWindow, InstallChecksTheValuesFirst) {
  const struct {
    const char* what;
    int mode;
    bool other;
    QString user, pw, pw2;
    QString box;  // the first box's title
  } cases[] = {
      {"no mode", -1, false, "", "", "", "Missing Values"},
      {"local system", 0, false, "", "", "", "Attention"},
      {"account", 2, true, "DOM\\bob", "pw", "pw", "Attention"},
      {"no user", 0, true, "", "pw", "pw", "Missing Values"},
      {"no password", 0, true, "bob", "", "", "Missing Values"},
      {"no confirmation", 0, true, "bob", "pw", "", "Missing Values"},
      {"passwords differ", 0, true, "bob", "pw", "px", "Missing Values"},
      {"separator in user", 0, true, "bob]~[LogonAccount=root", "pw", "pw", "Invalid Value"},
      {"control character in user", 0, true, "bob\nUser=root", "pw", "pw", "Invalid Value"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Rig r;
    if (c.other) r.FillOther(c.user, c.pw, c.pw2);
    r.window.cmbStartupMode->setCurrentIndex(c.mode);
    r.scope.prompts->script = {Answer::No};  // stop at the Attention question
    r.window.cmdInstall_Click();
    ASSERT_FALSE(r.scope.prompts->entries.isEmpty());
    EXPECT_EQ(r.scope.prompts->entries[0].title, c.box);
    EXPECT_EQ(r.scope.prompts->entries.size(), 1);
    EXPECT_FALSE(r.mvnd.Ran());
  }
}

// Exactly one argument, whatever the boxes hold; no password ever.
TEST(SvcwrightWindow, ArgumentPassedToTheDaemon) {
  const struct {
    const char* what;
    std::function<void(Rig&)> set;
    bool uninstall;
    QString line;
  } cases[] = {
      {"local system",
       [](Rig& r) { r.window.cmbStartupMode->setCurrentIndex(1); }, false,
       InstallLine("LocalSystem", "Automatic")},
      {"named account",
       [](Rig& r) {
         r.FillOther("DOM\\bob=1", "p w=x", "p w=x");
         r.window.cmbStartupMode->setCurrentIndex(2);
       },
       false, InstallLine("DOM\\bob=1", "Disabled")},
      {"local system after a typed password",
       [](Rig& r) {
         r.FillOther("bob", "secret", "secret");
         r.window.optLocalSystem->click();
         r.window.cmbStartupMode->setCurrentIndex(0);
       },
       false, InstallLine("LocalSystem", "Manual")},
      {"uninstall ignores the boxes",
       [](Rig& r) {
         r.FillOther("bob", "secret", "secret");
         r.window.cmbStartupMode->setCurrentIndex(1);
       },
       true, kUninstallLine},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Rig r;
    c.set(r);
    if (c.uninstall)
      r.window.cmdUninstall_Click();
    else
      r.window.cmdInstall_Click();
    EXPECT_EQ(r.mvnd.Args(), QStringList{c.line});
    EXPECT_FALSE(r.mvnd.Args().join(' ').contains("secret"));
    EXPECT_FALSE(r.mvnd.Args().join(' ').contains("p w"));
  }
}

TEST(SvcwrightWindow, QuestionsAnsweredNoStopBeforeTheDaemon) {
  const struct {
    bool uninstall;
    QList<Answer> answers;
    QStringList titles;
  } cases[] = {
      {false, {Answer::No}, {"Attention"}},
      {true, {Answer::No}, {"Remove Mervane Service"}},
      {true, {Answer::Yes, Answer::No}, {"Remove Mervane Service", "Attention"}},
  };
  for (const auto& c : cases) {
    Rig r;
    r.window.cmbStartupMode->setCurrentIndex(0);
    for (Answer a : c.answers) r.scope.prompts->script.append(a);
    c.uninstall ? r.window.cmdUninstall_Click() : r.window.cmdInstall_Click();
    EXPECT_EQ(r.scope.prompts->Titles(), c.titles);
    EXPECT_FALSE(r.mvnd.Ran());
  }
  Rig r;
  r.window.cmdUninstall_Click();
  ASSERT_EQ(r.scope.prompts->entries.size(), 3);
  EXPECT_EQ(r.scope.prompts->entries[0].text,
            "Are you sure you want to remove the selected service?");
  EXPECT_EQ(r.scope.prompts->entries[1].text,
            "Make sure no Daemons are currently running!\r\n\r\nContinue?");
  EXPECT_EQ(r.scope.prompts->entries[1].buttons, prompts::Buttons::YesNo);
}

// The daemon's exit status decides the report; its own words come after.
TEST(SvcwrightWindow, ReportsTheDaemonsResult) {
  const struct {
    bool uninstall;
    int status;
    Result result;
    QString text;
    prompts::Icon icon;
  } cases[] = {
      {false, kExitOk, Result::Installed, "The Mervane Zuri Daemon service has been installed.",
       prompts::Icon::Information},
      {false, kExitAlreadyInstalled, Result::AlreadyInstalled,
       "The Mervane Zuri Daemon service is already installed.", prompts::Icon::Exclamation},
      {false, kExitRefused, Result::Refused,
       "The daemon refused to install the service (status 2).\r\n\r\nfake mvnd says why",
       prompts::Icon::Exclamation},
      {false, kExitServiceFailed, Result::Failed, "The service could not be installed",
       prompts::Icon::Exclamation},
      {true, kExitOk, Result::Removed, "The Mervane Zuri Daemon service has been removed.",
       prompts::Icon::Information},
      {true, kExitNotInstalled, Result::NotInstalled,
       "The Mervane Zuri Daemon service is not installed.", prompts::Icon::Exclamation},
      {true, kExitRefused, Result::Refused, "The daemon refused to remove the service (status 2).",
       prompts::Icon::Exclamation},
      {true, kExitServiceFailed, Result::Failed, "with status 4).\r\n\r\nfake mvnd says why",
       prompts::Icon::Exclamation},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    Rig r(c.status);
    const Report report = c.uninstall ? RunUninstall(r.folder)
                                      : RunInstall(r.folder, Logon{}, QStringLiteral("Manual"));
    EXPECT_EQ(report.result, c.result);
    EXPECT_EQ(report.exitStatus, c.status);
    EXPECT_EQ(ExitStatusOf(report), c.status);
    EXPECT_TRUE(report.text.contains(c.text)) << report.text.toStdString();

    r.window.cmbStartupMode->setCurrentIndex(0);
    c.uninstall ? r.window.cmdUninstall_Click() : r.window.cmdInstall_Click();
    const auto& last = r.scope.prompts->entries.last();
    EXPECT_EQ(last.text, report.text);
    EXPECT_EQ(last.title, c.uninstall ? "Remove Mervane Service" : "Install Service");
    EXPECT_EQ(last.icon, c.icon);
    EXPECT_TRUE(r.window.isEnabled());
  }
}

TEST(SvcwrightWindow, InstallRefusedWhileADaemonRuns) {
  Rig r;
  process::InstanceLock daemon(QString::fromLatin1(process::kDaemonLock));
  ASSERT_TRUE(daemon.tryLock());
  r.window.cmbStartupMode->setCurrentIndex(0);
  r.window.cmdInstall_Click();
  EXPECT_FALSE(r.mvnd.Ran());
  ASSERT_FALSE(r.scope.prompts->entries.isEmpty());
  EXPECT_EQ(r.scope.prompts->entries.last().text,
            "A Mervane Zuri Daemon is running. Stop it before you install the service.");
  EXPECT_EQ(ExitStatusOf(RunInstall(r.folder, Logon{}, "Manual")), kExitRefused);
  // The removal still runs: the daemon's side stops the service itself, and the
  // installer waits only for its own child.
  EXPECT_TRUE(RunUninstall(r.folder).ok());
  EXPECT_EQ(r.mvnd.Args(), QStringList{kUninstallLine});
}

TEST(SvcwrightWindow, WindowDisabledButLiveWhileTheDaemonRuns) {
  Rig r(kExitOk, /*held=*/true);
  int ticks = 0;
  bool disabledMeanwhile = false;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    ++ticks;
    disabledMeanwhile = !r.window.isEnabled() && QApplication::overrideCursor() &&
                        QApplication::overrideCursor()->shape() == Qt::WaitCursor;
    if (ticks == 2) r.window.close();  // refused: the result is still to come
    if (ticks == 5) r.mvnd.Release();
  });
  tick.start(100);
  r.window.cmdUninstall_Click();
  EXPECT_GE(ticks, 5);
  EXPECT_TRUE(disabledMeanwhile);
  EXPECT_TRUE(r.window.isVisible());
  EXPECT_TRUE(r.window.isEnabled());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(r.scope.prompts->entries.last().text,
            "The Mervane Zuri Daemon service has been removed.");
}

TEST(SvcwrightWindow, MissingDaemonProgramIsReported) {
  PromptsScope scope;
  const QString empty = ProgramFolder("empty");
  frmMain window(empty);
  window.cmbStartupMode->setCurrentIndex(0);
  window.cmdInstall_Click();
  ASSERT_FALSE(scope.prompts->entries.isEmpty());
  EXPECT_TRUE(scope.prompts->entries.last().text.contains(empty + "/mvnd was not found"));
  EXPECT_TRUE(window.isEnabled());
  const Report removal = RunUninstall(empty);
  EXPECT_EQ(removal.result, Result::NoDaemon);
  EXPECT_EQ(ExitStatusOf(removal), 127);
}

TEST(SvcwrightCommandLine, InstallAsksItsOneQuestion) {
  const struct {
    Answer answer;
    bool runs;
  } cases[] = {{Answer::No, false}, {Answer::Yes, true}};
  for (const auto& c : cases) {
    PromptsScope scope;
    const QString folder = ProgramFolder("question");
    FakeProgram mvnd(folder, "mvnd", kExitOk);
    scope.prompts->script = {c.answer};
    EXPECT_EQ(InstallAfterQuestion(folder), kExitOk);
    ASSERT_FALSE(scope.prompts->entries.isEmpty());
    const auto& q = scope.prompts->entries[0];
    EXPECT_EQ(q.text,
              "Do you want to install the Mervane Zuri Service?\r\n\r\n[you can choose to install "
              "the service later with the Service Installer]");
    EXPECT_EQ(q.title, "Install Service");
    EXPECT_EQ(q.buttons, prompts::Buttons::YesNo);
    EXPECT_EQ(mvnd.Ran(), c.runs);
    if (c.runs) { EXPECT_EQ(mvnd.Args(), QStringList{InstallLine("LocalSystem", "")}); }
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
  }
}

// The real program: "-remove" needs no display and ends with the daemon's status.
TEST(SvcwrightCommandLine, RemoveRunsWithoutAWindow) {
  for (int status : {kExitOk, kExitRefused, kExitServiceFailed}) {
    SCOPED_TRACE(status);
    const QString folder = ProgramFolder("remove");
    FakeProgram mvnd(folder, "mvnd", status);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "no-such-platform");  // a window would abort the start
    p.setProcessEnvironment(env);
    p.start(CopyProgram("svcwright", folder), {"-remove"});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), status);
    EXPECT_EQ(mvnd.Args(), QStringList{kUninstallLine});
    EXPECT_TRUE(p.readAllStandardError().contains("Remove Mervane Service"));
  }
}
