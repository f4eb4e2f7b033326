#include "deployer/modreg.h"

#include "platform/registry.h"

namespace mvnz::deployer {

namespace {

// The store's key name of a path under the machine-wide root; false for any other.
bool StoreKey(const QString& path, QString* key) {
  QString sub = path;
  RootKey root = RootKey::None;
  SplitRegPath(sub, root);
  if (root != RootKey::LocalMachine) return false;
  *key = sub;
  return true;
}

}  // namespace

RootKey RootKeyFromName(const QString& name) {
  static const struct {
    const char* name;
    RootKey root;
  } roots[] = {
      {"HKEY_CLASSES_ROOT", RootKey::ClassesRoot},
      {"HKEY_CURRENT_USER", RootKey::CurrentUser},
      {"HKEY_LOCAL_MACHINE", RootKey::LocalMachine},
      {"HKEY_USERS", RootKey::Users},
      {"HKEY_PERFORMANCE_DATA", RootKey::PerformanceData},
      {"HKEY_CURRENT_CONFIG", RootKey::CurrentConfig},
      {"HKEY_DYN_DATA", RootKey::DynData},
  };
  for (const auto& r : roots)
    if (name == QLatin1String(r.name)) return r.root;
  return RootKey::None;
}

void SplitRegPath(QString& path, RootKey& root) {
  if (path.endsWith(QLatin1Char('\\')) || !path.startsWith(QLatin1String("HKEY_"))) {
    root = RootKey::None;
    return;
  }
  const qsizetype at = path.indexOf(QLatin1Char('\\'));
  root = RootKeyFromName(at < 0 ? path : path.left(at));
  path = at < 0 ? QString() : path.mid(at + 1);
}

QStringList EnumRegSubKeys(const QString& path) {
  QString key;
  if (!StoreKey(path, &key)) return {};
  if (!key.isEmpty() && !registry::keyExists(key)) return {};
  return registry::subKeys(key);
}

bool DeleteRegKey(const QString& path) {
  QString key;
  if (!StoreKey(path, &key) || key.isEmpty()) return false;
  return registry::deleteKeyTree(key) == registry::kOk;
}

bool RegKeyExists(const QString& path) {
  QString key;
  return StoreKey(path, &key) && registry::keyExists(key);
}

}  // namespace mvnz::deployer
