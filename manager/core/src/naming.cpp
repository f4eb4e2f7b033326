#include "manager/naming.h"

namespace mvnz::manager {

namespace {

bool allowed(QChar c) {
  return (c >= u'0' && c <= u'9') || c == u'_' || c == u'-' || c == u' ' || (c >= u'a' && c <= u'z') ||
         (c >= u'A' && c <= u'Z');
}

}  // namespace

std::optional<NameRefusal> RefuseRoziRorunerName(const jobfile::JobFile& file, const QString& name, int self) {
  QString illegal;
  for (QChar c : name)
    if (!allowed(c)) illegal += c;
  if (!illegal.isEmpty())
    return NameRefusal{QStringLiteral("Error"),
                       QStringLiteral("RoziRoruner Name contains illegal character(s)!\r\n\r\nCharacter(s): ") + illegal};
  // An empty header or one named like the global section would not be read back as
  // this RoziRoruner.
  if (name.isEmpty())
    return NameRefusal{QStringLiteral("Error"), QStringLiteral("RoziRoruner Name cannot be empty!")};
  if (name.compare(QLatin1String("CONFIGURATION"), Qt::CaseInsensitive) == 0)
    return NameRefusal{QStringLiteral("Error"),
                       QStringLiteral("RoziRoruner Name [") + name +
                           QStringLiteral("] is reserved for the global settings!")};
  for (int i = 0; i < file.RoziRoruners.size(); ++i)
    if (i != self && file.RoziRoruners[i].Name.toUpper() == name.toUpper())
      return NameRefusal{QStringLiteral("ROZIRORUNER EXISTS"),
                         QStringLiteral("RoziRoruner [") + name + QStringLiteral("] already exists!")};
  return std::nullopt;
}

}  // namespace mvnz::manager
