#include "sleepfor.h"

#include <limits>
#include <optional>

#include "library/catalogue.h"
#include "library/numbers.h"

namespace mvnz::sleepaction {

using P = catalogue::param::Sleep;

namespace {

// CLng of a number text in the current locale.
std::optional<qint64> wholeNumber(const QString& text, QString* why) {
  const std::optional<double> v = ToDoubleInLocale(text);
  if (!v) {
    *why = QStringLiteral("Type mismatch");
    return std::nullopt;
  }
  try {
    return CLng(*v);
  } catch (const ConversionError& e) {
    *why = e.description;
    return std::nullopt;
  }
}

}  // namespace

bool Milliseconds(const QString& count, const QString& unit, long* ms, QString* why) {
  const std::optional<qint64> c = wholeNumber(count, why);
  if (!c) return false;
  const std::optional<qint64> u = wholeNumber(unit, why);
  if (!u) return false;
  const qint64 product = *c * *u;
  if (product > std::numeric_limits<qint32>::max() ||
      product < std::numeric_limits<qint32>::min()) {
    *why = QStringLiteral("Overflow");
    return false;
  }
  *ms = product < 0 ? 0 : long(product);
  return true;
}

bool SleepFor(const QStringList& data, bool autoLog, const LogFn& log, const Waiter& wait) {
  const QString count = data.value(P::Count), unit = data.value(P::Unit);
  if (autoLog)
    log(QStringLiteral("Sleeping for ") + CStr(Val(count) * Val(unit)) + QStringLiteral(" ms....."),
        0);
  long ms = 0;
  QString why;
  if (!Milliseconds(count, unit, &ms, &why)) {
    log(QStringLiteral("ERROR_SLEEP: ") + why, 2);
    return true;
  }
  wait(ms);
  return false;
}

}  // namespace mvnz::sleepaction
