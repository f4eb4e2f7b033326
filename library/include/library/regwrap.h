#pragma once
// The programs' registry string wrappers, under the machine-wide root.
#include <QString>

namespace mvnz {

// Value of SubKey\ValueName, trimmed of blanks; "" when the key or value is missing.
// Never creates a key, never fails.
QString GetRegString(const QString& subKey, const QString& valueName);
// Stores a string value, creating the key when needed. 0 on success.
long SaveRegString(const QString& subKey, const QString& valueName, const QString& value);

}  // namespace mvnz
