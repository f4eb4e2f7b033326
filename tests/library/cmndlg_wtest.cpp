// The file and folder dialogs, driven offscreen: what the callers get back on a
// choice and on cancel.
#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "library/cmndlg.h"
#include "testenv.h"

using namespace mvnz;

namespace {

const QString kNul(QChar(u'\0'));

// Runs act on the next file dialog that is shown (once), then lets the caller's
// dialog call return.
void onDialog(std::function<void(QFileDialog*)> act) {
  auto* t = new QTimer;
  QObject::connect(t, &QTimer::timeout, [t, act] {
    auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dlg || !dlg->isVisible()) return;
    t->stop();
    t->deleteLater();
    act(dlg);
  });
  t->start(10);
}

// Types path into the dialog as a user would: its folder, then its name in the
// file-name box (selectFile leaves a focused box alone).
void choose(QFileDialog* d, const QString& path) {
  const QFileInfo fi(path);
  d->setDirectory(fi.absolutePath());
  d->findChild<QLineEdit*>("fileNameEdit")->setText(fi.fileName());
}

void accept(QFileDialog* d) { static_cast<QDialog*>(d)->accept(); }

QString touch(const QString& dir, const QString& name) {
  const QString p = QDir(dir).filePath(name);
  QFile f(p);
  f.open(QIODevice::WriteOnly);
  f.write("x");
  return p;
}

struct OpenArgs {
  QString fileName, fileTitle, filter;
  bool readOnly = false;
  long filterIndex = 1, flags = 0;
};

bool openWith(OpenArgs& a, const QString& initDir, bool mustExist = true, bool multi = false,
              QWidget* owner = nullptr) {
  return OpenFileDialog(a.fileName, a.fileTitle, mustExist, multi, a.readOnly, true, a.filter,
                        a.filterIndex, initDir, "Open Configuration", "ini", owner, a.flags);
}

}  // namespace

TEST(CmnDlg, FilterByIndexTable) {
  const QString list = ConvertFilter("Configuration File (*.ini)|*.ini|All files:*.*");
  EXPECT_EQ(list, "Configuration File (*.ini)" + kNul + "*.ini" + kNul + "All files" + kNul +
                      "*.*" + kNul + kNul);
  const struct {
    QString filter;
    long index;
    QString expected;
  } cases[] = {
      {list, 1, "Configuration File (*.ini)" + kNul + "*.ini"},
      {list, 2, "All files" + kNul + "*.*"},
      {list, 3, ""},
      {list, 4, ""},
      {list, 0, ""},
      {list, -1, ""},
      {kNul, 1, ""},
      {"", 1, ""},
      {"A" + kNul + "a", 1, "A" + kNul + "a"},  // last pair runs to the end
      {"no zero", 1, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(GetFilterByIndex(c.filter, c.index), c.expected) << c.index;
}

TEST(CmnDlg, OpenChosenFileGivesPathTitleAndFilter) {
  const QString dir = test::makeDir("open");
  const QString file = touch(dir, "jobs.ini");
  OpenArgs a;
  a.fileName = "jobs.ini";  // preselected in the file-name box
  a.filter = "Configuration File (*.ini)|*.ini|All files (*.*)|*.*";
  QString title, shownDir, shownName;
  QFileDialog::FileMode mode{};
  QWidget* parent = reinterpret_cast<QWidget*>(1);
  onDialog([&](QFileDialog* d) {
    title = d->windowTitle();
    shownDir = d->directory().absolutePath();
    mode = d->fileMode();
    parent = d->parentWidget();
    shownName = d->findChild<QLineEdit*>("fileNameEdit")->text();
    accept(d);
  });
  ASSERT_TRUE(openWith(a, dir));
  EXPECT_EQ(shownName, "jobs.ini");
  EXPECT_EQ(title, "Open Configuration");
  EXPECT_EQ(shownDir, QDir(dir).absolutePath());
  EXPECT_EQ(mode, QFileDialog::ExistingFile);
  EXPECT_EQ(parent, nullptr);  // no owner: an ownerless dialog
  EXPECT_EQ(a.fileName, file);
  EXPECT_EQ(a.fileTitle, "jobs.ini");
  EXPECT_EQ(a.filterIndex, 1);
  EXPECT_EQ(a.filter, "Configuration File (*.ini)" + kNul + "*.ini");
  EXPECT_EQ(a.flags, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY);
  EXPECT_FALSE(a.readOnly);
}

TEST(CmnDlg, OpenReportsTheFilterTheUserPicked) {
  const QString dir = test::makeDir("pick");
  const QString file = touch(dir, "notes.txt");
  OpenArgs a;
  a.filter = "Configuration File (*.ini)|*.ini|All files (*.*)|*.*";
  a.readOnly = true;
  a.flags = OFN_ENABLEHOOK | OFN_ENABLETEMPLATE;  // never passed on
  QWidget owner;
  QWidget* parent = nullptr;
  onDialog([&](QFileDialog* d) {
    parent = d->parentWidget();
    d->selectNameFilter(d->nameFilters().at(1));
    choose(d, file);
    accept(d);
  });
  ASSERT_TRUE(openWith(a, dir, true, false, &owner));
  EXPECT_EQ(parent, &owner);
  EXPECT_EQ(a.fileName, file);
  EXPECT_EQ(a.filterIndex, 2);
  EXPECT_EQ(a.filter, "All files (*.*)" + kNul + "*.*");
  EXPECT_EQ(a.flags, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_READONLY);
  EXPECT_TRUE(a.readOnly);
}

TEST(CmnDlg, OpenWithSeveralFilesGivesTheirFolder) {
  const QString dir = test::makeDir("multi");
  touch(dir, "a.ini");
  touch(dir, "b.ini");
  OpenArgs a;
  a.filter = "Configuration File (*.ini)|*.ini";
  QFileDialog::FileMode mode{};
  onDialog([&](QFileDialog* d) {
    mode = d->fileMode();
    d->findChild<QLineEdit*>("fileNameEdit")->setText("\"a.ini\" \"b.ini\"");
    accept(d);
  });
  ASSERT_TRUE(openWith(a, dir, false, true));
  EXPECT_EQ(mode, QFileDialog::ExistingFiles);
  EXPECT_EQ(a.fileName, QDir(dir).absolutePath());
}

TEST(CmnDlg, CancelResults) {
  const QString dir = test::makeDir("cancel");
  OpenArgs a;
  a.fileName = "old.ini";
  a.fileTitle = "old.ini";
  a.filter = "Configuration File (*.ini)|*.ini";
  a.flags = 0x800;
  onDialog([](QFileDialog* d) { d->reject(); });
  EXPECT_FALSE(openWith(a, dir));
  EXPECT_EQ(a.fileName, kNul);
  EXPECT_EQ(a.fileTitle, kNul);
  EXPECT_EQ(a.filter, kNul);
  EXPECT_EQ(a.flags, 0);
  EXPECT_EQ(a.filterIndex, -1);

  QString name = "x.ini", title = "x.ini", filter = "Configuration File (*.ini)|*.ini";
  long index = 1, flags = 0x800;
  onDialog([](QFileDialog* d) { d->close(); });  // closing counts as cancel
  EXPECT_FALSE(
      SaveFileDialog(name, title, true, filter, index, dir, "Save", "ini", nullptr, flags));
  EXPECT_EQ(name, kNul);
  EXPECT_EQ(title, kNul);
  EXPECT_EQ(filter, kNul);
  EXPECT_EQ(flags, 0);
  EXPECT_EQ(index, 0);
}

TEST(CmnDlg, SaveAddsDefaultExtensionAndHonoursOverwritePrompt) {
  const QString dir = test::makeDir("save");
  QString name, title, filter = "Configuration File (*.ini)|*.ini";
  long index = 1, flags = 0;
  bool confirms = true;
  QFileDialog::AcceptMode mode{};
  onDialog([&](QFileDialog* d) {
    mode = d->acceptMode();
    confirms = !d->testOption(QFileDialog::DontConfirmOverwrite);
    choose(d, QDir(dir).filePath("fresh"));
    accept(d);
  });
  ASSERT_TRUE(
      SaveFileDialog(name, title, false, filter, index, dir, "Save As", "ini", nullptr, flags));
  EXPECT_EQ(mode, QFileDialog::AcceptSave);
  EXPECT_FALSE(confirms);
  EXPECT_EQ(name, QDir(dir).filePath("fresh.ini"));
  EXPECT_EQ(title, "fresh.ini");
  EXPECT_EQ(index, 1);
  EXPECT_EQ(filter, "Configuration File (*.ini)" + kNul + "*.ini");
  EXPECT_EQ(flags, OFN_HIDEREADONLY);

  // With the prompt on, an existing file is chosen after a confirmation.
  const QString existing = touch(dir, "there.ini");
  name.clear();
  onDialog([&](QFileDialog* d) {
    confirms = !d->testOption(QFileDialog::DontConfirmOverwrite);
    d->setOption(QFileDialog::DontConfirmOverwrite);  // no nested box offscreen
    choose(d, existing);
    accept(d);
  });
  ASSERT_TRUE(
      SaveFileDialog(name, title, true, filter, index, dir, "Save As", "ini", nullptr, flags));
  EXPECT_TRUE(confirms);
  EXPECT_EQ(name, existing);
  EXPECT_EQ(flags, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
}

TEST(CmnDlg, BrowseFolderOpensOnInitialFolderAndReturnsChoice) {
  const QString dir = test::makeDir("browse/start");
  const QString sub = test::makeDir("browse/start/inner");
  QString shown, title;
  onDialog([&](QFileDialog* d) {
    shown = d->directory().absolutePath();
    title = d->windowTitle();
    choose(d, sub);
    accept(d);
  });
  EXPECT_EQ(BrowseFolderDialog(nullptr, "Browse Directory", dir, 0, 0), QDir(sub).absolutePath());
  EXPECT_EQ(shown, QDir(dir).absolutePath());
  EXPECT_EQ(title, "Browse Directory");

  onDialog([&](QFileDialog* d) {
    shown = d->directory().absolutePath();
    d->reject();
  });
  EXPECT_EQ(BrowseFolderDialog(nullptr, "Browse", dir + "/missing", 0, 0), QString());
  EXPECT_EQ(shown, QDir::rootPath());  // a missing start folder opens on the root
}
