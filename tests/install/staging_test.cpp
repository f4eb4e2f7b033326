// `cmake --install --strip` into a DESTDIR staging folder, once: the staged tree is
// checked file by file against the layout, its desktop entry and manual pages by their
// checkers, and the staged programs run from there: mvnd a headless job through a
// staged plug-in (and none from a plug-in tree others may change), mvnd -install a unit
// that points at the staged mvnd and help, svcwright -remove its removal.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QUrl>

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

// Every file below root (links too), as paths relative to it.
QSet<QString> FilesBelow(const QString& root) {
  QSet<QString> files;
  QDirIterator it(root, QDir::Files | QDir::System | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) files.insert(QDir(root).relativeFilePath(it.next()));
  return files;
}

// The names of a source folder's files that match filter.
QStringList SourceFiles(const QString& folder, const QString& filter) {
  return QDir(QStringLiteral(MVNZ_SOURCE_DIR) + "/" + folder).entryList({filter}, QDir::Files);
}

// What the installed tree holds, relative to its prefix, and nothing else.
QSet<QString> ExpectedLayout() {
  QStringList files = {"bin/mvnd", "bin/MervaneZuri", "bin/svcwright", "bin/deployer",
                       "lib/mervanezuri/libmvnz_platform.so",
                       "share/mervanezuri/help/index.html",
                       "share/mervanezuri/credits/credits.rtf",
                       "share/doc/mervanezuri/README.md",
                       "share/doc/mervanezuri/ARCHITECTURE.md",
                       "share/doc/mervanezuri/examples/MVNZuri.ini.sample",
                       "share/applications/mervanezuri.desktop",
                       "share/icons/hicolor/scalable/apps/mervanezuri.svg",
                       "share/man/man1/MervaneZuri.1", "share/man/man8/mvnd.8",
                       "share/man/man8/svcwright.8", "share/man/man8/deployer.8"};
  for (const char* plugin :
       {"AssignValue", "Relocate", "Duplicate", "Erase", "Scour", "MakeFolder", "DropFolder",
        "Sleep", "BrowseLink", "JournalNote", "HostFacts", "RebootHost", "SignOutHost",
        "PowerOffHost"})
    files << QStringLiteral("lib/mervanezuri/Plugins/%1.so").arg(plugin);
  for (const QString& icon : SourceFiles("manager/app/Icons", "*.ico"))
    files << "share/mervanezuri/Icons/" + icon;
  for (const QString& doc : SourceFiles("docs", "*.md")) files << "share/doc/mervanezuri/" + doc;
  return QSet<QString>(files.begin(), files.end());
}

void ExpectLayout(const QString& root) {
  const QSet<QString> found = FilesBelow(root), expected = ExpectedLayout();
  for (const QString& f : expected - found) ADD_FAILURE() << "missing: " << f.toStdString();
  for (const QString& f : found - expected) ADD_FAILURE() << "not expected: " << f.toStdString();
  EXPECT_EQ(mvnz::test::readFile(root + "/share/doc/mervanezuri/examples/MVNZuri.ini.sample")
                .indexOf("run-demo"),
            -1);
  // Stripped: the programs carry no debugging sections.
  const Outcome sections = Start("readelf", {"-S", "-W", root + "/bin/mvnd"});
  EXPECT_EQ(sections.status, 0);
  EXPECT_FALSE(sections.output.contains(".debug_")) << "mvnd is not stripped";
  // Nothing of the build folder is needed at run time.
  const Outcome libs = Start("ldd", {root + "/bin/mvnd"});
  EXPECT_FALSE(libs.output.contains(MVNZ_BUILD_DIR)) << libs.output.toStdString();
}

// The desktop entry passes its checker, and each manual page renders without a warning
// and has the sections a reader looks for.
void ExpectCleanDesktopEntryAndManualPages(const QString& root) {
  const Outcome entry =
      Start("desktop-file-validate", {root + "/share/applications/mervanezuri.desktop"});
  EXPECT_EQ(entry.status, 0) << entry.output.toStdString();
  EXPECT_TRUE(entry.output.isEmpty()) << entry.output.toStdString();
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("MANWIDTH", "80");
  for (const char* page : {"man1/MervaneZuri.1", "man8/mvnd.8", "man8/svcwright.8",
                           "man8/deployer.8"}) {
    SCOPED_TRACE(page);
    QProcess man;
    man.setProcessEnvironment(env);
    man.start("man", {"--warnings", "-l", root + "/share/man/" + page});
    ASSERT_TRUE(man.waitForFinished(kWaitMs));
    EXPECT_EQ(man.exitCode(), 0);
    EXPECT_EQ(man.readAllStandardError(), QByteArray());
    const QByteArray text = man.readAllStandardOutput();
    for (const char* section : {"NAME", "SYNOPSIS", "DESCRIPTION", "FILES", "ENVIRONMENT",
                                "EXIT STATUS"})
      EXPECT_TRUE(text.contains(section)) << section;
  }
}

}  // namespace

TEST(InstallTree, StagedProgramsRunFromTheStagingFolder) {
  const QString stage = mvnz::test::makeDir("stage");
  QProcessEnvironment installEnv = QProcessEnvironment::systemEnvironment();
  installEnv.insert("DESTDIR", stage);
  const Outcome install =
      Start(QStringLiteral(MVNZ_CMAKE_COMMAND),
            {"--install", QStringLiteral(MVNZ_BUILD_DIR), "--prefix", kPrefix, "--strip"},
            installEnv);
  ASSERT_EQ(install.status, 0) << install.output.toStdString();

  const QString root = stage + kPrefix;
  const QString bin = root + "/bin";
  ExpectLayout(root);
  ExpectCleanDesktopEntryAndManualPages(root);

  // A headless job: one plug-in note, then the daemon ends itself.
  const QString logs = mvnz::test::rootDir() + "/logs";
  const QString sep = "]~[";
  const auto command = [&](const QString& name, const QStringList& params) {
    QStringList p = params;
    while (p.size() < 30) p << QString();
    return "Command=" + name + sep + p.join(sep);
  };
  const auto writeJob = [&](const QString& note) {
    QFile f(mvnz::paths::configFile());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    const QStringList lines = {"[CONFIGURATION]", "LogDirectory=" + logs, "EnableLogging=1",
                               "AutoStart=1", "AutoStartState=4", "", "[Staged]",
                               "Description=staged run", "Trigger=TIME",
                               "Interval=*ON-STARTUP*", "StableTimer=-1",
                               command("JournalNote", {note}), command("EndDaemon", {}),
                               "Enabled=1"};
    f.write((lines.join("\r\n") + "\r\n").toUtf8());
  };
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("MVNZ_SYSTEMCTL", Systemctl());
  writeJob("Hello from the staged tree");
  const Outcome job = Start(bin + "/mvnd", {}, env);
  EXPECT_EQ(job.status, 0) << job.output.toStdString();
  EXPECT_TRUE(LogHolds(logs, "FS1_Staged.log", "Hello from the staged tree"));

  // A plug-in tree that others may change is not loaded from: the note is not written.
  const QString ownLib = root + "/lib/mervanezuri";
  ASSERT_TRUE(mvnz::test::setMode(ownLib, 0775));
  writeJob("Hello from a group-writable tree");
  const Outcome unsafe = Start(bin + "/mvnd", {}, env);
  ASSERT_TRUE(mvnz::test::setMode(ownLib, 0755));
  EXPECT_EQ(unsafe.status, 0) << unsafe.output.toStdString();
  EXPECT_FALSE(LogHolds(logs, "FS1_Staged.log", "Hello from a group-writable tree"));

  // The unit the staged mvnd writes starts the staged mvnd; svcwright removes it.
  const QString unit = mvnz::paths::join(mvnz::paths::unitDir(), "MVNDZuri.service");
  const Outcome add = Start(bin + "/mvnd", {"-install]~[ServiceName=MVNDZuri]~[StartupMode=Manual"}, env);
  ASSERT_EQ(add.status, 0) << add.output.toStdString();
  const QByteArray unitText = mvnz::test::readFile(unit);
  EXPECT_TRUE(unitText.contains("ExecStart=\"" + bin.toUtf8() + "/mvnd\"")) << unitText.toStdString();
  // The help the unit names is the staged one.
  const QString help = root + "/share/mervanezuri/help/index.html";
  EXPECT_TRUE(unitText.contains("Documentation=" + QUrl::fromLocalFile(help).toEncoded() + "\n"))
      << unitText.toStdString();
  const Outcome remove = Start(bin + "/svcwright", {"-remove"}, env);
  EXPECT_EQ(remove.status, 0) << remove.output.toStdString();
  EXPECT_FALSE(QFile::exists(unit));
}
