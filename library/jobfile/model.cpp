// The command parameters, held only as far as they are not empty.
#include "library/jobfile.h"

#include <algorithm>

namespace mvnz::jobfile {

const QString& Parameters::Empty() {
  static const QString empty;
  return empty;
}

Parameters::Parameters(QList<QString> texts) : held_(std::move(texts)) {
  if (held_.size() > kSize) held_.resize(kSize);
  while (!held_.isEmpty() && held_.constLast().isEmpty()) held_.removeLast();
}

QStringList Parameters::toList() const {
  QStringList all = held_;
  all.resize(kSize);
  return all;
}

bool Parameters::operator==(const Parameters& other) const {
  const qsizetype n = std::max(held_.size(), other.held_.size());
  for (qsizetype k = 0; k < n; ++k)
    if ((*this)[k] != other[k]) return false;
  return true;
}

}  // namespace mvnz::jobfile
