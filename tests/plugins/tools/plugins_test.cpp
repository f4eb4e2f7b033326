// The eight plug-ins beyond the file actions, through the built libraries, with the
// lines they send to a recording log. Power requests go to a recorder only.
#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTimer>

#include <QCoreApplication>
#include "platform/power.h"
#include "platform/prompts.h"
#include "pluginfixture.h"
#include "testenv.h"

using namespace mvnz;
using test::loadPlugin;
using test::params;
using test::runCommand;
using test::sentLines;

namespace {

std::vector<std::pair<short, QString>> lines() {
  std::vector<std::pair<short, QString>> out;
  for (const auto& l : sentLines()) out.emplace_back(l.level, l.text);
  return out;
}

class ToolPlugins : public ::testing::Test {
 protected:
  void SetUp() override {
    test::installRecordingLog();
    sentLines().clear();
  }
};

}  // namespace

TEST_F(ToolPlugins, LoaderTable) {
  struct Case {
    const char *name, *cat, *iconWord, *info;
  } cases[] = {
      {"AssignValue", "Tools", "assignvalue", "Mervane Plugin: AssignValue"},
      {"Sleep", "Tools", "sleep", "Mervane Plugin: Sleep"},
      {"JournalNote", "Tools", "JournalNote", "Mervane Plugin: JournalNote"},
      {"BrowseLink", "Network", "browselink", "Mervane Plugin: BrowseLink"},
      {"HostFacts", "Windows", "hostfacts", "Mervane Plugin: HostFacts"},
      {"RebootHost", "Windows", "reboothost", "Mervane Plugin: RebootHost"},
      {"SignOutHost", "Windows", "signouthost", "Windows Mervane Plugin: SignOutHost"},
      {"PowerOffHost", "Windows", "poweroffhost", "Windows Mervane Plugin: PowerOffHost"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::Plugin p = loadPlugin(c.name);
    ASSERT_NE(p.setup, nullptr);
    p->Init();
    EXPECT_EQ(p->Info(), c.info);
    ASSERT_EQ(p->ModuleCount(), 1);
    ModType m;
    ASSERT_EQ(p->ModuleInfo(1, &m), 0);
    const QString cat = QString(c.cat).toLower();
    EXPECT_EQ(m.name, c.name);
    EXPECT_EQ(m.Cat, c.cat);
    EXPECT_EQ(m.IconLarge, QString("il_%1.ico").arg(c.iconWord));
    EXPECT_EQ(m.IconSmall, QString("is_%1.ico").arg(c.iconWord));
    EXPECT_EQ(m.CatIconLarge, "icl_" + cat + ".ico");
    EXPECT_EQ(m.CatIconSmall, "ics_" + cat + ".ico");
  }
}

TEST_F(ToolPlugins, JournalNoteAlwaysLogs) {
  for (bool autoLog : {false, true}) {
    sentLines().clear();
    EXPECT_FALSE(runCommand("JournalNote", {"Batch <FileName>\r\ndone"}, autoLog));
    EXPECT_EQ(lines(), (std::vector<std::pair<short, QString>>{{0, "Batch <FileName>\r\ndone"}}));
  }
}

// Eight lines from this machine's memory, with AutoLog off.
TEST_F(ToolPlugins, HostFactsReportsWithoutAutoLog) {
  EXPECT_FALSE(runCommand("HostFacts", {}, false));
  const auto got = lines();
  const char* labels[] = {"Total Physical Memory", "Available Physical Memory",
                          "Total Virtual Memory",  "Available Virtual Memory",
                          "Total Page File",       "Available Page File"};
  ASSERT_EQ(got.size(), 8u);
  EXPECT_EQ(got[0], std::make_pair(short(0), QString("*** MEMORY STATISTICS ***")));
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(got[i + 1].first, 1);
    const QRegularExpression re(QString("^ > %1 : [0-9,.]* kB$").arg(labels[i]));
    EXPECT_TRUE(re.match(got[i + 1].second).hasMatch()) << got[i + 1].second.toStdString();
  }
  EXPECT_TRUE(
      QRegularExpression("^ > Memory Load : \\d{1,3}[.,]00%$").match(got[7].second).hasMatch())
      << got[7].second.toStdString();
}

// Without the desktop's tools there is no default browser: an error, whatever AutoLog.
TEST_F(ToolPlugins, BrowseLinkWithoutABrowserFails) {
  qputenv("PATH", test::makeDir("emptybin").toLocal8Bit());
  EXPECT_TRUE(runCommand("BrowseLink", {"http://example.invalid/a b;c"}, true));
  EXPECT_EQ(lines(), (std::vector<std::pair<short, QString>>{
                         {0, "Opening URL [http://example.invalid/a b;c]....."},
                         {2, "ERROR_BROWSE-LINK: Cannot find default browser!"}}));
  sentLines().clear();
  EXPECT_TRUE(runCommand("BrowseLink", {"http://example.invalid/"}, false));
  EXPECT_EQ(lines(), (std::vector<std::pair<short, QString>>{
                         {2, "ERROR_BROWSE-LINK: Cannot find default browser!"}}));
}

// HostFacts has no dialog: Props only clears the data count, for any module name.
TEST_F(ToolPlugins, NoDialogProps) {
  auto recorder = std::make_shared<prompts::Recorder>();
  prompts::install(recorder);
  for (const char* name : {"HostFacts", "RebootHost", "SignOutHost", "PowerOffHost"}) {
    SCOPED_TRACE(name);
    test::Plugin p = loadPlugin(name);
    p->Init();
    recorder->entries.clear();
    QString module = QString(name).toLower();
    EXPECT_EQ(p->Props(module, params({})), 0);
    EXPECT_EQ(p->DataCount(), 0);
    EXPECT_TRUE(recorder->entries.isEmpty());
    EXPECT_EQ(p->SetLocalConstants(QStringList(16, "c")), 0);
    module = "Other";
    EXPECT_EQ(p->Props(module, params({})), 0);
    EXPECT_EQ(p->DataCount(), 0);
    if (QString(name) == "HostFacts") {
      EXPECT_TRUE(recorder->entries.isEmpty());
    } else {
      ASSERT_EQ(recorder->entries.size(), 1);
      EXPECT_EQ(recorder->entries[0].text, "Module [OTHER] is unknown!");
      EXPECT_EQ(recorder->entries[0].title, "Unknown Module");
    }
  }
  prompts::install(nullptr);
}

namespace {

// Log lines and power steps on one list, in the order they happen.
std::vector<QString>& events() {
  static std::vector<QString> e;
  return e;
}

class EventLog final : public MVNdcom {
 public:
  void* queryInterface(const char* iid) noexcept override {
    return QByteArray(iid) == kInterfaceId ? static_cast<MVNdcom*>(this) : nullptr;
  }
  bool SetMessage(short level, const QString& text, const QString&) noexcept override {
    events().push_back(QString("log %1 %2").arg(level).arg(text));
    return true;
  }
};

class EventRecorder final : public power::Recorder {
 public:
  bool accept = true;
  void onSync() override { events().push_back("sync"); }
  bool onRequest(const power::Request& r) override {
    events().push_back(QString("request %1 %2 %3")
                           .arg(int(r.action))
                           .arg(r.force ? "forced" : "plain")
                           .arg(r.program.isEmpty() ? "-" : r.arguments.join(' ')));
    return accept;
  }
};

}  // namespace

TEST_F(ToolPlugins, PowerActionsLogThenCloseFilesThenRequest) {
  ASSERT_TRUE(power::dryRun());
  activation::registerClass(MVNdcom::kProgId, [] { return std::make_unique<EventLog>(); });
  auto recorder = std::make_shared<EventRecorder>();
  power::installRecorder(recorder);
  qputenv("XDG_SESSION_ID", "c7");  // the session a log-off ends
  struct Case {
    const char* plugin;
    power::Action action;
    const char* progress;
    const char* arguments;
  } cases[] = {
      {"RebootHost", power::Action::Reboot, "Restarting Windows.....",
       "reboot --no-ask-password --ignore-inhibitors"},
      {"SignOutHost", power::Action::LogOff, "Logging-off Windows.....",
       "--no-ask-password terminate-session c7"},
      {"PowerOffHost", power::Action::PowerOff, "Shutting-down Windows.....",
       "poweroff --no-ask-password --ignore-inhibitors"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.plugin);
    const QString request = QString("request %1 forced %2").arg(int(c.action)).arg(c.arguments);
    for (bool accept : {true, false}) {
      recorder->accept = accept;  // a refused request is not reported
      events().clear();
      EXPECT_FALSE(runCommand(c.plugin, {}, true));
      EXPECT_EQ(events(), (std::vector<QString>{QString("log 0 ") + c.progress, "sync", request}));
      events().clear();
      EXPECT_FALSE(runCommand(c.plugin, {}, false));  // AutoLog off: nothing logged before it
      EXPECT_EQ(events(), (std::vector<QString>{"sync", request}));
    }
  }
  power::installRecorder(nullptr);
}

// A short real wait through the plug-in: timers keep firing while it waits.
TEST_F(ToolPlugins, SleepWaitsWhileTimersFire) {
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
  timer.start(10);
  QElapsedTimer clock;
  clock.start();
  EXPECT_FALSE(runCommand("Sleep", {"3", "100"}, true));
  EXPECT_GE(clock.elapsed(), 300);
  EXPECT_GE(ticks, 3);
  EXPECT_EQ(lines(), (std::vector<std::pair<short, QString>>{{0, "Sleeping for 300 ms....."}}));
}

// The program's end cuts a long Sleep short, and later ones do not wait at all.
// (Last in this file: the end, once announced, stays for the process.)
TEST_F(ToolPlugins, SleepEndsWhenTheProgramEnds) {
  QTimer::singleShot(50, [] { QCoreApplication::exit(0); });
  QElapsedTimer clock;
  clock.start();
  EXPECT_FALSE(runCommand("Sleep", {"600", "1000"}, false));
  EXPECT_LT(clock.elapsed(), 60000);
  clock.restart();
  EXPECT_FALSE(runCommand("Sleep", {"600", "1000"}, false));
  EXPECT_LT(clock.elapsed(), 60000);
  EXPECT_TRUE(lines().empty());
}
