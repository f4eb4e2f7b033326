// The registry store: one JSON file holding the whole key tree, in the folder
// paths::registryDir(). Readers parse the file as it stands (a rename makes every
// write appear at once, so a reader never sees half a write); writers take an
// exclusive flock on a lock file beside it, read the latest tree, change it, write
// it to a temporary file, flush it to disk and rename it over the old one.
#include "platform/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <cerrno>
#include <mutex>

#include "platform/fileops.h"
#include "platform/paths.h"

namespace mvnz::registry {
namespace {

const char kStoreFile[] = "store.json";
const char kLockFile[] = "store.lock";

struct Node {
  QString name;
  QList<std::pair<QString, QString>> values;
  QList<Node> keys;
};

bool same(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// Splits a key name into its parts. Leading "\" are ignored, so is one trailing
// "\"; an empty part inside the name makes it invalid.
std::optional<QStringList> splitKey(const QString& key) {
  QString k = key;
  while (k.startsWith('\\')) k.remove(0, 1);
  if (k.endsWith('\\')) k.chop(1);
  if (k.isEmpty()) return QStringList();
  QStringList parts = k.split('\\');
  for (const QString& p : parts)
    if (p.isEmpty()) return std::nullopt;
  return parts;
}

// N is Node or const Node.
template <class N>
N* child(N& n, const QString& name) {
  for (N& c : n.keys)
    if (same(c.name, name)) return &c;
  return nullptr;
}

template <class N>
N* find(N& root, const QStringList& parts) {
  N* n = &root;
  for (const QString& p : parts) {
    n = child(*n, p);
    if (!n) return nullptr;
  }
  return n;
}

Node& findOrCreate(Node& root, const QStringList& parts, bool* changed) {
  Node* n = &root;
  for (const QString& p : parts) {
    Node* c = child(*n, p);
    if (!c) {
      n->keys.append(Node{p, {}, {}});
      c = &n->keys.last();
      *changed = true;
    }
    n = c;
  }
  return *n;
}

QJsonObject toJson(const Node& n) {
  QJsonObject values, keys;
  for (const auto& [name, value] : n.values) values.insert(name, value);
  for (const Node& c : n.keys) keys.insert(c.name, toJson(c));
  QJsonObject o;
  o.insert("values", values);
  o.insert("keys", keys);
  return o;
}

Node fromJson(const QString& name, const QJsonObject& o) {
  Node n{name, {}, {}};
  const QJsonObject values = o.value("values").toObject();
  for (auto it = values.begin(); it != values.end(); ++it)
    n.values.append({it.key(), it.value().toString()});
  const QJsonObject keys = o.value("keys").toObject();
  for (auto it = keys.begin(); it != keys.end(); ++it)
    n.keys.append(fromJson(it.key(), it.value().toObject()));
  return n;
}

QString storePath() { return paths::join(paths::registryDir(), kStoreFile); }

// Reads the whole tree. A missing store is an empty tree; a store that cannot be
// read or parsed gives std::nullopt (writers then refuse rather than replace it).
std::optional<Node> load() {
  QFile f(storePath());
  if (!f.exists()) return Node{};
  if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
  const QByteArray data = f.readAll();
  if (f.error() != QFileDevice::NoError) return std::nullopt;
  if (data.trimmed().isEmpty()) return Node{};
  QJsonParseError err{};
  const QJsonDocument doc = QJsonDocument::fromJson(data, &err);
  if (err.error != QJsonParseError::NoError || !doc.isObject()) return std::nullopt;
  return fromJson(QString(), doc.object());
}

bool save(const Node& root) {
  const QString dir = paths::registryDir();
  QSaveFile f(paths::join(dir, kStoreFile));
  if (!f.open(QIODevice::WriteOnly)) return false;
  // Only its owner reads the store, whatever mode an older one had.
  if (!f.setPermissions(fileops::createPermissions(0600))) {
    f.cancelWriting();
    return false;
  }
  const QByteArray data = QJsonDocument(toJson(root)).toJson(QJsonDocument::Indented);
  if (f.write(data) != data.size()) {
    f.cancelWriting();
    return false;
  }
  if (!f.commit()) return false;
  // Make the rename itself durable.
  int dfd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return true;
}

std::mutex g_writeMutex;

// Runs change(tree) under the store's lock and saves the tree when change reports
// that it altered it. change returns the result to hand back.
template <class F>
Result modify(F change) {
  std::lock_guard<std::mutex> guard(g_writeMutex);
  const QString dir = paths::registryDir();
  if (!fileops::makeFolders(dir).ok()) return kFailed;
  const QByteArray lockPath = QFile::encodeName(paths::join(dir, kLockFile));
  int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return kFailed;
  int rc;
  do rc = ::flock(fd, LOCK_EX);
  while (rc != 0 && errno == EINTR);
  Result result = kFailed;
  if (rc == 0) {
    if (std::optional<Node> root = load()) {
      bool changed = false;
      result = change(*root, &changed);
      if (changed && result == kOk && !save(*root)) result = kFailed;
    }
  }
  ::close(fd);  // releases the lock
  return result;
}

}  // namespace

std::optional<QString> readValue(const QString& key, const QString& name) {
  const auto parts = splitKey(key);
  if (!parts) return std::nullopt;
  const auto root = load();
  if (!root) return std::nullopt;
  const Node* n = find(*root, *parts);
  if (!n) return std::nullopt;
  for (const auto& [vn, value] : n->values)
    if (same(vn, name)) return value;
  return std::nullopt;
}

Result writeValue(const QString& key, const QString& name, const QString& value) {
  const auto parts = splitKey(key);
  if (!parts) return kBadName;
  return modify([&](Node& root, bool* changed) {
    Node& n = findOrCreate(root, *parts, changed);
    for (auto& [vn, v] : n.values) {
      if (same(vn, name)) {
        if (v != value) {
          v = value;
          *changed = true;
        }
        return kOk;
      }
    }
    n.values.append({name, value});
    *changed = true;
    return kOk;
  });
}

Result createKey(const QString& key) {
  const auto parts = splitKey(key);
  if (!parts) return kBadName;
  return modify([&](Node& root, bool* changed) {
    findOrCreate(root, *parts, changed);
    return kOk;
  });
}

Result deleteValue(const QString& key, const QString& name) {
  const auto parts = splitKey(key);
  if (!parts) return kBadName;
  return modify([&](Node& root, bool* changed) {
    Node* n = find(root, *parts);
    if (!n) return kNotFound;
    for (qsizetype i = 0; i < n->values.size(); ++i) {
      if (same(n->values[i].first, name)) {
        n->values.removeAt(i);
        *changed = true;
        return kOk;
      }
    }
    return kNotFound;
  });
}

bool keyExists(const QString& key) {
  const auto parts = splitKey(key);
  if (!parts) return false;
  const auto root = load();
  return root && find(*root, *parts);
}

Result deleteKeyTree(const QString& key) {
  const auto parts = splitKey(key);
  if (!parts) return kBadName;
  if (parts->isEmpty()) return kFailed;  // the root itself is never deleted
  return modify([&](Node& root, bool* changed) {
    Node* parent = find(root, parts->mid(0, parts->size() - 1));
    if (!parent) return kNotFound;
    for (qsizetype i = 0; i < parent->keys.size(); ++i) {
      if (same(parent->keys[i].name, parts->last())) {
        parent->keys.removeAt(i);
        *changed = true;
        return kOk;
      }
    }
    return kNotFound;
  });
}

QStringList subKeys(const QString& key) {
  QStringList out;
  const auto parts = splitKey(key);
  const auto root = load();
  if (!parts || !root) return out;
  if (const Node* n = find(*root, *parts))
    for (const Node& c : n->keys) out << c.name;
  return out;
}

QStringList valueNames(const QString& key) {
  QStringList out;
  const auto parts = splitKey(key);
  const auto root = load();
  if (!parts || !root) return out;
  if (const Node* n = find(*root, *parts))
    for (const auto& v : n->values) out << v.first;
  return out;
}

}  // namespace mvnz::registry
