// The file commands over real files: what a failing write keeps (model, edits, path,
// preferences), the overwrite question asked once, cancelled choosers, loads of
// missing and unreadable files, the report of the lines a save will not write back and
// the question before a save replaces a file that could not be read.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTimer>
#include <functional>

#include "fixture.h"
#include "library/regwrap.h"
#include "manager/filecommands.h"
#include "manager/identity.h"
#include "manager/session.h"
#include "platform/prompts.h"
#include "platform/registry.h"
#include "unprivileged.h"

using namespace mvnz;
using namespace mvnz::manager;
using namespace mvnz::test;

namespace {

class FakeChoosers : public ConfigChoosers {
 public:
  QString SelectConfigFile() override { return ++opens, open; }
  QString SelectSaveConfigFile() override { return ++saves, save; }
  QString open, save;
  int opens = 0, saves = 0;
};

struct Rig {
  Session s;
  FakeChoosers choosers;
  std::shared_ptr<prompts::Recorder> boxes = std::make_shared<prompts::Recorder>();
  QString panel, status;
  Rig() {
    prompts::install(boxes);
    boxes->answer = prompts::Answer::Yes;
    QObject::connect(&s, &Session::pathShown, [this](const QString& t) { panel = t; });
    QObject::connect(&s, &Session::statusChanged, [this](const QString& t) { status = t; });
    s.ConfigurationPath = rootDir() + "/current.ini";
    s.AddRoziRoruner("Spool");
    s.model.RoziRoruners[0].ScanDirectory = "/edited/in/memory";
    s.prefs.LargeScriptIcons = true;
    registry::deleteKeyTree(QLatin1String(kManagerKey));
    // Cases share the process's root: a default file an earlier case left (read-only
    // in one of them) would answer every later "no default file yet" case.
    QFile::remove(DefaultConfigPath());
  }
  ~Rig() { prompts::install(nullptr); }
  QStringList texts() const {
    QStringList out;
    for (const auto& e : boxes->entries) out << e.text;
    return out;
  }
  bool prefsWritten() const {
    return registry::readValue(QLatin1String(kManagerKey), "ScriptIconSize").has_value();
  }
};

QString ReadOnlyFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  f.write(bytes);
  f.close();
  f.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
  return path;
}

}  // namespace

TEST(FileCommands, FailedWriteKeepsModelPathAndPreferencesAndAlwaysShowsItsBox) {
  const QString blocked = rootDir() + "/plainfile";
  QFile(blocked).open(QIODevice::WriteOnly);
  const QString underFile = blocked + "/cfg.ini";  // its folder is a file
  const QString readOnly = ReadOnlyFile(rootDir() + "/readonly.ini", "old bytes\r\n");
  const struct {
    const char* what;
    std::function<void(Rig&)> run;
    QString target;
  } cases[] = {
      {"save, silent", [](Rig& r) { WriteConfigFile(r.s, true); }, ""},
      {"save as under a file", [&](Rig& r) { r.choosers.save = underFile; SaveAs(r.s, r.choosers); }, underFile},
      {"save as over a read-only file", [&](Rig& r) { r.choosers.save = readOnly; SaveAs(r.s, r.choosers); }, readOnly},
      {"save to default, read-only", [&](Rig& r) {
         ReadOnlyFile(DefaultConfigPath(), "old bytes\r\n");
         Save2Default(r.s);
       }, DefaultConfigPath()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Rig r;
    if (QString(c.what) == "save, silent") r.s.ConfigurationPath = underFile;
    const QString before = r.s.ConfigurationPath;
    c.run(r);
    EXPECT_EQ(r.s.ConfigurationPath, before);
    ASSERT_EQ(r.s.RoziRorunerCount(), 1);
    EXPECT_EQ(r.s.model.RoziRoruners[0].ScanDirectory, "/edited/in/memory");
    ASSERT_FALSE(r.boxes->entries.isEmpty());
    const auto& box = r.boxes->entries.last();
    const QString target = c.target.isEmpty() ? underFile : c.target;
    EXPECT_TRUE(box.text.startsWith("Error saving configuration to [" + target + "]")) << box.text.toStdString();
    EXPECT_EQ(box.title, "Error Saving Configuration");
    EXPECT_EQ(box.icon, prompts::Icon::Critical);
    EXPECT_FALSE(r.texts().contains("Settings have been saved!"));
    EXPECT_EQ(r.status, "Error saving configuration!");
    EXPECT_FALSE(r.prefsWritten());
    EXPECT_EQ(readFile(readOnly), "old bytes\r\n");
  }
}

TEST(FileCommands, SaveAsWritesTheChosenFileAsksOnceAndMakesItCurrent) {
  Rig r;
  r.choosers.save = rootDir() + "/new.ini";
  QFile::remove(r.choosers.save);  // a new file, also when the case is repeated
  SaveAs(r.s, r.choosers);
  EXPECT_EQ(r.texts(), QStringList{"Settings have been saved!"});  // no question for a new file
  EXPECT_EQ(r.s.ConfigurationPath, r.choosers.save);
  EXPECT_EQ(r.panel, "1, " + r.choosers.save);
  EXPECT_TRUE(r.prefsWritten());
  const QByteArray written = readFile(r.choosers.save);
  EXPECT_TRUE(written.contains("[Spool]\r\n"));
  EXPECT_TRUE(written.contains("ScanDirectory=/edited/in/memory\r\n"));
  ASSERT_EQ(r.s.RoziRorunerCount(), 1);  // read back from the file

  for (const auto answer : {prompts::Answer::No, prompts::Answer::Yes}) {
    SCOPED_TRACE(answer == prompts::Answer::Yes ? "yes" : "no");
    Rig again;
    again.boxes->answer = answer;
    again.s.model.RoziRoruners[0].Description = "second";
    again.choosers.save = r.choosers.save;
    const QString before = again.s.ConfigurationPath;
    SaveAs(again.s, again.choosers);
    ASSERT_FALSE(again.boxes->entries.isEmpty());
    EXPECT_EQ(again.boxes->entries[0].text, "File <" + r.choosers.save + "> exists, overwrite?");
    EXPECT_EQ(again.boxes->entries[0].title, "Configuration Exists");
    EXPECT_EQ(again.texts().count("File <" + r.choosers.save + "> exists, overwrite?"), 1);
    EXPECT_EQ(readFile(r.choosers.save).contains("Description=second\r\n"), answer == prompts::Answer::Yes);
    EXPECT_EQ(again.s.ConfigurationPath, answer == prompts::Answer::Yes ? r.choosers.save : before);
  }
}

TEST(FileCommands, CancelledChoosersAndMissingDefaultChangeNothing) {
  Rig r;
  const QString before = r.s.ConfigurationPath;
  FileOpen(r.s, r.choosers);
  SaveAs(r.s, r.choosers);
  OpenDefault(r.s);
  EXPECT_EQ(r.choosers.opens, 1);
  EXPECT_EQ(r.choosers.saves, 1);
  EXPECT_EQ(r.s.ConfigurationPath, before);
  EXPECT_EQ(r.s.RoziRorunerCount(), 1);
  EXPECT_TRUE(r.boxes->entries.isEmpty());
  EXPECT_EQ(r.boxes->beeps, 1);  // Open Default without a default file
  EXPECT_FALSE(QFile::exists(before));
}

TEST(FileCommands, SaveToDefaultWithoutAFileAsksNothing) {
  Rig r;
  Save2Default(r.s);
  EXPECT_EQ(r.texts(), QStringList{"Settings have been saved!"});
  EXPECT_EQ(r.s.ConfigurationPath, DefaultConfigPath());
  EXPECT_TRUE(readFile(DefaultConfigPath()).contains("[Spool]\r\n"));
}

TEST(FileCommands, LoadsOfMissingAndUnreadableFilesKeepTheModel) {
  {
    Rig r;
    r.s.ConfigurationPath = rootDir() + "/missing.ini";
    EXPECT_TRUE(LoadConfiguration(r.s));
    EXPECT_EQ(r.s.RoziRorunerCount(), 1);
    EXPECT_EQ(r.status, "Configuration loaded.");
  }
  {
    Rig r;
    r.choosers.open = makeDir("afolder.ini");
    const QString before = r.s.ConfigurationPath;
    FileOpen(r.s, r.choosers);
    EXPECT_EQ(r.s.ConfigurationPath, before);
    EXPECT_EQ(r.s.RoziRorunerCount(), 1);
    ASSERT_EQ(r.boxes->entries.size(), 1);
    EXPECT_TRUE(r.boxes->entries[0].text.startsWith("Error loading configuration from [" + r.choosers.open + "]"));
  }
  {
    Rig r;
    QFile f(rootDir() + "/other.ini");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[CONFIGURATION]\r\nRoziRoruTitle=T\r\n\r\n[A]\r\nTrigger=FILE\r\n\r\n[B]\r\nEnabled=1\r\n\r\n");
    f.close();
    r.choosers.open = f.fileName();
    FileOpen(r.s, r.choosers);  // edits in memory are discarded without a question
    EXPECT_TRUE(r.boxes->entries.isEmpty());
    ASSERT_EQ(r.s.RoziRorunerCount(), 2);
    EXPECT_EQ(r.s.model.RoziRoruners[1].Name, "B");
    EXPECT_EQ(r.s.model.Globals.RoziRoruTitle, "T");
    EXPECT_EQ(r.s.ConfigurationPath, f.fileName());
    EXPECT_EQ(r.panel, "1, " + f.fileName());
    EXPECT_EQ(r.s.parentIndex, (QList<int>{kNoParent, kNoParent}));
  }
}

// A file being written when it is loaded is waited for while the event loop runs (here
// a timer of the test writes it); one that keeps changing is loaded as it stands, with a
// box.
TEST(FileCommands, LoadWaitsForAFileBeingWritten) {
  qputenv("MVNZ_CONFIG_SETTLE_MS", "100");
  const auto append = [](const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write(bytes);
  };
  {
    Rig r;
    QFile::remove(r.s.ConfigurationPath);
    append(r.s.ConfigurationPath, "[CONFIGURATION]\r\n[A]\r\nEnabled=1\r\n[B");
    QTimer::singleShot(50, [&] { append(r.s.ConfigurationPath, "]\r\nEnabled=1\r\n"); });
    EXPECT_TRUE(LoadConfiguration(r.s));
    ASSERT_EQ(r.s.RoziRorunerCount(), 2);
    EXPECT_EQ(r.s.model.RoziRoruners[1].Name, "B");
    EXPECT_TRUE(r.boxes->entries.isEmpty());
  }
  {
    Rig r;
    QTimer writer;
    QObject::connect(&writer, &QTimer::timeout, [&] { append(r.s.ConfigurationPath, ";\r\n"); });
    writer.start(20);
    append(r.s.ConfigurationPath, ";\r\n");
    EXPECT_TRUE(LoadConfiguration(r.s));
    writer.stop();
    EXPECT_EQ(r.s.RoziRorunerCount(), 2);
    ASSERT_EQ(r.boxes->entries.size(), 1);
    EXPECT_EQ(r.boxes->entries[0].title, "Configuration Still Changing");
    EXPECT_TRUE(r.boxes->entries[0].text.contains(r.s.ConfigurationPath));
  }
  qputenv("MVNZ_CONFIG_SETTLE_MS", "0");
}

TEST(Session, NewRoziRorunerHasTheDefaultsOfANewJobAndNoParent) {
  Session s;
  EXPECT_EQ(s.AddRoziRoruner("Spool"), 0);
  const jobfile::RoziRoruner& r = s.model.RoziRoruners[0];
  EXPECT_EQ(r.Name, "Spool");
  EXPECT_EQ(r.Description, "Spool");
  EXPECT_EQ(r.Trigger, "TIME");
  EXPECT_EQ(r.RunDays, "1111111");
  EXPECT_EQ(r.Interval, "30");
  EXPECT_EQ(r.StableTimer, 20);
  EXPECT_EQ(r.InputFilter, ".");
  EXPECT_TRUE(r.RemoveRejected);
  EXPECT_FALSE(r.SkipRejected || r.MoveRejected);
  EXPECT_EQ(r.IncludeSubdir, 1);
  EXPECT_EQ(r.OldestFirst, 1);
  EXPECT_EQ(r.SingleFileHandling, 0);
  EXPECT_EQ(r.InitialLocalsValue, "0");
  EXPECT_EQ(r.Enabled, 1);
  EXPECT_TRUE(r.Commands.isEmpty());
  EXPECT_TRUE(r.ScanDirectory.isEmpty());
  EXPECT_EQ(s.parentIndex, QList<int>{kNoParent});
  EXPECT_EQ(s.current(), nullptr);  // added, not yet selected
  s.setCurrent(0);
  EXPECT_EQ(s.current(), &s.model.RoziRoruners[0]);
  s.RemoveRoziRoruner(0);
  EXPECT_EQ(s.current(), nullptr);
}

TEST(Session, AnEditStoresOnlyWhileItsRoziRorunerIsStillTheOneShown) {
  const struct {
    const char* what;
    std::function<void(Session&)> then;
    bool stores;
  } cases[] = {
      {"nothing changed", [](Session&) {}, true},
      {"a RoziRoruner added", [](Session& s) { s.AddRoziRoruner("D"); }, true},
      {"renamed", [](Session& s) { s.RenameRoziRoruner(1, "B2"); }, true},
      {"another one chosen", [](Session& s) { s.setCurrent(2); }, false},
      {"chosen again after another", [](Session& s) { s.setCurrent(0), s.setCurrent(1); }, false},
      {"one before it removed", [](Session& s) { s.RemoveRoziRoruner(0); }, false},
      {"reordered", [](Session& s) { s.ReorderRoziRoruners({1, 0, 2}); }, false},
      {"reloaded", [](Session& s) { s.replaceModel(s.model); }, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Session s;
    for (const char* n : {"A", "B", "C"}) s.AddRoziRoruner(n);
    s.setCurrent(1);
    const ShownRoziRoruner shown = s.shown();
    c.then(s);
    jobfile::RoziRoruner* r = s.record(shown);
    EXPECT_EQ(r != nullptr, c.stores);
    if (r) EXPECT_EQ(r, &s.model.RoziRoruners[1]);
  }
}

namespace {

// The lines of a hand-edited file that the model cannot hold: each line number once.
QByteArray HandEdited() {
  QList<QByteArray> l = {";", "; Mervane Zuri - Configuration File", "; Mervane Zuri v1.0.0", ";",
                         "; a note of my own",              // 5
                         "[CONFIGURATION]", "LogDirectory=/var/log/mz"};
  for (int i = 1; i <= 16; ++i) l << "GlobalConstant=g" + QByteArray::number(i);  // 8..23
  l << "" << "[Sort incoming]" << "Trigger=file"  // 26: kept as written
    << "ScanDirectroy=/srv/in"                    // 27
    << "SkipRejected=yes"                         // 28
    << "Description = sorted"                     // 29
    << "  ; indented note";                       // 30
  QByteArray thirtyOne = "Command=Relocate";
  for (int k = 1; k <= 31; ++k) thirtyOne += "]~[p" + QByteArray::number(k);
  l << thirtyOne                                  // 31
    << "Enabled=1" << ";" << "; End of Mervane Zuri - Configuration File" << ";" << "";
  return l.join("\r\n");
}

}  // namespace

TEST(FileCommands, ALoadReportsEveryLineASaveWillNotWriteBack) {
  Rig r;
  ASSERT_NO_FATAL_FAILURE(PutFile(r.s.ConfigurationPath, HandEdited()));
  int reports = 0;
  QObject::connect(&r.s, &Session::loaded, [&reports] { ++reports; });
  ASSERT_TRUE(LoadConfiguration(r.s));
  EXPECT_EQ(reports, 1);
  const LoadReport& report = r.s.lastLoad();
  EXPECT_EQ(report.status, jobfile::ReadStatus::Loaded);
  EXPECT_EQ(report.path, r.s.ConfigurationPath);
  QList<int> lines;
  for (const jobfile::Fault& f : report.passedOver) lines << f.line;
  EXPECT_EQ(lines, (QList<int>{5, 23, 27, 28, 29, 30, 31}));
  EXPECT_EQ(jobfile::FaultText(report.passedOver[0]),
            "line 5 ignored [; a note of my own][comment, a save does not keep it]");
  EXPECT_EQ(jobfile::FaultText(report.passedOver[3]),
            "section [SORT INCOMING] line 28 skipped [SkipRejected=yes][not True, False or a number]");
  EXPECT_EQ(r.status, "Configuration loaded, 7 lines passed over.");
  EXPECT_TRUE(r.boxes->entries.isEmpty());  // the windows show the report

  // What a save writes reads back with nothing passed over.
  ASSERT_TRUE(WriteConfigFile(r.s, true));
  ASSERT_TRUE(LoadConfiguration(r.s));
  EXPECT_TRUE(r.s.lastLoad().passedOver.isEmpty());
  EXPECT_EQ(r.status, "Configuration loaded.");
  EXPECT_EQ(r.s.model.RoziRoruners[0].Trigger, "file");
}

TEST(FileCommands, ASaveOverAFileThatCouldNotBeReadAsksFirstAndNowhereElse) {
  const QString path = rootDir() + "/unread.ini";
  ASSERT_NO_FATAL_FAILURE(PutFile(path, "[Kept]\r\nEnabled=1\r\n"));
  ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0200), 0);  // the owner may write, not read
  // Without capabilities, so the mode binds even a test run as root.
  EXPECT_TRUE(RunUnprivileged([&] {
    Rig r;
    r.s.ConfigurationPath = path;
    if (LoadConfiguration(r.s) || !r.s.unreadAt(path)) return false;
    r.boxes->answer = prompts::Answer::No;
    if (WriteConfigFile(r.s, true) || r.boxes->entries.size() != 1) return false;
    const auto& asked = r.boxes->entries[0];
    if (asked.title != "Replace Unread Configuration" || asked.buttons != prompts::Buttons::YesNo ||
        !asked.text.contains("[" + path + "]"))
      return false;
    Save2Default(r.s);  // elsewhere: no question
    if (r.boxes->entries.size() != 2 || r.boxes->entries[1].text != "Settings have been saved!") return false;
    r.s.ConfigurationPath = path;
    r.boxes->answer = prompts::Answer::Yes;
    if (!WriteConfigFile(r.s, true) || r.boxes->entries.size() != 3) return false;
    if (!WriteConfigFile(r.s, true) || r.boxes->entries.size() != 3) return false;  // asked once
    return true;
  }));
  ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0600), 0);
  EXPECT_TRUE(readFile(path).contains("[Spool]\r\n"));
}
