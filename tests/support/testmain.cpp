// Test entry point: every test process gets its own temporary folder, and every
// system path the programs use (registry, runtime folder, settings, units, the
// configuration's default folder) is pointed into it before anything else runs.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

#include "testenv.h"

#ifdef MVNZ_TEST_WIDGETS
#include <QApplication>
using App = QApplication;
#else
using App = QCoreApplication;
#endif

namespace mvnz::test {
namespace {
TempFolder* g_root = nullptr;
}

QString rootDir() { return g_root ? g_root->path() : QString(); }

QString makeDir(const QString& relative) {
  const QString p = QDir(rootDir()).filePath(relative);
  QDir().mkpath(p);
  return p;
}

QByteArray readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

int runAsNobody(const QString& command) {
  QFile::setPermissions(rootDir(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                       QFileDevice::ExeOwner | QFileDevice::ExeGroup |
                                       QFileDevice::ExeOther);
  const QString id = QString::number(kNobody);
  QProcess p;
  p.start(QStringLiteral("setpriv"), {"--reuid=" + id, "--regid=" + id, "--clear-groups", "--",
                                      "/bin/sh", "-c", command});
  if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit) return -1;
  return p.exitCode();
}

bool giveToNobody(const QString& path) {
  return ::lchown(QFile::encodeName(path).constData(), kNobody, kNobody) == 0;
}

bool setMode(const QString& path, unsigned mode) {
  return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

}  // namespace mvnz::test

int main(int argc, char** argv) {
  mvnz::test::TempFolder root(QDir::tempPath() + "/mvnz-test-XXXXXX");
  mvnz::test::g_root = &root;
  const QString base = root.path();
  const struct {
    const char* var;
    const char* sub;
  } dirs[] = {
      {"windir", "windows"},         {"MVNZ_REGISTRY_DIR", "registry"}, {"MVNZ_RUNTIME_DIR", "run"},
      {"XDG_CONFIG_HOME", "config"}, {"XDG_DATA_HOME", "data"},         {"MVNZ_UNIT_DIR", "units"},
  };
  for (const auto& d : dirs) {
    const QString p = base + "/" + d.sub;
    QDir().mkpath(p);
    qputenv(d.var, p.toLocal8Bit());
  }
  // Qt's own runtime folder (else it makes one in the shared temporary folder), private
  // as Qt wants it.
  const QString xdgRuntime = base + "/xdg-runtime";
  QDir().mkpath(xdgRuntime);
  mvnz::test::setMode(xdgRuntime, 0700);
  qputenv("XDG_RUNTIME_DIR", xdgRuntime.toLocal8Bit());
  qputenv("MVNZ_POWER_DRYRUN", "1");
  // Configuration files written by a test are read at once; the settle rule's own
  // tests set their rule, and the real programs' race tests their environment.
  qputenv("MVNZ_CONFIG_SETTLE_MS", "0");
  // The manager's update check (on by default) asks a closed port on this machine.
  qputenv("MVNZ_UPDATE_SERVER", "127.0.0.1:9");
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

  App app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
