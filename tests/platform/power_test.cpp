#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QThread>

#include "platform/power.h"
#include "testenv.h"

using namespace mvnz;

namespace {

// A stand-in service manager that leaves a marker when it is ever started.
QString fakeSystemctl(const QString& marker) {
  const QString path = test::makeDir("bin") + "/systemctl";
  QFile f(path);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(QString("#!/bin/sh\necho \"$@\" >> '%1'\n").arg(marker).toUtf8());
  f.close();
  f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  return path;
}

struct ListRecorder : power::Recorder {
  QStringList events;
  bool accept = true;
  void onSync() override { events << "sync"; }
  bool onRequest(const power::Request& r) override {
    events << r.program + " " + r.arguments.join(' ');
    return accept;
  }
};

}  // namespace

TEST(Power, CommandsForEachRequest) {
  qputenv("MVNZ_SYSTEMCTL", "/opt/sm/systemctl");
  qputenv("XDG_SESSION_ID", "c7");
  struct Case {
    power::Action action;
    bool force;
    const char* want;
  } cases[] = {
      {power::Action::Reboot, false, "/opt/sm/systemctl reboot --no-ask-password"},
      {power::Action::Reboot, true,
       "/opt/sm/systemctl reboot --no-ask-password --ignore-inhibitors"},
      {power::Action::PowerOff, true,
       "/opt/sm/systemctl poweroff --no-ask-password --ignore-inhibitors"},
      {power::Action::LogOff, true, "loginctl --no-ask-password terminate-session c7"},
  };
  for (const auto& c : cases) {
    const power::Request r = power::buildRequest(c.action, c.force);
    EXPECT_EQ(r.program + " " + r.arguments.join(' '), QString(c.want));
  }
}

TEST(Power, LogOffWithoutSessionIsRefused) {
  qunsetenv("XDG_SESSION_ID");
  auto rec = std::make_shared<ListRecorder>();
  power::installRecorder(rec);
  if (power::sessionId().isEmpty()) {
    EXPECT_TRUE(power::buildRequest(power::Action::LogOff, true).program.isEmpty());
  }
  power::installRecorder(nullptr);
}

TEST(Power, RecorderReceivesEverythingAndDecides) {
  auto rec = std::make_shared<ListRecorder>();
  EXPECT_EQ(power::installRecorder(rec), nullptr);
  power::syncFiles();
  EXPECT_TRUE(power::request(power::Action::PowerOff, true));
  rec->accept = false;
  EXPECT_FALSE(power::request(power::Action::Reboot, false));
  EXPECT_EQ(power::installRecorder(nullptr), rec);
  ASSERT_EQ(rec->events.size(), 3);
  EXPECT_EQ(rec->events[0], "sync");
  EXPECT_TRUE(rec->events[1].contains("poweroff"));
  EXPECT_TRUE(rec->events[2].contains("reboot"));
}

// Without a recorder, the dry run records and never starts the program, even after
// the setting has been cleared from the environment.
TEST(Power, DryRunNeverExecutesAndStaysOn) {
  const QString marker = test::rootDir() + "/systemctl-ran";
  qputenv("MVNZ_SYSTEMCTL", fakeSystemctl(marker).toLocal8Bit());
  ASSERT_TRUE(power::dryRun());
  qunsetenv("MVNZ_POWER_DRYRUN");
  EXPECT_TRUE(power::dryRun());
  EXPECT_TRUE(power::request(power::Action::Reboot, true));
  EXPECT_TRUE(power::request(power::Action::PowerOff, false));
  const auto log = power::dryRunLog();
  ASSERT_EQ(log.size(), 2);
  EXPECT_EQ(log[0].action, power::Action::Reboot);
  EXPECT_TRUE(log[0].force);
  EXPECT_EQ(log[1].arguments.first(), "poweroff");
  QThread::msleep(200);  // a started program would have written its marker by now
  EXPECT_FALSE(QFile::exists(marker));
  qputenv("MVNZ_POWER_DRYRUN", "1");
}
