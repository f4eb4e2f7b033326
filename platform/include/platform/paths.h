#pragma once
// Where the programs keep their files on this system. Every folder can be moved
// through an environment variable so tests and demos never touch the real system.
#include <QString>

namespace mvnz::paths {

// Default folder of the configuration file: $windir, else /etc/mervanezuri.
QString windowsDir();
// The default configuration file every program reads and writes: windowsDir()/MVNZuri.ini.
QString configFile();
// Folder of the running executable (from /proc/self/exe).
QString appDir();
// The folders the programs bring with them.
enum class Bundled { Plugins, Help, Credits, Icons };
// Where one of them lies for the program in programFolder: beside the program when it
// is there (the build tree), else in the installed tree relative to the program's
// folder: <bin>/../lib/mervanezuri/Plugins, <bin>/../share/mervanezuri/<help|credits|Icons>.
// So a tree staged anywhere runs where it lies.
QString bundledDir(Bundled which, const QString& programFolder = appDir());
// The plug-in folder of the running program: bundledDir(Bundled::Plugins).
QString pluginDir();
// The HTML help of the running program: index.html in bundledDir(Bundled::Help).
QString helpFile();
// Machine-wide registry store: $MVNZ_REGISTRY_DIR, else /var/lib/mervanezuri/registry
// when writable, else $XDG_CONFIG_HOME/mervanezuri/registry.
QString registryDir();
// Per-user settings: $XDG_CONFIG_HOME/mervanezuri (default ~/.config/mervanezuri).
QString userSettingsDir();
// Locks and local sockets: $MVNZ_RUNTIME_DIR, else $XDG_RUNTIME_DIR/mervanezuri, else
// for root kServiceRuntimeDir, else $XDG_STATE_HOME/mervanezuri/run (default
// ~/.local/state/mervanezuri/run, when the home folder is the user's own), else
// $TMPDIR/mervanezuri-<uid> (default /tmp). A missing folder is created (mode 0700);
// before a lock or socket is made in it, runtimefolder::prepare() says whether it may
// be used.
QString runtimeDir();
// The runtime folder of root and of the service, which the service's unit declares.
inline constexpr char kServiceRuntimeDir[] = "/run/mervanezuri";
// Folder of service unit files: $MVNZ_UNIT_DIR, else /usr/local/lib/systemd/system
// (the administrator's installed units; the masks and enable links go to /etc).
QString unitDir();
// The service manager's control program: $MVNZ_SYSTEMCTL, else "systemctl".
QString systemctlProgram();

// Joins two path parts with exactly one "/" between them.
QString join(const QString& a, const QString& b);

}  // namespace mvnz::paths
