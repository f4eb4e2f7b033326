#include "sleepfor.h"

#include <limits>

#include "library/conversions.h"

namespace mvnz::sleepaction {

bool Milliseconds(const QString& count, const QString& unit, long* ms, QString* why) {
  try {
    const qint64 product = qint64(CLng(count)) * qint64(CLng(unit));
    if (product > std::numeric_limits<qint32>::max() ||
        product < std::numeric_limits<qint32>::min()) {
      *why = QStringLiteral("Overflow");
      return false;
    }
    *ms = product < 0 ? 0 : long(product);
    return true;
  } catch (const ConversionError& e) {
    *why = e.description;
    return false;
  }
}

bool SleepFor(const QStringList& data, bool autoLog, const LogFn& log, const Waiter& wait) {
  const QString count = data.value(1), unit = data.value(2);
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
