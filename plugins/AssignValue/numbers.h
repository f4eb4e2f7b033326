#pragma once
// The number conversions of the action, on the Basic conversions of the library.
#include <QString>
#include <cmath>
#include <optional>

#include "library/conversions.h"

namespace mvnz::assignvalue::num {

// The whole number nearest to v, halves going to the even neighbour.
inline double Nearest(double v) { return std::nearbyint(v); }

inline double Val(const QString& s) { return mvnz::Val(s); }

// CDbl in the current locale; false in *ok for a text that is no number or a value
// beyond the range of a double.
inline double CDbl(const QString& s, bool* ok) {
  const std::optional<double> v = mvnz::ToDoubleInLocale(s);
  *ok = v.has_value();
  return v.value_or(0);
}

inline QString FormatGeneral(double v) { return mvnz::CStr(v); }

}  // namespace mvnz::assignvalue::num
