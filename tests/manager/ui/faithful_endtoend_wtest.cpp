// End to end under Xvfb, the real MervaneZuri driven by keys: what a user types is
// what is saved, into the RoziRoruner they chose (in the script editor), the lines of
// a hand-edited file that a save will not write back are listed first, a file that
// cannot be read starts the program with none and is replaced only when the user says
// so, values keep their trailing blanks, and a stable time the daemon would read as
// another number is refused.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "endtoend.h"
#include "managerrig.h"
#include "manager/filecommands.h"
#include "manager/identity.h"
#include "platform/activation.h"
#include "testenv.h"

using namespace mvnz;
using namespace mvnz::manager;
using namespace mvnz::test;

namespace {

// The manager's own file with one job per (name, description), each as Canonical's.
QByteArray Jobs(const QList<std::pair<QByteArray, QByteArray>>& jobs) {
  const QByteArray one = Canonical("/srv/in", "/srv/done", "/srv/logs", "\\.txt$");
  const qsizetype start = one.indexOf("[Mover]\r\n"), end = one.indexOf(";\r\n; End of");
  QByteArray out = one.left(start);
  for (const auto& [name, description] : jobs) {
    QByteArray section = one.mid(start, end - start);
    section.replace("[Mover]", "[" + name + "]");
    section.replace("Description=moves text files", "Description=" + description);
    out += section;
  }
  return out + one.mid(end);
}

// bytes with extra inserted after the first line that starts with after.
QByteArray Inserted(QByteArray bytes, const QByteArray& after, const QByteArray& extra) {
  const qsizetype at = bytes.indexOf("\r\n", bytes.indexOf("\n" + after)) + 2;
  return bytes.insert(at, extra);
}

// The 1-based numbers of the lines of bytes that are one of lines.
QList<int> LineNumbers(const QByteArray& bytes, const QList<QByteArray>& lines) {
  QList<int> out;
  const QList<QByteArray> all = bytes.split('\n');
  for (int i = 0; i < all.size(); ++i)
    if (lines.contains(all[i].chopped(all[i].endsWith('\r') ? 1 : 0))) out << i + 1;
  return out;
}

}  // namespace

TEST(ManagerEndToEnd, TheRoziRorunerChosenInTheEditorIsTheOneEditedInTheMainWindow) {
  TestDisplay display;
  if (display.name().isEmpty()) GTEST_SKIP() << display.why();
  const QByteArray input = Jobs({{"Sort incoming", "sorts"}, {"Purge archive", "purges"}});
  ASSERT_NO_FATAL_FAILURE(PutFile(DefaultConfigPath(), input));
  activation::setPluginFolder(QStringLiteral(MVNZ_BIN_DIR) + "/Plugins");
  // Tab to the page's Command Script button, Space opens the editor; Tab to its
  // RoziRoruner box, Down picks the next one; Escape hides the editor and gives the
  // focus back to the button; Tab on to the description.
  const QList<int> page = TabsToFields(DefaultConfigPath(), {"cmdCommands", "txtDescription"});
  ASSERT_LT(page[1], 200);
  QList<QKeyCombination> open(page[0], QKeyCombination(Qt::Key_Tab));
  open << QKeyCombination(Qt::Key_Space);
  const int toBox = TabsToFields(DefaultConfigPath(), {"cmbRoziRorunerList"}, open).value(0);
  ASSERT_LT(toBox, 50);

  QProcess manager;
  const QString window = StartManagerWindow(manager, display);
  ASSERT_FALSE(window.isEmpty());
  ASSERT_TRUE(display.keys(window, QStringList(page[0], QStringLiteral("Tab")) << "space"));
  const QString editor = display.waitForVisible("Command Script");
  ASSERT_FALSE(editor.isEmpty());
  ASSERT_TRUE(display.keys(editor, QStringList(toBox, QStringLiteral("Tab")) << "Down" << "Escape"));
  ASSERT_TRUE(display.keys(window, QStringList(page[1] - page[0], QStringLiteral("Tab"))));
  // Appended to the description the window shows.
  ASSERT_TRUE(display.keys(window, {"End"}));
  ASSERT_TRUE(display.type(window, " and more"));
  ASSERT_TRUE(display.keys(window, {"ctrl+s"}));
  ASSERT_NO_FATAL_FAILURE(AcknowledgeSaved(display, manager));
  ASSERT_NO_FATAL_FAILURE(QuitManager(display, window, manager));
  EXPECT_EQ(readFile(DefaultConfigPath()), Jobs({{"Sort incoming", "sorts"}, {"Purge archive", "purges and more"}}));
}

TEST(ManagerEndToEnd, LinesASaveWillNotWriteBackAreListedOnceBeforeTheSave) {
  TestDisplay display;
  if (display.name().isEmpty()) GTEST_SKIP() << display.why();
  if (QStandardPaths::findExecutable("xclip").isEmpty()) GTEST_SKIP() << "xclip is not installed";
  const QByteArray clean = Jobs({{"Sort incoming", "sorts"}});
  QByteArray thirtyOne = "Command=Relocate";
  for (int k = 1; k <= 31; ++k) thirtyOne += "]~[p" + QByteArray::number(k);
  const QList<QByteArray> bad = {"; a note of my own", "GlobalConstant=sixteenth", "ScanDirectroy=/srv/typo",
                                 "SkipRejected=yes",   "Description = other",      thirtyOne};
  QByteArray input = clean;
  input = Inserted(input, ";\r\n\r\n", bad[0] + "\r\n");  // after the header
  input.replace("GlobalConstant=\r\nAutoStart=", "GlobalConstant=\r\n" + bad[1] + "\r\nAutoStart=");
  input = Inserted(input, "SkipRejected=True", bad[2] + "\r\n" + bad[3] + "\r\n" + bad[4] + "\r\n");
  input = Inserted(input, "Command=Relocate", thirtyOne + "\r\n");
  const QList<int> numbers = LineNumbers(input, bad);
  ASSERT_EQ(numbers.size(), bad.size());
  ASSERT_NO_FATAL_FAILURE(PutFile(DefaultConfigPath(), input));

  QProcess manager;
  const QString window = StartManagerWindow(manager, display);
  ASSERT_FALSE(window.isEmpty());
  const QString box = display.waitForVisible("Configuration Lines Passed Over");
  ASSERT_FALSE(box.isEmpty()) << manager.readAllStandardError().toStdString();
  // The list has the focus: all of it to the clipboard.
  ASSERT_TRUE(display.keys(box, {"ctrl+a", "ctrl+c"}));
  const std::optional<QString> copied = display.clipboard();
  ASSERT_TRUE(copied.has_value());
  const QStringList listed = copied->split('\n', Qt::SkipEmptyParts);
  EXPECT_EQ(listed.size(), bad.size()) << copied->toStdString();
  for (int n : numbers) {
    const QRegularExpression line(QStringLiteral("(^|\\] )line %1 ").arg(n));
    EXPECT_EQ(listed.filter(line).size(), 1) << "line " << n << " in " << copied->toStdString();
  }
  ASSERT_TRUE(display.keys(box, {"Escape"}));
  ASSERT_TRUE(display.keys(window, {"ctrl+s"}));
  ASSERT_NO_FATAL_FAILURE(AcknowledgeSaved(display, manager));
  ASSERT_NO_FATAL_FAILURE(QuitManager(display, window, manager));
  EXPECT_EQ(readFile(DefaultConfigPath()), clean);
}

TEST(ManagerEndToEnd, AFileThatCannotBeReadStartsWithNoneAndIsReplacedOnlyWhenTheUserSaysSo) {
  TestDisplay display;
  if (display.name().isEmpty()) GTEST_SKIP() << display.why();
  const QByteArray kept = Jobs({{"Kept", "never read"}});
  const QString unreadable = rootDir() + "/mode000.ini";
  ASSERT_NO_FATAL_FAILURE(PutFile(unreadable, kept));
  ASSERT_EQ(::chmod(QFile::encodeName(unreadable).constData(), 0), 0);
  const QString folder = makeDir("folder.ini");
  QFile::remove(DefaultConfigPath());

  for (const QString& path : {unreadable, folder}) {
    SCOPED_TRACE(path.toStdString());
    QProcess manager;
    const QString window = StartManagerWindow(manager, display, {{path}, true});
    ASSERT_FALSE(window.isEmpty());
    const QString why = display.waitForVisible("Error Loading Configuration");
    ASSERT_FALSE(why.isEmpty()) << manager.readAllStandardError().toStdString();
    ASSERT_TRUE(display.keys(why, {"Return"}));
    // A save to the same path asks first; No keeps what stands there.
    ASSERT_TRUE(display.keys(window, {"ctrl+s"}));
    const QString ask = display.waitForVisible("Replace Unread Configuration");
    ASSERT_FALSE(ask.isEmpty());
    ASSERT_TRUE(display.keys(ask, {"alt+n"}));
    // Saved elsewhere (Save to Default): no question, a file without RoziRoruners.
    ASSERT_TRUE(display.keys(window, {"ctrl+w"}));
    ASSERT_NO_FATAL_FAILURE(AcknowledgeSaved(display, manager));
    ASSERT_NO_FATAL_FAILURE(QuitManager(display, window, manager));
    const QByteArray saved = readFile(DefaultConfigPath());
    EXPECT_TRUE(saved.contains("[CONFIGURATION]\r\n"));
    EXPECT_FALSE(saved.contains("[Kept]"));
    QFile::remove(DefaultConfigPath());
  }
  EXPECT_EQ(readFile(unreadable), kept);
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(unreadable).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0u);
  EXPECT_TRUE(QFileInfo(folder).isDir());
}

TEST(ManagerEndToEnd, TrailingBlanksTypedIntoTheLogFolderAndAConstantAreSaved) {
  TestDisplay display;
  if (display.name().isEmpty()) GTEST_SKIP() << display.why();
  const QByteArray input = Jobs({{"Sort incoming", "sorts"}});
  ASSERT_NO_FATAL_FAILURE(PutFile(DefaultConfigPath(), input));
  // Tab to the side bar's Preferences link, Space shows the global settings; Tab to
  // the log folder, then on to the button of the global constants.
  const int toLink = TabsToFields(DefaultConfigPath(), {"expBar:CONFIG:PREFS"}).value(0);
  ASSERT_LT(toLink, 200);
  QList<QKeyCombination> open(toLink, QKeyCombination(Qt::Key_Tab));
  open << QKeyCombination(Qt::Key_Space);
  const QList<int> tabs = TabsToFields(DefaultConfigPath(), {"txtLogdir", "cmdSetGlobalConstants"}, open);
  ASSERT_LT(tabs[1], 200);

  QProcess manager;
  const QString window = StartManagerWindow(manager, display);
  ASSERT_FALSE(window.isEmpty());
  ASSERT_TRUE(display.keys(window, QStringList(toLink, QStringLiteral("Tab")) << "space"));
  ASSERT_TRUE(display.keys(window, QStringList(tabs[0], QStringLiteral("Tab"))));
  ASSERT_TRUE(display.type(window, "/var/log/mz  "));
  // The dialog opens with the first constant's box focused.
  ASSERT_TRUE(display.keys(window, QStringList(tabs[1] - tabs[0], QStringLiteral("Tab")) << "space"));
  const QString constants = display.waitForVisible("Global Constants");
  ASSERT_FALSE(constants.isEmpty());
  ASSERT_TRUE(display.type(constants, "first  "));
  ASSERT_TRUE(display.keys(constants, {"alt+o"}));
  ASSERT_TRUE(display.keys(window, {"ctrl+s"}));
  ASSERT_NO_FATAL_FAILURE(AcknowledgeSaved(display, manager));
  ASSERT_NO_FATAL_FAILURE(QuitManager(display, window, manager));
  QByteArray expected = input;
  expected.replace("LogDirectory=/srv/logs\r\n", "LogDirectory=/var/log/mz  \r\n");
  expected.replace("InitialGlobalsValue=\r\nGlobalConstant=\r\n", "InitialGlobalsValue=\r\nGlobalConstant=first  \r\n");
  EXPECT_EQ(readFile(DefaultConfigPath()), expected);
}

TEST(ManagerEndToEnd, AStableTimeTheDaemonWouldReadOtherwiseIsRefused) {
  TestDisplay display;
  if (display.name().isEmpty()) GTEST_SKIP() << display.why();
  const QByteArray input = Jobs({{"Sort incoming", "sorts"}});
  ASSERT_NO_FATAL_FAILURE(PutFile(DefaultConfigPath(), input));
  const int toStable = TabsToFields(DefaultConfigPath(), {"txtStabletimer"}).value(0);
  ASSERT_LT(toStable, 200);

  QProcess manager;
  const QString window = StartManagerWindow(manager, display);
  ASSERT_FALSE(window.isEmpty());
  ASSERT_TRUE(display.keys(window, QStringList(toStable, QStringLiteral("Tab"))));
  ASSERT_TRUE(display.type(window, "inf"));
  ASSERT_TRUE(display.keys(window, {"Tab"}));
  const QString refused = display.waitForVisible("Illegal Value");
  ASSERT_FALSE(refused.isEmpty());
  ASSERT_TRUE(display.keys(refused, {"Return"}));  // the box sets the default, 20
  ASSERT_TRUE(display.keys(window, {"ctrl+s"}));
  ASSERT_NO_FATAL_FAILURE(AcknowledgeSaved(display, manager));
  ASSERT_NO_FATAL_FAILURE(QuitManager(display, window, manager));
  QByteArray expected = input;
  expected.replace("StableTimer=-1\r\n", "StableTimer=20\r\n");
  EXPECT_EQ(readFile(DefaultConfigPath()), expected);
}
