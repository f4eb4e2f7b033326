#pragma once
// The number conversions of the action, on the Basic conversions of the library.
#include <QLocale>
#include <QString>
#include <cmath>
#include <optional>

#include "library/conversions.h"

namespace mvnz::assignvalue::num {

// The whole number nearest to v, halves going to the even neighbour.
inline double Nearest(double v) { return std::nearbyint(v); }

inline double Val(const QString& s) { return mvnz::Val(s); }

// CDbl as a user of the locale expects it: the locale's own number text ("1,5" under a
// comma locale, so a result written by CStr reads back), else the locale-free forms
// of the library ("1.5", "1e3", "&H10"). False in *ok for a text that is no number
// or a value beyond the range of a double.
inline double CDbl(const QString& s, bool* ok) {
  const QString t = s.trimmed();
  bool good = false;
  double v = QLocale().toDouble(t, &good);
  if (!good) {
    const std::optional<double> c = mvnz::ToDouble(t);
    good = c.has_value();
    v = c.value_or(0);
  }
  if (good && !std::isfinite(v)) good = false;
  *ok = good;
  return good ? v : 0;
}

inline QString FormatGeneral(double v) { return mvnz::CStr(v); }

}  // namespace mvnz::assignvalue::num
