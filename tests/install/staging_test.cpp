// `cmake --install` into a DESTDIR staging folder; the staged programs then run from
// there: mvnd a headless job through a staged plug-in, mvnd -install a unit that
// points at the staged mvnd, svcwright -remove its removal.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>

#include "platform/paths.h"
#include "testenv.h"

namespace {

constexpr int kWaitMs = 120000;
const QString kPrefix = "/opt/mervanezuri";

struct Outcome {
  int status = -1;
  QByteArray output;
};

Outcome Start(const QString& program, const QStringList& args,
          const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
  QProcess p;
  p.setProcessEnvironment(env);
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(program, args);
  if (!p.waitForStarted(kWaitMs) || !p.waitForFinished(kWaitMs)) return {-1, p.readAll()};
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2, p.readAll()};
}

QString Systemctl() {
  const QString script = mvnz::test::rootDir() + "/systemctl";
  QFile f(script);
  EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(QStringLiteral("#!/bin/sh\necho \"$*\" >> '%1/calls'\n").arg(mvnz::test::rootDir()).toUtf8());
  f.close();
  f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  return script;
}

// The line of a job's log that holds text, from any log file below dir.
bool LogHolds(const QString& dir, const QString& name, const QByteArray& text) {
  QDirIterator it(dir, {name}, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext())
    if (mvnz::test::readFile(it.next()).contains(text)) return true;
  return false;
}

}  // namespace

TEST(InstallTree, StagedProgramsRunFromTheStagingFolder) {
  const QString stage = mvnz::test::makeDir("stage");
  QProcessEnvironment installEnv = QProcessEnvironment::systemEnvironment();
  installEnv.insert("DESTDIR", stage);
  const Outcome install = Start(QStringLiteral(MVNZ_CMAKE_COMMAND),
                            {"--install", QStringLiteral(MVNZ_BUILD_DIR), "--prefix", kPrefix},
                            installEnv);
  ASSERT_EQ(install.status, 0) << install.output.toStdString();

  const QString root = stage + kPrefix;
  const QString bin = root + "/bin";
  for (const QString& file :
       {bin + "/mvnd", bin + "/svcwright", bin + "/deployer", bin + "/Plugins/Relocate.so",
        bin + "/Plugins/JournalNote.so", root + "/share/doc/mervanezuri/README.md",
        root + "/share/doc/mervanezuri/examples/MVNZuri.ini.sample"})
    EXPECT_TRUE(QFileInfo(file).isFile()) << file.toStdString();
  EXPECT_EQ(QDir(bin + "/Plugins").entryList({"*.so"}, QDir::Files).size(), 14);
  // Nothing of the build folder is needed at run time.
  const Outcome libs = Start("ldd", {bin + "/mvnd"});
  EXPECT_FALSE(libs.output.contains(MVNZ_BUILD_DIR)) << libs.output.toStdString();

  // A headless job: one plug-in note, then the daemon ends itself.
  const QString logs = mvnz::test::rootDir() + "/logs";
  const QString sep = "]~[";
  const auto command = [&](const QString& name, const QStringList& params) {
    QStringList p = params;
    while (p.size() < 30) p << QString();
    return "Command=" + name + sep + p.join(sep);
  };
  {
    QFile f(mvnz::paths::configFile());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    const QStringList lines = {"[CONFIGURATION]", "LogDirectory=" + logs, "EnableLogging=1",
                               "AutoStart=1", "AutoStartState=4", "", "[Staged]",
                               "Description=staged run", "Trigger=TIME",
                               "Interval=*ON-STARTUP*", "StableTimer=-1",
                               command("JournalNote", {"Hello from the staged tree"}),
                               command("EndDaemon", {}), "Enabled=1"};
    f.write((lines.join("\r\n") + "\r\n").toUtf8());
  }
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("MVNZ_SYSTEMCTL", Systemctl());
  const Outcome job = Start(bin + "/mvnd", {}, env);
  EXPECT_EQ(job.status, 0) << job.output.toStdString();
  EXPECT_TRUE(LogHolds(logs, "FS1_Staged.log", "Hello from the staged tree"));

  // The unit the staged mvnd writes starts the staged mvnd; svcwright removes it.
  const QString unit = mvnz::paths::join(mvnz::paths::unitDir(), "MVNDZuri.service");
  const Outcome add = Start(bin + "/mvnd", {"-install]~[ServiceName=MVNDZuri]~[StartupMode=Manual"}, env);
  ASSERT_EQ(add.status, 0) << add.output.toStdString();
  EXPECT_TRUE(mvnz::test::readFile(unit).contains("ExecStart=\"" + bin.toUtf8() + "/mvnd\""))
      << mvnz::test::readFile(unit).toStdString();
  const Outcome remove = Start(bin + "/svcwright", {"-remove"}, env);
  EXPECT_EQ(remove.status, 0) << remove.output.toStdString();
  EXPECT_FALSE(QFile::exists(unit));
}
