#pragma once
// Registry routines on full key paths written as text: a root name, a backslash and
// the sub-path ("HKEY_LOCAL_MACHINE\Software\Orvendel"). The system's store holds
// the machine-wide root only; the other roots are known by name and have no keys.
#include <QString>
#include <QStringList>

namespace mvnz::deployer {

enum class RootKey : unsigned {
  None = 0,
  ClassesRoot = 0x80000000u,
  CurrentUser = 0x80000001u,
  LocalMachine = 0x80000002u,
  Users = 0x80000003u,
  PerformanceData = 0x80000004u,
  CurrentConfig = 0x80000005u,
  DynData = 0x80000006u,
};

// The root of an exact (case-sensitive) root name; None for any other text.
RootKey RootKeyFromName(const QString& name);
// root := the root named before the first backslash, path := the text after it; a
// root name alone gives the empty path. A path that ends with a backslash or does not
// begin with "HKEY_" is refused: root := None, path unchanged.
void SplitRegPath(QString& path, RootKey& root);
// Names of the key's direct subkeys in the store's order; an empty sub-path lists the
// root itself. Empty when the key cannot be opened or the path is refused.
QStringList EnumRegSubKeys(const QString& path);
// Deletes the key with all its subkeys, however deep. False when nothing was
// deleted (refused path, a root alone, a missing key, a store that cannot be written).
bool DeleteRegKey(const QString& path);
bool RegKeyExists(const QString& path);

}  // namespace mvnz::deployer
