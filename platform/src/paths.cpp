#include "platform/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/fileops.h"

namespace mvnz::paths {
namespace {

QString env(const char* name) { return qEnvironmentVariable(name); }

QString xdgConfigHome() {
  QString v = env("XDG_CONFIG_HOME");
  if (!v.isEmpty()) return v;
  return join(QDir::homePath(), ".config");
}

}  // namespace

QString join(const QString& a, const QString& b) {
  if (a.isEmpty()) return b;
  if (b.isEmpty()) return a;
  const bool aSlash = a.endsWith('/');
  const bool bSlash = b.startsWith('/');
  if (aSlash && bSlash) return a + b.mid(1);
  if (aSlash || bSlash) return a + b;
  return a + '/' + b;
}

QString windowsDir() {
  QString v = env("windir");
  return v.isEmpty() ? QStringLiteral("/etc/mervanezuri") : v;
}

QString configFile() { return join(windowsDir(), QStringLiteral("MVNZuri.ini")); }

QString appDir() {
  QFileInfo exe(QStringLiteral("/proc/self/exe"));
  QString target = exe.symLinkTarget();
  if (target.isEmpty()) return QDir::currentPath();
  return QFileInfo(target).absolutePath();
}

QString bundledDir(Bundled which, const QString& programFolder) {
  struct Place {
    const char* beside;     // name in the build tree's program folder
    const char* installed;  // relative to the installed program folder
  };
  static constexpr Place kPlaces[] = {
      {"Plugins", MVNZ_BIN_TO_PLUGINS},
      {"help", MVNZ_BIN_TO_DATA "/help"},
      {"credits", MVNZ_BIN_TO_DATA "/credits"},
      {"Icons", MVNZ_BIN_TO_DATA "/Icons"},
  };
  const Place& place = kPlaces[static_cast<int>(which)];
  const QString beside = join(programFolder, QLatin1String(place.beside));
  if (QFileInfo(beside).isDir()) return beside;
  return QDir::cleanPath(join(programFolder, QLatin1String(place.installed)));
}

QString pluginDir() { return bundledDir(Bundled::Plugins); }

QString helpFile() { return join(bundledDir(Bundled::Help), "index.html"); }

QString registryDir() {
  QString v = env("MVNZ_REGISTRY_DIR");
  if (!v.isEmpty()) return v;
  const QString system = QStringLiteral("/var/lib/mervanezuri/registry");
  QFileInfo sys(system);
  if (sys.isDir() ? sys.isWritable() : QFileInfo(QStringLiteral("/var/lib")).isWritable())
    return system;
  return join(xdgConfigHome(), "mervanezuri/registry");
}

QString userSettingsDir() { return join(xdgConfigHome(), "mervanezuri"); }

namespace {

// Whether folder is a folder (a link followed) owned by the effective user.
bool ownFolder(const QString& folder) {
  struct stat st;
  return !folder.isEmpty() && ::stat(QFile::encodeName(folder).constData(), &st) == 0 &&
         S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
}

// The runtime folder when MVNZ_RUNTIME_DIR does not name one. A user's own folders come
// before the shared temporary folder, where anyone could make the name first.
QString defaultRuntimeDir() {
  const QString xdg = env("XDG_RUNTIME_DIR");
  if (!xdg.isEmpty()) return join(xdg, "mervanezuri");
  if (::geteuid() == 0) return QString::fromLatin1(kServiceRuntimeDir);
  const QString state = env("XDG_STATE_HOME");
  if (state.startsWith('/')) return join(state, "mervanezuri/run");
  const QString home = QDir::homePath();
  if (ownFolder(home)) return join(home, ".local/state/mervanezuri/run");
  return join(QDir::tempPath(), QStringLiteral("mervanezuri-%1").arg(::geteuid()));
}

}  // namespace

QString runtimeDir() {
  QString dir = env("MVNZ_RUNTIME_DIR");
  if (dir.isEmpty()) dir = defaultRuntimeDir();
  while (dir.size() > 1 && dir.endsWith(QLatin1Char('/'))) dir.chop(1);
  // Only a missing folder is made here (private from the start); whether an existing
  // one may be used is runtimefolder::prepare()'s question.
  const QByteArray native = QFile::encodeName(dir);
  struct stat st;
  if (::lstat(native.constData(), &st) != 0 && errno == ENOENT) {
    fileops::makeFolders(QFileInfo(dir).absolutePath());
    ::mkdir(native.constData(), 0700);
  }
  return dir;
}

QString unitDir() {
  QString v = env("MVNZ_UNIT_DIR");
  // Not /etc/systemd/system: that is where a mask goes, and a unit file there cannot be
  // masked.
  return v.isEmpty() ? QStringLiteral("/usr/local/lib/systemd/system") : v;
}

QString systemctlProgram() {
  QString v = env("MVNZ_SYSTEMCTL");
  return v.isEmpty() ? QStringLiteral("systemctl") : v;
}

}  // namespace mvnz::paths
