#pragma once
// The ordering dialog's sort: RoziRoruner names ascending, without regard to letter
// case, by the locale's text comparison; equal names keep their order.
#include <QList>
#include <QStringList>

namespace mvnz::manager {

// The positions of names in sorted order (a stable sort): element p is the position
// in names of the name that comes p-th.
QList<int> SortedByName(const QStringList& names);

}  // namespace mvnz::manager
