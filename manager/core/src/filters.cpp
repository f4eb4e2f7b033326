#include "manager/filters.h"

#include <QStringList>

namespace mvnz::manager {

QString NormalisedFilter(const QString& text) {
  if (text == QLatin1String("*.*") || text == QLatin1String("*")) return QStringLiteral(".");
  if (!text.contains(u';')) return text.trimmed();
  QStringList pieces = text.split(u';');
  for (QString& p : pieces) p = p.trimmed();
  return pieces.join(u';');
}

bool FiltersCollide(const jobfile::RoziRoruner& r) {
  const QString reject = NormalisedFilter(r.RejectFilter);
  if (reject.isEmpty()) return false;
  QString input = NormalisedFilter(r.InputFilter);
  if (input.isEmpty()) input = QStringLiteral(".");
  return input == reject;
}

int FirstFilterCollision(const jobfile::JobFile& file) {
  for (int i = 0; i < file.RoziRoruners.size(); ++i)
    if (FiltersCollide(file.RoziRoruners[i])) return i;
  return -1;
}

}  // namespace mvnz::manager
