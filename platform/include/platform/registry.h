#pragma once
// File-backed key/value store standing in for the machine-wide registry.
// Key names are paths of "\"-separated names; key and value names ignore case
// and keep it. Every write is atomic (temporary file + rename) under a file lock,
// so several processes may share the store; every read sees the latest write.
// Leading "\" characters of a key name are ignored; an empty key name is the root.
#include <QString>
#include <QStringList>
#include <optional>

namespace mvnz::registry {

// 0 on success, non-zero on failure (as the registry calls report it).
using Result = long;
constexpr Result kOk = 0;
constexpr Result kFailed = 1;    // store not writable, I/O error, unreadable store
constexpr Result kNotFound = 2;  // key or value missing
constexpr Result kBadName = 3;   // key name with an empty part ("a\\b")

// Reads a value; std::nullopt when the key or the value does not exist.
std::optional<QString> readValue(const QString& key, const QString& name);
// Creates the key (and its parents) when missing, then stores the value.
Result writeValue(const QString& key, const QString& name, const QString& value);
// Creates the key (and its parents) when missing.
Result createKey(const QString& key);
Result deleteValue(const QString& key, const QString& name);
bool keyExists(const QString& key);
// Deletes the key with all its values and subkeys (never the root).
Result deleteKeyTree(const QString& key);
// Direct subkey names (as stored, case kept) and value names of a key.
QStringList subKeys(const QString& key);
QStringList valueNames(const QString& key);

}  // namespace mvnz::registry
