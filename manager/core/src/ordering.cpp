#include "manager/ordering.h"

#include <QCollator>
#include <algorithm>
#include <numeric>

namespace mvnz::manager {

QList<int> SortedByName(const QStringList& names) {
  QList<int> order(names.size());
  std::iota(order.begin(), order.end(), 0);
  QCollator collator;
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return collator.compare(names[a], names[b]) < 0; });
  return order;
}

}  // namespace mvnz::manager
