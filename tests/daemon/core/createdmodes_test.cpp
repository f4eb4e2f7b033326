// What the daemon creates has its own fixed mode, which a weak umask never loosens
// and a strict one narrows further.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <functional>

#include "daemon/logfiles.h"
#include "daemon/startup.h"
#include "library/jobfile.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "testenv.h"

using namespace mvnz;

namespace {

mode_t modeOf(const QString& path) {
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0) return 07777;
  return st.st_mode & 07777;
}

}  // namespace

TEST(CreatedModes, FixedModesUnderEveryUmask) {
  const QString root = test::makeDir("modes");
  const QString src = root + "/source.bin";
  {
    QFile f(src);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  ::chmod(QFile::encodeName(src).constData(), 04766);

  const struct Case {
    const char* what;
    std::function<QString(const QString& tag)> make;  // returns the path to look at
    mode_t under000, under077;
  } cases[] = {
      {"target folder",
       [&](const QString& t) {
         EXPECT_TRUE(fileops::makeFolders(root + "/out" + t + "/a/b").ok());
         return root + "/out" + t + "/a";
       },
       0755, 0700},
      {"log folder",
       [&](const QString& t) {
         EXPECT_EQ(mvnd::LogFilePort().Append(root + "/log" + t, "day.log", "line\n"), QString());
         return root + "/log" + t;
       },
       0755, 0700},
      {"log file",
       [&](const QString& t) {
         EXPECT_EQ(mvnd::LogFilePort().Append(root + "/lf" + t, "day.log", "line\n"), QString());
         return root + "/lf" + t + "/day.log";
       },
       0644, 0600},
      {"copy",
       [&](const QString& t) {
         EXPECT_TRUE(fileops::copyFile(src, root + "/copy" + t, fileops::Replace::No).ok());
         return root + "/copy" + t;
       },
       0766, 0700},
      {"registry store",
       [&](const QString& t) {
         EXPECT_EQ(registry::writeValue("Software\\Modes", t, "v"), registry::kOk);
         return paths::registryDir() + "/store.json";
       },
       0600, 0600},
      {"settings file",
       [&](const QString&) {
         QFile::remove(paths::userSettingsDir() + "/MervaneZuri.ini");
         mvnd::SaveLastStartTime(QDateTime::currentDateTime());
         return paths::userSettingsDir() + "/MervaneZuri.ini";
       },
       0600, 0600},
      {"configuration file",
       [&](const QString& t) {
         EXPECT_TRUE(jobfile::WriteJobFile(root + "/jobs" + t + ".cfg", jobfile::JobFile{}).ok);
         return root + "/jobs" + t + ".cfg";
       },
       0644, 0600},
  };
  const mode_t saved = ::umask(0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ::umask(0);
    const mode_t loose = modeOf(c.make("0"));
    ::umask(077);
    const mode_t strict = modeOf(c.make("77"));
    EXPECT_EQ(loose, c.under000) << std::oct << loose;
    EXPECT_EQ(strict, c.under077) << std::oct << strict;
  }
  ::umask(saved);
}
