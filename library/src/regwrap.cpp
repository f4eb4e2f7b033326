// The programs' two registry calls, on the registry store (which ignores leading
// "\" in key names, as the registry calls of the programs expect).
#include "library/regwrap.h"

#include "platform/registry.h"

namespace mvnz {

QString GetRegString(const QString& subKey, const QString& valueName) {
  const QString v = registry::readValue(subKey, valueName).value_or(QString());
  qsizetype b = 0, e = v.size();
  while (b < e && v[b] == ' ') ++b;
  while (e > b && v[e - 1] == ' ') --e;
  return v.mid(b, e - b);
}

long SaveRegString(const QString& subKey, const QString& valueName, const QString& value) {
  return registry::writeValue(subKey, valueName, value);
}

}  // namespace mvnz
