// Object activation: in-process classes registered by the program, and plug-in
// libraries loaded on first use and kept loaded for the life of the process.
#include "platform/activation.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QHash>
#include <mutex>

#include "platform/paths.h"

namespace mvnz::activation {
namespace {

constexpr int kCantCreate = 429;
const char kCantCreateText[] = "ActiveX component can't create object";
const QString kPluginSuffix = QStringLiteral("Zuri.Setup");

// Called through a pointer without noexcept: a plug-in that breaks the rule and
// throws from its factory is caught here instead of ending the process.
using RawFactory = Object* (*)(int);

struct Loaded {
  RawFactory factory = nullptr;
  QString error;  // why the library gives no factory
};

struct State {
  std::mutex mutex;
  QHash<QString, Factory> classes;   // lower-case ProgID -> factory
  QHash<QString, Loaded> libraries;  // library path -> what it gave
  QString folder;
};

State& state() {
  static State s;
  return s;
}

std::unique_ptr<Object> fail(ActivationError* err, const QString& progId, const QString& detail) {
  if (err) *err = ActivationError{kCantCreate, progId, kCantCreateText, detail};
  return nullptr;
}

// The plug-in library of name in folder: "<name>.so" when it exists, else the one
// file whose name equals it without regard to case.
QString findLibrary(const QString& folder, const QString& name) {
  const QString exact = paths::join(folder, name + ".so");
  if (QFileInfo(exact).isFile()) return exact;
  const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files);
  for (const QFileInfo& fi : entries)
    if (fi.fileName().compare(name + ".so", Qt::CaseInsensitive) == 0) return fi.filePath();
  return {};
}

// Why one file or folder on a plug-in's path is unsafe, or empty.
QString unsafeEntry(const QString& path) {
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0)
    return QStringLiteral("cannot examine [%1]: %2").arg(path, qt_error_string(errno));
  if (st.st_uid != 0 && st.st_uid != ::geteuid())
    return QStringLiteral("[%1] is owned by another user (uid %2)").arg(path).arg(st.st_uid);
  if (st.st_mode & (S_IWGRP | S_IWOTH))
    return QStringLiteral("[%1] is writable by group or others (mode %2)")
        .arg(path)
        .arg(st.st_mode & 07777, 4, 8, QLatin1Char('0'));
  return {};
}

// Loads a library once; later calls hand back what the first one found.
Loaded load(State& s, const QString& path) {
  auto it = s.libraries.find(path);
  if (it != s.libraries.end()) return *it;
  Loaded l;
  dlerror();
  void* h = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (!h) {
    l.error = QString::fromLocal8Bit(dlerror());
    return l;  // not remembered: a library installed later may load
  }
  if (void* sym = dlsym(h, "mvnzCreateObject"))
    l.factory = reinterpret_cast<RawFactory>(sym);
  else
    l.error = QStringLiteral("no factory mvnzCreateObject in %1").arg(path);
  s.libraries.insert(path, l);
  return l;
}

}  // namespace

void registerClass(const QString& progId, Factory factory) {
  State& s = state();
  std::lock_guard<std::mutex> g(s.mutex);
  s.classes.insert(progId.toLower(), std::move(factory));
}

void unregisterClass(const QString& progId) {
  State& s = state();
  std::lock_guard<std::mutex> g(s.mutex);
  s.classes.remove(progId.toLower());
}

QString unsafePluginReason(const QString& path, const QString& folder) {
  const QString library = QFileInfo(path).canonicalFilePath();
  if (library.isEmpty()) return QStringLiteral("cannot examine [%1]").arg(path);
  const QString program = QFileInfo(paths::appDir()).canonicalFilePath();
  // The installed tree: bin/ and lib/mervanezuri/Plugins/ below one folder.
  const QString installed = QFileInfo(paths::appDir() + QStringLiteral("/..")).canonicalFilePath();
  const QString plugins = QFileInfo(folder).canonicalFilePath();
  const auto within = [&](const QString& folder) {
    return !folder.isEmpty() && library.startsWith(folder + '/');
  };
  // A library found through a link to elsewhere is checked up to the root.
  const QString stop = within(program)     ? program
                       : within(installed) ? installed
                       : within(plugins)   ? plugins
                                           : QStringLiteral("/");
  for (QString level = library;; level = QFileInfo(level).path()) {
    if (QString why = unsafeEntry(level); !why.isEmpty()) return why;
    if (level == stop || level == QLatin1String("/")) return {};
  }
}

QString pluginProgId(const QString& pluginName) { return pluginName + kPluginSuffix; }

void setPluginFolder(const QString& folder) {
  State& s = state();
  std::lock_guard<std::mutex> g(s.mutex);
  s.folder = folder;
}

QString pluginFolder() {
  State& s = state();
  std::lock_guard<std::mutex> g(s.mutex);
  return s.folder.isEmpty() ? paths::pluginDir() : s.folder;
}

std::unique_ptr<Object> create(const QString& progId, ActivationError* err) {
  State& s = state();
  Factory inProcess;
  {
    std::lock_guard<std::mutex> g(s.mutex);
    inProcess = s.classes.value(progId.toLower());
  }
  if (inProcess) {
    try {
      if (std::unique_ptr<Object> o = inProcess()) return o;
      return fail(err, progId, QStringLiteral("the class created no object"));
    } catch (...) {
      return fail(err, progId, QStringLiteral("the class raised an error while creating"));
    }
  }

  if (!progId.endsWith(kPluginSuffix, Qt::CaseInsensitive))
    return fail(err, progId, QStringLiteral("class not registered"));
  const QString name = progId.left(progId.size() - kPluginSuffix.size());
  // A plug-in name is a plain file name inside the plug-in folder, nothing more.
  if (name.isEmpty() || name.contains('/') || name.startsWith('.') || name.contains(QChar(0)))
    return fail(err, progId, QStringLiteral("class not registered"));

  const QString folder = pluginFolder();
  const QString path = findLibrary(folder, name);
  if (path.isEmpty())
    return fail(err, progId, QStringLiteral("no plug-in %1.so in %2").arg(name, folder));
  if (QString why = unsafePluginReason(path, folder); !why.isEmpty()) return fail(err, progId, why);
  Loaded l;
  {
    std::lock_guard<std::mutex> g(s.mutex);
    l = load(s, path);
  }
  if (!l.factory) return fail(err, progId, l.error);
  Object* o = nullptr;
  try {
    o = l.factory(kObjectAbiVersion);
  } catch (...) {
    return fail(err, progId, QStringLiteral("the plug-in's factory raised an error"));
  }
  if (!o)
    return fail(err, progId,
                QStringLiteral("the plug-in refused ABI version %1").arg(kObjectAbiVersion));
  return std::unique_ptr<Object>(o);
}

}  // namespace mvnz::activation
