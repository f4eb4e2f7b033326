#include <gtest/gtest.h>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include "opener.h"
#include "platform/shell.h"
#include "testenv.h"

using namespace mvnz;
using namespace mvnz::browselink;

namespace {

struct Line {
  QString text;
  short level;
};

void writeScript(const QString& dir, const QString& name, const QString& body) {
  QFile f(dir + "/" + name);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(("#!/bin/sh\n" + body + "\n").toUtf8());
  f.close();
  f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// A desktop whose tools are shell scripts in a folder that is the whole PATH.
class BrowseLink : public ::testing::Test {
 protected:
  void SetUp() override {
    bin = test::makeDir("fakebin");
    argsFile = test::rootDir() + "/opened";
    qputenv("PATH", bin.toLocal8Bit());
  }
  void withSettings(const QString& body) { writeScript(bin, "xdg-settings", body); }
  void withMime(const QString& body) { writeScript(bin, "xdg-mime", body); }
  void withOpener() {
    writeScript(
        bin, "xdg-open",
        QString("printf '%s\\n' \"$#\" \"$@\" > '%1.tmp'; /bin/mv '%1.tmp' '%1'").arg(argsFile));
  }
  // The opener's argument count and arguments, once it has run.
  QStringList opened() {
    QDeadlineTimer deadline(30000);
    while (!QFile::exists(argsFile) && !deadline.hasExpired()) QThread::msleep(20);
    QFile f(argsFile);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QStringList out = QString::fromUtf8(f.readAll()).split('\n');
    out.removeLast();
    return out;
  }
  bool run(const QString& url, bool autoLog = false) {
    return OpenLink({"", url}, autoLog, [this](const QString& t, short l) {
      lines.append({t, l});
    });
  }
  QString bin, argsFile;
  QList<Line> lines;
};

}  // namespace

TEST_F(BrowseLink, UrlReachesTheOpenerAsOneArgument) {
  withSettings("echo firefox.desktop");
  withOpener();
  const QString url = "http://example.invalid/a b;c?x=$(touch pwned)&y='1'";
  EXPECT_FALSE(run(url, true));
  EXPECT_EQ(opened(), QStringList({"1", url}));
  ASSERT_EQ(lines.size(), 1);
  EXPECT_EQ(lines[0].text, "Opening URL [" + url + "].....");
  EXPECT_EQ(lines[0].level, 0);
  EXPECT_FALSE(QFile::exists(QDir::current().filePath("pwned")));
}

TEST_F(BrowseLink, FallsBackToTheHtmlHandler) {
  withSettings("exit 1");
  withMime("[ \"$*\" = 'query default text/html' ] && echo browser.desktop");
  EXPECT_EQ(shell::defaultBrowser(), "browser.desktop");
  withOpener();
  EXPECT_FALSE(run("http://example.invalid/"));
  EXPECT_EQ(opened().value(1), "http://example.invalid/");
  EXPECT_TRUE(lines.isEmpty());  // AutoLog off
}

TEST_F(BrowseLink, NoDefaultBrowser) {
  withSettings("echo");  // succeeds but names nothing
  withOpener();
  EXPECT_TRUE(run("http://example.invalid/", false));
  ASSERT_EQ(lines.size(), 1);
  EXPECT_EQ(lines[0].text, "ERROR_BROWSE-LINK: Cannot find default browser!");
  EXPECT_EQ(lines[0].level, 2);
  QThread::msleep(100);
  EXPECT_FALSE(QFile::exists(argsFile));

  QFile::remove(bin + "/xdg-settings");  // no desktop tools at all
  lines.clear();
  EXPECT_TRUE(run("http://example.invalid/"));
  EXPECT_EQ(lines.value(0).text, "ERROR_BROWSE-LINK: Cannot find default browser!");
}

TEST_F(BrowseLink, OpenerMissing) {
  withSettings("echo firefox.desktop");
  EXPECT_TRUE(run("http://example.invalid/"));
  ASSERT_EQ(lines.size(), 1);
  EXPECT_EQ(lines[0].text, "ERROR_BROWSE-LINK: Cannot browse link [http://example.invalid/]");
  EXPECT_EQ(lines[0].level, 2);
}
